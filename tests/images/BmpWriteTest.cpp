// Writing 8-bit BMP files: the bytes, padding and row order, and the atomic
// replacement of the target.
#include <gtest/gtest.h>

#include <filesystem>

#include "ImageTestSupport.h"
#include "images/modBmp.h"

namespace quilmark {
namespace {

// The 54 header bytes of an uncompressed 8-bit, 256-colour file, by hand.
std::vector<uint8_t> Header(uint32_t fileSize, uint32_t width, uint32_t height) {
  auto le = [](uint32_t v) {
    return std::vector<uint8_t>{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                                static_cast<uint8_t>(v >> 24)};
  };
  std::vector<uint8_t> h = {'B', 'M'};
  auto add = [&](const std::vector<uint8_t>& v) { h.insert(h.end(), v.begin(), v.end()); };
  add(le(fileSize));
  add({0, 0, 0, 0});
  add({0x36, 0x04, 0, 0});  // 1078
  add({40, 0, 0, 0});
  add(le(width));
  add(le(height));
  add({1, 0, 8, 0});
  add({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  add({0, 1, 0, 0, 0, 1, 0, 0});  // 256 colours used and important
  return h;
}

TEST(WriteBMP, OnePixelWideRowsArePaddedToFourAndStoredBottomUp) {
  test::TempDir dir;
  const Palette palette = test::DistinctPalette();
  ASSERT_TRUE(WriteBMP(dir.File("a.bmp"), {7, 8, 9}, palette, 1, 3, true));
  const auto file = test::ReadFile(dir.File("a.bmp"));
  ASSERT_EQ(file.size(), 1090u);
  std::vector<uint8_t> expected = Header(1090, 1, 3);
  for (const PaletteEntry& e : palette) expected.insert(expected.end(), {e.Blue, e.Green, e.Red, 0});
  expected.insert(expected.end(), {9, 0, 0, 0, 8, 0, 0, 0, 7, 0, 0, 0});
  EXPECT_EQ(file, expected);
}

TEST(WriteBMP, WidthsOfFourAreNotPadded) {
  test::TempDir dir;
  std::vector<uint8_t> pixels(8 * 2);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i);
  ASSERT_TRUE(WriteBMP(dir.File("b.bmp"), pixels, test::DistinctPalette(), 8, 2, true));
  const auto file = test::ReadFile(dir.File("b.bmp"));
  ASSERT_EQ(file.size(), 1078u + 16u);
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 54), Header(1094, 8, 2));
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 1078, file.end()),
            (std::vector<uint8_t>{8, 9, 10, 11, 12, 13, 14, 15, 0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(WriteBMP, WithoutFlippingTheBufferIsWrittenAsItIs) {
  test::TempDir dir;
  ASSERT_TRUE(WriteBMP(dir.File("c.bmp"), {1, 2, 3}, test::DistinctPalette(), 1, 3, false));
  const auto file = test::ReadFile(dir.File("c.bmp"));
  ASSERT_EQ(file.size(), 1081u);
  EXPECT_EQ(file[2], 0x39);  // 1081 = 0x439
  EXPECT_EQ(file[3], 0x04);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 1078, file.end()), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(WriteBMP, ALongerOldFileIsReplacedWhole) {
  test::TempDir dir;
  test::WriteFile(dir.File("d.bmp"), std::vector<uint8_t>(5000, 0xAB));
  ASSERT_TRUE(WriteBMP(dir.File("d.bmp"), {1, 2, 3, 4}, test::DistinctPalette(), 2, 2, true));
  EXPECT_EQ(test::ReadFile(dir.File("d.bmp")).size(), 1078u + 8u);
}

TEST(WriteBMP, AMissingFolderFailsAndLeavesNothing) {
  test::TempDir dir;
  std::string why;
  EXPECT_FALSE(WriteBMP(dir.File("no/such/e.bmp"), {1}, test::DistinctPalette(), 1, 1, true, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.File("no")));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(WriteBMP, AFailedWriteKeepsTheOldFile) {
  test::TempDir dir;
  test::WriteFile(dir.File("f.bmp"), {1, 2, 3});
  // A buffer shorter than its sizes is refused before anything is written.
  std::string why;
  EXPECT_FALSE(WriteBMP(dir.File("f.bmp"), {1, 2, 3}, test::DistinctPalette(), 2, 2, true, &why));
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(test::ReadFile(dir.File("f.bmp")), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(WriteBMP(dir.File("f.bmp"), {}, test::DistinctPalette(), -1, 1, true));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(WriteBMP, OutputReadsBackThroughAnIndependentDecoder) {
  test::TempDir dir;
  const int w = 13, h = 7;
  std::vector<uint8_t> pixels(w * h);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i * 37 + 11) & 255);
  const Palette palette = test::DistinctPalette();
  ASSERT_TRUE(WriteBMP(dir.File("g.bmp"), pixels, palette, w, h, true));
  const auto file = test::ReadFile(dir.File("g.bmp"));
  const test::PlainBmp p = test::ParsePlainBmp(file);
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.fileSize, file.size());
  EXPECT_EQ(p.offset, 1078u);
  EXPECT_EQ(p.headerSize, 40u);
  EXPECT_EQ(p.bitCount, 8);
  EXPECT_EQ(p.colours, 256u);
  EXPECT_EQ(p.width, w);
  EXPECT_EQ(p.height, h);
  EXPECT_EQ(p.pixels, pixels);
  ASSERT_EQ(p.table.size(), 1024u);
  EXPECT_EQ(p.table[4 * 100 + 2], 100);  // red of entry 100
}

TEST(WriteBMP, RoundTripGivesTheSameIndicesOrTheFirstDuplicate) {
  test::TempDir dir;
  std::vector<uint8_t> pixels(256);
  for (size_t i = 0; i < 256; ++i) pixels[i] = static_cast<uint8_t>(i);
  {
    test::PaletteScope scope(test::DistinctPalette());
    ASSERT_TRUE(WriteBMP(dir.File("h.bmp"), pixels, GamePalette, 16, 16, true));
    LoadedBitmap b;
    ASSERT_TRUE(ReadBMP(dir.File("h.bmp"), b));
    EXPECT_EQ(b.BMPPixels, pixels);
  }
  Palette dup = test::DistinctPalette();
  dup[77] = dup[12];
  test::PaletteScope scope(dup);
  ASSERT_TRUE(WriteBMP(dir.File("i.bmp"), pixels, GamePalette, 16, 16, true));
  LoadedBitmap b;
  ASSERT_TRUE(ReadBMP(dir.File("i.bmp"), b));
  std::vector<uint8_t> expected = pixels;
  expected[77] = 12;
  EXPECT_EQ(b.BMPPixels, expected);
}

TEST(ShippedPalette, HasDistinctColoursWithTheKeyAndTheBackground) {
  const auto bytes = test::ReadFile(QUILMARK_SOURCE_DIR "/data/palette.dat");
  ASSERT_EQ(bytes.size(), 768u);
  const Palette p = PaletteFromTriplets(bytes.data(), bytes.size());
  EXPECT_EQ(p[9].Red, 255);
  EXPECT_EQ(p[9].Green, 0);
  EXPECT_EQ(p[9].Blue, 255);
  EXPECT_EQ(p[255].Red + p[255].Green + p[255].Blue, 765);
  // Every colour once, so exported images read back unchanged.
  const auto table = RemapTable(p, p);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(table[static_cast<size_t>(i)], i) << i;
}

}  // namespace
}  // namespace quilmark
