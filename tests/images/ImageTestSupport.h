// Helpers of the image tests: hand-built BMP files and a palette to map them to.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../document/TestSupport.h"
#include "images/GamePalette.h"

namespace quilmark::test {

// A game palette whose colours are all distinct: entry i is red i, green
// 255 - i, blue (i * 7) mod 256.
Palette DistinctPalette();

// Pieces of an 8-bit BMP written out field by field.
struct BmpShape {
  int32_t width = 0;
  int32_t height = 0;  // negative: rows top-down
  uint32_t headerSize = 40;
  uint16_t planes = 1;
  uint16_t bitCount = 8;
  uint32_t compression = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
  int32_t pelsPerMeter = 2835;
  std::string signature = "BM";
  uint32_t offset = 0;         // 0: where the bits really start
  std::vector<uint8_t> table;  // raw colour-table bytes (4 per entry)
  std::vector<uint8_t> bits;   // pixel data exactly as stored
};
// The signature, file size, reserved, pixel offset (14 + headerSize + table
// bytes unless given), the information header (zero-filled beyond 40 bytes),
// the table, the bits.
std::vector<uint8_t> BuildBmp(const BmpShape& shape);

// Colour-table bytes of the given colours, in order.
std::vector<uint8_t> TableOf(const std::vector<PaletteEntry>& colours);

// The file WriteBMP is to make of top-first pixels: 40-byte header, no
// resolution, 256 colours used and important, rows bottom-up, zero-padded.
std::vector<uint8_t> WrittenBmp(int32_t width, int32_t height, const std::vector<uint8_t>& pixels,
                                const Palette& palette);

// A test with DistinctPalette as the game palette (restored afterwards) and
// a folder of its own.
class ImageTest : public ::testing::Test {
 protected:
  ImageTest() { GamePalette = DistinctPalette(); }
  ~ImageTest() override { GamePalette = saved_; }
  const Palette saved_ = GamePalette;
  TempDir dir;

  // Writes w × h game indices (top row first, missing ones 1) as dir/name, a
  // BMP whose table is GamePalette reversed (file index = 255 - game index),
  // so that only the remap gives them back.
  std::string Bitmap(const std::string& name, int32_t w, int32_t h, std::vector<uint8_t> indices = {});
};

}  // namespace quilmark::test
