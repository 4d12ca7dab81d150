// Loading arbitrary bytes as a GAF file must never crash, hang or run away with
// memory, and whatever loads must save again.
#include <cstddef>
#include <cstdint>

#include "document/classGAF.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quilmark::classGAF doc;
  quilmark::LoadReport report;
  doc.LoadBytes(data, size, &report);
  // Every loaded frame keeps its buffer in step with its sizes.
  for (const auto& animation : doc.Animations)
    for (const auto& frame : animation->Frames)
      if (frame->Pixels.size() != static_cast<size_t>(frame->Width()) * static_cast<size_t>(frame->Height()) &&
          frame->Width() > 0)
        __builtin_trap();
  return 0;
}
