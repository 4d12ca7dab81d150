// What matching an imported image's colours to the game palette did (the
// mapping report of every reader and of an import), and Floyd-Steinberg
// dithering of grey and truecolour images.
#include <cmath>
#include <optional>

#include "ImageTestSupport.h"
#include "images/FrameImages.h"
#include "images/ImageFile.h"
#include "images/modPng.h"

namespace quilmark {

void PrintTo(const ColourMapping& m, std::ostream* os) {
  *os << "{off " << m.offPalette << ", largest " << m.largestDifference << ", made transparent " << m.madeTransparent
      << "}";
}

namespace {

using Pixels = std::vector<uint8_t>;
using test::BuildPng;
using test::PngShape;
using test::Samples;

PaletteEntry Rgb(int r, int g, int b) { return {uint8_t(b), uint8_t(g), uint8_t(r), 0}; }

class ColourMatchTest : public test::ImageTest {
 protected:
  // Reads the file both ways; the same pixels and report from the file and
  // from memory.
  LoadedBitmap Read(const std::string& file, ColourMatch match = ColourMatch::Nearest) {
    LoadedBitmap fromFile, fromMemory;
    const auto bytes = test::ReadFile(file);
    EXPECT_TRUE(ReadImage(file, fromFile, nullptr, match)) << file;
    EXPECT_TRUE(ReadImageFromMemory(bytes.data(), bytes.size(), fromMemory, nullptr, match)) << file;
    EXPECT_EQ(fromFile.BMPPixels, fromMemory.BMPPixels) << file;
    EXPECT_EQ(fromFile.Mapping, fromMemory.Mapping) << file;
    return fromFile;
  }
};

// With DistinctPalette: game colour 5 exactly; game colour 20 off by 3 + 2;
// game colour 9 off by 1 in blue, which is nearest to 9 (8 and 10 lie 8 or
// more away); game colour 9 exactly, the file's own transparent key.
const std::vector<PaletteEntry> kTable{Rgb(5, 250, 35), Rgb(23, 233, 140), Rgb(9, 246, 64), Rgb(9, 246, 63)};

TEST_F(ColourMatchTest, ATableMappingCountsOffColoursAndTheOpaqueOnesThatBecameTransparent) {
  ASSERT_EQ(ColourDifference(kTable[0], GamePalette[5]) + ColourDifference(kTable[3], GamePalette[9]), 0);
  const std::vector<uint8_t> bits{0, 0, 1, 2, 2, 3, 0, 0};  // 6 pixels, the row padded to 8 bytes
  const std::string bmp = Put("table.bmp", test::BuildBmp({.width = 6, .height = 1, .clrUsed = 4,
                                                          .table = test::TableOf(kTable), .bits = bits}));
  // 1000 pixels nearest to 9, then 300 off by 5: mapped in place, in pieces,
  // the largest difference met only late.
  const std::string rle = Put("rle.bmp", test::BuildBmp({.width = 1300, .height = 1, .compression = 1, .clrUsed = 4,
                                                        .table = test::TableOf(kTable),
                                                        .bits = {255, 2, 255, 2, 255, 2, 235, 2, 255, 1, 45, 1, 0, 1}}));
  Pixels rlePixels(1300, 9);
  std::fill(rlePixels.begin() + 1000, rlePixels.end(), 20);
  // The palettised PNG's fifth entry is transparent by its tRNS alpha: not weighed.
  std::vector<PaletteEntry> withClear = kTable;
  withClear.push_back(Rgb(1, 2, 3));
  PngShape s{.width = 7, .type = 3, .chunks = {test::Plte(withClear), test::Chunk("tRNS", {255, 255, 255, 255, 0})}};
  for (uint16_t i : {0, 0, 1, 2, 2, 3, 4}) s.pixels.push_back({i});
  const std::string png = Put("table.png", BuildPng(s));
  const struct {
    std::string file;
    Pixels pixels;
    ColourMapping mapping;
  } cases[] = {
      {bmp, {5, 5, 20, 9, 9, 9}, {3, 5, 2}},
      {rle, rlePixels, {1300, 5, 1000}},
      {png, {5, 5, 20, 9, 9, 9, 9}, {3, 5, 2}},
  };
  for (const auto& c : cases) {
    for (ColourMatch match : {ColourMatch::Nearest, ColourMatch::Dither}) {  // a colour table is never dithered
      const LoadedBitmap b = Read(c.file, match);
      EXPECT_EQ(b.BMPPixels, c.pixels) << c.file;
      EXPECT_EQ(b.Mapping, c.mapping) << c.file;
    }
    // Mapping afterwards weighs alike.
    const auto bytes = test::ReadFile(c.file);
    LoadedBitmap raw;
    ASSERT_TRUE(IsPNG(bytes.data(), bytes.size()) ? DecodePNG(bytes.data(), bytes.size(), raw)
                                                  : DecodeBMP(bytes.data(), bytes.size(), raw));
    EXPECT_EQ(raw.Mapping, ColourMapping{}) << c.file;
    RemapToGamePalette(raw);
    EXPECT_EQ(raw.Mapping, c.mapping) << c.file;
  }
  // An import adds up every image it reads and names each inexact file once.
  classGAFAnimation animation;
  ImportReport report;
  const std::string exact = Bitmap("exact.bmp", 2, 2, {255, 255, 1, 1});  // white made transparent: not counted
  ASSERT_TRUE(ImportFrames(animation, {bmp, exact, png, bmp}, ImportOptions{.white = true}, false, 0, nullptr,
                           nullptr, &report));
  EXPECT_EQ(report.read, 4);
  EXPECT_EQ(report.mapping, (ColourMapping{9, 5, 6}));
  ASSERT_EQ(report.inexactFiles.size(), 2u);
  EXPECT_EQ(std::tuple(report.inexactFiles[0].file, report.inexactFiles[1].file), std::tuple(bmp, png));
  EXPECT_EQ(report.inexactFiles[1].mapping, (ColourMapping{3, 5, 2}));
}

// A pixel's colour as a PNG of that shape gives it, nothing when the file
// makes it transparent; written out plainly from the format.
std::optional<PaletteEntry> ColourOf(const PngShape& s, const Samples& p, const std::vector<PaletteEntry>& table,
                                     std::optional<Samples> key) {
  const auto byte = [&](uint16_t v) { return uint8_t(s.depth == 16 ? v >> 8 : v * 255 / ((1 << s.depth) - 1)); };
  if (key && p == *key) return std::nullopt;
  switch (s.type) {
    case 0:
      return Rgb(byte(p[0]), byte(p[0]), byte(p[0]));
    case 4:
      if (byte(p[1]) < 128) return std::nullopt;
      return Rgb(byte(p[0]), byte(p[0]), byte(p[0]));
    case 6:
      if (byte(p[3]) < 128) return std::nullopt;
      [[fallthrough]];
    case 2:
      return Rgb(byte(p[0]), byte(p[1]), byte(p[2]));
    default:
      return table[p[0]];
  }
}

// Every kind of PNG file is weighed as its pixels, one by one, say.
TEST_F(ColourMatchTest, EveryKindOfPngIsWeighedPixelByPixel) {
  std::vector<PaletteEntry> table;
  for (int i = 0; i < 16; ++i) table.push_back(i % 3 ? Rgb(i * 16, 250 - i, i * 3) : GamePalette[size_t(i)]);
  const struct {
    uint8_t type, depth, interlace;
    std::function<Samples(uint16_t)> samples;
    std::optional<Samples> key;
  } cases[] = {
      {0, 8, 0, [](uint16_t i) { return Samples{uint16_t(i * 5)}; }, Samples{10}},
      {0, 4, 1, [](uint16_t i) { return Samples{uint16_t(i % 16)}; }, Samples{3}},
      {0, 16, 0, [](uint16_t i) { return Samples{uint16_t(i * 1111)}; }, Samples{2222}},
      {4, 8, 1, [](uint16_t i) { return Samples{uint16_t(i * 3), uint16_t(i * 29 % 256)}; }, {}},
      {2, 16, 1, [](uint16_t i) { return Samples{uint16_t(i * 999), uint16_t(65535 - i), 7}; }, {}},
      {6, 8, 0, [](uint16_t i) { return Samples{uint16_t(i % 7 * 9), 246, 63, uint16_t(i * 41 % 256)}; }, {}},
      {3, 4, 0, [](uint16_t i) { return Samples{uint16_t(i % 16)}; }, {}},
  };
  for (const auto& c : cases) {
    PngShape s{.width = 9, .height = 6, .depth = c.depth, .type = c.type, .interlace = c.interlace};
    for (uint16_t i = 0; i < 54; ++i) s.pixels.push_back(c.samples(i));
    if (c.type == 3) s.chunks = {test::Plte(table), test::Chunk("tRNS", {255, 0})};
    if (c.key) {
      test::Bytes key;
      for (uint16_t v : *c.key) key.u8(v >> 8).u8(v);
      s.chunks.push_back(test::Chunk("tRNS", key.data));
    }
    const LoadedBitmap b = Read(Put("kind.png", BuildPng(s)));
    ColourMapping expected;
    for (size_t i = 0; i < 54; ++i) {
      const auto colour = ColourOf(s, s.pixels[i], table, c.type == 3 && s.pixels[i][0] == 1 ? s.pixels[i] : c.key);
      const int difference = colour ? ColourDifference(*colour, GamePalette[b.BMPPixels[i]]) : 0;
      expected.offPalette += difference > 0;
      expected.largestDifference = std::max(expected.largestDifference, difference);
      expected.madeTransparent += difference > 0 && b.BMPPixels[i] == TransparentIndex;
    }
    EXPECT_GT(expected.offPalette, 0u) << int(c.type);
    EXPECT_EQ(b.Mapping, expected) << int(c.type) << " " << int(c.depth);
  }
  // Opaque truecolour: exact, off twice by 5, made transparent by its alpha,
  // and game colour 9 itself, which becomes 8 (9 away, as is 10).
  PngShape rgba{.width = 5, .type = 6};
  rgba.pixels = {{5, 250, 35, 255}, {23, 233, 140, 255}, {23, 233, 140, 200}, {1, 2, 3, 127}, {9, 246, 63, 255}};
  const LoadedBitmap b = Read(Put("rgba.png", BuildPng(rgba)));
  EXPECT_EQ(b.BMPPixels, (Pixels{5, 20, 20, 9, 8}));
  EXPECT_EQ(b.Mapping, (ColourMapping{3, 9, 0}));
}

// Floyd-Steinberg as a textbook writes it, over the whole image at once:
// errors in sixteenths, a pixel's value its own plus its error rounded (halves
// up) and clamped, the nearest game colour but 9 by brute force.
Pixels ReferenceDither(const std::vector<std::optional<PaletteEntry>>& image, int w, int h) {
  std::vector<std::array<int, 3>> error(image.size(), {0, 0, 0});
  Pixels out(image.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = size_t(y * w + x);
      if (!image[i]) {
        out[i] = TransparentIndex;
        continue;
      }
      const int own[3] = {image[i]->Red, image[i]->Green, image[i]->Blue};
      int v[3];
      for (int c = 0; c < 3; ++c) v[c] = std::clamp(own[c] + int(std::floor((error[i][c] + 8) / 16.0)), 0, 255);
      int best = -1, bestDistance = 1000;
      for (int g = 0; g < 256; ++g) {
        const PaletteEntry& e = GamePalette[size_t(g)];
        const int d = std::abs(v[0] - e.Red) + std::abs(v[1] - e.Green) + std::abs(v[2] - e.Blue);
        if (g != TransparentIndex && d < bestDistance) best = g, bestDistance = d;
      }
      out[i] = uint8_t(best);
      const PaletteEntry& e = GamePalette[size_t(best)];
      const int got[3] = {e.Red, e.Green, e.Blue};
      for (const auto& [dx, dy, weight] : {std::array{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}})
        if (x + dx >= 0 && x + dx < w && y + dy < h)
          for (int c = 0; c < 3; ++c) error[size_t((y + dy) * w + x + dx)][c] += weight * (v[c] - got[c]);
    }
  return out;
}

// Grey 100 over a palette of black (0 and most others), white (1) and grey
// 100 itself at 9. By hand: (0,0) 100 is black, +100 spread; (1,0) gets 7/16
// of it, 144, white, -111 spread; (0,1) 100 + (500 - 333) / 16 = 110, black;
// (1,1) 100 + (100 - 555 + 770) / 16 = 120, black. With (1,0) transparent
// instead: (0,1) 100 + 500 / 16 = 131, white; (1,1) 100 + (100 - 868) / 16 =
// 52, black. Without dithering all are black; never is one 9.
TEST_F(ColourMatchTest, DitheringSpreadsTheErrorSevenThreeFiveAndOneSixteenthsAndNeverGivesNine) {
  GamePalette = Palette{};
  GamePalette[1] = Rgb(255, 255, 255);
  GamePalette[TransparentIndex] = Rgb(100, 100, 100);
  const struct {
    PngShape shape;
    Pixels dithered, nearest;
    ColourMapping mapping;
  } cases[] = {
      {{.width = 2, .height = 2, .type = 2, .pixels = std::vector<Samples>(4, {100, 100, 100})},
       {0, 1, 0, 0}, {0, 0, 0, 0}, {4, 465, 0}},
      {{.width = 2, .height = 2, .type = 0, .pixels = std::vector<Samples>(4, {100})}, {0, 1, 0, 0}, {0, 0, 0, 0},
       {4, 465, 0}},
      {{.width = 2, .height = 2, .type = 6,
        .pixels = {{100, 100, 100, 255}, {100, 100, 100, 0}, {100, 100, 100, 128}, {100, 100, 100, 255}}},
       {0, 9, 1, 0}, {0, 9, 0, 0}, {3, 465, 0}},
  };
  for (const auto& c : cases) {
    const std::string file = Put("grey.png", BuildPng(c.shape));
    const LoadedBitmap dithered = Read(file, ColourMatch::Dither);
    EXPECT_EQ(dithered.BMPPixels, c.dithered) << int(c.shape.type);
    EXPECT_EQ(dithered.Mapping, c.mapping) << int(c.shape.type);
    EXPECT_EQ(Read(file).BMPPixels, c.nearest) << int(c.shape.type);
  }

  // A gradient over the distinct palette, plain and interlaced (dithered once
  // the whole image is in), some pixels transparent, as the reference does it.
  GamePalette = test::DistinctPalette();
  for (uint8_t interlace : {0, 1}) {
    PngShape s{.width = 11, .height = 5, .type = 6, .interlace = interlace};
    std::vector<std::optional<PaletteEntry>> image;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 11; ++x) {
        const Samples p{uint16_t(x * 23), uint16_t(200 - y * 30), uint16_t(x * y * 5), uint16_t((x + y) % 6 ? 255 : 0)};
        s.pixels.push_back(p);
        image.push_back(p[3] ? std::optional(Rgb(p[0], p[1], p[2])) : std::nullopt);
      }
    const Pixels expected = ReferenceDither(image, 11, 5);
    EXPECT_EQ(Read(Put("gradient.png", BuildPng(s)), ColourMatch::Dither).BMPPixels, expected) << int(interlace);
    EXPECT_NE(Read(dir.File("gradient.png")).BMPPixels, expected);
  }
}

}  // namespace
}  // namespace quilmark
