// The File menu's commands and the toolbar: new, open, save, UFO export.
#include <QApplication>
#include <QFileDialog>

#include "archive/UfoExport.h"
#include "dialogs/InputBox.h"
#include "editor/EditorSupport.h"
#include "editor/FrmProgress.h"
#include "editor/FrmQuilmark.h"

namespace quilmark {

QString FrmQuilmark::ShowFileDialog(const FileDialogRequest& request) {
  if (FileDialogHook) return FileDialogHook(request);
  QFileDialog dialog(this);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // Each "Description|pattern" pair becomes Qt's "Description" filter (it
  // names its pattern); a name typed without an ending takes the chosen
  // filter's.
  const QStringList parts = request.filter.split('|');
  QStringList filters, suffixes;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    filters.push_back(parts[i]);
    suffixes.push_back(parts[i + 1].section('.', -1));
  }
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(request.defaultSuffix);
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters, suffixes](const QString& filter) {
    if (const qsizetype i = filters.indexOf(filter); i >= 0) dialog.setDefaultSuffix(suffixes[i]);
  });
  const QString folder = request.folder.isEmpty() ? lastDialogFolder_ : request.folder;
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  lastDialogFolder_ = dialog.directory().absolutePath();
  return dialog.selectedFiles().first();
}

void FrmQuilmark::mnuFileNew_Click() {
  if (MayLeaveDocument(Leaving::Starting)) NewDocument();
}

void FrmQuilmark::mnuFileOpen_Click() {
  if (!MayLeaveDocument(Leaving::Opening)) return;
  const QString name = ShowFileDialog({false, "GAF files (*.gaf)|*.gaf", "gaf", PathText(Editor().GAFLoadDir), ""});
  if (!name.isEmpty()) OpenFile(name);
}

void FrmQuilmark::OpenFile(const QString& name) {
  Ending ending([this] {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    StatusPanel1->setText("Ready");
    EnableControls(true);
  });
  Editor().GAFLoadDir = GetFolder(PathBytes(name));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  EnableControls(false);
  // The load keeps its own document alive, whatever runs while it lets
  // messages through.
  auto doc = std::make_shared<classGAF>();
  Editor().CurrentGAF = doc;
  // The steps of the document before are gone with it.
  History->clear();
  LoadInto(doc, name);
  ResetView();
}

void FrmQuilmark::mnuFileSaveGAF_Click() { (void)SaveGafAs(); }

bool FrmQuilmark::SaveGafAs() {
  Ending ending([this] {
    EnableControls(true);
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  });
  const QString name = ShowFileDialog(
      {true, "GAF files (*.gaf)|*.gaf", "gaf", PathText(Editor().GAFSaveDir), PathText(Editor().CurrentFileName)});
  if (name.isEmpty()) return false;
  Editor().GAFSaveDir = GetFolder(PathBytes(name));
  EnableControls(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto doc = Editor().CurrentGAF;
  const int step = History->index();
  ProgressWindowSink progress(this);
  const SaveResult result = doc->Save(PathBytes(name), &progress);
  progress.Close();
  if (!result) {
    Message(name + " could not be saved: " + QString::fromStdString(result.error));
    return false;
  }
  // The menus stay usable while the progress window lets messages through:
  // only the document as it was saved is clean.
  if (doc == Editor().CurrentGAF && History->index() == step) History->setClean();
  return true;
}

void FrmQuilmark::mnuFileExit_Click() { close(); }

void FrmQuilmark::mnuViewCenter_Click() {
  Editor().CenterInView = mnuViewCenter->isChecked();
  DisplaySelectedPicture();
}

void FrmQuilmark::Toolbar_ButtonClick(const QString& key) {
  if (key == "new") mnuFileNew_Click();
  if (key == "open") mnuFileOpen_Click();
  if (key == "save") mnuFileSaveGAF_Click();
  if (key == "create") mnuImagesCreateSequence_Click();
  if (key == "import") mnuImagesImportSequence_Click();
  if (key == "preview") mnuImagesPreview_Click();
}

namespace {

// The window side of the UFO export: the input box for the folder inside the
// archive, the busy pointer, the save's progress window, and messages let
// through while the archive is packed.
class UfoExportWindow : public UfoExportUi {
 public:
  explicit UfoExportWindow(QWidget* owner) : owner_(owner), progress_(owner) {}
  ~UfoExportWindow() override { progress_.Close(); }
  std::optional<std::string> AskArchiveFolder(const std::string& prompt, const std::string& title,
                                              const std::string& default_answer) override {
    // The box is answered with the normal pointer.
    if (busy_) QApplication::restoreOverrideCursor();
    const auto answer = InputBox(owner_, QString::fromStdString(prompt), QString::fromStdString(title),
                                 QString::fromStdString(default_answer));
    if (busy_) QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!answer) return std::nullopt;
    return QFile::encodeName(*answer).toStdString();
  }
  void ShowBusyPointer() override {
    if (busy_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
  }
  ProgressSink* SaveProgress() override { return &progress_; }
  bool PackProgress(uint64_t, uint64_t, uint32_t, uint32_t) override {
    QCoreApplication::processEvents();
    return true;
  }
  bool Busy() const { return busy_; }

 private:
  QWidget* owner_;
  ProgressWindowSink progress_;
  bool busy_ = false;
};

}  // namespace

void FrmQuilmark::mnuFileSaveUFO_Click() {
  UfoExportWindow ui(this);
  Ending ending([this, &ui] {
    QCoreApplication::processEvents();
    EnableControls(true);
    if (ui.Busy()) QApplication::restoreOverrideCursor();
  });
  const QString name = ShowFileDialog({true, "UFO files (*.ufo)|*.ufo", "ufo", PathText(Editor().GAFSaveDir), ""});
  if (name.isEmpty()) return;
  Editor().GAFSaveDir = GetFolder(PathBytes(name));
  EnableControls(false);
  const auto doc = Editor().CurrentGAF;
  const UfoExportResult result = ExportUfo(*doc, PathBytes(name), ui);
  if (!result) {
    Message(name + " could not be exported: " + QString::fromStdString(result.error));
  } else if (!result.warning.empty()) {
    Message(QString::fromStdString(result.warning));
  }
}

}  // namespace quilmark
