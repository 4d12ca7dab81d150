// Working modal dialogs from a test: a timer waits for the dialog of the given
// objectName to become the active modal window and runs the test's steps on
// it. A dialog the steps leave open is cancelled, and a dialog that never
// comes fails the test, so no test is left waiting.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

namespace quilmark::test {

inline void WhenModal(const QString& name, std::function<void(QWidget*)> steps, int waitMs = 5000) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, name, steps, waitMs] {
    QWidget* modal = QApplication::activeModalWidget();
    const bool came = modal && modal->objectName() == name;
    if (!came && clock->elapsed() <= waitMs) return;
    timer->stop();
    timer->deleteLater();
    if (!came) {
      ADD_FAILURE() << name.toStdString() << " never opened";
      return;
    }
    QPointer<QWidget> dialog(modal);
    steps(modal);
    QTimer::singleShot(1000, [dialog, name] {
      if (!dialog || !dialog->isVisible()) return;
      ADD_FAILURE() << name.toStdString() << " was left open";
      if (auto* d = qobject_cast<QDialog*>(dialog.data())) d->reject();
    });
  });
  timer->start();
}

// What an input box showed: its prompt, title and default answer.
struct InputBoxSeen {
  QString prompt, title, answer;
};

// Answers the next input box with text, or cancels it; seen (if given) is
// filled with what it showed.
inline void AnswerInputBox(const QString& text, bool cancel = false, InputBoxSeen* seen = nullptr,
                           std::function<void()> meanwhile = {}) {
  WhenModal("InputBox", [=](QWidget* w) {
    auto* box = static_cast<QInputDialog*>(w);
    if (seen) *seen = {box->labelText(), box->windowTitle(), box->textValue()};
    if (meanwhile) meanwhile();
    if (cancel) return box->reject();
    box->setTextValue(text);
    box->accept();
  });
}

}  // namespace quilmark::test
