// The compressed row code of GAF frames.
//
// A row is a sequence of elements, each led by a control byte c:
//   bit 0 set        transparent run of c >> 1 pixels (nothing follows)
//   bit 1 set        repeat run of (c >> 2) + 1 pixels of the one value that follows
//   neither          literal run of (c >> 2) + 1 pixels whose values follow
// The encoder limits runs to 120 transparent, 55 repeated and 55 literal pixels
// and never looks ahead, so its output is fixed by the pixels alone.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quilmark {

inline constexpr int kMaxTransparentRun = 120;
inline constexpr int kMaxRepeatRun = 55;
inline constexpr int kMaxLiteralRun = 55;
// A row's byte count is stored as a 2-byte signed number.
inline constexpr int kMaxRowCodeBytes = 32767;

// Steps up from start until every bit of mask is set; empty past 255.
std::optional<uint8_t> SetFlagBits(int start, uint8_t mask);

// Encodes width pixels into code (replacing its content). False when the code
// would be longer than kMaxRowCodeBytes.
bool EncodeRowPixels(const uint8_t* row, int32_t width, std::vector<uint8_t>& code);
// The same into out, which must hold EncodeRoom(width) bytes (more than the
// code needs); returns the code's length.
inline size_t EncodeRoom(int32_t width) { return width > 0 ? 2 * static_cast<size_t>(width) + 80 : 0; }
size_t EncodeRowInto(const uint8_t* row, int32_t width, uint8_t* out);

// Decodes count bytes of code into pixels[start …], with no clipping at the row's
// end: the code may run on into the following rows. False when an element is cut
// short or a written pixel falls outside pixels[0 … size − 1].
bool DecodeRowPixels(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, int64_t start);

// How far the rows of one image have been decoded, carried from row to row;
// both 0 before the first row. written_end is the end of the last pixel
// written so far; pixels below set_end hold what they would hold had the image
// been all 9 before the first row (set_end starts at the image's size when it
// was). The rest is set as the rows reach it, and by FinishRowsPixels.
struct RowsProgress {
  int64_t written_end = 0;
  int64_t set_end = 0;
};

// The same as DecodeRowPixels, for the rows of one image of rows of width
// pixels, decoded in order. While no row has written past the start of the
// next, a faster decoder is used. code_padded tells that kRowCodePadding bytes
// after the code may be read.
inline constexpr size_t kRowCodePadding = 256;
bool DecodeRowsPixels(const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size, int64_t start,
                      int32_t width, bool code_padded, RowsProgress& progress);
// After the last row: the pixels no row reached become 9.
void FinishRowsPixels(uint8_t* pixels, int64_t size, RowsProgress& progress);

// The decoders DecodeRowsPixels chooses from by what the processor offers;
// each gives exactly what Exact gives. Tests and benchmarks name one.
enum class RowDecoder { Exact, Sse2, Avx512 };
bool RowDecoderAvailable(RowDecoder kind);
RowDecoder BestRowDecoder();
bool DecodeRowsPixelsWith(RowDecoder kind, const uint8_t* code, int32_t count, uint8_t* pixels, int64_t size,
                          int64_t start, int32_t width, bool code_padded, RowsProgress& progress);

}  // namespace quilmark
