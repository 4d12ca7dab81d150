// The main window's entries: each menu item, toolbar button and control hands
// its work to the document's views and commands; and what the window itself
// does: messages, notes, the edit keys, closing.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>

#include "archive/ArchiveDocuments.h"
#include "dialogs/FrmAbout.h"
#include "editor/AnimationListView.h"
#include "editor/EditorSupport.h"
#include "editor/FramePane.h"
#include "editor/FrmQuilmark.h"

#include "editor/ImageActions.h"
#include "editor/RecoveryKeeper.h"
#include "editor/WindowStatus.h"

namespace quilmark {
namespace {

// Del typed into a text box edits its text, and so do undo and redo while
// the box has an edit of its own to undo or redo; otherwise those act on the
// document, also right after a value was committed with Tab.
class EditingKeys : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box || box->isReadOnly()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // The window's keys for Remove Sequence, Undo and Redo.
    const QKeySequence pressed(key->keyCombination());
    const bool undo = pressed == QKeySequence("Ctrl+Z");
    const bool redo = pressed == QKeySequence("Ctrl+Shift+Z") || pressed == QKeySequence("Ctrl+Y");
    if (key->key() != Qt::Key_Delete && !undo && !redo) return false;
    // Taken by the box, or left to the window's shortcut (the box itself
    // would claim undo and redo whatever it holds).
    event->setAccepted(key->key() == Qt::Key_Delete || (undo && box->isUndoAvailable()) ||
                       (redo && box->isRedoAvailable()));
    return true;
  }
};

}  // namespace

void KeepEditingKeysInTextBoxes(QObject* owner) { qApp->installEventFilter(new EditingKeys(owner)); }

void FrmQuilmark::ApplyPendingEdits() {
  list_->CommitEdit();
  pane_->Fields().ApplyPendingEdits();
}

void FrmQuilmark::ResetView() {
  list_->CreateList();
  document_->Select({});
  RefreshTitle();
}

void FrmQuilmark::OpenFile(const QString& name) { files_->OpenFile(name); }
bool FrmQuilmark::SaveGafAs() { return files_->SaveAs(); }

bool FrmQuilmark::MayLeaveDocument(FileActions::Leaving why) { return files_->MayLeave(why); }

void FrmQuilmark::OfferRecovery() { files_->OfferRecovery(); }

void FrmQuilmark::mnuFileNew_Click() { files_->New(); }
void FrmQuilmark::mnuFileOpen_Click() { files_->Open(); }
void FrmQuilmark::mnuFileOpenArchive_Click() { files_->OpenFromArchive(); }
void FrmQuilmark::mnuFileSaveGAF_Click() { (void)files_->SaveAs(); }
void FrmQuilmark::mnuFileSaveUFO_Click() { files_->ExportUfo(); }
void FrmQuilmark::mnuFileExit_Click() { close(); }
void FrmQuilmark::mnuEditUndo_Click() {
  ApplyPendingEdits();
  document_->Undo();
}
void FrmQuilmark::mnuEditRedo_Click() {
  ApplyPendingEdits();
  document_->Redo();
}
void FrmQuilmark::mnuViewCenter_Click() {
  State().CenterInView = mnuViewCenter_->isChecked();
  pane_->DisplaySelectedPicture();
}
void FrmQuilmark::mnuImagesCreateSequence_Click() { images_->CreateSequence(); }
void FrmQuilmark::mnuImageRemoveSequence_Click() { images_->RemoveSequence(); }
void FrmQuilmark::mnuImagesReverseFrames_Click() { images_->ReverseFrames(); }
void FrmQuilmark::mnuImagesShiftAll_Click() { images_->ShiftAll(); }
void FrmQuilmark::mnuImagesReplaceIndex_Click() { images_->ReplaceIndex(); }
void FrmQuilmark::mnuImagesImportSequence_Click() { images_->ImportSequence(); }
void FrmQuilmark::mnuImagesExportSequence_Click() { images_->ExportSequence(); }
void FrmQuilmark::mnuImagesExportGif_Click() { images_->ExportGif(); }
void FrmQuilmark::mnuImagesCompress_Click() { images_->CompressAll(); }
void FrmQuilmark::mnuImagesExportAll_Click() { images_->ExportAll(); }
void FrmQuilmark::mnuImagesPreview_Click() { images_->Preview(); }
void FrmQuilmark::mnuFrameImport_Click() { images_->ImportFrames(false); }
void FrmQuilmark::mnuFrameExport_Click() { images_->ExportImage(false); }
void FrmQuilmark::mnuFrameRemove_Click() { images_->RemoveFrame(); }
void FrmQuilmark::mnuFrameDuplicate_Click() { images_->DuplicateFrame(); }
void FrmQuilmark::mnuSubframeImport_Click() { images_->ImportFrames(true); }
void FrmQuilmark::mnuSubframeExport_Click() { images_->ExportImage(true); }
void FrmQuilmark::mnuSubframeRemove_Click() { images_->RemoveSubframe(); }
void FrmQuilmark::mnuHelpAbout_Click() {
  FrmAbout about(this);
  about.exec();
}

void FrmQuilmark::Toolbar_ButtonClick(const QString& key) {
  if (key == "new") mnuFileNew_Click();
  if (key == "open") mnuFileOpen_Click();
  if (key == "save") mnuFileSaveGAF_Click();
  if (key == "create") mnuImagesCreateSequence_Click();
  if (key == "import") mnuImagesImportSequence_Click();
  if (key == "preview") mnuImagesPreview_Click();
}

void FrmQuilmark::ListGAF_Click() { list_->Click(); }
void FrmQuilmark::ListGAF_DblClick() { list_->DoubleClick(); }
void FrmQuilmark::ListGAF_AfterLabelEdit(QTreeWidgetItem* item, const QString& newText) {
  list_->AfterLabelEdit(item, newText);
}
void FrmQuilmark::ScrollFrames_Change(int value) { pane_->FramesSlid(value); }
void FrmQuilmark::ScrollSubframes_Change(int value) { pane_->SubframesSlid(value); }
void FrmQuilmark::ScrollXPos_Change(int value) { pane_->Fields().ChangeField(FieldStep::X, value); }
void FrmQuilmark::ScrollYPos_Change(int value) { pane_->Fields().ChangeField(FieldStep::Y, value); }
void FrmQuilmark::ScrollFPS_Change(int value) { pane_->Fields().ChangeField(FieldStep::Fps, value); }
void FrmQuilmark::TxtXPos_LostFocus() { pane_->Fields().ApplyTyped(FieldStep::X); }
void FrmQuilmark::TxtYPos_LostFocus() { pane_->Fields().ApplyTyped(FieldStep::Y); }
void FrmQuilmark::TxtFPS_LostFocus() { pane_->Fields().ApplyTyped(FieldStep::Fps); }
void FrmQuilmark::chkCompressed_Click() { pane_->Fields().CompressClicked(); }
void FrmQuilmark::CmdFrame_Click() { pane_->FrameButtonClicked(); }
void FrmQuilmark::CmdSubframe_Click() { pane_->SubframeButtonClicked(); }

void FrmQuilmark::RefreshTitle() {
  // A file in an archive: "tank.ufo: units\tank.gaf - Quilmark".
  const std::string inArchive = ShownArchiveName(document_->FileName());
  if (!inArchive.empty()) return setWindowTitle(PathText(inArchive) + " - Quilmark");
  setWindowTitle(PathText(TitleFor(document_->FileName())));
}

QString FrmQuilmark::StatusText(int panel) const { return status_->Text(panel); }

void FrmQuilmark::EnableControls(bool enabled) {
  toolbar_->setEnabled(enabled);
  list_->setEnabled(enabled);
  pane_->setEnabled(enabled);
}

void FrmQuilmark::Note(const QString& text) { status_->Note(text); }

QString FrmQuilmark::ShowFileDialog(const FileDialogRequest& request) {
  return FileDialogHook ? FileDialogHook(request) : RunFileDialog(this, request, lastDialogFolder_);
}

void FrmQuilmark::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) {
  const QString body = QString::fromStdString(text), caption = QString::fromStdString(title);
  // A message is read with the normal pointer; a command's busy pointer comes
  // back once it has been answered.
  int busy = 0;
  for (; QApplication::overrideCursor(); ++busy) QApplication::restoreOverrideCursor();
  Ending ending([busy] {
    for (int i = 0; i < busy; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
  });
  if (MessageHook) return MessageHook(body, caption, icon);
  QMessageBox box(icon == MessageIcon::None ? QMessageBox::NoIcon : QMessageBox::Information, caption, body,
                  QMessageBox::Ok, this);
  box.setObjectName("MessageBox");
  box.exec();
}

bool FrmQuilmark::eventFilter(QObject* watched, QEvent* event) {
  if (watched == client_ && event->type() == QEvent::Resize) Form_Resize();
  return QMainWindow::eventFilter(watched, event);
}

void FrmQuilmark::closeEvent(QCloseEvent* event) {
  // When the session ends there is no one to ask either.
  if (qApp->isSavingSession()) ending_ = true;
  if (!ending_ && !MayLeaveDocument(FileActions::Leaving::Closing)) {
    event->ignore();
    return;
  }
  // A normal ending takes the recovery copy along; one without a question
  // leaves it for the next start.
  if (ending_) {
    recovery_->WriteNow();
  } else {
    recovery_->Wait();
    recovery_->Discard();
  }
  if (!settingsSaved_ && graphicsReady_) {
    SettingsSave();
    settingsSaved_ = true;
  }
  graphicsReady_ = false;
  pane_->SetGraphicsReady(false);
  if (surface_.hBitmap != 0) surface_.Free();
  event->accept();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible() && w->parentWidget() == this) w->close();
}

void FrmQuilmark::EndBySignal(int signal) {
  if (ending_) return;
  ending_ = true;
  endingSignal_ = signal;
  recovery_->WriteNow();
  // Every window closes, dialogs included, and every event loop ends, also
  // one a dialog runs.
  QApplication::closeAllWindows();
  QCoreApplication::exit(128 + signal);
}

}  // namespace quilmark
