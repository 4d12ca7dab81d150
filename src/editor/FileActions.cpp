#include "editor/FileActions.h"

#include <QApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "archive/ArchiveDocuments.h"
#include "archive/UfoExport.h"
#include "dialogs/FrmOpenArchive.h"
#include "dialogs/InputBox.h"
#include "editor/EditorSupport.h"
#include "editor/FrmProgress.h"
#include "editor/RecoveryKeeper.h"

namespace quilmark {

QString RunFileDialog(QWidget* owner, const FileDialogRequest& request, QString& lastFolder) {
  QFileDialog dialog(owner);
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
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters, suffixes](const QString& filter) {
    if (const qsizetype i = filters.indexOf(filter); i >= 0) dialog.setDefaultSuffix(suffixes[i]);
  });
  const QString folder = request.folder.isEmpty() ? lastFolder : request.folder;
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  lastFolder = dialog.directory().absolutePath();
  return dialog.selectedFiles().first();
}

FileActions::FileActions(GafDocument& doc, WindowServices& window, RecoveryKeeper& recovery, QObject* parent)
    : QObject(parent), doc_(doc), window_(window), recovery_(recovery) {}

void FileActions::New() {
  if (MayLeave(Leaving::Starting)) doc_.Reset(std::make_shared<classGAF>(), "Untitled.gaf");
}

void FileActions::Open() {
  if (!MayLeave(Leaving::Opening)) return;
  const QString name =
      window_.ShowFileDialog({false, "GAF files (*.gaf)|*.gaf", "gaf", PathText(doc_.State().GAFLoadDir), ""});
  if (!name.isEmpty()) OpenFile(name);
}

FileActions::Reader FileActions::FileReader(const QString& path) {
  return [file = PathBytes(path)](classGAF& gaf, ProgressSink* progress) { return gaf.Load(file, progress); };
}

void FileActions::OpenFile(const QString& name) {
  doc_.State().GAFLoadDir = GetFolder(PathBytes(name));
  if (Load(name, PathBytes(name), GafDocument::Saved::Yes, FileReader(name))) emit Used(name);
}

void FileActions::OpenRecent(const QString& path) {
  if (!MayLeave(Leaving::Opening)) return;
  std::string archive, inside;
  if (!SplitArchiveArgument(PathBytes(path), archive, inside)) return OpenFile(path);
  const auto read = [name = PathBytes(path)](classGAF& gaf, ProgressSink*) { return LoadDocumentArgument(name, gaf); };
  if (Load(path, PathBytes(path), GafDocument::Saved::Yes, read)) emit Used(path);
}

void FileActions::OpenFromArchive() {
  if (!MayLeave(Leaving::Opening)) return;
  const QString name = window_.ShowFileDialog({false,
                                               "Archives (*.ufo *.hpi *.ccx *.gp3)|*.ufo|All files (*)|*",
                                               "ufo", PathText(doc_.State().GAFLoadDir), ""});
  if (!name.isEmpty()) OpenArchive(name);
}

void FileActions::OpenArchive(const QString& archive) {
  std::string why;
  std::shared_ptr<HpiArchive> opened = HpiArchive::Open(PathBytes(archive), &why);
  if (!opened) return window_.Message(archive + " cannot be opened as an archive: " + QString::fromStdString(why));
  doc_.State().GAFLoadDir = GetFolder(PathBytes(archive));
  ArchiveListing listing;
  for (const HpiEntry& entry : opened->Entries())
    if (LooksLikeGaf(*opened, entry) == GafLook::Yes) listing.gafs.push_back({entry.path, entry.size});
  listing.read = [opened](const std::string& path, std::vector<uint8_t>& bytes, std::string* why) {
    const HpiEntry* entry = opened->Find(path);
    return entry && opened->ReadAll(*entry, bytes, why);
  };
  FrmOpenArchive dialog(window_.Owner(), PathText(StripPath(PathBytes(archive))), std::move(listing));
  if (dialog.exec() != QDialog::Accepted || dialog.Chosen().empty()) return;
  const std::string name = ArchiveArgument(PathBytes(archive), dialog.Chosen());
  const auto read = [opened, path = dialog.Chosen()](classGAF& gaf, ProgressSink*) {
    return LoadFromArchive(*opened, path, gaf);
  };
  if (Load(PathText(name), name, GafDocument::Saved::Yes, read)) emit Used(PathText(name));
}

bool FileActions::Load(const QString& path, const std::string& fileName, GafDocument::Saved saved,
                       const Reader& read) {
  Ending ending([this] {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    window_.EnableControls(true);
  });
  QApplication::setOverrideCursor(Qt::WaitCursor);
  window_.EnableControls(false);
  // The load keeps its own document alive, whatever runs while it lets
  // messages through; the steps of the document before are gone with it.
  auto gaf = std::make_shared<classGAF>();
  doc_.Reset(gaf, fileName);
  ProgressWindowSink progress(window_.Owner());
  const LoadReport report = read(*gaf, &progress);
  progress.Close();
  if (!report.opened) {
    window_.Message(path + " could not be opened (" + QString::fromStdString(report.problem) + "): nothing was read.");
  } else if (!report.complete) {
    window_.Message(path + " could not be read completely; saving it will keep only what was read.");
  }
  doc_.Reset(gaf, fileName, saved);
  return report.opened;
}

bool FileActions::SaveAs() {
  Ending ending([this] {
    window_.EnableControls(true);
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  });
  EditorState& st = doc_.State();
  std::string archive, inside;
  if (SplitArchiveArgument(st.CurrentFileName, archive, inside)) {
    QMessageBox box(QMessageBox::Question, "Quilmark",
                    QString("Write \"%1\" back into \"%2\"?").arg(PathText(inside), PathText(StripPath(archive))),
                    QMessageBox::NoButton, window_.Owner());
    box.setObjectName("ArchiveSaveQuestion");
    box.setInformativeText("The other files of the archive stay as they are.");
    QPushButton* back = box.addButton("Write into &Archive", QMessageBox::AcceptRole);
    QPushButton* file = box.addButton("Save as &GAF File...", QMessageBox::ActionRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(back);
    box.exec();
    if (box.clickedButton() == back) return WriteBack(archive, inside);
    if (box.clickedButton() != file) return false;
  }
  // A file from an archive is offered under its own name.
  const std::string offered = archive.empty() ? st.CurrentFileName : DocumentArgumentName(st.CurrentFileName);
  const QString name = window_.ShowFileDialog(
      {true, "GAF files (*.gaf)|*.gaf", "gaf", PathText(st.GAFSaveDir), PathText(offered)});
  if (name.isEmpty()) return false;
  st.GAFSaveDir = GetFolder(PathBytes(name));
  window_.EnableControls(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto gaf = doc_.SharedGaf();
  const int step = doc_.History().index();
  ProgressWindowSink progress(window_.Owner());
  const SaveResult result = gaf->Save(PathBytes(name), &progress);
  progress.Close();
  if (!result) {
    window_.Message(name + " could not be saved: " + QString::fromStdString(result.error));
    return false;
  }
  // The menus stay usable while the progress window lets messages through:
  // only the document as it was saved is clean.
  if (gaf == doc_.SharedGaf() && doc_.History().index() == step) doc_.MarkSaved(st.CurrentFileName);
  emit Used(name);
  return true;
}

bool FileActions::WriteBack(const std::string& archive, const std::string& path) {
  window_.EnableControls(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto gaf = doc_.SharedGaf();
  const int step = doc_.History().index();
  // The archive keeps its encryption.
  const HpiUpdateResult result = PutDocument(*gaf, archive, path, true);
  if (!result) {
    window_.Message(PathText(archive) + " could not be written: " + QString::fromStdString(result.error));
    return false;
  }
  if (!result.warning.empty()) window_.Note(QString::fromStdString(result.warning));
  if (gaf == doc_.SharedGaf() && doc_.History().index() == step) doc_.MarkSaved(doc_.FileName());
  emit Used(PathText(ArchiveArgument(archive, path)));
  return true;
}

bool FileActions::MayLeave(Leaving why) {
  // A number typed and not yet applied is a change too.
  window_.ApplyPendingEdits();
  if (!doc_.IsModified()) return true;
  const char* after = why == Leaving::Closing   ? "closing"
                      : why == Leaving::Opening ? "opening another file"
                                                : "starting a new one";
  QMessageBox box(QMessageBox::Warning, "Quilmark",
                  QString("Save changes to \"%1\" before %2?")
                      .arg(PathText(DocumentArgumentName(doc_.FileName())), QString::fromLatin1(after)),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, window_.Owner());
  box.setObjectName("UnsavedQuestion");
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveAs();
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

void FileActions::OfferRecovery() {
  for (const auto& copy : RecoveryCopy::Left(recovery_.Folder())) {
    const RecoveryInfo& info = copy->Info();
    QMessageBox box(
        QMessageBox::Question, "Quilmark",
        QString("Quilmark did not close normally. Recover the unsaved changes to %1?").arg(PathText(info.file)),
        QMessageBox::NoButton, window_.Owner());
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
    if (!MayLeave(Leaving::Opening)) return;
    // The recovered document is the user's file with unsaved changes: its
    // save goes to the file, and it is kept in this editor's own copy before
    // the old one goes. Copies not yet asked about stay for a later start.
    const QString kept = PathText(copy->DocumentPath());
    Load(kept, info.file, GafDocument::Saved::Never, FileReader(kept));
    if (recovery_.WriteNow()) copy->Remove();
    return;
  }
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

void FileActions::ExportUfo() {
  UfoExportWindow ui(window_.Owner());
  Ending ending([this, &ui] {
    QCoreApplication::processEvents();
    window_.EnableControls(true);
    if (ui.Busy()) QApplication::restoreOverrideCursor();
  });
  EditorState& st = doc_.State();
  const QString name = window_.ShowFileDialog({true, "UFO files (*.ufo)|*.ufo", "ufo", PathText(st.GAFSaveDir), ""});
  if (name.isEmpty()) return;
  st.GAFSaveDir = GetFolder(PathBytes(name));
  window_.EnableControls(false);
  const auto gaf = doc_.SharedGaf();
  const UfoExportResult result = quilmark::ExportUfo(*gaf, PathBytes(name), ui);
  if (!result) {
    window_.Message(name + " could not be exported: " + QString::fromStdString(result.error));
  } else if (!result.warning.empty()) {
    window_.Message(QString::fromStdString(result.warning));
  }
}

}  // namespace quilmark
