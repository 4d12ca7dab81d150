#include "dialogs/FrmShift.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

namespace quilmark {

FrmShift::FrmShift(QWidget* owner, const QString& what) : QDialog(owner) {
  setObjectName("FrmShift");
  setWindowTitle("Shift All Frames");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* form = new QFormLayout(this);
  form->addRow(new QLabel(QString("Move all %1 of the sequence by (pixels; right and down are positive):").arg(what)));
  auto spin = [this](const char* name) {
    auto* box = new QSpinBox(this);
    box->setObjectName(name);
    box->setRange(-2048, 2048);
    return box;
  };
  across_ = spin("ShiftAcross");
  down_ = spin("ShiftDown");
  form->addRow("&Across:", across_);
  form->addRow("&Down:", down_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  across_->setFocus();
}

}  // namespace quilmark
