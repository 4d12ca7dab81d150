#include "document/RowCode.h"

#include <algorithm>
#include <cstring>

#include "document/RowDecodeLoop.h"
#include "document/classGAFFrame.h"
#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace quilmark {

std::optional<uint8_t> SetFlagBits(int start, uint8_t mask) {
  for (int value = start; value <= 255; ++value)
    if (value >= 0 && (value & mask) == mask) return static_cast<uint8_t>(value);
  return std::nullopt;
}

namespace {

// Length of the run of value v that starts at row[x].
inline int32_t RunEnd(const uint8_t* row, int32_t x, int32_t width, uint8_t v) {
  const uint64_t pattern = 0x0101010101010101ull * v;
  while (x + 8 <= width) {
    uint64_t word;
    std::memcpy(&word, row + x, 8);
    const uint64_t diff = word ^ pattern;
    if (diff) return x + (__builtin_ctzll(diff) >> 3);
    x += 8;
  }
  while (x < width && row[x] == v) ++x;
  return x;
}

}  // namespace

// The encoder works pixel by pixel in principle: it keeps a transparent count,
// a repeat count and a literal count (never two above 0 at once), the previous
// pixel and whether a repeat is under way, and emits a run when it reaches its
// limit or when a pixel of another kind ends it. A repeat starts at the second
// of two equal pixels and takes the first one along from the literal run,
// unless that pixel was the 55th of a literal run and left with it.
//
// Nothing depends on more than the current run of equal pixels, so the loop
// below takes whole runs at a time and produces the same bytes.
bool EncodeRowPixels(const uint8_t* row, int32_t width, std::vector<uint8_t>& code) {
  if (width <= 0) {
    code.clear();
    return true;
  }
  // Worst case is 1.5 bytes per pixel (isolated pixels between transparent ones).
  code.resize(static_cast<size_t>(width) * 2 + 16);
  uint8_t* out = code.data();
  int32_t transparent = 0;
  int32_t repeat = 0;
  uint8_t repeat_value = 0;
  int32_t literal = 0;
  int32_t literal_start = 0;

  auto emit_transparent = [&] {
    *out++ = static_cast<uint8_t>(2 * transparent + 1);
    transparent = 0;
  };
  auto emit_repeat = [&] {
    *out++ = static_cast<uint8_t>(4 * (repeat - 1) + 2);
    *out++ = repeat_value;
    repeat = 0;
  };
  auto emit_literal = [&] {
    *out++ = static_cast<uint8_t>(4 * (literal - 1));
    std::memcpy(out, row + literal_start, static_cast<size_t>(literal));
    out += literal;
    literal = 0;
  };

  int32_t x = 0;
  while (x < width) {
    const uint8_t v = row[x];
    const int32_t end = RunEnd(row, x + 1, width, v);
    const int32_t length = end - x;
    if (v == TransparentIndex) {
      if (repeat > 0) {
        emit_repeat();
      } else if (literal > 0) {
        emit_literal();
      }
      transparent = length;
      while (transparent >= kMaxTransparentRun) {
        *out++ = static_cast<uint8_t>(2 * kMaxTransparentRun + 1);
        transparent -= kMaxTransparentRun;
      }
    } else {
      if (transparent > 0) {
        emit_transparent();
      } else if (repeat > 0) {
        emit_repeat();
      }
      if (literal == 0) literal_start = x;
      int32_t repeated;
      if (length == 1) {
        if (++literal == kMaxLiteralRun) emit_literal();
        // Pixels each unlike the next all go to the literal run; nothing else
        // can be pending while they do.
        for (x = end; x < width; ++x) {
          const uint8_t w = row[x];
          if (w == TransparentIndex || (x + 1 < width && row[x + 1] == w)) break;
          if (literal == 0) literal_start = x;
          if (++literal == kMaxLiteralRun) emit_literal();
        }
        repeat = 0;
        continue;
      } else if (literal == kMaxLiteralRun - 1) {
        // The run's first pixel completes a literal run and leaves with it.
        literal = kMaxLiteralRun;
        emit_literal();
        repeated = length - 1;
      } else {
        if (literal > 0) emit_literal();
        repeated = length;
      }
      repeat_value = v;
      while (repeated >= kMaxRepeatRun) {
        *out++ = static_cast<uint8_t>(4 * (kMaxRepeatRun - 1) + 2);
        *out++ = v;
        repeated -= kMaxRepeatRun;
      }
      repeat = repeated;
    }
    x = end;
  }
  if (transparent > 0) {
    emit_transparent();
  } else if (repeat > 0) {
    emit_repeat();
  } else if (literal > 0) {
    emit_literal();
  }
  code.resize(static_cast<size_t>(out - code.data()));
  return code.size() <= static_cast<size_t>(kMaxRowCodeBytes);
}

namespace {

// The decoder as the code reads, element by element, from column x and read
// position r. last_write becomes the end of the last pixel written.
bool DecodeExact(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, int64_t x, int32_t r,
                 int64_t& last_write) {
  int64_t last = last_write;  // in a register: the pixel writes could alias it
  while (r < count) {
    const uint8_t c = code[r++];
    if (c & 1) {
      x += c >> 1;
      continue;
    }
    const int32_t m = (c >> 2) + 1;
    if (c & 2) {
      if (r >= count) return false;
      if (x < 0 || x + m > size) return false;
      std::memset(pixels + x, code[r], static_cast<size_t>(m));
      r += 1;
    } else {
      if (m > count - r) return false;
      if (x < 0 || x + m > size) return false;
      std::memcpy(pixels + x, code + r, static_cast<size_t>(m));
      r += m;
    }
    x += m;
    last = x;
  }
  last_write = last;
  return true;
}

#if defined(__x86_64__)
struct Sse2 {
  static void Prepare(const uint8_t* code, int32_t count, rowdecode::Prepared& p) {
    const __m128i ones = _mm_set1_epi8(1), twos = _mm_set1_epi8(2), low6 = _mm_set1_epi8(0x3F);
    for (int32_t i = 0; i < count; i += 16) {
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(code + i));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(code + i + 1));
      const __m128i quarter = _mm_and_si128(_mm_srli_epi16(c, 2), low6);
      const __m128i half = _mm_and_si128(_mm_srli_epi16(c, 1), _mm_set1_epi8(0x7F));
      const __m128i transparent = _mm_cmpeq_epi8(_mm_and_si128(c, ones), ones);
      const __m128i literal = _mm_cmpeq_epi8(_mm_and_si128(c, _mm_set1_epi8(3)), _mm_setzero_si128());
      const __m128i other = _mm_sub_epi8(twos, _mm_and_si128(c, ones));
      const __m128i advance = Select(literal, _mm_add_epi8(quarter, twos), other);
      const __m128i run = Select(transparent, half, _mm_add_epi8(quarter, ones));
      const __m128i fill = Select(transparent, _mm_set1_epi8(TransparentIndex), next);
      _mm_store_si128(reinterpret_cast<__m128i*>(p.advance + i), advance);
      _mm_store_si128(reinterpret_cast<__m128i*>(p.run + i), run);
      _mm_store_si128(reinterpret_cast<__m128i*>(p.fill + i), fill);
    }
  }
  static void Store(const uint8_t* from, uint8_t* to, bool literal, uint8_t fill) {
    const __m128i keep_literal = _mm_set1_epi8(static_cast<char>(0 - literal));
    const __m128i filler = _mm_set1_epi8(static_cast<char>(fill));
    for (int i = 0; i < 4; ++i) {
      const __m128i from_code = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16 * i), Select(keep_literal, from_code, filler));
    }
  }
  // Bytes of a where mask is set, of b elsewhere.
  static __m128i Select(__m128i mask, __m128i a, __m128i b) {
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
  }
};

using UnbranchedDecoder = bool (*)(const uint8_t*, int32_t, uint8_t*, int64_t, rowdecode::Position&);

UnbranchedDecoder Unbranched(RowDecoder kind) {
  switch (kind) {
    case RowDecoder::Sse2: return rowdecode::DecodeSse2;
    case RowDecoder::Avx512: return rowdecode::DecodeAvx512;
    default: return nullptr;
  }
}
#endif

}  // namespace

#if defined(__x86_64__)
bool rowdecode::DecodeSse2(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, Position& at) {
  return DecodeLoop<Sse2>(code, count, pixels, size, at);
}
#endif

bool RowDecoderAvailable(RowDecoder kind) {
  switch (kind) {
    case RowDecoder::Exact: return true;
#if defined(__x86_64__)
    case RowDecoder::Sse2: return true;
    case RowDecoder::Avx512: return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#endif
    default: return false;
  }
}

RowDecoder BestRowDecoder() {
  for (RowDecoder kind : {RowDecoder::Avx512, RowDecoder::Sse2})
    if (RowDecoderAvailable(kind)) return kind;
  return RowDecoder::Exact;
}

bool DecodeRowPixels(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, int64_t start) {
  int64_t last_write = 0;
  return DecodeExact(code, count, pixels, size, start, 0, last_write);
}

bool DecodeRowsPixelsWith(RowDecoder kind, const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size,
                          int64_t start, bool code_padded, int64_t& written_end) {
  int64_t last_write = written_end;
  bool ok;
#if defined(__x86_64__)
  if (const UnbranchedDecoder fast = Unbranched(kind); fast && code_padded && start >= written_end && start >= 0) {
    rowdecode::Position at{start, 0, last_write};
    ok = fast(code, count, pixels, size, at) && DecodeExact(code, count, pixels, size, at.x, at.r, at.last_write);
    last_write = at.last_write;
  } else
#else
  (void)kind;
  (void)code_padded;
#endif
    ok = DecodeExact(code, count, pixels, size, start, 0, last_write);
  written_end = std::max(written_end, last_write);
  return ok;
}

bool DecodeRowsPixels(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, int64_t start,
                      bool code_padded, int64_t& written_end) {
  static const RowDecoder best = BestRowDecoder();
  return DecodeRowsPixelsWith(best, code, count, pixels, size, start, code_padded, written_end);
}

bool classGAFFrame::DecodeRow(const uint8_t* buffer, int32_t count, int32_t yrow) {
  const int64_t start = static_cast<int64_t>(yrow) * width_;
  return DecodeRowPixels(buffer, count, Pixels.data(), static_cast<int64_t>(Pixels.size()), start);
}

bool classGAFFrame::EncodeRow(int32_t y, std::vector<uint8_t>& code) const {
  const int64_t start = static_cast<int64_t>(y) * width_;
  if (width_ <= 0 || start < 0 || start + width_ > static_cast<int64_t>(Pixels.size())) {
    // Rows that are not (fully) held read as 0, like a freshly resized image.
    std::vector<uint8_t> row(width_ > 0 ? static_cast<size_t>(width_) : 0, 0);
    for (int32_t x = 0; x < width_; ++x) {
      const int64_t at = start + x;
      if (at >= 0 && at < static_cast<int64_t>(Pixels.size())) row[static_cast<size_t>(x)] = Pixels[static_cast<size_t>(at)];
    }
    return EncodeRowPixels(row.data(), width_, code);
  }
  return EncodeRowPixels(Pixels.data() + start, width_, code);
}

}  // namespace quilmark
