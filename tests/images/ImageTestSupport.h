// Helpers of the image tests: hand-built BMP and PNG files and a palette to
// map them to. Input files are written byte by byte from the file formats.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

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
  uint32_t headerSize = 40;       // 12: the old OS/2 form (see BuildBmp)
  uint16_t planes = 1, bitCount = 8;
  uint32_t compression = 0, clrUsed = 0, clrImportant = 0;
  int32_t pelsPerMeter = 2835;
  std::string signature = "BM";
  uint32_t offset = 0;         // 0: where the bits really start
  std::vector<uint8_t> table;  // raw colour-table bytes (4 per entry)
  std::vector<uint8_t> bits;   // pixel data exactly as stored
};

// The signature, file size, reserved, pixel offset, the information header
// (zero-filled beyond 40 bytes), the table, the bits. A header of 12 bytes is
// the old OS/2 form: 16-bit sizes, planes and bit count alone, and colours of
// three bytes (the table's fourth bytes left out).
inline std::vector<uint8_t> BuildBmp(const BmpShape& s) {
  const bool core = s.headerSize == 12;
  std::vector<uint8_t> table;
  for (size_t i = 0; i < s.table.size(); ++i)
    if (!core || i % 4 != 3) table.push_back(s.table[i]);
  Bytes b;
  const uint32_t start = 14 + s.headerSize + uint32_t(table.size());
  b.text(s.signature).i32(int32_t(start + s.bits.size())).i32(0).i32(int32_t(s.offset ? s.offset : start));
  if (core) return b.i32(12).i16(s.width).i16(s.height).i16(s.planes).i16(s.bitCount).raw(table).raw(s.bits).data;
  b.i32(int32_t(s.headerSize)).i32(s.width).i32(s.height).i16(s.planes).i16(s.bitCount);
  b.i32(int32_t(s.compression)).i32(0).i32(s.pelsPerMeter).i32(s.pelsPerMeter);
  b.i32(int32_t(s.clrUsed)).i32(int32_t(s.clrImportant)).fill(s.headerSize > 40 ? s.headerSize - 40 : 0, 0);
  return b.raw(table).raw(s.bits).data;
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

// A copy of a file's shape with one change.
template <class Shape, class Change>
Shape With(Shape s, Change change) {
  change(s);
  return s;
}

// The file WriteBMP is to make of top-first pixels: 40-byte header, no
// resolution, 256 colours used and important, rows bottom-up, zero-padded.
inline std::vector<uint8_t> WrittenBmp(int32_t w, int32_t h, const std::vector<uint8_t>& pixels, const Palette& palette) {
  BmpShape s{.width = w, .height = h, .clrUsed = 256, .clrImportant = 256, .pelsPerMeter = 0,
             .table = TableOf({palette.begin(), palette.end()})};
  for (auto row = pixels.begin() + std::ptrdiff_t(w) * h; row != pixels.begin(); row -= w) {
    s.bits.insert(s.bits.end(), row - w, row);
    s.bits.resize((s.bits.size() + 3) / 4 * 4, 0);
  }
  return BuildBmp(s);
}

// A PNG chunk: length, type, data, CRC.
inline std::vector<uint8_t> Chunk(const std::string& type, const std::vector<uint8_t>& data) {
  const std::vector<uint8_t> body = Bytes().text(type).raw(data).data;
  return Bytes().be32(uint32_t(data.size())).raw(body).be32(uint32_t(crc32(0, body.data(), uInt(body.size())))).data;
}

inline std::vector<uint8_t> Plte(const std::vector<PaletteEntry>& colours) {
  std::vector<uint8_t> d;
  for (const PaletteEntry& c : colours) d.insert(d.end(), {c.Red, c.Green, c.Blue});
  return Chunk("PLTE", d);
}

using Samples = std::vector<uint16_t>;  // one pixel's samples at the file's depth

// A PNG file: IHDR, the extra chunks (PLTE, tRNS), the scanlines (filter 0,
// Adam7 passes when interlaced) deflated in IDAT chunks, IEND.
struct PngShape {
  uint32_t width = 1, height = 1;
  uint8_t depth = 8, type = 0, interlace = 0;
  std::vector<Samples> pixels;  // row by row
  std::vector<std::vector<uint8_t>> chunks;
  uint32_t claimedWidth = 0, claimedHeight = 0;  // written in IHDR instead, when not 0
  size_t idatPiece = SIZE_MAX;                    // the deflated rows in IDAT chunks of this size
};

inline std::vector<uint8_t> Scanlines(const PngShape& s) {
  struct Pass {
    uint32_t x0, y0, dx, dy;
  };
  const std::vector<Pass> passes = s.interlace ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                               : std::vector<Pass>{{0, 0, 1, 1}};
  std::vector<uint8_t> raw;
  for (const Pass& p : passes) {
    if (p.x0 >= s.width) continue;
    for (uint32_t y = p.y0; y < s.height; y += p.dy) {
      raw.push_back(0);
      uint32_t bits = 0, acc = 0;
      for (uint32_t x = p.x0; x < s.width; x += p.dx) {
        for (uint16_t sample : s.pixels[size_t(y) * s.width + x]) {
          if (s.depth == 16) {
            raw.insert(raw.end(), {uint8_t(sample >> 8), uint8_t(sample)});
            continue;
          }
          acc = acc << s.depth | sample;
          bits += s.depth;
          if (bits == 8) raw.push_back(uint8_t(acc)), bits = acc = 0;
        }
      }
      if (bits) raw.push_back(uint8_t(acc << (8 - bits)));
    }
  }
  return raw;
}

inline std::vector<uint8_t> BuildPng(const PngShape& s) {
  Bytes file, ihdr;
  ihdr.be32(s.claimedWidth ? s.claimedWidth : s.width).be32(s.claimedHeight ? s.claimedHeight : s.height);
  ihdr.raw({s.depth, s.type, 0, 0, s.interlace});
  const std::vector<uint8_t> raw = Scanlines(s);
  std::vector<uint8_t> packed(compressBound(uLong(raw.size())));
  uLongf size = packed.size();
  EXPECT_EQ(compress2(packed.data(), &size, raw.data(), uLong(raw.size()), Z_BEST_SPEED), Z_OK);
  packed.resize(size);
  file.raw({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}).raw(Chunk("IHDR", ihdr.data));
  for (const auto& c : s.chunks) file.raw(c);
  for (size_t at = 0; at < packed.size(); at += s.idatPiece)
    file.raw(Chunk("IDAT", {packed.begin() + ptrdiff_t(at),
                            packed.begin() + ptrdiff_t(std::min(packed.size(), at + s.idatPiece))}));
  return file.raw(Chunk("IEND", {})).data;
}

// A test with DistinctPalette as the game palette (restored afterwards) and
// a folder of its own.
class ImageTest : public ::testing::Test {
 protected:
  ImageTest() { GamePalette = DistinctPalette(); }
  ~ImageTest() override { GamePalette = saved_; }
  const Palette saved_ = GamePalette;
  TempDir dir;

  // Writes the bytes as dir/name; the file's path.
  std::string Put(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }

  // Writes w × h game indices (top row first, missing ones 1) as dir/name, a
  // BMP whose table is GamePalette reversed (file index = 255 - game index),
  // so that only the remap gives them back.
  std::string Bitmap(const std::string& name, int32_t w, int32_t h, std::vector<uint8_t> indices = {}) {
    indices.resize(size_t(w) * size_t(h), 1);
    for (uint8_t& p : indices) p = uint8_t(255 - p);
    Palette reversed;
    std::reverse_copy(GamePalette.begin(), GamePalette.end(), reversed.begin());
    return Put(name, WrittenBmp(w, h, indices, reversed));
  }

  // Writes an RLE8 bitmap of w × h pixels of game index 7 as dir/name.
  std::string Rle(const std::string& name, int32_t w, int32_t h) {
    return Put(name, BuildBmp({.width = w, .height = h, .compression = 1, .clrUsed = 1,
                               .table = TableOf({GamePalette[7]}), .bits = RleRows(w, h, 0)}));
  }
};

}  // namespace quilmark::test
