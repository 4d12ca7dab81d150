// Little-endian numbers in bytes, as the game's files (GAF, BMP, UFO) store
// them: read from a byte array, written into one or appended to a buffer.
#pragma once

#include <cstdint>
#include <vector>

namespace quilmark::le {

inline uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline int16_t I16(const uint8_t* p) { return static_cast<int16_t>(U16(p)); }
inline int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

inline void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}
inline void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

inline void Append16(std::vector<uint8_t>& bytes, uint32_t value) {
  bytes.push_back(static_cast<uint8_t>(value));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}
inline void Append32(std::vector<uint8_t>& bytes, uint32_t value) {
  Append16(bytes, value & 0xFFFF);
  Append16(bytes, value >> 16);
}

}  // namespace quilmark::le
