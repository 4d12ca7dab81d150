// Keeps the recovery copy of the open document (editorcore/Recovery.h) while
// it has unsaved changes: a few seconds after the last change the document is
// copied (its pixels shared, so the window hardly pauses) and written on a
// thread of its own. A clean history (a save, a new or opened document)
// removes the copy.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <thread>

#include "editor/GafDocument.h"
#include "editorcore/Recovery.h"

namespace quilmark {

class RecoveryKeeper : public QObject {
  Q_OBJECT
 public:
  // How long after the last change the copy is written.
  static constexpr int kDelayMs = 2000;

  // Follows the document's history.
  RecoveryKeeper(GafDocument& doc, std::string folder, QObject* parent = nullptr);
  // Waits for a write under way; the copy stays (Discard removes it).
  ~RecoveryKeeper() override;

  // Starts writing the copy now, unless the history is clean. The window's
  // only cost is the copy of the document's structure.
  void Snapshot();
  // Writes the copy now and waits for it (the process or the session ends).
  bool WriteNow();
  // Removes the copy, now or once a write under way has ended.
  void Discard();
  // Waits for a write under way (tests, benchmarks).
  void Wait();

  const std::string& Folder() const { return folder_; }
  const RecoveryCopy& Copy() const { return *copy_; }

 signals:
  // A write ended; error says why it failed.
  void Written(bool ok, const QString& error);

 private:
  void Changed();
  void Finished(bool ok, const QString& error);
  RecoveryInfo InfoNow() const;

  GafDocument& doc_;
  std::string folder_;
  std::unique_ptr<RecoveryCopy> copy_;
  QTimer delay_;
  std::thread writer_;
  bool again_ = false;    // a change came while writing: write once more
  bool discard_ = false;  // the copy goes once the write has ended
};

}  // namespace quilmark
