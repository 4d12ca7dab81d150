// The byte layout of GAF files, shared by the reader and the writer.
//
// Little-endian throughout:
//   header            12 bytes: version, animation count, reserved
//   animation table   count × 4-byte offsets of the animation entries
//   animation entry   40 bytes: frame count (2), reserved (2), reserved (4), name (32)
//   frame table       frame count × (record offset 4, animate flag 4), right after its entry
//   frame record      24 bytes: width, height, x, y (2 each), transparent index,
//                     compressed, subframe count, reserved (1 each), reserved (4),
//                     data offset (4), fps (4)
//   frame data        subframe offset table, or raw pixels, or rows of
//                     (2-byte signed byte count, row code)
// The writer lays everything out in document order with nothing in between;
// the reader follows the offsets wherever they lead.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quilmark::gaf {

inline constexpr int32_t kVersion = 0x00010100;
inline constexpr size_t kHeaderSize = 12;
inline constexpr size_t kEntrySize = 40;
inline constexpr size_t kNameSize = 32;
inline constexpr size_t kFrameEntrySize = 8;
inline constexpr size_t kRecordSize = 24;
inline constexpr int32_t kAnimatedFlag = 2;
inline constexpr int32_t kStillFlag = 10;
inline constexpr int kMaxFrames = 32767;
inline constexpr int kMaxSubframes = 255;

}  // namespace quilmark::gaf
