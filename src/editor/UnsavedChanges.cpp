// Unsaved changes are never lost without a word: a question before they go,
// the recovery copy while they last, and the copies of editors that did not
// close normally offered at start-up.
#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>

#include "editor/EditorSupport.h"
#include "editor/FrmQuilmark.h"
#include "editor/RecoveryKeeper.h"

namespace quilmark {

bool FrmQuilmark::MayLeaveDocument(Leaving why) {
  // A number typed and not yet applied is a change too.
  ApplyPendingEdits();
  if (History->isClean()) return true;
  const char* after = why == Leaving::Closing   ? "closing"
                      : why == Leaving::Opening ? "opening another file"
                                                : "starting a new one";
  QMessageBox box(QMessageBox::Warning, "Quilmark",
                  QString("Save changes to \"%1\" before %2?")
                      .arg(PathText(StripPath(Editor().CurrentFileName)), QString::fromLatin1(after)),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
  box.setObjectName("UnsavedQuestion");
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveGafAs();
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

void FrmQuilmark::OfferRecovery() {
  for (const auto& copy : RecoveryCopy::Left(Recovery->Folder())) {
    const RecoveryInfo& info = copy->Info();
    QMessageBox box(QMessageBox::Question, "Quilmark",
                    QString("Quilmark did not close normally. Recover the unsaved changes to %1?")
                        .arg(PathText(info.file)),
                    QMessageBox::NoButton, this);
    box.setObjectName("RecoveryQuestion");
    box.setInformativeText(
        QString("The changes were kept on %1.")
            .arg(QLocale().toString(QDateTime::fromSecsSinceEpoch(info.saved), QLocale::LongFormat)));
    QPushButton* recover = box.addButton("&Recover", QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton("&Discard", QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton("&Keep for Later", QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == discard) {
      copy->Remove();
      continue;
    }
    if (box.clickedButton() != recover) continue;
    if (!MayLeaveDocument(Leaving::Opening)) return;
    // The recovered document is the user's file with unsaved changes: its
    // save goes to the file, and it is kept in this editor's own copy before
    // the old one goes. Copies not yet asked about stay for a later start.
    // As any load: nothing else runs on the document while it lets messages through.
    auto doc = std::make_shared<classGAF>();
    Editor().CurrentGAF = doc;
    History->clear();
    {
      EnableControls(false);
      QApplication::setOverrideCursor(Qt::WaitCursor);
      Ending ending([this] {
        QApplication::restoreOverrideCursor();
        EnableControls(true);
      });
      LoadInto(doc, PathText(copy->DocumentPath()));
    }
    Editor().CurrentFileName = info.file;
    History->resetClean();
    ResetView();
    if (Recovery->WriteNow()) copy->Remove();
    return;
  }
}

void FrmQuilmark::EndBySignal(int signal) {
  if (ending_) return;
  ending_ = true;
  endingSignal_ = signal;
  Recovery->WriteNow();
  // Every window closes, dialogs included, and every event loop ends, also
  // one a dialog runs.
  QApplication::closeAllWindows();
  QCoreApplication::exit(128 + signal);
}

}  // namespace quilmark
