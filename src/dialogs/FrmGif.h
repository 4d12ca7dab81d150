// The Export Sequence as GIF dialog: how large and how fast the animation is
// written.
#pragma once

#include <QDialog>
#include <QSpinBox>

namespace quilmark {

class FrmGif : public QDialog {
  Q_OBJECT
 public:
  explicit FrmGif(QWidget* owner);
  int Zoom() const { return zoom_->value(); }
  int Delay() const { return delay_->value(); }  // hundredths of a second a frame

 private:
  QSpinBox* zoom_;
  QSpinBox* delay_;
};

}  // namespace quilmark
