// The unbranched row decoder with 512-bit vectors. This file alone is built
// for AVX-512; it is called only when the processor offers it.
#include <immintrin.h>

#include "document/RowDecodeLoop.h"

namespace quilmark::rowdecode {
namespace {

struct Avx512 {
  // What each byte of 64 would take as a control byte.
  static __m512i Advance(__m512i c) {
    const __m512i ones = _mm512_set1_epi8(1), twos = _mm512_set1_epi8(2);
    const __m512i quarter = _mm512_and_si512(_mm512_srli_epi16(c, 2), _mm512_set1_epi8(0x3F));
    const __m512i other = _mm512_mask_blend_epi8(_mm512_test_epi8_mask(c, ones), twos, ones);
    return _mm512_mask_blend_epi8(_mm512_testn_epi8_mask(c, _mm512_set1_epi8(3)), other,
                                  _mm512_add_epi8(quarter, twos));
  }

  // The fill entries, and the code bytes two elements take: advance[i] +
  // advance[i + advance[i]], looked up among the 128 advances that can
  // follow. Blocks step by 63: lane 63 could look 128 on, and is left to the
  // next block. Runs and advances come from kByControl.
  static void Prepare(const uint8_t* code, int32_t count, Prepared& p) {
    const __m512i ones = _mm512_set1_epi8(1), nines = _mm512_set1_epi8(TransparentIndex);
    const __m512i lanes = _mm512_set_epi8(63, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45,
                                          44, 43, 42, 41, 40, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26,
                                          25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6,
                                          5, 4, 3, 2, 1, 0);
    for (int32_t i = 0; i < count; i += 63) {
      const __m512i c = _mm512_loadu_si512(code + i);
      const __m512i near = Advance(c);
      const __m512i far = Advance(_mm512_loadu_si512(code + i + 64));
      const __mmask64 transparent = _mm512_test_epi8_mask(c, ones);
      _mm512_storeu_si512(p.fill + i, _mm512_mask_blend_epi8(transparent, _mm512_loadu_si512(code + i + 1), nines));
      const __m512i next = _mm512_permutex2var_epi8(near, _mm512_add_epi8(lanes, near), far);
      _mm512_storeu_si512(p.advance2 + i, _mm512_add_epi8(near, next));
    }
  }
  static uint32_t Run(const Prepared&, uint32_t c, int32_t) { return kByControl.run[c]; }
  static uint32_t Advance(const Prepared&, uint32_t c, int32_t) { return kByControl.advance[c]; }
  static void Store(const uint8_t* from, uint8_t* to, bool literal, uint8_t fill) {
    const __m512i out = _mm512_mask_blend_epi8(static_cast<__mmask64>(0ull - literal),
                                               _mm512_set1_epi8(static_cast<char>(fill)), _mm512_loadu_si512(from));
    _mm512_storeu_si512(to, out);
  }
};

// Two elements at a time, so that the step from a pair to the next is one
// load and one add. The second element of the last pair may lie past the
// code's end: it then covers no pixels, and its store lies in the excess that
// goes back to 9.
bool Pairs(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, const Prepared& p, Position& at) {
  int64_t x = at.x, last = at.last_write;
  int64_t r = at.r, end_r = r;  // 64 bits: no widening on the step from pair to pair
  const int64_t limit = size - 64 - 127;
  while (r < count && x <= limit) {
    const uint32_t c1 = code[r];
    const int64_t second = r + kByControl.advance[c1];
    const uint32_t c2 = code[second];
    const bool inside = second < count;
    const int64_t entry = inside ? second : r;  // entries are prepared for the code only
    Avx512::Store(code + r + 1, pixels + x, (c1 & 3) == 0, p.fill[r]);
    x += kByControl.run[c1];
    last = (c1 & 1) ? last : x;
    Avx512::Store(code + second + 1, pixels + x, (c2 & 3) == 0, p.fill[entry]);
    x += inside ? kByControl.run[c2] : 0;
    last = (!inside || (c2 & 1)) ? last : x;
    end_r = inside ? r + p.advance2[r] : second;
    r += p.advance2[r];
  }
  if (end_r > count) return false;  // the last element was cut short
  at = {x, static_cast<int32_t>(end_r < count ? r : end_r), last};
  return true;
}

}  // namespace

bool DecodeAvx512(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, Position& at) {
  if (count > kMaxPrepared) return true;
  Prepared p;
  Avx512::Prepare(code, count, p);
  return Pairs(code, count, pixels, size, p, at) && Steps<Avx512>(code, count, pixels, size, p, at);
}

}  // namespace quilmark::rowdecode
