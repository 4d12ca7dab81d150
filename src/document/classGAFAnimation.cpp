#include "document/classGAFAnimation.h"

#include <algorithm>

namespace quilmark {

namespace {
template <class Size>
int32_t MaxOverFrames(const Collection<classGAFFrame>& frames, Size size) {
  int32_t most = 0;
  for (const FramePtr& frame : frames) {
    most = std::max(most, size(*frame));
    for (const FramePtr& sub : frame->Subframes) most = std::max(most, size(*sub));
  }
  return most;
}
}  // namespace

int32_t classGAFAnimation::GetMaxWidth() const {
  return MaxOverFrames(Frames, [](const classGAFFrame& f) { return f.Width(); });
}

int32_t classGAFAnimation::GetMaxHeight() const {
  return MaxOverFrames(Frames, [](const classGAFFrame& f) { return f.Height(); });
}

}  // namespace quilmark
