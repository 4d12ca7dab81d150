// The Replace Index dialog: which palette index to replace by which, and in
// what: the shown frame, the animation or the whole document.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QSpinBox>

namespace quilmark {

class FrmReplaceIndex : public QDialog {
  Q_OBJECT
 public:
  enum Scope { Frame, Animation, Document };
  explicit FrmReplaceIndex(QWidget* owner);
  int From() const { return from_->value(); }
  int To() const { return to_->value(); }
  Scope Within() const { return static_cast<Scope>(scope_->currentIndex()); }

 private:
  QSpinBox* from_;
  QSpinBox* to_;
  QComboBox* scope_;
};

}  // namespace quilmark
