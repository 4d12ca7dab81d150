// BMP files: the accepted forms and the refused ones, the mapping of their
// colours to the game palette, and the bytes written.

#include <sys/stat.h>

#include <climits>
#include <tuple>

#include "../document/HeapWatch.h"
#include "ImageTestSupport.h"
#include "images/modBmp.h"

namespace quilmark {
namespace {

using test::BmpShape;
using test::With;
using Bmp = test::ImageTest;

// w × h of the given bits, whose table's colours 0, 1, 2 are game colours 10,
// 20 and 30 of DistinctPalette.
BmpShape Shape(int32_t w, int32_t h, std::vector<uint8_t> bits, uint32_t clrUsed = 3, uint32_t compression = 0) {
  const Palette g = test::DistinctPalette();
  return {.width = w, .height = h, .compression = compression, .clrUsed = clrUsed,
          .table = test::TableOf({g[10], g[20], g[30]}), .bits = std::move(bits)};
}

TEST_F(Bmp, AcceptedFormsGiveTopFirstRowsOfGameIndices) {
  const Palette& g = GamePalette;
  const std::tuple<const char*, BmpShape, std::vector<uint8_t>> cases[] = {
      // Stored bottom row first, each padded to 4 bytes.
      {"bottom-up", Shape(3, 2, {2, 1, 0, 0xEE, 0, 1, 2, 0xEE}), {10, 20, 30, 30, 20, 10}},
      {"top-down", Shape(2, -3, {0, 1, 0, 0, 1, 2, 0, 0, 2, 2, 0, 0}), {10, 20, 20, 30, 30, 30}},
      {"V4 header", With(Shape(1, 1, {2, 0, 0, 0}), [](BmpShape& s) { s.headerSize = 108; }), {30}},
      {"V5 header", With(Shape(1, 1, {2, 0, 0, 0}), [](BmpShape& s) { s.headerSize = 124; }), {30}},
      // The OS/2 form is always bottom-up, its colours three bytes each.
      {"core header", With(Shape(3, 2, {2, 1, 0, 0xEE, 0, 1, 2, 0xEE}), [](BmpShape& s) { s.headerSize = 12; }),
       {10, 20, 30, 30, 20, 10}},
      // Index 5 has no entry, so is black, nearest to game entry 0.
      {"short table", With(Shape(2, 1, {1, 5, 0, 0}, 2), [&](BmpShape& s) { s.table = test::TableOf({g[40], g[41]}); }),
       {41, 0}},
      {"full table implied, three written", Shape(1, 1, {1, 0, 0, 0}, 0), {20}},
      // Bottom: run 3 × 1, EOL; middle: absolute 0 2 1 (padded), EOL; top:
      // delta (2, 0), run 2 × 2, end. Pixels no code reaches are index 0.
      {"RLE8", Shape(4, 3, {3, 1, 0, 0, 0, 3, 0, 2, 1, 0, 0, 0, 0, 2, 2, 0, 2, 2, 0, 1}, 3, 1),
       {10, 10, 30, 30, 10, 30, 20, 10, 20, 20, 20, 10}},
      {"RLE8 run past the row end", Shape(2, 1, {200, 1, 0, 1}, 3, 1), {20, 20}},
      // Streams that stop without their end code keep what they drew.
      {"RLE8 stopping after an end of line", Shape(2, 2, {2, 1, 0, 0}, 3, 1), {10, 10, 20, 20}},
      {"RLE8 stopping inside a row", Shape(3, 2, {2, 1, 0, 0, 1, 2}, 3, 1), {30, 10, 10, 20, 20, 10}},
      {"RLE8 stopping on an unpadded literal", Shape(3, 1, {0, 3, 2, 1, 0}, 3, 1), {30, 20, 10}},
  };
  for (const auto& [what, shape, pixels] : cases) {
    LoadedBitmap b;
    ASSERT_TRUE(ReadBMP(Put("a.bmp", test::BuildBmp(shape)), b)) << what;
    EXPECT_EQ(b.BMPPixels, pixels) << what;
    EXPECT_EQ(std::tuple(b.BMPInfoHeader.Size, b.BMPInfoHeader.Width, b.BMPInfoHeader.Height, b.BMPInfoHeader.TopDown),
              std::tuple(shape.headerSize, shape.width, std::abs(shape.height), shape.height < 0)) << what;
    std::vector<uint8_t> table = shape.table;  // the file's own, filled up with zeros
    table.resize(1024, 0);
    EXPECT_EQ(test::TableOf({b.BMPPalette.begin(), b.BMPPalette.end()}), table) << what;
  }
  // A large image of one run and its end code: a few bytes for a million pixels.
  LoadedBitmap big;
  ASSERT_TRUE(ReadBMP(Put("big.bmp", test::BuildBmp(Shape(1024, 1024, {255, 1, 0, 1}, 3, 1))), big));
  ASSERT_EQ(big.BMPPixels.size(), 1024u * 1024u);
  EXPECT_EQ(big.BMPPixels[1023 * 1024 + 254], 20);  // the bottom row, stored first
  EXPECT_EQ(big.BMPPixels[1023 * 1024 + 255], 10);
}

TEST_F(Bmp, HostileShortAndUnsupportedFilesAreRefusedAndChangeNothing) {
  const std::pair<const char*, void (*)(BmpShape&)> cases[] = {
      {"4 bits", [](BmpShape& s) { s.bitCount = 4; }},
      {"24 bits", [](BmpShape& s) { s.bitCount = 24; s.bits.assign(16, 0); }},
      {"signature", [](BmpShape& s) { s.signature = "BA"; }},
      {"pixel offset past the end", [](BmpShape& s) { s.offset = 0xFFFF; }},
      {"pixel offset inside the header", [](BmpShape& s) { s.offset = 20; }},
      {"two planes", [](BmpShape& s) { s.planes = 2; }},
      {"RLE4", [](BmpShape& s) { s.compression = 2; }},
      {"zero width", [](BmpShape& s) { s.width = 0; }},
      {"negative width", [](BmpShape& s) { s.width = -1; }},
      {"zero height", [](BmpShape& s) { s.height = 0; }},
      {"lowest height", [](BmpShape& s) { s.height = INT_MIN; }},
      {"too many colours", [](BmpShape& s) { s.clrUsed = 257; }},
      {"table longer than its room", [](BmpShape& s) { s.clrUsed = 4; }},
      {"rows missing", [](BmpShape& s) { s.height = 2; }},
      {"huge size", [](BmpShape& s) { s.width = 0x7FFFFFFF; s.height = 0x7FFFFFFF; }},
      {"wider than a frame", [](BmpShape& s) { s.width = 32768; s.bits.assign(32768, 1); }},
      {"higher than a frame", [](BmpShape& s) { s.height = -32768; s.bits.assign(4 * 32768, 1); }},
      {"top-down RLE", [](BmpShape& s) { s.compression = 1; s.height = -1; s.bits = {1, 1, 0, 1}; }},
      {"RLE cut inside a code", [](BmpShape& s) { s.compression = 1; s.bits = {1, 1, 0}; }},
      {"RLE absolute run cut short", [](BmpShape& s) { s.compression = 1; s.bits = {0, 5, 1, 2}; }},
      {"RLE delta cut short", [](BmpShape& s) { s.compression = 1; s.bits = {0, 2, 1}; }},
      {"RLE claiming more than its bytes describe",
       [](BmpShape& s) { s.compression = 1; s.width = 30000; s.height = 30000; s.bits = {0, 1}; }},
      // Sizes are unsigned in the OS/2 form: 40000 is too wide for a frame, not negative.
      {"core header, 4 bits", [](BmpShape& s) { s.headerSize = 12; s.bitCount = 4; }},
      {"core header, zero width", [](BmpShape& s) { s.headerSize = 12; s.width = 0; }},
      {"core header, rows missing", [](BmpShape& s) { s.headerSize = 12; s.height = 2; }},
      {"core header, wider than a frame",
       [](BmpShape& s) { s.headerSize = 12; s.width = 40000; s.bits.assign(40000, 1); }},
  };
  const auto good = test::BuildBmp(Shape(1, 1, {1, 0, 0, 0}));
  LoadedBitmap b;
  ASSERT_TRUE(ReadBMPFromMemory(good.data(), good.size(), b));
  for (const auto& [what, change] : cases) {
    const auto file = test::BuildBmp(With(Shape(1, 1, {1, 0, 0, 0}), change));
    EXPECT_FALSE(ReadBMPFromMemory(file.data(), file.size(), b)) << what;
  }
  // Cut short: the last row may lack its 3 padding bytes, anything shorter is refused.
  const auto file = test::BuildBmp(Shape(5, 3, std::vector<uint8_t>(24, 1)));
  for (size_t cut = 0; cut + 3 < file.size(); ++cut) EXPECT_FALSE(ReadBMPFromMemory(file.data(), cut, b)) << cut;
  // Only regular files are read: a pipe without a writer must not be waited on.
  ASSERT_EQ(mkfifo(dir.File("pipe.bmp").c_str(), 0600), 0);
  for (const std::string& path : {dir.File("none.bmp"), dir.path(), std::string("/dev/zero"), dir.File("pipe.bmp")})
    EXPECT_FALSE(ReadBMP(path, b)) << path;
  EXPECT_EQ(b.BMPInfoHeader.Width, 1);    // still the last bitmap read
  EXPECT_EQ(b.BMPPixels, std::vector<uint8_t>{20});
  ASSERT_TRUE(DecodeBMP(file.data(), file.size() - 3, b));
  EXPECT_EQ(b.BMPPixels, std::vector<uint8_t>(15, 1));  // the file's own indices
}

// Claims are weighed against the frame limit and the bytes the file holds
// before anything of their size is asked for; the rest of a file is read only
// then. The stream bytes each claim would need are holes of the file.
TEST_F(Bmp, HugeClaimsAreRefusedBeforeTheirSizeIsAllocated) {
  for (const auto& [w, h] : {std::pair{160000, 160000}, {65536, 65536}, {32768, 1}}) {
    const auto bytes = test::BuildBmp(Shape(w, h, {0, 1}, 3, 1));
    const std::string file = dir.File("huge.bmp");
    test::WriteFile(file, bytes);
    std::filesystem::resize_file(file, bytes.size() + (uint64_t(w) * uint64_t(h) + 255) / 256);
    LoadedBitmap b;
    const test::HeapWatch heap(1 << 20);
    EXPECT_FALSE(ReadBMPFromMemory(bytes.data(), bytes.size(), b)) << w;
    EXPECT_FALSE(ReadBMP(file, b)) << w;
    EXPECT_LT(heap.LargestRequest(), 1u << 16) << w;
  }
}

TEST(RemapToGamePalette, NearestBySumOfChannelsTiesAndDuplicatesToTheLowestIndex) {
  Palette game{};
  for (auto& e : game) e = {200, 200, 200, 0};
  game[1] = {0, 0, 255, 0};  // pure red (blue, green, red as stored)
  game[3] = {0, 0, 0, 0};
  game[7] = {0, 0, 20, 0};
  game[50] = game[60] = {90, 0, 0, 0};
  LoadedBitmap b;
  b.BMPPalette[0] = {0, 0, 10, 0};    // 10 from both 3 and 7
  b.BMPPalette[1] = {0, 0, 11, 0};    // nearer to 7
  b.BMPPalette[2] = {90, 0, 0, 0};    // 50 and 60 alike
  b.BMPPalette[4] = {10, 0, 250, 0};  // red by name, not by position
  b.BMPPixels = {0, 1, 2, 4, 4};
  RemapToGamePalette(b, game);
  EXPECT_EQ(b.BMPPixels, (std::vector<uint8_t>{3, 7, 50, 1, 1}));
  // Against all black, nothing closer than 765 gives 255.
  b.BMPPalette[0] = {255, 255, 255, 0};
  b.BMPPalette[1] = {255, 255, 254, 0};  // 764 from every entry
  EXPECT_EQ(RemapTable(b.BMPPalette, Palette{})[0], 255);
  EXPECT_EQ(RemapTable(b.BMPPalette, Palette{})[1], 0);
}

// The bytes are those of a file built field by field (ImageTestSupport.h);
// that the reader takes them back is held by the explode-implode round trips.
TEST_F(Bmp, WrittenRowsArePaddedToFourAndStoredBottomUp) {
  const std::string file = dir.File("a.bmp");
  test::WriteFile(file, std::vector<uint8_t>(5000, 0xAB));  // a longer old file is replaced whole
  for (const auto& [w, h] : {std::pair{1, 3}, {8, 2}, {13, 7}}) {
    std::vector<uint8_t> pixels(size_t(w * h));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * 37 + 11);
    ASSERT_TRUE(WriteBMP(file, pixels, GamePalette, w, h, true));
    EXPECT_EQ(test::ReadFile(file), test::WrittenBmp(w, h, pixels, GamePalette)) << w << " x " << h;
  }
}

TEST_F(Bmp, AFailedWriteLeavesTheOldFileAndNothingElse) {
  std::string missingFolder, shortBuffer;
  EXPECT_FALSE(WriteBMP(dir.File("no/such/e.bmp"), std::vector<uint8_t>{1}, GamePalette, 1, 1, true, &missingFolder));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  test::WriteFile(dir.File("f.bmp"), {1, 2, 3});
  // A buffer shorter than its sizes is refused before anything is written.
  EXPECT_FALSE(WriteBMP(dir.File("f.bmp"), std::vector<uint8_t>{1, 2, 3}, GamePalette, 2, 2, true, &shortBuffer));
  EXPECT_FALSE(missingFolder.empty() || shortBuffer.empty());
  EXPECT_EQ(test::ReadFile(dir.File("f.bmp")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(test::FileNames(dir.path()), std::set<std::string>{"f.bmp"});
}

TEST(ShippedPalette, HasDistinctColoursWithTheKeyAndTheBackground) {
  const auto bytes = test::ReadFile(QUILMARK_SOURCE_DIR "/data/palette.dat");
  ASSERT_EQ(bytes.size(), 768u);
  const Palette p = PaletteFromTriplets(bytes.data(), bytes.size());
  EXPECT_EQ(p[9].Red + p[9].Blue - p[9].Green, 510);  // magenta
  EXPECT_EQ(p[255].Red + p[255].Green + p[255].Blue, 765);
  // Every colour once, so exported images read back unchanged.
  const auto table = RemapTable(p, p);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(table[static_cast<size_t>(i)], i) << i;
}

// A short or missing palette file is reported, and what it lacks reads as 0.
TEST_F(Bmp, ShortPaletteFilesFillWithZerosAndSaySo) {
  const std::string file = dir.File("short.dat");
  test::WriteFile(file, {10, 20, 30, 40, 50});
  EXPECT_FALSE(LoadPalette(file));
  EXPECT_EQ(std::tuple(GamePalette[0].Red, GamePalette[0].Green, GamePalette[0].Blue), std::tuple(10, 20, 30));
  EXPECT_EQ(std::tuple(GamePalette[1].Red, GamePalette[1].Green, GamePalette[1].Blue), std::tuple(40, 50, 0));
  EXPECT_EQ(GamePalette[255].Red + GamePalette[255].Green + GamePalette[255].Blue, 0);
  EXPECT_FALSE(LoadPalette(dir.File("missing.dat")));
  EXPECT_EQ(GamePalette[0].Red, 0);
  std::vector<uint8_t> full(800, 7);
  test::WriteFile(file, full);
  EXPECT_TRUE(LoadPalette(file));  // bytes past the 768th are ignored
  EXPECT_EQ(GamePalette[255].Blue, 7);
}

}  // namespace
}  // namespace quilmark
