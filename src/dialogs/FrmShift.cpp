#include "dialogs/FrmShift.h"

#include "dialogs/FormDialog.h"
#include <QLabel>

namespace quilmark {

FrmShift::FrmShift(QWidget* owner, const QString& what, const QString& title) : QDialog(owner) {
  setObjectName("FrmShift");
  setWindowTitle(title);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* form = new QFormLayout(this);
  form->addRow(new QLabel(QString("Move all %1 of the sequence by (pixels; right and down are positive):").arg(what)));
  across_ = NamedSpinBox(this, "ShiftAcross", -2048, 2048);
  down_ = NamedSpinBox(this, "ShiftDown", -2048, 2048);
  form->addRow("&Across:", across_);
  form->addRow("&Down:", down_);
  AddOkCancel(this, form);
  across_->setFocus();
}

}  // namespace quilmark
