// The progress window shown while a whole GAF file is read or written.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>

#include "base/Progress.h"

namespace quilmark {

class FrmProgress : public QDialog {
  Q_OBJECT
 public:
  explicit FrmProgress(QWidget* owner);
  QLabel* Status;
  QProgressBar* Progress;
};

// Makes a fresh progress window on Open and destroys it on Close; pending
// window messages run on every update.
class ProgressWindowSink : public ProgressSink {
 public:
  explicit ProgressWindowSink(QWidget* owner) : owner_(owner) {}
  ~ProgressWindowSink() override { Close(); }
  void Open(const std::string& status) override;
  void SetPercent(int percent) override;
  void LetMessagesRun() override;
  void Close() override;
  FrmProgress* Window() const { return window_; }

 private:
  QWidget* owner_;
  QPointer<FrmProgress> window_;
};

}  // namespace quilmark
