#include "dialogs/FrmOnion.h"

#include "dialogs/FormDialog.h"

namespace quilmark {

FrmOnion::FrmOnion(QWidget* owner, int before, int after, int opacity) : QDialog(owner) {
  setObjectName("FrmOnion");
  setWindowTitle("Onion Skin");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* form = new QFormLayout(this);
  before_ = NamedSpinBox(this, "OnionBefore", 0, 3, before);
  after_ = NamedSpinBox(this, "OnionAfter", 0, 3, after);
  opacity_ = NamedSpinBox(this, "OnionOpacity", 10, 90, opacity);
  opacity_->setSuffix("%");
  form->addRow("Frames &before:", before_);
  form->addRow("Frames &after:", after_);
  form->addRow("&Opacity:", opacity_);
  AddOkCancel(this, form);
}

}  // namespace quilmark
