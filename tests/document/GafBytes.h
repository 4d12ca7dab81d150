// GAF files made by hand for the document tests, in the writer's own layout.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace quilmark::test {

// The header of a file of count animations; their entry offsets follow.
inline Bytes GafHeader(int32_t count) { return std::move(Bytes().i32(0x00010100).i32(count).i32(0)); }

// An animation entry: frame count, 1, 0 and the name field (name, 0, spaces to 32 bytes).
inline Bytes& GafEntry(Bytes& b, int frames, const std::string& name) {
  return b.i16(frames).i16(1).i32(0).text(name).u8(0).fill(31 - name.size(), ' ');
}

// A frame record: size, position, transparent index 9, compressed byte,
// subframe count, 0, 0, the offset of its pixels or subframe table, frame rate.
inline Bytes& GafRecord(Bytes& b, int w, int h, int compressed, int subframes, int32_t data, int32_t fps = 0,
                        int x = 0, int y = 0) {
  return b.i16(w).i16(h).i16(x).i16(y).u8(9).u8(uint32_t(compressed)).u8(uint32_t(subframes)).u8(0).i32(0).i32(data)
      .i32(fps);
}

// A file of one animation (entry at 16, frame table at 56) with the given
// frame table of {offset, flag}; the records follow from 56 + 8 × entries.
inline Bytes GafOneAnimation(const std::string& name, const std::vector<std::pair<int32_t, int32_t>>& table) {
  Bytes b = GafHeader(1);
  GafEntry(b.i32(16), int(table.size()), name);
  for (const auto& [offset, flag] : table) b.i32(offset).i32(flag);
  return b;
}

}  // namespace quilmark::test
