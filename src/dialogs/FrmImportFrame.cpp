#include "dialogs/FrmImportFrame.h"

#include <QApplication>
#include <QFile>
#include <memory>

#include "base/PathNames.h"
#include "dialogs/DesignLayout.h"
#include "dialogs/FrmImportSequence.h"

namespace quilmark {
namespace {
std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Text(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
// A file's key: its name with every letter's case folded. The collection
// folds only 8-bit letters, and file names are UTF-8.
std::string Key(const QString& name) { return name.toCaseFolded().toStdString(); }
}  // namespace

FrmImportFrame::FrmImportFrame(QWidget* owner, const std::string& loadDir) : QDialog(owner), loadDir_(loadDir) {
  setObjectName("FrmImportFrame");
  setWindowTitle(FramesCaption);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  // The design, with two rows added: the path field above the folder list and
  // the file types below the file list; the controls below each row stand
  // that much lower. The thumbnail takes a column of its own on the right.
  const int pathRow = 420, typeRow = 420, thumbnailLeft = 5955 + 120, thumbnail = 2160;
  auto* layout = new DesignLayout(this, Twips(0, 0, thumbnailLeft + thumbnail + 120, 5160 + pathRow + typeRow).size());
  // The extra width goes in thirds to the file lists, the frame list and the
  // thumbnail; the extra height to the lists; the buttons keep their places
  // between the lists or in the bottom right corner.
  const double third = 1.0 / 3;

  Drives = new PlacesList(this);
  Drives->setObjectName("Drives");
  layout->Add(Drives, Twips(120, 120, 2535, 315), {0, 0, third, 0});
  TxtPath = new PathField(this);
  TxtPath->setObjectName("TxtPath");
  layout->Add(TxtPath, Twips(120, 540, 2535, 315), {0, 0, third, 0});
  Dirs = new FolderList(this);
  Dirs->setObjectName("Dirs");
  TxtPath->Follow(Dirs, Drives);
  layout->Add(Dirs, Twips(120, 540 + pathRow, 2535, 1215), {0, 0, third, 0.5});
  Files = new FileList(this);
  Files->setObjectName("Files");
  layout->Add(Files, Twips(120, 1860 + pathRow, 2535, 1455), {0, 0.5, third, 0.5});
  Files->SetPattern("*.bmp");
  LstFileType = new FileTypeList(Files, this);
  LstFileType->setObjectName("LstFileType");
  layout->Add(LstFileType, LstFileType->Fitted(Twips(120, 3420 + pathRow, 2535, 315)), {0, 1, third, 0});
  CmdAdd = new QPushButton(">>", this);
  CmdAdd->setObjectName("CmdAdd");
  CmdAdd->setToolTip("Add selected files as GAF image frames.");
  layout->Add(CmdAdd, Twips(2820, 2100 + pathRow, 435, 435), {third, 0.5});
  CmdDelete = new QPushButton("<<", this);
  CmdDelete->setObjectName("CmdDelete");
  CmdDelete->setToolTip("Remove GAF images.");
  layout->Add(CmdDelete, Twips(2820, 2700 + pathRow, 435, 435), {third, 0.5});
  Label1 = new QLabel("Frames", this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(Twips(3420, 240 + pathRow, 675, 195));
  Label1->adjustSize();
  layout->Add(Label1, {third, 0});
  LstFrames = new QListWidget(this);
  LstFrames->setObjectName("LstFrames");
  layout->Add(LstFrames, Twips(3420, 540 + pathRow, 2535, 2790), {third, 0, third, 1});
  LstFrames->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Frame1 = new QGroupBox("Options", this);
  Frame1->setObjectName("Frame1");
  layout->Add(Frame1, Twips(120, 3480 + pathRow + typeRow, 5835, 975), {0, 1, 1, 0});
  chkCenter = new QCheckBox("&Center images", Frame1);
  chkCenter->setObjectName("chkCenter");
  chkCenter->setGeometry(Twips(180, 300, 1335, 195).adjusted(0, 0, 30, 4));
  chkWhite = new QCheckBox("&Set white as transparent background", Frame1);
  chkWhite->setObjectName("chkWhite");
  chkWhite->setGeometry(Twips(180, 600, 2955, 195).adjusted(0, 0, 60, 4));
  chkCompress = new QCheckBox("Compress &images", Frame1);
  chkCompress->setObjectName("chkCompress");
  chkCompress->setGeometry(Twips(3300, 240, 1635, 255).adjusted(0, 0, 30, 2));
  chkDither = AddDitherBox(chkCompress, chkWhite);
  // Buttons stay auto-default: the one that has focus takes Enter, and OK
  // takes it everywhere else.
  CmdOK = new QPushButton("OK", this);
  CmdOK->setObjectName("CmdOK");
  layout->Add(CmdOK, Twips(3720, 4620 + pathRow + typeRow, 1035, 375), {1, 1});
  CmdOK->setDefault(true);
  CmdCancel = new QPushButton("Cancel", this);
  CmdCancel->setObjectName("CmdCancel");
  layout->Add(CmdCancel, Twips(4920, 4620 + pathRow + typeRow, 1035, 375), {1, 1});
  PicThumbnail = new ImportThumbnail(Files, chkWhite, ViewBackground(owner), this);
  PicThumbnail->setObjectName("PicThumbnail");
  layout->Add(PicThumbnail, Twips(thumbnailLeft, 540 + pathRow, thumbnail, 2775), {2 * third, 0, third, 1});

  connect(Drives, &PlacesList::PlaceChosen, this, &FrmImportFrame::Drives_Change);
  connect(Dirs, &FolderList::Changed, this, &FrmImportFrame::Dirs_Change);
  connect(Files, &QListWidget::itemDoubleClicked, this, [this] { CmdAdd_Click(); });
  connect(CmdAdd, &QPushButton::clicked, this, &FrmImportFrame::CmdAdd_Click);
  connect(CmdDelete, &QPushButton::clicked, this, &FrmImportFrame::CmdDelete_Click);
  connect(CmdOK, &QPushButton::clicked, this, &FrmImportFrame::CmdOK_Click);
  connect(CmdCancel, &QPushButton::clicked, this, &FrmImportFrame::CmdCancel_Click);

  // Form_Load.
  ChosenFiles.Clear();
  ShowBmpLoadDir(Drives, Dirs, Files, loadDir_);
}

void FrmImportFrame::Drives_Change(const QString& root) { Dirs->SetPath(root); }
void FrmImportFrame::Dirs_Change(const QString& path) { Files->SetPath(path); }

void FrmImportFrame::CmdAdd_Click() {
  // A name already chosen is skipped: the first file of that name stays.
  for (const QString& name : Files->SelectedNames())
    (void)ChosenFiles.Add(std::make_shared<std::string>(Bytes(Files->FullPath(name))), Key(name));
  FillFrameList();
}

void FrmImportFrame::CmdDelete_Click() {
  for (int row = 0; row < LstFrames->count(); ++row) {
    QListWidgetItem* line = LstFrames->item(row);
    if (line->isSelected()) (void)ChosenFiles.Remove(Key(line->text()));
  }
  FillFrameList();
}

void FrmImportFrame::FillFrameList() {
  LstFrames->clear();
  for (const auto& path : ChosenFiles) LstFrames->addItem(Text(StripPath(*path)));
}

std::vector<std::string> FrmImportFrame::ChosenPaths() const {
  std::vector<std::string> files;
  for (const auto& path : ChosenFiles) files.push_back(*path);
  return files;
}

ImportOptions FrmImportFrame::Options() const {
  return {chkCenter->isChecked(), chkWhite->isChecked(), chkCompress->isChecked(), chkDither->isChecked()};
}

void FrmImportFrame::CmdOK_Click() { accept(); }

void FrmImportFrame::CmdCancel_Click() { reject(); }

void FrmImportFrame::done(int result) {
  StoreBmpLoadDir(Dirs, loadDir_);
  QDialog::done(result);
}

}  // namespace quilmark
