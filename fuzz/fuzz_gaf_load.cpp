// Loading arbitrary bytes as a GAF file must never crash, hang or run away with
// memory; the fast row decoder (used when the bytes may be over-read) must give
// exactly what the element-by-element decoder gives.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/RowCode.h"
#include "document/classGAF.h"

namespace {
bool SameFrames(const quilmark::classGAFFrame& a, const quilmark::classGAFFrame& b) {
  if (a.Pixels != b.Pixels || a.Width() != b.Width() || a.Subframes.Count() != b.Subframes.Count()) return false;
  for (int i = 1; i <= a.Subframes.Count(); ++i)
    if (!SameFrames(*a.Subframes.Item(i), *b.Subframes.Item(i))) return false;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quilmark::classGAF exact, fast;
  quilmark::LoadReport exact_report, fast_report;
  exact.LoadBytes(data, size, &exact_report);
  std::vector<uint8_t> padded(data, data + size);
  padded.resize(size + quilmark::kRowCodePadding, 0x5A);
  fast.LoadBytes(padded.data(), size, &fast_report, true);
  if (exact_report.complete != fast_report.complete || exact.Animations.Count() != fast.Animations.Count())
    __builtin_trap();
  for (int i = 1; i <= exact.Animations.Count(); ++i) {
    const auto& a = *exact.Animations.Item(i);
    const auto& b = *fast.Animations.Item(i);
    if (a.Frames.Count() != b.Frames.Count()) __builtin_trap();
    for (int j = 1; j <= a.Frames.Count(); ++j) {
      const auto& frame = *a.Frames.Item(j);
      if (!SameFrames(frame, *b.Frames.Item(j))) __builtin_trap();
      // Every loaded frame keeps its buffer in step with its sizes.
      if (frame.Pixels.size() != static_cast<size_t>(frame.Width() * frame.Height())) __builtin_trap();
    }
  }
  return 0;
}
