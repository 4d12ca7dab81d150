// Helpers of the image tests: hand-built BMP files and a palette to map them to.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../document/TestSupport.h"
#include "images/GamePalette.h"

namespace quilmark::test {

// A game palette whose colours are all distinct: entry i is red i, green
// 255 - i, blue (i * 7) mod 256.
Palette DistinctPalette();

// Sets GamePalette for the life of the object, restoring it afterwards.
class PaletteScope {
 public:
  explicit PaletteScope(const Palette& p) : saved_(GamePalette) { GamePalette = p; }
  ~PaletteScope() { GamePalette = saved_; }

 private:
  Palette saved_;
};

// Pieces of an 8-bit BMP written out field by field.
struct BmpShape {
  int32_t width = 0;
  int32_t height = 0;  // negative: rows top-down
  uint32_t headerSize = 40;
  uint16_t planes = 1;
  uint16_t bitCount = 8;
  uint32_t compression = 0;
  uint32_t clrUsed = 0;
  std::vector<uint8_t> table;  // raw colour-table bytes (4 per entry)
  std::vector<uint8_t> bits;   // pixel data exactly as stored
};
// "BM", file size, reserved, pixel offset = 14 + headerSize + table bytes,
// the information header (zero-filled beyond 40 bytes), the table, the bits.
std::vector<uint8_t> BuildBmp(const BmpShape& shape);

// A table of n entries where entry i is (blue, green, red) = DistinctPalette's colour c[i].
std::vector<uint8_t> TableOf(const std::vector<PaletteEntry>& colours);

// An independent reading of an uncompressed 8-bit bottom-up BMP as this
// system writes it: the header fields and the top-first pixels.
struct PlainBmp {
  bool ok = false;
  uint32_t fileSize = 0, offset = 0, headerSize = 0, colours = 0;
  int32_t width = 0, height = 0;
  uint16_t bitCount = 0;
  std::vector<uint8_t> table;
  std::vector<uint8_t> pixels;
};
PlainBmp ParsePlainBmp(const std::vector<uint8_t>& file);

}  // namespace quilmark::test
