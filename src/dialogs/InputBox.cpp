#include "dialogs/InputBox.h"

#include <QFile>
#include <QInputDialog>

#include "document/Interfaces.h"

namespace quilmark {

std::optional<QString> InputBox(QWidget* owner, const QString& prompt, const QString& title,
                                const QString& defaultAnswer) {
  QInputDialog box(owner);
  box.setObjectName("InputBox");
  box.setWindowTitle(title);
  box.setLabelText(prompt);
  box.setTextValue(defaultAnswer);
  box.setInputMode(QInputDialog::TextInput);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.textValue();
}

void ShowMessageBox(QWidget* owner, MessageSink* sink, const QString& text, const QString& title,
                    QMessageBox::Icon icon) {
  if (sink) {
    sink->ShowMessage(text.toStdString(), title.toStdString(),
                      icon == QMessageBox::NoIcon ? MessageIcon::None : MessageIcon::Information);
    return;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
  box.setObjectName("MessageBox");
  box.exec();
}

}  // namespace quilmark
