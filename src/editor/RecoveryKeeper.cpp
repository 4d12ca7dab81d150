#include "editor/RecoveryKeeper.h"

#include <unistd.h>

#include <ctime>

namespace quilmark {

RecoveryKeeper::RecoveryKeeper(GafDocument& doc, std::string folder, QObject* parent)
    : QObject(parent), doc_(doc), folder_(std::move(folder)), copy_(RecoveryCopy::Create(folder_)) {
  delay_.setSingleShot(true);
  delay_.setInterval(kDelayMs);
  connect(&delay_, &QTimer::timeout, this, &RecoveryKeeper::Snapshot);
  // A step done, undone or merged into the last, and a new clean point.
  connect(&doc_.History(), &QUndoStack::indexChanged, this, &RecoveryKeeper::Changed);
  connect(&doc_, &GafDocument::modifiedChanged, this, &RecoveryKeeper::Changed);
}

RecoveryKeeper::~RecoveryKeeper() { Wait(); }

void RecoveryKeeper::Changed() {
  if (!doc_.IsModified()) {
    Discard();
  } else {
    delay_.start();
  }
}

RecoveryInfo RecoveryKeeper::InfoNow() const {
  return {doc_.FileName(), static_cast<int64_t>(std::time(nullptr)), static_cast<int64_t>(::getpid())};
}

void RecoveryKeeper::Snapshot() {
  delay_.stop();
  if (!doc_.IsModified() || folder_.empty()) return;
  discard_ = false;
  if (writer_.joinable()) {
    again_ = true;
    return;
  }
  std::shared_ptr<const classGAF> doc = doc_.SharedGaf()->Snapshot();
  writer_ = std::thread([this, doc = std::move(doc), info = InfoNow()] {
    const SaveResult result = copy_->Write(*doc, info);
    QMetaObject::invokeMethod(
        this, [this, ok = result.ok, error = QString::fromStdString(result.error)] { Finished(ok, error); },
        Qt::QueuedConnection);
  });
}

void RecoveryKeeper::Finished(bool ok, const QString& error) {
  if (writer_.joinable()) writer_.join();
  if (std::exchange(again_, false)) {
    Snapshot();
  } else if (std::exchange(discard_, false)) {
    copy_->Remove();
  }
  emit Written(ok, error);
}

bool RecoveryKeeper::WriteNow() {
  delay_.stop();
  Wait();
  again_ = false;
  discard_ = false;
  if (!doc_.IsModified() || folder_.empty()) return true;
  return copy_->Write(doc_.Gaf(), InfoNow()).ok;
}

void RecoveryKeeper::Discard() {
  delay_.stop();
  again_ = false;
  if (writer_.joinable()) {
    discard_ = true;
  } else if (!folder_.empty()) {
    copy_->Remove();
  }
}

void RecoveryKeeper::Wait() {
  if (!writer_.joinable()) return;
  writer_.join();
  // What the write's own ending would have done.
  if (std::exchange(discard_, false)) copy_->Remove();
}

}  // namespace quilmark
