// Progress reporting for long document operations (loading and saving a file).
//
// The core never talks to a window. The editor's progress window, the batch tool
// and the tests implement ProgressSink; the core drives it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quilmark {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // Shows the progress display with a status text; the bar starts at 0.
  virtual void Open(const std::string& status) = 0;
  virtual void SetPercent(int percent) = 0;
  // Lets pending window messages run, so the program stays responsive.
  virtual void LetMessagesRun() = 0;
  virtual void Close() = 0;
};

// The bar's value for (value, max): value / max * 100 computed in double
// precision, kept in single precision, rounded half to even. Empty when there is
// no such value (max 0, or a result outside 0…100): the bar then keeps its value.
std::optional<int> ProgressPercent(int32_t value, int32_t max);

// Update(value, max): sets the bar when ProgressPercent has a value, and lets
// messages run either way.
void UpdateProgress(ProgressSink* sink, int32_t value, int32_t max);

// Opens a sink for the lifetime of one operation and closes it on every ending.
class ProgressSession {
 public:
  ProgressSession(ProgressSink* sink, const std::string& status) : sink_(sink) {
    if (sink_) sink_->Open(status);
  }
  ~ProgressSession() {
    if (sink_) sink_->Close();
  }
  ProgressSession(const ProgressSession&) = delete;
  ProgressSession& operator=(const ProgressSession&) = delete;
  void Update(int32_t value, int32_t max) { UpdateProgress(sink_, value, max); }

 private:
  ProgressSink* sink_;
};

}  // namespace quilmark
