#include "dialogs/FrmOnion.h"

#include <QDialogButtonBox>
#include <QFormLayout>

namespace quilmark {

FrmOnion::FrmOnion(QWidget* owner, int before, int after, int opacity) : QDialog(owner) {
  setObjectName("FrmOnion");
  setWindowTitle("Onion Skin");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* form = new QFormLayout(this);
  auto spin = [this](const char* name, int min, int max, int value, const char* suffix) {
    auto* box = new QSpinBox(this);
    box->setObjectName(name);
    box->setRange(min, max);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
  };
  before_ = spin("OnionBefore", 0, 3, before, "");
  after_ = spin("OnionAfter", 0, 3, after, "");
  opacity_ = spin("OnionOpacity", 10, 90, opacity, "%");
  form->addRow("Frames &before:", before_);
  form->addRow("Frames &after:", after_);
  form->addRow("&Opacity:", opacity_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

}  // namespace quilmark
