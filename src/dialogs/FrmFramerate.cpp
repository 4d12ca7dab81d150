#include "dialogs/FrmFramerate.h"

#include <QLabel>

#include "dialogs/FormDialog.h"

namespace quilmark {

FrmFramerate::FrmFramerate(QWidget* owner, int count, int value) : QDialog(owner) {
  setObjectName("FrmFramerate");
  setWindowTitle("Set Framerate");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* form = new QFormLayout(this);
  form->addRow(new QLabel(count == 1 ? QString("The framerate of the selected frame:")
                                     : QString("The framerate of the %1 selected frames:").arg(count)));
  rate_ = NamedSpinBox(this, "FramerateValue", 0, 32000, value);
  form->addRow("&Framerate:", rate_);
  AddOkCancel(this, form);
  rate_->setFocus();
  rate_->selectAll();
}

}  // namespace quilmark
