// Settings and typed numbers are read from text a user or another program may
// have written: any text gives a number or nothing, never a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "editorcore/NumberReading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto number = quilmark::ReadNumber(text)) {
    if (std::isnan(*number)) __builtin_trap();
    quilmark::RoundToInt32(*number);
    quilmark::RoundToInt16(*number);
  }
  return 0;
}
