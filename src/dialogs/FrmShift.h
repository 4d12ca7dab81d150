// The Shift All Frames dialog: how far to move the images, across and down, in
// image pixels.
#pragma once

#include <QDialog>
#include <QSpinBox>

namespace quilmark {

class FrmShift : public QDialog {
  Q_OBJECT
 public:
  // what names the images moved ("frames" or "subframes").
  FrmShift(QWidget* owner, const QString& what, const QString& title = "Shift All Frames");
  int Across() const { return across_->value(); }
  int Down() const { return down_->value(); }

 private:
  QSpinBox* across_;
  QSpinBox* down_;
};

}  // namespace quilmark
