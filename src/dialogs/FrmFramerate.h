// The Set Framerate dialog: one rate for the frames selected in the strip.
#pragma once

#include <QDialog>
#include <QSpinBox>

namespace quilmark {

class FrmFramerate : public QDialog {
  Q_OBJECT
 public:
  // value: the rate shown at first (the first selected frame's).
  FrmFramerate(QWidget* owner, int count, int value);
  int Rate() const { return rate_->value(); }

 private:
  QSpinBox* rate_;
};

}  // namespace quilmark
