#include "editor/FrmProgress.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

namespace quilmark {

FrmProgress::FrmProgress(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      Status(new QLabel(this)),
      Progress(new QProgressBar(this)) {
  setObjectName("FrmProgress");
  setWindowTitle("Quilmark");
  // Client area 4200 x 1020 twips.
  setFixedSize(280, 68);
  Status->setObjectName("Status");
  Status->setGeometry(8, 12, 265, 17);
  Progress->setObjectName("Progress");
  Progress->setGeometry(8, 36, 265, 21);
  Progress->setRange(0, 100);
  Progress->setValue(0);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void ProgressWindowSink::Open(const std::string& status) {
  Close();
  window_ = new FrmProgress(owner_);
  window_->Status->setText(QString::fromStdString(status));
  window_->setModal(false);
  window_->show();
  QCoreApplication::processEvents();
}

void ProgressWindowSink::SetPercent(int percent) {
  if (window_) window_->Progress->setValue(percent);
}

void ProgressWindowSink::LetMessagesRun() { QCoreApplication::processEvents(); }

void ProgressWindowSink::Close() {
  if (!window_) return;
  window_->hide();
  delete window_.data();
  window_ = nullptr;
}

}  // namespace quilmark
