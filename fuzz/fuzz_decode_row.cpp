// The row decoder on arbitrary code: bounds are kept whatever the bytes say.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/classGAFFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // The first bytes choose the image's shape and the row decoded.
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
  return 0;
}
