// What the small form dialogs (Shift All Frames, Onion Skin, Replace Index)
// share: a named spin box, and OK and Cancel under the form.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace quilmark {

inline QSpinBox* NamedSpinBox(QWidget* parent, const char* name, int min, int max, int value = 0) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(min, max);
  box->setValue(value);
  return box;
}

inline void AddOkCancel(QDialog* dialog, QFormLayout* form) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  form->addRow(buttons);
}

}  // namespace quilmark
