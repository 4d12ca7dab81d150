// The unbranched row decoder with 512-bit vectors. This file alone is built
// for AVX-512; it is called only when the processor offers it.
#include <immintrin.h>

#include "document/RowDecodeLoop.h"

namespace quilmark::rowdecode {
namespace {

struct Avx512 {
  static void Prepare(const uint8_t* code, int32_t count, Prepared& p) {
    const __m512i ones = _mm512_set1_epi8(1), twos = _mm512_set1_epi8(2), low6 = _mm512_set1_epi8(0x3F);
    const __m512i nines = _mm512_set1_epi8(TransparentIndex);
    for (int32_t i = 0; i < count; i += 64) {
      const __m512i c = _mm512_loadu_si512(code + i);
      const __m512i quarter = _mm512_and_si512(_mm512_srli_epi16(c, 2), low6);
      const __m512i half = _mm512_and_si512(_mm512_srli_epi16(c, 1), _mm512_set1_epi8(0x7F));
      const __mmask64 transparent = _mm512_test_epi8_mask(c, ones);
      const __mmask64 literal = _mm512_testn_epi8_mask(c, _mm512_set1_epi8(3));
      const __m512i other = _mm512_mask_blend_epi8(transparent, twos, ones);
      _mm512_store_si512(p.advance + i, _mm512_mask_blend_epi8(literal, other, _mm512_add_epi8(quarter, twos)));
      _mm512_store_si512(p.run + i, _mm512_mask_blend_epi8(transparent, _mm512_add_epi8(quarter, ones), half));
      _mm512_store_si512(p.fill + i, _mm512_mask_blend_epi8(transparent, _mm512_loadu_si512(code + i + 1), nines));
    }
  }
  static void Store(const uint8_t* from, uint8_t* to, bool literal, uint8_t fill) {
    const __m512i out = _mm512_mask_blend_epi8(static_cast<__mmask64>(0ull - literal),
                                               _mm512_set1_epi8(static_cast<char>(fill)), _mm512_loadu_si512(from));
    _mm512_storeu_si512(to, out);
  }
};

}  // namespace

bool DecodeAvx512(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, Position& at) {
  return DecodeLoop<Avx512>(code, count, pixels, size, at);
}

}  // namespace quilmark::rowdecode
