// The row decoder's loop without a branch per element, shared by the
// translation units built for each instruction set. Everything here has
// internal linkage, so that code built with wider instructions can never
// stand in for the plain one at link time.
#pragma once

#include <cstdint>

#include "document/RowCode.h"
#include "document/classGAFFrame.h"

namespace quilmark::rowdecode {

// Where decoding stands: next pixel, next code byte, end of the last pixel written.
struct Position {
  int64_t x;
  int32_t r;
  int64_t last_write;
};

// The unbranched decoders, for pixels from column x up to size that are all 9
// and code that may be read kRowCodePadding bytes past its end. False when an element is
// cut short; otherwise at stops within 64 pixels of the end or at the code's
// end, and the rest is the exact decoder's.
bool DecodeSse2(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, Position& at);
bool DecodeAvx512(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, Position& at);

namespace {

// What the pre-pass works out for every byte of a row's code, as if it were a
// control byte: the code bytes the element takes (1, 2 or (c >> 2) + 2), the
// pixels it covers, and the byte a repeat or transparent run stores (the next
// code byte, or 9); a pass may also work out the code bytes two elements
// take. A form may leave out the entries it takes from kByControl instead.
inline constexpr int32_t kMaxPrepared = 4096;
inline constexpr int32_t kPreparedSlack = 128;
struct Prepared {
  alignas(64) uint8_t advance[kMaxPrepared + kPreparedSlack + 64];
  alignas(64) uint8_t run[kMaxPrepared + kPreparedSlack + 64];
  alignas(64) uint8_t fill[kMaxPrepared + kPreparedSlack + 64];
  alignas(64) uint8_t advance2[kMaxPrepared + kPreparedSlack + 64];
};

// The pixels and code bytes of an element, by its control byte.
struct ControlTable {
  uint8_t run[256];
  uint8_t advance[256];
};
constexpr ControlTable MakeControlTable() {
  ControlTable t{};
  for (int c = 0; c < 256; ++c) {
    t.run[c] = static_cast<uint8_t>((c & 1) ? c >> 1 : (c >> 2) + 1);
    t.advance[c] = static_cast<uint8_t>((c & 1) ? 1 : (c & 2) ? 2 : (c >> 2) + 2);
  }
  return t;
}
alignas(64) inline constexpr ControlTable kByControl = MakeControlTable();

// One element at a time from at, while 64 pixels can be stored. Kinds and
// lengths come from tables (Isa::Run, Isa::Advance) rather than from
// branches, which random sprite rows would mispredict at almost every
// element. Every element stores 64 bytes (Isa::Store): its own pixels (a
// transparent run's as 9, which they are already), then whatever; the next
// element stores over the excess, and the excess of the last one goes back
// to 9.
template <class Isa>
inline bool Steps(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, const Prepared& p,
                  Position& at) {
  // Kept in registers: the pixel stores could otherwise alias them.
  int64_t x = at.x, last = at.last_write;
  int32_t r = at.r;
  const int64_t limit = size - 64;
  while (r < count && x <= limit) {
    const uint32_t c = code[r];
    Isa::Store(code + r + 1, pixels + x, (c & 3) == 0, p.fill[r]);
    x += Isa::Run(p, c, r);
    last = (c & 1) ? last : x;
    r += Isa::Advance(p, c, r);
  }
  if (r > count) return false;  // the last element was cut short
  if (size - x >= 64) {
    Isa::Store(code, pixels + x, false, TransparentIndex);  // 64 of 9
  } else {
    for (int64_t i = x; i < size; ++i) pixels[i] = TransparentIndex;
  }
  at = {x, r, last};
  return true;
}

// Rows of more code than a Prepared holds are left to the exact decoder.
template <class Isa>
inline bool DecodeLoop(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, Position& at) {
  if (count > kMaxPrepared) return true;
  Prepared p;
  Isa::Prepare(code, count, p);
  return Steps<Isa>(code, count, pixels, size, p, at);
}

}  // namespace
}  // namespace quilmark::rowdecode
