// The small modal boxes the editor and its dialogs share: the input box that
// asks for one line of text, and the message box with an OK button.
#pragma once

#include <QMessageBox>
#include <QString>
#include <optional>

class QWidget;

namespace quilmark {

class MessageSink;

// Asks for one line of text. nullopt when the box was cancelled or closed.
// The box's objectName is "InputBox".
std::optional<QString> InputBox(QWidget* owner, const QString& prompt, const QString& title,
                                const QString& defaultAnswer = {});

// A message through sink when there is one, else a message box with an OK
// button and the given icon (objectName "MessageBox").
void ShowMessageBox(QWidget* owner, MessageSink* sink, const QString& text, const QString& title = "Quilmark",
                    QMessageBox::Icon icon = QMessageBox::Information);

}  // namespace quilmark
