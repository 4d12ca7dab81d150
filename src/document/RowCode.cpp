#include "document/RowCode.h"

#include <algorithm>
#include <cstring>

#include "document/RowDecodeLoop.h"
#include "document/classGAFFrame.h"
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quilmark {

std::optional<uint8_t> SetFlagBits(int start, uint8_t mask) {
  for (int value = start; value <= 255; ++value)
    if (value >= 0 && (value & mask) == mask) return static_cast<uint8_t>(value);
  return std::nullopt;
}

namespace {

// Bits for 64 pixels (64 bytes readable at pixels): which are transparent,
// and which equal the next one (the last of the 64 is left to the caller).
inline void CompareWord(const uint8_t* pixels, uint64_t& transparent, uint64_t& equal) {
#if defined(__SSE2__)
  const __m128i nines = _mm_set1_epi8(static_cast<char>(TransparentIndex));
  __m128i block[4];
  for (int k = 0; k < 4; ++k) block[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16 * k));
  transparent = equal = 0;
  for (int k = 0; k < 4; ++k) {
    const __m128i next = k < 3 ? _mm_or_si128(_mm_srli_si128(block[k], 1), _mm_slli_si128(block[k + 1], 15))
                               : _mm_srli_si128(block[k], 1);
    transparent |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block[k], nines))))
                   << (16 * k);
    equal |= static_cast<uint64_t>(static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block[k], next))))
             << (16 * k);
  }
#else
  transparent = equal = 0;
  for (int i = 0; i < 64; ++i) {
    transparent |= static_cast<uint64_t>(pixels[i] == TransparentIndex) << i;
    if (i < 63) equal |= static_cast<uint64_t>(pixels[i] == pixels[i + 1]) << i;
  }
#endif
  equal &= ~(1ull << 63);
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
// below takes whole segments of the row at a time and produces the same
// bytes: transparent runs, runs of two or more equal pixels, and stretches of
// pixels each unlike the next. Where segments start is worked out 64 pixels at
// a time with bit masks. Each segment's code is its own, but for one case: a
// stretch whose last literal run holds 54 pixels, followed by a repeat, whose
// first pixel completes it. Segments within the limits are coded without a
// branch on their kind, which random sprite rows would mispredict at almost
// every segment.
size_t EncodeRowInto(const uint8_t* row, int32_t width, uint8_t* const begin) {
  if (width <= 0) return 0;
  // Worst case is 1.5 bytes per pixel (isolated pixels between transparent
  // ones), and a segment may write 65 bytes whatever it keeps: EncodeRoom.
  uint8_t* out = begin;
  // The control byte of the last literal run when it holds 54 pixels.
  uint8_t* open_literal = begin;
  uint32_t completable = 0;

  auto segment = [&](int32_t start, int32_t end, uint32_t transparent, uint32_t repeat) {
    // transparent and repeat are 0 or 1. A repeat's first pixel completing a
    // literal run of 54 joins it.
    const uint32_t join = repeat & completable;
    *open_literal = static_cast<uint8_t>(*open_literal + 4 * join);
    *out = row[start];
    out += join;
    const int32_t from = start + static_cast<int32_t>(join);
    const int32_t length = end - from;
    completable = 0;
    if (length >= kMaxLiteralRun + static_cast<int32_t>(transparent) * (kMaxTransparentRun - kMaxLiteralRun)) {
      // Long segments: full runs, then what is left.
      if (transparent) {
        for (int32_t n = length; n > 0; n -= kMaxTransparentRun)
          *out++ = static_cast<uint8_t>(2 * std::min(n, kMaxTransparentRun) + 1);
      } else if (repeat) {
        for (int32_t n = length; n > 0; n -= kMaxRepeatRun) {
          *out++ = static_cast<uint8_t>(4 * (std::min(n, kMaxRepeatRun) - 1) + 2);
          *out++ = row[from];
        }
      } else {
        for (int32_t at = from; at < end; at += kMaxLiteralRun) {
          const int32_t n = std::min(end - at, kMaxLiteralRun);
          open_literal = out;
          completable = n == kMaxLiteralRun - 1;
          *out++ = static_cast<uint8_t>(4 * (n - 1));
          std::memcpy(out, row + at, static_cast<size_t>(n));
          out += n;
        }
      }
      return;
    }
    // The segment's pixels follow its control byte; a repeat keeps the first
    // of them, a transparent run none. Control byte and length by masks, not
    // by branches on the kind.
    if (from + 64 <= width) {
      std::memcpy(out + 1, row + from, 64);
    } else {
      std::memcpy(out + 1, row + from, static_cast<size_t>(width - from));
    }
    const uint32_t all_t = 0u - transparent, all_r = 0u - repeat;
    const auto n = static_cast<uint32_t>(length);
    const uint32_t opaque_control = 4 * (n - 1) + 2 * repeat;
    out[0] = static_cast<uint8_t>(((2 * n + 1) & all_t) | (opaque_control & ~all_t));
    open_literal = out;
    completable = (1 - transparent) & (1 - repeat) & static_cast<uint32_t>(length == kMaxLiteralRun - 1);
    out += 1 + (((1 & all_r) | (n & ~all_r)) & ~all_t);
  };

  // Pixel i starts a segment when it starts a transparent run, starts a run
  // of equal opaque pixels, or starts a stretch of pixels each unlike both
  // neighbours; the bits of pixel i - 1 carry over from word to word.
  int32_t start = 0;
  uint32_t start_transparent = 0, start_repeat = 0;
  uint64_t carry_t = 0, carry_e = 0, carry_s = 0;
  for (int32_t base = 0; base < width; base += 64) {
    const int32_t held = width - base;
    uint64_t t, e;
    if (held >= 64) {
      CompareWord(row + base, t, e);
      if (held > 64) e |= static_cast<uint64_t>(row[base + 63] == row[base + 64]) << 63;
    } else {
      uint8_t tail[64] = {};
      std::memcpy(tail, row + base, static_cast<size_t>(held));
      CompareWord(tail, t, e);
      const uint64_t valid = (1ull << held) - 1;
      t &= valid;
      e &= valid >> 1;  // the row's last pixel has no next one
    }
    const uint64_t valid = held >= 64 ? ~0ull : (1ull << held) - 1;
    const uint64_t t_before = (t << 1) | carry_t, e_before = (e << 1) | carry_e;
    const uint64_t stretch = ~t & ~e & ~e_before & valid;
    const uint64_t s_before = (stretch << 1) | carry_s;
    uint64_t starts = ((t & ~t_before) | (e & ~e_before & ~t) | (stretch & ~s_before)) & valid;
    carry_t = t >> 63;
    carry_e = e >> 63;
    carry_s = stretch >> 63;
    for (; starts != 0; starts &= starts - 1) {
      const int bit = __builtin_ctzll(starts);
      const int32_t at = base + bit;
      if (at > 0) segment(start, at, start_transparent, start_repeat);
      start = at;
      start_transparent = static_cast<uint32_t>(t >> bit) & 1;
      start_repeat = static_cast<uint32_t>(e >> bit) & 1 & ~start_transparent;
    }
  }
  segment(start, width, start_transparent, start_repeat);
  return static_cast<size_t>(out - begin);
}

bool EncodeRowPixels(const uint8_t* row, int32_t width, std::vector<uint8_t>& code) {
  code.resize(EncodeRoom(width));
  code.resize(EncodeRowInto(row, width, code.data()));
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
  // From the Prepared entries: the step from one element to the next is then
  // a load and an add.
  static uint32_t Run(const rowdecode::Prepared& p, uint32_t, int32_t r) { return p.run[r]; }
  static uint32_t Advance(const rowdecode::Prepared& p, uint32_t, int32_t r) { return p.advance[r]; }
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
    case RowDecoder::Avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi");
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

namespace {

// How far past a row's last pixel the unbranched decoders may store: the
// pixels of a pair of elements that starts within the row (up to 127 and 64).
constexpr int64_t kRowReach = 192;

// Pixels from set_end up to to (at most size) become 9.
void SetNines(uint8_t* pixels, int64_t size, int64_t& set_end, int64_t to) {
  to = std::min(to, size);
  if (to <= set_end) return;
  std::memset(pixels + set_end, TransparentIndex, static_cast<size_t>(to - set_end));
  set_end = to;
}

}  // namespace

bool DecodeRowsPixelsWith(RowDecoder kind, const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size,
                          int64_t start, int32_t width, bool code_padded, RowsProgress& progress) {
  int64_t last_write = progress.written_end;
  bool ok;
#if defined(__x86_64__)
  if (const UnbranchedDecoder fast = Unbranched(kind);
      fast && code_padded && start >= progress.written_end && start >= 0) {
    // The unbranched decoders take the pixels they reach to be 9: the row and
    // what their last elements may reach past it become 9 first, while the
    // row's memory is being fetched anyway. Past that they stop.
    SetNines(pixels, size, progress.set_end, start + std::max(width, 0) + kRowReach);
    rowdecode::Position at{start, 0, last_write};
    ok = fast(code, count, pixels, progress.set_end, at);
    if (ok && at.r < count) {
      // The exact decoder skips transparent pixels: they must be 9 already.
      SetNines(pixels, size, progress.set_end, size);
      ok = DecodeExact(code, count, pixels, size, at.x, at.r, at.last_write);
    }
    last_write = at.last_write;
  } else
#else
  (void)kind;
  (void)width;
  (void)code_padded;
#endif
  {
    SetNines(pixels, size, progress.set_end, size);
    ok = DecodeExact(code, count, pixels, size, start, 0, last_write);
  }
  progress.written_end = std::max(progress.written_end, last_write);
  return ok;
}

bool DecodeRowsPixels(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, int64_t start,
                      int32_t width, bool code_padded, RowsProgress& progress) {
  static const RowDecoder best = BestRowDecoder();
  return DecodeRowsPixelsWith(best, code, count, pixels, size, start, width, code_padded, progress);
}

void FinishRowsPixels(uint8_t* pixels, int64_t size, RowsProgress& progress) {
  SetNines(pixels, size, progress.set_end, size);
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
