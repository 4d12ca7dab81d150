#include "base/Progress.h"

#include <cmath>

namespace quilmark {

std::optional<int> ProgressPercent(int32_t value, int32_t max) {
  if (max == 0) return std::nullopt;
  const double exact = static_cast<double>(value) / static_cast<double>(max) * 100.0;
  const float single = static_cast<float>(exact);
  // nearbyint rounds with the current mode, which is to-nearest-even.
  const float rounded = std::nearbyint(single);
  if (!(rounded >= 0.0f && rounded <= 100.0f)) return std::nullopt;
  return static_cast<int>(rounded);
}

void UpdateProgress(ProgressSink* sink, int32_t value, int32_t max) {
  if (!sink) return;
  if (auto percent = ProgressPercent(value, max)) sink->SetPercent(*percent);
  sink->LetMessagesRun();
}

}  // namespace quilmark
