#include "dialogs/FrmReplaceIndex.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace quilmark {

FrmReplaceIndex::FrmReplaceIndex(QWidget* owner) : QDialog(owner) {
  setObjectName("FrmReplaceIndex");
  setWindowTitle("Replace Index");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* form = new QFormLayout(this);
  auto index = [this](const char* name) {
    auto* box = new QSpinBox(this);
    box->setObjectName(name);
    box->setRange(0, 255);
    return box;
  };
  from_ = index("ReplaceFrom");
  to_ = index("ReplaceTo");
  scope_ = new QComboBox(this);
  scope_->setObjectName("ReplaceScope");
  scope_->addItems({"The shown frame", "The animation", "The whole document"});
  form->addRow("&Replace index:", from_);
  form->addRow("&By index:", to_);
  form->addRow("&In:", scope_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

}  // namespace quilmark
