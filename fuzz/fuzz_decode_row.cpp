// The row decoders on arbitrary code: bounds are kept whatever the bytes say,
// and every decoder the processor offers, into an image not set beforehand,
// gives what the exact one gives row by row into an image set to 9.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/RowCode.h"
#include "document/classGAFFrame.h"

namespace {

using quilmark::RowDecoder;

struct Result {
  bool ok = true;
  std::vector<uint8_t> pixels;
  int64_t written_end = 0;
};

Result DecodeImage(RowDecoder kind, const std::vector<std::vector<uint8_t>>& rows, int width, bool preset) {
  Result out;
  out.pixels.assign(rows.size() * static_cast<size_t>(width), preset ? quilmark::TransparentIndex : 0xCD);
  const auto size = static_cast<int64_t>(out.pixels.size());
  quilmark::RowsProgress progress{0, preset ? size : 0};
  for (size_t y = 0; y < rows.size() && out.ok; ++y) {
    if (rows[y].empty()) continue;
    std::vector<uint8_t> code = rows[y];
    code.resize(code.size() + quilmark::kRowCodePadding, 0x5A);
    out.ok = quilmark::DecodeRowsPixelsWith(kind, code.data(), static_cast<int32_t>(rows[y].size()),
                                            out.pixels.data(), size, static_cast<int64_t>(y) * width, width, true,
                                            progress);
  }
  quilmark::FinishRowsPixels(out.pixels.data(), size, progress);
  out.written_end = progress.written_end;
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // The first bytes choose the image's shape and the row decoded alone.
  const int width = 1 + data[0] % 64;
  const int height = 1 + data[1] % 8;
  const int row = data[2] % (height + 2) - 1;
  quilmark::classGAFFrame frame;
  frame.SetWidth(width);
  frame.SetHeight(height);
  std::vector<uint8_t> code(data + 3, data + size);
  frame.Pixels.assign(frame.Pixels.size(), quilmark::TransparentIndex);
  frame.DecodeRow(code.data(), static_cast<int32_t>(code.size()), row);
  if (frame.Pixels.size() != static_cast<size_t>(width * height)) __builtin_trap();

  // The same bytes as the rows of a wider image (wide enough for the faster
  // decoders to start): each row takes as many bytes as the byte before it
  // says, the last one the rest.
  const int wide = 1 + (data[0] * 16 + (data[1] >> 3)) % 1024;
  std::vector<std::vector<uint8_t>> rows(static_cast<size_t>(height));
  size_t at = 3;
  for (int y = 0; y < height && at < size; ++y) {
    const size_t take = y + 1 < height ? data[at++] : size - at;
    const size_t end = at + take < size ? at + take : size;
    rows[static_cast<size_t>(y)].assign(data + at, data + end);
    at = end;
  }
  const Result exact = DecodeImage(RowDecoder::Exact, rows, wide, true);
  for (RowDecoder kind : {RowDecoder::Exact, RowDecoder::Sse2, RowDecoder::Avx512}) {
    if (!quilmark::RowDecoderAvailable(kind)) continue;
    for (bool preset : {false, true}) {
      const Result r = DecodeImage(kind, rows, wide, preset);
      if (r.ok != exact.ok) __builtin_trap();
      // A failed image is dropped whole; its pixels do not matter.
      if (exact.ok && (r.pixels != exact.pixels || r.written_end != exact.written_end)) __builtin_trap();
    }
  }
  return 0;
}
