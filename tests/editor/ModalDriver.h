// Working modal dialogs from a test: a timer waits for the dialog of the given
// objectName to become the active modal window and runs the test's steps on
// it. A dialog the steps leave open is cancelled, and a dialog that never
// comes fails the test, so no test is left waiting.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
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
    if (modal && modal->objectName() == name) {
      timer->stop();
      timer->deleteLater();
      QPointer<QWidget> dialog(modal);
      steps(modal);
      QTimer::singleShot(1000, [dialog, name] {
        if (dialog && dialog->isVisible()) {
          ADD_FAILURE() << name.toStdString() << " was left open";
          if (auto* d = qobject_cast<QDialog*>(dialog.data())) d->reject();
        }
      });
      return;
    }
    if (clock->elapsed() > waitMs) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << name.toStdString() << " never opened";
    }
  });
  timer->start();
}

}  // namespace quilmark::test
