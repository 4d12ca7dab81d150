// A recovery sidecar of any content either is refused or reads back as what
// writing it again gives: every path, escaped or not, survives the round trip.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "editorcore/Recovery.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto info = quilmark::ParseRecoveryInfo(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!info) return 0;
  const auto again = quilmark::ParseRecoveryInfo(quilmark::FormatRecoveryInfo(*info));
  if (!again || again->file != info->file || again->saved != info->saved || again->pid != info->pid)
    __builtin_trap();
  return 0;
}
