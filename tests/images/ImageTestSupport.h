// Helpers of the image tests: hand-built BMP files and a palette to map them to.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "../document/TestSupport.h"
#include "images/GamePalette.h"

namespace quilmark::test {

// A game palette whose colours are all distinct: entry i is red i, green
// 255 - i, blue (i * 7) mod 256.
inline Palette DistinctPalette() {
  Palette p{};
  for (int i = 0; i < 256; ++i) p[size_t(i)] = {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i), 0};
  return p;
}

// Pieces of an 8-bit BMP written out field by field.
struct BmpShape {
  int32_t width = 0, height = 0;  // negative height: rows top-down
  uint32_t headerSize = 40;
  uint16_t planes = 1, bitCount = 8;
  uint32_t compression = 0, clrUsed = 0, clrImportant = 0;
  int32_t pelsPerMeter = 2835;
  std::string signature = "BM";
  uint32_t offset = 0;         // 0: where the bits really start
  std::vector<uint8_t> table;  // raw colour-table bytes (4 per entry)
  std::vector<uint8_t> bits;   // pixel data exactly as stored
};

// The signature, file size, reserved, pixel offset, the information header
// (zero-filled beyond 40 bytes), the table, the bits.
inline std::vector<uint8_t> BuildBmp(const BmpShape& s) {
  Bytes b;
  const uint32_t start = 14 + s.headerSize + uint32_t(s.table.size());
  b.text(s.signature).i32(int32_t(start + s.bits.size())).i32(0).i32(int32_t(s.offset ? s.offset : start));
  b.i32(int32_t(s.headerSize)).i32(s.width).i32(s.height).i16(s.planes).i16(s.bitCount);
  b.i32(int32_t(s.compression)).i32(0).i32(s.pelsPerMeter).i32(s.pelsPerMeter);
  b.i32(int32_t(s.clrUsed)).i32(int32_t(s.clrImportant)).fill(s.headerSize > 40 ? s.headerSize - 40 : 0, 0);
  return b.raw(s.table).raw(s.bits).data;
}

// Colour-table bytes of the given colours, in order.
inline std::vector<uint8_t> TableOf(const std::vector<PaletteEntry>& colours) {
  std::vector<uint8_t> t;
  for (const PaletteEntry& c : colours) t.insert(t.end(), {c.Blue, c.Green, c.Red, c.Reserved});
  return t;
}

// RLE8 code of w × h pixels of one file index: runs of at most 255 pixels,
// an end of line after each row, then the end of the bitmap.
inline std::vector<uint8_t> RleRows(int32_t w, int32_t h, uint8_t index) {
  std::vector<uint8_t> code;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; x += 255) code.insert(code.end(), {uint8_t(std::min(255, w - x)), index});
    code.insert(code.end(), {0, 0});
  }
  code.insert(code.end(), {0, 1});
  return code;
}

// The file WriteBMP is to make of top-first pixels: 40-byte header, no
// resolution, 256 colours used and important, rows bottom-up, zero-padded.
inline std::vector<uint8_t> WrittenBmp(int32_t w, int32_t h, const std::vector<uint8_t>& pixels, const Palette& palette) {
  BmpShape s;
  s.width = w;
  s.height = h;
  s.clrUsed = s.clrImportant = 256;
  s.pelsPerMeter = 0;
  s.table = TableOf({palette.begin(), palette.end()});
  for (auto row = pixels.begin() + std::ptrdiff_t(w) * h; row != pixels.begin(); row -= w) {
    s.bits.insert(s.bits.end(), row - w, row);
    s.bits.resize((s.bits.size() + 3) / 4 * 4, 0);
  }
  return BuildBmp(s);
}

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
  std::string Bitmap(const std::string& name, int32_t w, int32_t h, std::vector<uint8_t> indices = {}) {
    indices.resize(size_t(w) * size_t(h), 1);
    for (uint8_t& p : indices) p = uint8_t(255 - p);
    Palette reversed;
    std::reverse_copy(GamePalette.begin(), GamePalette.end(), reversed.begin());
    WriteFile(dir.File(name), WrittenBmp(w, h, indices, reversed));
    return dir.File(name);
  }

  // Writes an RLE8 bitmap of w × h pixels of game index 7 as dir/name.
  std::string Rle(const std::string& name, int32_t w, int32_t h) {
    BmpShape s;
    s.width = w;
    s.height = h;
    s.compression = 1;
    s.clrUsed = 1;
    s.table = TableOf({GamePalette[7]});
    s.bits = RleRows(w, h, 0);
    WriteFile(dir.File(name), BuildBmp(s));
    return dir.File(name);
  }
};

}  // namespace quilmark::test
