#include "ImageTestSupport.h"

namespace quilmark::test {

Palette DistinctPalette() {
  Palette p{};
  for (int i = 0; i < 256; ++i) {
    p[static_cast<size_t>(i)].Red = static_cast<uint8_t>(i);
    p[static_cast<size_t>(i)].Green = static_cast<uint8_t>(255 - i);
    p[static_cast<size_t>(i)].Blue = static_cast<uint8_t>((i * 7) & 255);
  }
  return p;
}

std::vector<uint8_t> BuildBmp(const BmpShape& s) {
  Bytes b;
  const uint32_t offset = 14 + s.headerSize + static_cast<uint32_t>(s.table.size());
  b.text("BM").i32(static_cast<int32_t>(offset + s.bits.size())).i16(0).i16(0).i32(static_cast<int32_t>(offset));
  b.i32(static_cast<int32_t>(s.headerSize)).i32(s.width).i32(s.height).i16(s.planes).i16(s.bitCount);
  b.i32(static_cast<int32_t>(s.compression)).i32(0).i32(2835).i32(2835);
  b.i32(static_cast<int32_t>(s.clrUsed)).i32(0);
  if (s.headerSize > 40) b.fill(s.headerSize - 40, 0);
  b.raw(s.table).raw(s.bits);
  return b.data;
}

std::vector<uint8_t> TableOf(const std::vector<PaletteEntry>& colours) {
  std::vector<uint8_t> t;
  for (const PaletteEntry& c : colours) t.insert(t.end(), {c.Blue, c.Green, c.Red, 0});
  return t;
}

namespace {
uint32_t U32(const std::vector<uint8_t>& f, size_t at) {
  return f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (static_cast<uint32_t>(f[at + 3]) << 24);
}
}  // namespace

PlainBmp ParsePlainBmp(const std::vector<uint8_t>& f) {
  PlainBmp p;
  if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return p;
  p.fileSize = U32(f, 2);
  p.offset = U32(f, 10);
  p.headerSize = U32(f, 14);
  p.width = static_cast<int32_t>(U32(f, 18));
  p.height = static_cast<int32_t>(U32(f, 22));
  p.bitCount = static_cast<uint16_t>(f[28] | (f[29] << 8));
  p.colours = U32(f, 46);
  if (p.offset > f.size() || p.width < 0 || p.height < 0) return p;
  p.table.assign(f.begin() + 54, f.begin() + p.offset);
  const size_t stride = (static_cast<size_t>(p.width) + 3) / 4 * 4;
  if (f.size() < p.offset + stride * static_cast<size_t>(p.height)) return p;
  for (int32_t r = p.height - 1; r >= 0; --r) {
    const size_t at = p.offset + static_cast<size_t>(r) * stride;
    p.pixels.insert(p.pixels.end(), f.begin() + static_cast<std::ptrdiff_t>(at),
                    f.begin() + static_cast<std::ptrdiff_t>(at + static_cast<size_t>(p.width)));
  }
  p.ok = true;
  return p;
}

}  // namespace quilmark::test
