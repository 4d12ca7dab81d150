// The onion skin's settings: how many frames before and after the shown one
// are drawn under it (0 to 3 each), and how opaque the nearest are.
#pragma once

#include <QDialog>
#include <QSpinBox>

namespace quilmark {

class FrmOnion : public QDialog {
  Q_OBJECT
 public:
  FrmOnion(QWidget* owner, int before, int after, int opacity);
  int Before() const { return before_->value(); }
  int After() const { return after_->value(); }
  int Opacity() const { return opacity_->value(); }

 private:
  QSpinBox* before_;
  QSpinBox* after_;
  QSpinBox* opacity_;
};

}  // namespace quilmark
