#include "dialogs/FrmReplaceIndex.h"

#include "dialogs/FormDialog.h"

namespace quilmark {

FrmReplaceIndex::FrmReplaceIndex(QWidget* owner) : QDialog(owner) {
  setObjectName("FrmReplaceIndex");
  setWindowTitle("Replace Index");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* form = new QFormLayout(this);
  from_ = NamedSpinBox(this, "ReplaceFrom", 0, 255);
  to_ = NamedSpinBox(this, "ReplaceTo", 0, 255);
  scope_ = new QComboBox(this);
  scope_->setObjectName("ReplaceScope");
  scope_->addItems({"The shown frame", "The animation", "The whole document"});
  form->addRow("&Replace index:", from_);
  form->addRow("&By index:", to_);
  form->addRow("&In:", scope_);
  AddOkCancel(this, form);
}

}  // namespace quilmark
