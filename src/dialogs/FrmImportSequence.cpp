#include "dialogs/FrmImportSequence.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "base/PathNames.h"
#include "dialogs/DesignLayout.h"
#include "dialogs/InputBox.h"

namespace quilmark {
namespace {
std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Text(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
const int IndexRole = Qt::UserRole;
}  // namespace

void ShowBmpLoadDir(PlacesList* drives, FolderList* dirs, FileList* files, const std::string& loadDir) {
  // Like the platform's folder lists, they start at the program's current
  // folder; an empty or vanished loadDir leaves them there.
  drives->SetPlaceOf(QDir::currentPath());
  dirs->SetPath(QDir::currentPath());
  const QString folder = Text(loadDir);
  if (QFileInfo(folder).isDir()) drives->SetPlaceOf(folder);
  dirs->SetPath(folder);
  files->SetPath(dirs->Path());
}

void StoreBmpLoadDir(const FolderList* dirs, std::string& loadDir) {
  if (!dirs->Path().isEmpty()) loadDir = Bytes(dirs->Path());
}

QCheckBox* AddDitherBox(const QCheckBox* compress, const QCheckBox* white) {
  auto* dither = new QCheckBox("&Dither colours", compress->parentWidget());
  dither->setObjectName("chkDither");
  dither->setToolTip(kDitherTip);
  // The white box's row runs under the compress box's column; its caption
  // is kept clear of.
  const int left = std::max(compress->x(), white->x() + white->sizeHint().width() + 8);
  dither->setGeometry(left, Twips(0, 540, 0, 0).y(), dither->sizeHint().width(), compress->height());
  return dither;
}

FrmImportSequence::FrmImportSequence(QWidget* owner, const std::string& loadDir, MessageSink* messages)
    : QDialog(owner), messages_(messages), loadDir_(loadDir) {
  setObjectName("FrmImportSequence");
  setWindowTitle("Import Sequence");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  // The design, with two rows added: the path field above the folder list and
  // the file types below the file list; the controls below each row stand
  // that much lower. The thumbnail takes a column of its own on the right.
  const int pathRow = 420, typeRow = 420, thumbnailLeft = 7155 + 180, thumbnail = 2160;
  auto* layout = new DesignLayout(this, Twips(0, 0, thumbnailLeft + thumbnail + 180, 5565 + pathRow + typeRow).size());
  // The extra width goes in thirds to the file lists, the frame lists and the
  // thumbnail; the extra height to the lists; the buttons keep their places
  // beside the lists or in the bottom right corner.
  const double third = 1.0 / 3;

  Drives = new PlacesList(this);
  Drives->setObjectName("Drives");
  layout->Add(Drives, Twips(180, 180, 2895, 315), {0, 0, third, 0});
  TxtPath = new PathField(this);
  TxtPath->setObjectName("TxtPath");
  layout->Add(TxtPath, Twips(180, 600, 2895, 315), {0, 0, third, 0});
  Dirs = new FolderList(this);
  Dirs->setObjectName("Dirs");
  TxtPath->Follow(Dirs, Drives);
  layout->Add(Dirs, Twips(180, 600 + pathRow, 2895, 1215), {0, 0, third, 0.5});
  Files = new FileList(this);
  Files->setObjectName("Files");
  layout->Add(Files, Twips(180, 1920 + pathRow, 2895, 1845), {0, 0.5, third, 0.5});
  Files->SetPattern("*.bmp");
  LstFileType = new FileTypeList(Files, this);
  LstFileType->setObjectName("LstFileType");
  layout->Add(LstFileType, LstFileType->Fitted(Twips(180, 3870 + pathRow, 2895, 315)), {0, 1, third, 0});
  Label1 = new QLabel("Frames", this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(Twips(3840, 300 + pathRow, 675, 195));
  LstFrames = new QListWidget(this);
  LstFrames->setObjectName("LstFrames");
  layout->Add(LstFrames, Twips(3840, 600 + pathRow, 3315, 1815), {third, 0, third, 0.5});
  LstFrames->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Buttons stay auto-default: the one that has focus takes Enter, and OK
  // takes it everywhere else.
  auto button = [this, layout](const char* name, const char* caption, const char* tip, QRect r,
                               DesignLayout::Shares shares) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setToolTip(tip);
    layout->Add(b, r, shares);
    return b;
  };
  // The first pair stands at the foot of the frame list, the second at the
  // head of the subframe list.
  CmdDelete = button("CmdDelete", "<<", "Remove GAF images.", Twips(3240, 1560 + pathRow, 435, 435), {third, 0.5});
  CmdAdd = button("CmdAdd", ">>", "Add selected files as GAF image frames.", Twips(3240, 1980 + pathRow, 435, 435),
                  {third, 0.5});
  Label2 = new QLabel("Subframes", this);
  Label2->setObjectName("Label2");
  Label2->setGeometry(Twips(3840, 2580 + pathRow, 855, 195));
  // The captions keep their places but take the width their font needs.
  Label1->adjustSize();
  Label2->adjustSize();
  layout->Add(Label1, {third, 0});
  layout->Add(Label2, {third, 0.5});
  LstSubframes = new QListWidget(this);
  LstSubframes->setObjectName("LstSubframes");
  layout->Add(LstSubframes, Twips(3840, 2880 + pathRow, 3315, 840), {third, 0.5, third, 0.5});
  LstSubframes->setSelectionMode(QAbstractItemView::ExtendedSelection);
  CmdRemoveFrame =
      button("CmdRemoveFrame", "<<", "Remove GAF image frames.", Twips(3240, 2880 + pathRow, 435, 435), {third, 0.5});
  CmdAddFrame = button("CmdAddFrame", ">>", "Add selected files as GAF image subframes.",
                       Twips(3240, 3300 + pathRow, 435, 435), {third, 0.5});
  Frame1 = new QGroupBox("Options", this);
  Frame1->setObjectName("Frame1");
  layout->Add(Frame1, Twips(180, 3900 + pathRow + typeRow, 6975, 975), {0, 1, 1, 0});
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
  chkDither = AddDitherBox(chkCompress, chkWhite);
  CmdOK = new QPushButton("OK", this);
  CmdOK->setObjectName("CmdOK");
  layout->Add(CmdOK, Twips(4920, 5040 + pathRow + typeRow, 1035, 375), {1, 1});
  CmdOK->setDefault(true);
  CmdCancel = button("CmdCancel", "Cancel", "", Twips(6120, 5040 + pathRow + typeRow, 1035, 375), {1, 1});
  CmdCancel->setToolTip({});
  PicThumbnail = new ImportThumbnail(Files, chkWhite, ViewBackground(owner), this);
  PicThumbnail->setObjectName("PicThumbnail");
  layout->Add(PicThumbnail, Twips(thumbnailLeft, 600 + pathRow, thumbnail, 3165), {2 * third, 0, third, 1});

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
  ShowBmpLoadDir(Drives, Dirs, Files, loadDir_);
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

ImportOptions FrmImportSequence::Options() const {
  return {chkCenter->isChecked(), chkWhite->isChecked(), chkCompress->isChecked(), chkDither->isChecked()};
}

void FrmImportSequence::CmdOK_Click() { accept(); }

void FrmImportSequence::CmdCancel_Click() { reject(); }

void FrmImportSequence::done(int result) {
  StoreBmpLoadDir(Dirs, loadDir_);
  QDialog::done(result);
}

}  // namespace quilmark
