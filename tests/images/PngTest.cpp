// PNG files: every colour type, bit depth and interlacing mapped to game
// indices, transparency, refused files, the files written, and the
// export reporting what a PNG cannot hold. Input files are built by ImageTestSupport.h;
// written files are read back with libspng itself.
#include <spng.h>

#include <functional>

#include "../document/HeapWatch.h"
#include "ImageTestSupport.h"
#include "images/FrameImages.h"
#include "images/ImageFile.h"
#include "images/modPng.h"

namespace quilmark {
namespace {

using Pixels = std::vector<uint8_t>;
using test::BuildPng;
using test::Chunk;
using test::PngShape;
using test::Plte;
using test::Samples;
using test::With;

// Game entry i is grey 255 - i: grey level v is game index 255 - v.
Palette GreyRamp() {
  Palette p{};
  for (int i = 0; i < 256; ++i) p[size_t(i)] = {uint8_t(255 - i), uint8_t(255 - i), uint8_t(255 - i), 0};
  return p;
}

class Png : public test::ImageTest {
 protected:
  LoadedBitmap Read(const PngShape& shape) {
    const std::string file = Put("in.png", BuildPng(shape));
    LoadedBitmap fromFile, fromMemory, dispatched;
    const auto bytes = test::ReadFile(file);
    EXPECT_TRUE(ReadPNG(file, fromFile));
    EXPECT_TRUE(ReadPNGFromMemory(bytes.data(), bytes.size(), fromMemory));
    EXPECT_TRUE(ReadImage(file, dispatched));
    EXPECT_EQ(fromFile.BMPPixels, fromMemory.BMPPixels);
    EXPECT_EQ(fromFile.BMPPixels, dispatched.BMPPixels);
    return fromFile;
  }
};

// 9 × 6 pixels reach every Adam7 pass. Each case gives a pixel's samples and
// the game index expected for a pixel number, so that the image holds every
// sample value the depth has.
TEST_F(Png, EveryColourTypeAndDepthMapsToTheNearestGameColours) {
  const Palette distinct = test::DistinctPalette(), grey = GreyRamp();
  const auto game = [&](size_t i) { return distinct[i]; };
  const struct {
    const char* what;
    uint8_t type, depth;
    const Palette& palette;
    std::function<Samples(uint32_t)> samples;
    std::function<uint8_t(uint32_t)> expected;
    std::vector<uint8_t> key{};  // the tRNS chunk's data: a colour key
  } cases[] = {
      {"grey 1", 0, 1, grey, [](uint32_t i) { return Samples{uint16_t(i % 2)}; },
       [](uint32_t i) { return uint8_t(i % 2 ? 0 : 255); }},
      {"grey 2", 0, 2, grey, [](uint32_t i) { return Samples{uint16_t(i % 4)}; },
       [](uint32_t i) { return uint8_t(255 - i % 4 * 85); }},
      {"grey 4", 0, 4, grey, [](uint32_t i) { return Samples{uint16_t(i % 16)}; },
       [](uint32_t i) { return uint8_t(255 - i % 16 * 17); }},
      {"grey 8", 0, 8, grey, [](uint32_t i) { return Samples{uint16_t(i * 5)}; },
       [](uint32_t i) { return uint8_t(255 - i * 5); }},
      // The high byte counts; the low one is noise.
      {"grey 16", 0, 16, grey, [](uint32_t i) { return Samples{uint16_t(i * 4 << 8 | (i * 37 & 0xFF))}; },
       [](uint32_t i) { return uint8_t(255 - i * 4); }},
      // Alpha 127 (32767) is transparent, 128 (32768) is not.
      {"grey+alpha 8", 4, 8, grey, [](uint32_t i) { return Samples{uint16_t(i), uint16_t(i % 3 ? 128 : 127)}; },
       [](uint32_t i) { return uint8_t(i % 3 ? 255 - i : 9); }},
      {"grey+alpha 16", 4, 16, grey,
       [](uint32_t i) { return Samples{uint16_t(i << 8 | 0xFF), uint16_t(i % 3 ? 0x8000 : 0x7FFF)}; },
       [](uint32_t i) { return uint8_t(i % 3 ? 255 - i : 9); }},
      {"truecolour 8", 2, 8, distinct,
       [&](uint32_t i) { return Samples{game(i * 4).Red, game(i * 4).Green, game(i * 4).Blue}; },
       [](uint32_t i) { return uint8_t(i * 4); }},
      {"truecolour 16", 2, 16, distinct,
       [&](uint32_t i) {
         const PaletteEntry c = game(i * 4);
         return Samples{uint16_t(c.Red << 8 | 0xA5), uint16_t(c.Green << 8 | 0x5A), uint16_t(c.Blue << 8 | i)};
       },
       [](uint32_t i) { return uint8_t(i * 4); }},
      // An opaque pixel never becomes 9: pixel 9, of game colour 9, takes the
      // colour nearest to it among the others, 8 in this palette.
      {"truecolour+alpha 8", 6, 8, distinct,
       [&](uint32_t i) { return Samples{game(i).Red, game(i).Green, game(i).Blue, uint16_t(i % 2 ? 255 : 0)}; },
       [](uint32_t i) { return uint8_t(i == 9 ? 8 : i % 2 ? i : 9); }},
      {"truecolour+alpha 16", 6, 16, distinct,
       [&](uint32_t i) {
         const PaletteEntry c = game(i + 100);
         return Samples{uint16_t(c.Red << 8), uint16_t(c.Green << 8), uint16_t(c.Blue << 8 | 0xFF),
                        uint16_t(i % 2 ? 0x8000 : 0x7FFF)};
       },
       [](uint32_t i) { return uint8_t(i % 2 ? i + 100 : 9); }},
      // Key colours are the file's exact samples, all 16 bits of them.
      {"grey 16 keyed", 0, 16, grey, [](uint32_t i) { return Samples{uint16_t(i % 2 ? 0x1235 : 0x1234)}; },
       [](uint32_t i) { return uint8_t(i % 2 ? 255 - 0x12 : 9); }, {0x12, 0x34}},
      {"truecolour 8 keyed", 2, 8, distinct,
       [&](uint32_t i) { return Samples{game(40 + i % 2).Red, game(40 + i % 2).Green, game(40 + i % 2).Blue}; },
       [](uint32_t i) { return uint8_t(i % 2 ? 9 : 40); }, {0, game(41).Red, 0, game(41).Green, 0, game(41).Blue}},
  };
  for (const auto& c : cases) {
    GamePalette = c.palette;
    for (uint8_t interlace : {0, 1}) {
      PngShape s{.width = 9, .height = 6, .depth = c.depth, .type = c.type, .interlace = interlace};
      if (!c.key.empty()) s.chunks = {Chunk("tRNS", c.key)};
      Pixels expected;
      for (uint32_t i = 0; i < 54; ++i) s.pixels.push_back(c.samples(i)), expected.push_back(c.expected(i));
      const LoadedBitmap b = Read(s);
      EXPECT_EQ(b.BMPPixels, expected) << c.what << " interlace " << int(interlace);
      EXPECT_EQ(std::tuple(b.BMPInfoHeader.Width, b.BMPInfoHeader.Height, b.OwnColourTable), std::tuple(9, 6, false));
    }
  }
}

// A colour table of 2^depth entries: entry k is game colour (200 - k) mod 256, the last
// one with alpha 127 (transparent), the one before with 128 (opaque).
TEST_F(Png, PalettisedFilesOfEveryDepthMapThroughTheirOwnTable) {
  for (uint8_t depth : {1, 2, 4, 8}) {
    for (uint8_t interlace : {0, 1}) {
      const unsigned entries = 1u << depth;
      std::vector<PaletteEntry> table;
      for (unsigned k = 0; k < entries; ++k) table.push_back(GamePalette[uint8_t(200 - k)]);
      std::vector<uint8_t> alpha(entries, 255);
      alpha[entries - 1] = 127;
      alpha[entries - 2] = 128;
      PngShape s{.width = 11, .height = 5, .depth = depth, .type = 3, .interlace = interlace,
                 .chunks = {Plte(table), Chunk("tRNS", alpha)}};
      Pixels own, expected;
      for (uint32_t i = 0; i < 55; ++i) {
        const uint16_t k = uint16_t(i * 7 % entries);
        s.pixels.push_back({k});
        own.push_back(uint8_t(k));
        expected.push_back(k == entries - 1 ? 9 : uint8_t(200 - k));
      }
      EXPECT_EQ(Read(s).BMPPixels, expected) << int(depth) << " " << int(interlace);
      // Undecoded: the file's indices, its table and which entries it makes
      // transparent; mapping them afterwards gives the same.
      const auto bytes = BuildPng(s);
      LoadedBitmap raw;
      ASSERT_TRUE(DecodePNG(bytes.data(), bytes.size(), raw));
      EXPECT_EQ(raw.BMPPixels, own);
      EXPECT_TRUE(raw.OwnColourTable);
      EXPECT_EQ(raw.TransparentEntries.count(), 1u);
      EXPECT_TRUE(raw.TransparentEntries[entries - 1]);
      std::vector<PaletteEntry> filled = table;
      filled.resize(256);  // entries the file lacks are black
      EXPECT_EQ(test::TableOf({raw.BMPPalette.begin(), raw.BMPPalette.end()}), test::TableOf(filled));
      RemapToGamePalette(raw);
      EXPECT_EQ(raw.BMPPixels, expected);
    }
  }
}

// Colours are matched one by one by the rule of the colour tables, and each
// distinct colour is looked up once however many there are (more than a
// million switch the lookup to a table over every colour).
TEST_F(Png, TruecolourMatchesLikeAColourTableForAnyNumberOfColours) {
  std::mt19937 rng(5);
  Palette colours;
  for (PaletteEntry& c : colours) c = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
  const std::array<uint8_t, 256> table = RemapTable(colours, GamePalette);
  for (size_t i = 0; i < 256; ++i) EXPECT_EQ(NearestColour(colours[i], GamePalette), table[i]) << i;

  PngShape s{.width = 1100, .height = 1000, .type = 2};
  std::vector<uint32_t> rgb(size_t(s.width) * s.height);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint32_t(i * 15 % (1u << 24));  // all different
  for (uint32_t c : rgb) s.pixels.push_back({uint16_t(c >> 16), uint16_t(c >> 8 & 255), uint16_t(c & 255)});
  // A file of some megabytes, read a piece at a time: a text chunk larger
  // than a piece, then IDAT chunks whose ends fall anywhere in the pieces.
  std::vector<uint8_t> text{'C', 'o', 'm', 'm', 'e', 'n', 't', 0};
  text.resize(100000, 'q');
  s.chunks = {Chunk("tEXt", text)};
  s.idatPiece = 40000;
  const auto file = BuildPng(s);
  LoadedBitmap b, fromFile;
  ASSERT_TRUE(ReadPNGFromMemory(file.data(), file.size(), b));
  ASSERT_TRUE(ReadPNG(Put("many.png", file), fromFile));
  EXPECT_EQ(fromFile.BMPPixels, b.BMPPixels);
  ASSERT_EQ(b.BMPPixels.size(), rgb.size());
  for (size_t i = 0; i < rgb.size(); i += 997) {
    const PaletteEntry c{uint8_t(rgb[i]), uint8_t(rgb[i] >> 8), uint8_t(rgb[i] >> 16), 0};
    EXPECT_EQ(b.BMPPixels[i], NearestOpaqueColour(c, GamePalette)) << i;
  }
}

TEST_F(Png, AlphaMakesNineAndWithoutAColourTableTheDecoderGivesGameIndices) {
  // A pixel made transparent by its alpha is 9; opaque white is 255, and 9
  // too with white as transparent.
  GamePalette[255] = {255, 255, 255, 0};
  const auto bytes = BuildPng({.width = 3, .type = 6, .pixels = {{255, 255, 255, 0}, {255, 255, 255, 255}, {0, 255, 0, 100}}});
  classGAFFrame plain, white;
  ASSERT_TRUE(ImportFrame(plain, Put("w.png", bytes)));
  ASSERT_TRUE(ImportFrame(white, dir.File("w.png"), false, true));
  EXPECT_EQ(plain.Pixels, (Pixels{9, 255, 9}));
  EXPECT_EQ(white.Pixels, (Pixels{9, 9, 9}));
  // Without a colour table the decoder already gives game indices.
  LoadedBitmap raw;
  ASSERT_TRUE(DecodePNG(bytes.data(), bytes.size(), raw));
  EXPECT_FALSE(raw.OwnColourTable);
  EXPECT_EQ(raw.BMPPixels, plain.Pixels);
  EXPECT_EQ(test::TableOf({raw.BMPPalette.begin(), raw.BMPPalette.end()}),
            test::TableOf({GamePalette.begin(), GamePalette.end()}));
}

// The bytes of a chunk start after its 8-byte head.
size_t ChunkAt(const std::vector<uint8_t>& file, const std::string& type) {
  for (size_t at = 8; at + 8 <= file.size();) {
    if (std::string(file.begin() + ptrdiff_t(at) + 4, file.begin() + ptrdiff_t(at) + 8) == type) return at;
    at += 12 + (size_t(file[at]) << 24 | size_t(file[at + 1]) << 16 | size_t(file[at + 2]) << 8 | file[at + 3]);
  }
  return std::string::npos;
}

TEST_F(Png, DamagedHugeAndForeignFilesAreRefusedLikeBitmaps) {
  PngShape s{.width = 7, .height = 7};
  for (int i = 0; i < 49; ++i) s.pixels.push_back({uint16_t(i * 5)});
  const auto good = BuildPng(s);
  LoadedBitmap b;
  ASSERT_TRUE(ReadPNGFromMemory(good.data(), good.size(), b));
  const Pixels before = b.BMPPixels;
  std::vector<std::pair<std::string, std::vector<uint8_t>>> bad;
  bad.emplace_back("a BMP", test::BuildBmp({}));
  for (const char* chunk : {"IHDR", "IDAT"}) {
    auto file = good;
    file[ChunkAt(file, chunk) + 8] ^= 1;  // a bit of the data, so the CRC fails
    bad.emplace_back(std::string("bad CRC in ") + chunk, file);
  }
  // Cut anywhere up to the end of the image data.
  for (size_t cut = 0; cut < ChunkAt(good, "IEND") - 4; ++cut)
    bad.emplace_back("cut at " + std::to_string(cut), std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(cut)));
  // Sides beyond a frame's, a claim the file cannot hold, and a table of colours missing.
  bad.emplace_back("40000 wide", BuildPng({.width = 40000, .depth = 1, .pixels = std::vector<Samples>(40000, {0})}));
  bad.emplace_back("30000 x 30000 in a tiny file",
                   BuildPng(With(s, [](PngShape& c) { c.claimedWidth = c.claimedHeight = 30000; })));
  bad.emplace_back("no PLTE", BuildPng(With(s, [](PngShape& c) { c.type = 3; })));
  // Palettised: a damaged table, an index past its end, more transparency
  // entries than colours, and a damaged end.
  PngShape indexed{.width = 7, .height = 7, .type = 3, .chunks = {Plte({GamePalette[1], GamePalette[2], GamePalette[3]})}};
  for (int i = 0; i < 49; ++i) indexed.pixels.push_back({uint16_t(i % 3)});
  const auto table = BuildPng(indexed);
  LoadedBitmap whole;
  ASSERT_TRUE(ReadPNGFromMemory(table.data(), table.size(), whole));
  for (const char* chunk : {"PLTE", "IEND"}) {
    auto file = table;
    file[ChunkAt(file, chunk) + 8] ^= 1;
    bad.emplace_back(std::string("bad CRC in ") + chunk, file);
  }
  bad.emplace_back("an index past the table", BuildPng(With(indexed, [](PngShape& c) { c.pixels[48] = {3}; })));
  bad.emplace_back("tRNS longer than PLTE",
                   BuildPng(With(indexed, [](PngShape& c) { c.chunks.push_back(Chunk("tRNS", {0, 255, 255, 255})); })));
  for (const auto& [what, file] : bad) {
    const test::HeapWatch heap(1 << 20);
    EXPECT_FALSE(ReadPNGFromMemory(file.data(), file.size(), b)) << what;
    EXPECT_FALSE(DecodePNG(file.data(), file.size(), b)) << what;
    test::WriteFile(dir.File("bad.png"), file);
    EXPECT_FALSE(ReadImage(dir.File("bad.png"), b)) << what;
    EXPECT_LE(heap.LargestRequest(), 1u << 16) << what;  // the file's read-ahead at most
  }
  EXPECT_EQ(b.BMPPixels, before);  // untouched by every refusal
  // An image the heap cannot hold: refused, not thrown.
  const auto bigFile = BuildPng({.width = 2000, .height = 2000, .depth = 1, .pixels = std::vector<Samples>(4000000, {1})});
  {
    const test::HeapWatch heap(1 << 20);
    EXPECT_FALSE(ReadPNGFromMemory(bigFile.data(), bigFile.size(), b));
  }
  ASSERT_TRUE(ReadPNGFromMemory(bigFile.data(), bigFile.size(), b));
}

// libspng's own reading of a written file, as 8-bit RGBA.
std::vector<uint8_t> DecodeWithLibspng(const std::vector<uint8_t>& file, spng_ihdr& ihdr) {
  spng_ctx* ctx = spng_ctx_new(0);
  spng_set_png_buffer(ctx, file.data(), file.size());
  spng_get_ihdr(ctx, &ihdr);
  size_t size = 0;
  spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size);
  std::vector<uint8_t> rgba(size);
  EXPECT_EQ(spng_decode_image(ctx, rgba.data(), rgba.size(), SPNG_FMT_RGBA8, SPNG_DECODE_TRNS), 0);
  spng_ctx_free(ctx);
  return rgba;
}

TEST_F(Png, WrittenFilesHoldTheGameColoursWithIndexNineTransparent) {
  const int w = 17, h = 16;
  Pixels pixels(size_t(w * h));
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i);
  const std::string file = dir.File("out.png");
  test::WriteFile(file, std::vector<uint8_t>(5000, 0xAB));  // a longer old file is replaced whole
  ASSERT_TRUE(WritePNG(file, pixels, w, h, GamePalette));
  const auto bytes = test::ReadFile(file);
  spng_ihdr ihdr{};
  const std::vector<uint8_t> rgba = DecodeWithLibspng(bytes, ihdr);
  EXPECT_EQ(std::tuple(ihdr.width, ihdr.height, ihdr.bit_depth, ihdr.color_type), std::tuple(17u, 16u, 8, 3));
  ASSERT_EQ(rgba.size(), pixels.size() * 4);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const PaletteEntry& c = GamePalette[pixels[i]];
    EXPECT_EQ(std::vector<uint8_t>(rgba.begin() + ptrdiff_t(4 * i), rgba.begin() + ptrdiff_t(4 * i + 4)),
              (std::vector<uint8_t>{c.Red, c.Green, c.Blue, uint8_t(pixels[i] == 9 ? 0 : 255)}))
        << i;
  }
  // Read back: the same indices (the game colours are all different).
  LoadedBitmap b;
  ASSERT_TRUE(ReadImage(file, b));
  EXPECT_EQ(b.BMPPixels, pixels);
  // Failures leave the old file and nothing else, and say why.
  std::string noFolder, empty, shortBuffer;
  EXPECT_FALSE(WritePNG(dir.File("no/such/a.png"), pixels, w, h, GamePalette, &noFolder));
  EXPECT_FALSE(WritePNG(file, Pixels{}, 0, 0, GamePalette, &empty));
  EXPECT_FALSE(WritePNG(file, Pixels{1, 2, 3}, 2, 2, GamePalette, &shortBuffer));
  EXPECT_FALSE(noFolder.empty() || empty.empty() || shortBuffer.empty());
  EXPECT_EQ(test::ReadFile(file), bytes);
  EXPECT_EQ(test::FileNames(dir.path()), std::set<std::string>{"out.png"});
}

// A frame a PNG cannot hold (0 × 0, as an unreadable import leaves it) is
// reported; the rest are written.
TEST_F(Png, ExportReportsAFrameAPngCannotHold) {
  std::filesystem::create_directory(dir.File("png"));
  classGAF withEmpty;
  test::AddAnimation(withEmpty, "a",
                     {test::MakeFrame(2, 1, {1, 2}), std::make_shared<classGAFFrame>(), test::MakeFrame(1, 1, {3})});
  const ExportReport report = ExportAllImages(withEmpty, dir.File("png/"), ImageFormat::Png);
  EXPECT_EQ(std::tuple(report.written, report.failed), std::tuple(2, 1));
  ASSERT_EQ(report.failedFiles, std::vector<std::string>{dir.File("png/a_02.png")});
}

}  // namespace
}  // namespace quilmark
