// Reading 8-bit BMP files: the accepted forms, the refused ones, and the
// mapping of their colours to the game palette.
#include <gtest/gtest.h>

#include <climits>

#include "ImageTestSupport.h"
#include "images/modBmp.h"

namespace quilmark {
namespace {

using test::BmpShape;
using test::BuildBmp;

// Bitmap colours 0, 1, 2 are game colours 10, 20, 30 of DistinctPalette.
std::vector<uint8_t> ThreeColours() {
  const Palette g = test::DistinctPalette();
  return test::TableOf({g[10], g[20], g[30]});
}

class BmpRead : public ::testing::Test {
 protected:
  test::PaletteScope palette{test::DistinctPalette()};
};

TEST_F(BmpRead, BottomUpRowsArePaddedAndComeBackTopFirst) {
  // 3 × 2, stride 4. Stored bottom row first: bottom = 2 1 0, top = 0 1 2.
  BmpShape s;
  s.width = 3;
  s.height = 2;
  s.clrUsed = 3;
  s.table = ThreeColours();
  s.bits = {2, 1, 0, 0xEE, 0, 1, 2, 0xEE};
  const auto file = BuildBmp(s);
  LoadedBitmap b;
  ASSERT_TRUE(ReadBMPFromMemory(file.data(), file.size(), b));
  EXPECT_EQ(b.BMPInfoHeader.Width, 3);
  EXPECT_EQ(b.BMPInfoHeader.Height, 2);
  EXPECT_FALSE(b.BMPInfoHeader.TopDown);
  EXPECT_EQ(b.BMPPixels, (std::vector<uint8_t>{10, 20, 30, 30, 20, 10}));
  // The file's own table, filled up with zeros.
  EXPECT_EQ(b.BMPPalette[1].Red, 20);
  EXPECT_EQ(b.BMPPalette[1].Green, 235);
  EXPECT_EQ(b.BMPPalette[3].Red, 0);
  EXPECT_EQ(b.BMPPalette[3].Green, 0);
}

TEST_F(BmpRead, TopDownRowsAreKeptInOrder) {
  BmpShape s;
  s.width = 2;
  s.height = -3;
  s.clrUsed = 3;
  s.table = ThreeColours();
  s.bits = {0, 1, 0, 0, 1, 2, 0, 0, 2, 2, 0, 0};
  const auto file = BuildBmp(s);
  LoadedBitmap b;
  ASSERT_TRUE(ReadBMPFromMemory(file.data(), file.size(), b));
  EXPECT_TRUE(b.BMPInfoHeader.TopDown);
  EXPECT_EQ(b.BMPInfoHeader.Height, 3);
  EXPECT_EQ(b.BMPPixels, (std::vector<uint8_t>{10, 20, 20, 30, 30, 30}));
}

TEST_F(BmpRead, V4AndV5HeadersAreRead) {
  for (uint32_t header : {108u, 124u}) {
    BmpShape s;
    s.headerSize = header;
    s.width = 1;
    s.height = 1;
    s.clrUsed = 3;
    s.table = ThreeColours();
    s.bits = {2, 0, 0, 0};
    const auto file = BuildBmp(s);
    LoadedBitmap b;
    ASSERT_TRUE(ReadBMPFromMemory(file.data(), file.size(), b)) << header;
    EXPECT_EQ(b.BMPInfoHeader.Size, header);
    EXPECT_EQ(b.BMPPixels, std::vector<uint8_t>{30});
  }
}

TEST_F(BmpRead, ShortTablesLeaveTheRestBlack) {
  // Two entries declared; pixel value 5 has no entry and so is black.
  BmpShape s;
  s.width = 2;
  s.height = 1;
  s.clrUsed = 2;
  s.table = test::TableOf({test::DistinctPalette()[40], test::DistinctPalette()[41]});
  s.bits = {1, 5, 0, 0};
  const auto file = BuildBmp(s);
  LoadedBitmap b;
  ASSERT_TRUE(DecodeBMP(file.data(), file.size(), b));
  EXPECT_EQ(b.BMPPixels, (std::vector<uint8_t>{1, 5}));
  EXPECT_EQ(b.BMPPalette[5].Red + b.BMPPalette[5].Green + b.BMPPalette[5].Blue, 0);
  const auto table = RemapTable(b.BMPPalette, GamePalette);
  EXPECT_EQ(table[1], 41);
  // Black lies i + (255 - i) + (7i mod 256) from game entry i: nearest at i = 0.
  EXPECT_EQ(table[5], 0);
}

TEST_F(BmpRead, AFullTableImpliedButShortOneWrittenIsTakenAsWritten) {
  // Colours-used 0 means 256, but only three entries lie before the pixels.
  BmpShape s;
  s.width = 1;
  s.height = 1;
  s.clrUsed = 0;
  s.table = ThreeColours();
  s.bits = {1, 0, 0, 0};
  const auto file = BuildBmp(s);
  LoadedBitmap b;
  ASSERT_TRUE(ReadBMPFromMemory(file.data(), file.size(), b));
  EXPECT_EQ(b.BMPPixels, std::vector<uint8_t>{20});
}

TEST_F(BmpRead, Rle8RunsAbsoluteRunsDeltasAndLineEnds) {
  // 4 × 3, rows bottom-up:
  //   bottom: run of 3 × colour 1, then EOL
  //   middle: absolute 0 2 1 (padded), then EOL
  //   top:    delta (2, 0), run 2 × colour 2, end of bitmap
  BmpShape s;
  s.width = 4;
  s.height = 3;
  s.compression = 1;
  s.clrUsed = 3;
  s.table = ThreeColours();
  s.bits = {3, 1, 0, 0, 0, 3, 0, 2, 1, 0, 0, 0, 0, 2, 2, 0, 2, 2, 0, 1};
  const auto file = BuildBmp(s);
  LoadedBitmap b;
  ASSERT_TRUE(DecodeBMP(file.data(), file.size(), b));
  EXPECT_EQ(b.BMPPixels, (std::vector<uint8_t>{0, 0, 2, 2,  //
                                               0, 2, 1, 0,  //
                                               1, 1, 1, 0}));
}

TEST_F(BmpRead, Rle8RunsPastTheRowEndAreClipped) {
  BmpShape s;
  s.width = 2;
  s.height = 1;
  s.compression = 1;
  s.table = ThreeColours();
  s.bits = {200, 1, 0, 1};
  const auto file = BuildBmp(s);
  LoadedBitmap b;
  ASSERT_TRUE(DecodeBMP(file.data(), file.size(), b));
  EXPECT_EQ(b.BMPPixels, (std::vector<uint8_t>{1, 1}));
}

BmpShape OneByOne() {
  BmpShape s;
  s.width = 1;
  s.height = 1;
  s.clrUsed = 3;
  s.table = ThreeColours();
  s.bits = {1, 0, 0, 0};
  return s;
}

TEST_F(BmpRead, OtherDepthsAreRefused) {
  for (uint16_t depth : {1, 4, 16, 24, 32}) {
    BmpShape s = OneByOne();
    s.bitCount = depth;
    s.bits.assign(16, 0);
    const auto file = BuildBmp(s);
    LoadedBitmap b;
    EXPECT_FALSE(ReadBMPFromMemory(file.data(), file.size(), b)) << depth;
  }
}

TEST_F(BmpRead, DamagedHeadersAreRefused) {
  struct Case {
    const char* what;
    void (*change)(BmpShape&);
  };
  const Case cases[] = {
      {"core header", [](BmpShape& s) { s.headerSize = 12; }},
      {"odd header size", [](BmpShape& s) { s.headerSize = 41; }},
      {"two planes", [](BmpShape& s) { s.planes = 2; }},
      {"bit fields", [](BmpShape& s) { s.compression = 3; }},
      {"RLE4", [](BmpShape& s) { s.compression = 2; }},
      {"zero width", [](BmpShape& s) { s.width = 0; }},
      {"negative width", [](BmpShape& s) { s.width = -1; }},
      {"zero height", [](BmpShape& s) { s.height = 0; }},
      {"lowest height", [](BmpShape& s) { s.height = INT_MIN; }},
      {"too many colours", [](BmpShape& s) { s.clrUsed = 257; }},
      {"table longer than its room", [](BmpShape& s) { s.clrUsed = 4; }},
      {"rows missing", [](BmpShape& s) { s.height = 2; }},
      {"huge size", [](BmpShape& s) { s.width = 0x7FFFFFFF; s.height = 0x7FFFFFFF; }},
      {"top-down RLE", [](BmpShape& s) { s.compression = 1; s.height = -1; s.bits = {1, 1, 0, 1}; }},
      {"RLE without its end", [](BmpShape& s) { s.compression = 1; s.bits = {1, 1, 0, 0}; }},
      {"RLE absolute run cut short", [](BmpShape& s) { s.compression = 1; s.bits = {0, 5, 1, 2}; }},
      {"RLE delta cut short", [](BmpShape& s) { s.compression = 1; s.bits = {0, 2, 1}; }},
      {"RLE claiming more than its bytes describe",
       [](BmpShape& s) { s.compression = 1; s.width = 30000; s.height = 30000; s.bits = {0, 1}; }},
  };
  for (const Case& c : cases) {
    BmpShape s = OneByOne();
    c.change(s);
    const auto file = BuildBmp(s);
    LoadedBitmap b;
    EXPECT_FALSE(DecodeBMP(file.data(), file.size(), b)) << c.what;
  }
}

TEST_F(BmpRead, BadSignatureAndBadOffsetsAreRefused) {
  auto file = BuildBmp(OneByOne());
  LoadedBitmap b;
  ASSERT_TRUE(DecodeBMP(file.data(), file.size(), b));
  auto bad = file;
  bad[1] = 'A';
  EXPECT_FALSE(DecodeBMP(bad.data(), bad.size(), b));
  bad = file;
  bad[10] = 0xFF;  // pixel offset beyond the file
  bad[11] = 0xFF;
  EXPECT_FALSE(DecodeBMP(bad.data(), bad.size(), b));
  bad = file;
  bad[10] = 20;  // pixel offset inside the information header
  bad[11] = 0;
  EXPECT_FALSE(DecodeBMP(bad.data(), bad.size(), b));
  EXPECT_FALSE(DecodeBMP(nullptr, 0, b));
}

TEST_F(BmpRead, EveryCutOfAFileShortOfItsPixelsIsRefused) {
  BmpShape s = OneByOne();
  s.width = 5;
  s.height = 3;
  s.bits.assign(24, 1);
  const auto file = BuildBmp(s);
  // The last row may lack its 3 padding bytes; anything shorter is refused.
  for (size_t cut = 0; cut + 3 < file.size(); ++cut) {
    LoadedBitmap b;
    EXPECT_FALSE(DecodeBMP(file.data(), cut, b)) << cut;
  }
  LoadedBitmap b;
  EXPECT_TRUE(DecodeBMP(file.data(), file.size() - 3, b));
}

TEST_F(BmpRead, AFailedReadLeavesTheLastBitmapAsItWas) {
  const auto good = BuildBmp(OneByOne());
  LoadedBitmap b;
  ASSERT_TRUE(ReadBMPFromMemory(good.data(), good.size(), b));
  BmpShape s = OneByOne();
  s.bitCount = 24;
  const auto bad = BuildBmp(s);
  EXPECT_FALSE(ReadBMPFromMemory(bad.data(), bad.size(), b));
  EXPECT_EQ(b.BMPInfoHeader.Width, 1);
  EXPECT_EQ(b.BMPPixels, std::vector<uint8_t>{20});
}

TEST_F(BmpRead, FilesAreReadFromDiskAndMissingOnesRefused) {
  test::TempDir dir;
  test::WriteFile(dir.File("one.bmp"), BuildBmp(OneByOne()));
  LoadedBitmap b;
  ASSERT_TRUE(ReadBMP(dir.File("one.bmp"), b));
  EXPECT_EQ(b.BMPPixels, std::vector<uint8_t>{20});
  EXPECT_FALSE(ReadBMP(dir.File("none.bmp"), b));
  EXPECT_FALSE(ReadBMP(dir.path(), b));  // a folder
}

// ---------------------------------------------------------------- remapping

TEST(RemapToGamePalette, TiesGoToTheLowestIndex) {
  Palette game{};
  for (auto& e : game) e = {200, 200, 200, 0};
  game[3] = {0, 0, 0, 0};
  game[7] = {0, 0, 20, 0};  // red 20
  Palette bitmap{};
  bitmap[0] = {0, 0, 10, 0};  // red 10: 10 from both
  bitmap[1] = {0, 0, 11, 0};  // nearer to 7
  const auto table = RemapTable(bitmap, game);
  EXPECT_EQ(table[0], 3);
  EXPECT_EQ(table[1], 7);
}

TEST(RemapToGamePalette, DuplicatesMapToTheFirstOfThem) {
  Palette game{};
  for (size_t i = 0; i < 256; ++i) game[i] = {static_cast<uint8_t>(i), 0, 0, 0};
  game[200] = game[50];
  Palette bitmap{};
  bitmap[9] = game[200];
  EXPECT_EQ(RemapTable(bitmap, game)[9], 50);
}

TEST(RemapToGamePalette, NothingCloserThan765GivesIndex255) {
  Palette game{};  // all black
  Palette bitmap{};
  bitmap[0] = {255, 255, 255, 0};  // white: 765 from every entry
  bitmap[1] = {255, 255, 254, 0};  // 764 from entry 0
  const auto table = RemapTable(bitmap, game);
  EXPECT_EQ(table[0], 255);
  EXPECT_EQ(table[1], 0);
}

TEST(RemapToGamePalette, ChannelsAreComparedByName) {
  Palette game{};
  for (auto& e : game) e = {128, 128, 128, 0};
  game[1] = {0, 0, 255, 0};  // pure red as stored: blue 0, green 0, red 255
  game[2] = {255, 0, 0, 0};  // pure blue
  Palette bitmap{};
  bitmap[4] = {10, 0, 250, 0};
  LoadedBitmap b;
  b.BMPPalette = bitmap;
  b.BMPPixels = {4, 4};
  RemapToGamePalette(b, game);
  EXPECT_EQ(b.BMPPixels, (std::vector<uint8_t>{1, 1}));
}

}  // namespace
}  // namespace quilmark
