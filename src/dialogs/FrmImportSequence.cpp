#include "dialogs/FrmImportSequence.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "dialogs/InputBox.h"
#include "editorcore/EditorState.h"
#include "images/FrameImages.h"

namespace quilmark {
namespace {
QRect Twips(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }
std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Text(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
const int IndexRole = Qt::UserRole;
}  // namespace

void ShowBmpLoadDir(PlacesList* drives, FolderList* dirs, FileList* files) {
  // Like the platform's folder lists, they start at the program's current
  // folder; an empty or vanished BMPLoadDir leaves them there.
  drives->SetPlaceOf(QDir::currentPath());
  dirs->SetPath(QDir::currentPath());
  const QString folder = Text(Editor().BMPLoadDir);
  if (QFileInfo(folder).isDir()) drives->SetPlaceOf(folder);
  dirs->SetPath(folder);
  files->SetPath(dirs->Path());
}

void StoreBmpLoadDir(const FolderList* dirs) {
  if (!dirs->Path().isEmpty()) Editor().BMPLoadDir = Bytes(dirs->Path());
}

FrmImportSequence::FrmImportSequence(QWidget* owner, std::function<void()> resetView, MessageSink* messages)
    : QDialog(owner), resetView_(std::move(resetView)), messages_(messages) {
  setObjectName("FrmImportSequence");
  setWindowTitle("Import Sequence");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(7350 / 15, 5565 / 15);

  Drives = new PlacesList(this);
  Drives->setObjectName("Drives");
  Drives->setGeometry(Twips(180, 180, 2895, 315));
  Dirs = new FolderList(this);
  Dirs->setObjectName("Dirs");
  Dirs->setGeometry(Twips(180, 600, 2895, 1215));
  Files = new FileList(this);
  Files->setObjectName("Files");
  Files->setGeometry(Twips(180, 1920, 2895, 1845));
  Files->SetPattern("*.bmp");
  Label1 = new QLabel("Frames", this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(Twips(3840, 300, 675, 195));
  LstFrames = new QListWidget(this);
  LstFrames->setObjectName("LstFrames");
  LstFrames->setGeometry(Twips(3840, 600, 3315, 1815));
  LstFrames->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Buttons stay auto-default: the one that has focus takes Enter, and OK
  // takes it everywhere else.
  auto button = [this](const char* name, const char* caption, const char* tip, QRect r) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setGeometry(r);
    return b;
  };
  CmdDelete = button("CmdDelete", "<<", "Remove GAF images.", Twips(3240, 1560, 435, 435));
  CmdAdd = button("CmdAdd", ">>", "Add selected files as GAF image frames.", Twips(3240, 1980, 435, 435));
  Label2 = new QLabel("Subframes", this);
  Label2->setObjectName("Label2");
  Label2->setGeometry(Twips(3840, 2580, 855, 195));
  // The captions keep their places but take the width their font needs.
  Label1->adjustSize();
  Label2->adjustSize();
  LstSubframes = new QListWidget(this);
  LstSubframes->setObjectName("LstSubframes");
  LstSubframes->setGeometry(Twips(3840, 2880, 3315, 840));
  LstSubframes->setSelectionMode(QAbstractItemView::ExtendedSelection);
  CmdRemoveFrame = button("CmdRemoveFrame", "<<", "Remove GAF image frames.", Twips(3240, 2880, 435, 435));
  CmdAddFrame = button("CmdAddFrame", ">>", "Add selected files as GAF image subframes.", Twips(3240, 3300, 435, 435));
  Frame1 = new QGroupBox("Options", this);
  Frame1->setObjectName("Frame1");
  Frame1->setGeometry(Twips(180, 3900, 6975, 975));
  chkCenter = new QCheckBox("&Center images", Frame1);
  chkCenter->setObjectName("chkCenter");
  chkCenter->setGeometry(Twips(180, 300, 1335, 195).adjusted(0, 0, 30, 4));
  chkCenter->setChecked(true);
  chkWhite = new QCheckBox("&Set white as transparent background", Frame1);
  chkWhite->setObjectName("chkWhite");
  chkWhite->setGeometry(Twips(180, 600, 2955, 195).adjusted(0, 0, 60, 4));
  chkCompress = new QCheckBox("Compress &images", Frame1);
  chkCompress->setObjectName("chkCompress");
  chkCompress->setGeometry(Twips(3660, 240, 1635, 255).adjusted(0, 0, 30, 2));
  CmdOK = new QPushButton("OK", this);
  CmdOK->setObjectName("CmdOK");
  CmdOK->setGeometry(Twips(4920, 5040, 1035, 375));
  CmdOK->setDefault(true);
  CmdCancel = button("CmdCancel", "Cancel", "", Twips(6120, 5040, 1035, 375));
  CmdCancel->setToolTip({});

  connect(Drives, &PlacesList::PlaceChosen, this, &FrmImportSequence::Drives_Change);
  connect(Dirs, &FolderList::Changed, this, &FrmImportSequence::Dirs_Change);
  connect(Files, &QListWidget::itemDoubleClicked, this, [this] { CmdAdd_Click(); });
  connect(CmdAdd, &QPushButton::clicked, this, &FrmImportSequence::CmdAdd_Click);
  connect(CmdDelete, &QPushButton::clicked, this, &FrmImportSequence::CmdDelete_Click);
  connect(LstFrames, &QListWidget::currentRowChanged, this, [this] { LstFrames_Click(); });
  connect(CmdAddFrame, &QPushButton::clicked, this, &FrmImportSequence::CmdAddFrame_Click);
  connect(CmdRemoveFrame, &QPushButton::clicked, this, &FrmImportSequence::CmdRemoveFrame_Click);
  connect(CmdOK, &QPushButton::clicked, this, &FrmImportSequence::CmdOK_Click);
  connect(CmdCancel, &QPushButton::clicked, this, &FrmImportSequence::CmdCancel_Click);

  // Form_Load.
  ShowBmpLoadDir(Drives, Dirs, Files);
  FrameLists.assign(1, classFrameList{});
}

void FrmImportSequence::Drives_Change(const QString& root) { Dirs->SetPath(root); }
void FrmImportSequence::Dirs_Change(const QString& path) { Files->SetPath(path); }

void FrmImportSequence::Message(const QString& text) { ShowMessageBox(this, messages_, text); }

void FrmImportSequence::CmdAdd_Click() {
  for (const QString& name : Files->SelectedNames()) {
    // Indices are 16-bit: a dialog holds at most 32,767 lists.
    if (FrameLists.size() > static_cast<size_t>(classFrameList::MaxEntries)) break;
    FrameLists.emplace_back();
    FrameLists.back().Create(Bytes(Files->FullPath(name)));
  }
  CreateList();
}

void FrmImportSequence::CreateList() {
  {
    QSignalBlocker block(LstFrames);
    LstFrames->clear();
    LstSubframes->clear();
    for (size_t i = 0; i < FrameLists.size(); ++i) {
      if (FrameLists[i].Name.empty()) continue;
      auto* line = new QListWidgetItem(Text(StripPath(FrameLists[i].Name)), LstFrames);
      line->setData(IndexRole, static_cast<int>(i));
    }
    if (LstFrames->count() > 0) LstFrames->setCurrentRow(0);
  }
  CreateFrameList();
}

void FrmImportSequence::CreateFrameList() {
  LstSubframes->clear();
  QListWidgetItem* current = LstFrames->currentItem();
  if (!current) return;
  const int index = current->data(IndexRole).toInt();
  if (index < 0 || index >= static_cast<int>(FrameLists.size())) return;
  FrameLists[static_cast<size_t>(index)].CreateFrameList([this](const std::string& text, int16_t entry) {
    auto* line = new QListWidgetItem(Text(text), LstSubframes);
    line->setData(IndexRole, static_cast<int>(entry));
  });
}

void FrmImportSequence::LstFrames_Click() { CreateFrameList(); }

void FrmImportSequence::CmdDelete_Click() {
  for (int row = LstFrames->count() - 1; row >= 0; --row) {
    QListWidgetItem* line = LstFrames->item(row);
    if (!line->isSelected()) continue;
    const int index = line->data(IndexRole).toInt();
    if (index >= 0 && index < static_cast<int>(FrameLists.size())) FrameLists[static_cast<size_t>(index)].Initialize();
  }
  CreateList();
}

void FrmImportSequence::CmdAddFrame_Click() {
  QListWidgetItem* current = LstFrames->currentItem();
  for (const QString& name : Files->SelectedNames()) {
    if (!current) {
      Message("There is no frame to add \"" + name + "\" to: add a frame first.");
      continue;
    }
    classFrameList& list = FrameLists[static_cast<size_t>(current->data(IndexRole).toInt())];
    if (!list.AddFrame(Bytes(Files->FullPath(name)))) Message("The frame cannot hold more images.");
  }
  CreateFrameList();
}

void FrmImportSequence::CmdRemoveFrame_Click() {
  if (LstSubframes->count() == 1) {
    Message("You cannot remove the only frame in an image.");
    return;
  }
  QListWidgetItem* current = LstFrames->currentItem();
  if (!current) return;
  classFrameList& list = FrameLists[static_cast<size_t>(current->data(IndexRole).toInt())];
  for (int row = LstSubframes->count() - 1; row >= 0; --row) {
    QListWidgetItem* line = LstSubframes->item(row);
    if (line->isSelected()) list.RemoveFrame(static_cast<int16_t>(line->data(IndexRole).toInt()));
  }
  CreateFrameList();
}

void FrmImportSequence::CmdOK_Click() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  (void)Editor().CurrentGAF->ImportSequence(FrameLists, chkCenter->isChecked(), chkWhite->isChecked(),
                                            chkCompress->isChecked(), messages_);
  if (resetView_) resetView_();
  QApplication::restoreOverrideCursor();
  accept();
}

void FrmImportSequence::CmdCancel_Click() { reject(); }

void FrmImportSequence::done(int result) {
  StoreBmpLoadDir(Dirs);
  QDialog::done(result);
}

}  // namespace quilmark
