#include "ImageTestSupport.h"

#include <algorithm>

namespace quilmark::test {

Palette DistinctPalette() {
  Palette p{};
  for (int i = 0; i < 256; ++i)
    p[static_cast<size_t>(i)] = {static_cast<uint8_t>(i * 7), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i), 0};
  return p;
}

std::vector<uint8_t> BuildBmp(const BmpShape& s) {
  Bytes b;
  const uint32_t start = 14 + s.headerSize + static_cast<uint32_t>(s.table.size());
  const uint32_t offset = s.offset != 0 ? s.offset : start;
  b.text(s.signature).i32(static_cast<int32_t>(start + s.bits.size())).i32(0).i32(static_cast<int32_t>(offset));
  b.i32(static_cast<int32_t>(s.headerSize)).i32(s.width).i32(s.height).i16(s.planes).i16(s.bitCount);
  b.i32(static_cast<int32_t>(s.compression)).i32(0).i32(s.pelsPerMeter).i32(s.pelsPerMeter);
  b.i32(static_cast<int32_t>(s.clrUsed)).i32(static_cast<int32_t>(s.clrImportant));
  b.fill(s.headerSize > 40 ? s.headerSize - 40 : 0, 0);
  return b.raw(s.table).raw(s.bits).data;
}

std::vector<uint8_t> TableOf(const std::vector<PaletteEntry>& colours) {
  std::vector<uint8_t> t;
  for (const PaletteEntry& c : colours) t.insert(t.end(), {c.Blue, c.Green, c.Red, c.Reserved});
  return t;
}

std::vector<uint8_t> WrittenBmp(int32_t width, int32_t height, const std::vector<uint8_t>& pixels,
                                const Palette& palette) {
  BmpShape s;
  s.width = width;
  s.height = height;
  s.clrUsed = s.clrImportant = 256;
  s.pelsPerMeter = 0;
  s.table = TableOf({palette.begin(), palette.end()});
  for (auto row = pixels.begin() + static_cast<std::ptrdiff_t>(width) * height; row != pixels.begin(); row -= width) {
    s.bits.insert(s.bits.end(), row - width, row);
    s.bits.resize((s.bits.size() + 3) / 4 * 4, 0);
  }
  return BuildBmp(s);
}

std::string ImageTest::Bitmap(const std::string& name, int32_t w, int32_t h, std::vector<uint8_t> indices) {
  indices.resize(static_cast<size_t>(w) * static_cast<size_t>(h), 1);
  for (uint8_t& p : indices) p = static_cast<uint8_t>(255 - p);
  Palette reversed;
  std::reverse_copy(GamePalette.begin(), GamePalette.end(), reversed.begin());
  WriteFile(dir.File(name), WrittenBmp(w, h, indices, reversed));
  return dir.File(name);
}

}  // namespace quilmark::test
