#include "dialogs/FrmImportFrame.h"

#include <QApplication>
#include <QFile>
#include <memory>

#include "dialogs/FrmImportSequence.h"
#include "editorcore/EditorState.h"
#include "images/FrameImages.h"

namespace quilmark {
namespace {
QRect Twips(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }
std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Text(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
// A file's key: its name with every letter's case folded. The collection
// folds only 8-bit letters, and file names are UTF-8.
std::string Key(const QString& name) { return name.toCaseFolded().toStdString(); }
}  // namespace

FrmImportFrame::FrmImportFrame(QWidget* owner, AnimationDisplay* display, MessageSink* messages)
    : QDialog(owner), display_(display), messages_(messages) {
  setObjectName("FrmImportFrame");
  setWindowTitle(FramesCaption);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(6150 / 15, 5160 / 15);

  Drives = new PlacesList(this);
  Drives->setObjectName("Drives");
  Drives->setGeometry(Twips(120, 120, 2535, 315));
  Dirs = new FolderList(this);
  Dirs->setObjectName("Dirs");
  Dirs->setGeometry(Twips(120, 540, 2535, 1215));
  Files = new FileList(this);
  Files->setObjectName("Files");
  Files->setGeometry(Twips(120, 1860, 2535, 1455));
  Files->SetPattern("*.bmp");
  CmdAdd = new QPushButton(">>", this);
  CmdAdd->setObjectName("CmdAdd");
  CmdAdd->setToolTip("Add selected files as GAF image frames.");
  CmdAdd->setGeometry(Twips(2820, 2100, 435, 435));
  CmdDelete = new QPushButton("<<", this);
  CmdDelete->setObjectName("CmdDelete");
  CmdDelete->setToolTip("Remove GAF images.");
  CmdDelete->setGeometry(Twips(2820, 2700, 435, 435));
  Label1 = new QLabel("Frames", this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(Twips(3420, 240, 675, 195));
  Label1->adjustSize();
  LstFrames = new QListWidget(this);
  LstFrames->setObjectName("LstFrames");
  LstFrames->setGeometry(Twips(3420, 540, 2535, 2790));
  LstFrames->setSelectionMode(QAbstractItemView::ExtendedSelection);
  Frame1 = new QGroupBox("Options", this);
  Frame1->setObjectName("Frame1");
  Frame1->setGeometry(Twips(120, 3480, 5835, 975));
  chkCenter = new QCheckBox("&Center images", Frame1);
  chkCenter->setObjectName("chkCenter");
  chkCenter->setGeometry(Twips(180, 300, 1335, 195).adjusted(0, 0, 30, 4));
  chkWhite = new QCheckBox("&Set white as transparent background", Frame1);
  chkWhite->setObjectName("chkWhite");
  chkWhite->setGeometry(Twips(180, 600, 2955, 195).adjusted(0, 0, 60, 4));
  chkCompress = new QCheckBox("Compress &images", Frame1);
  chkCompress->setObjectName("chkCompress");
  chkCompress->setGeometry(Twips(3300, 240, 1635, 255).adjusted(0, 0, 30, 2));
  // Buttons stay auto-default: the one that has focus takes Enter, and OK
  // takes it everywhere else.
  CmdOK = new QPushButton("OK", this);
  CmdOK->setObjectName("CmdOK");
  CmdOK->setGeometry(Twips(3720, 4620, 1035, 375));
  CmdOK->setDefault(true);
  CmdCancel = new QPushButton("Cancel", this);
  CmdCancel->setObjectName("CmdCancel");
  CmdCancel->setGeometry(Twips(4920, 4620, 1035, 375));

  connect(Drives, &PlacesList::PlaceChosen, this, &FrmImportFrame::Drives_Change);
  connect(Dirs, &FolderList::Changed, this, &FrmImportFrame::Dirs_Change);
  connect(Files, &QListWidget::itemDoubleClicked, this, [this] { CmdAdd_Click(); });
  connect(CmdAdd, &QPushButton::clicked, this, &FrmImportFrame::CmdAdd_Click);
  connect(CmdDelete, &QPushButton::clicked, this, &FrmImportFrame::CmdDelete_Click);
  connect(CmdOK, &QPushButton::clicked, this, &FrmImportFrame::CmdOK_Click);
  connect(CmdCancel, &QPushButton::clicked, this, &FrmImportFrame::CmdCancel_Click);

  // Form_Load.
  ChosenFiles.Clear();
  ShowBmpLoadDir(Drives, Dirs, Files);
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

void FrmImportFrame::CmdOK_Click() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::vector<std::string> files;
  for (const auto& path : ChosenFiles) files.push_back(*path);
  EditorState& st = Editor();
  (void)st.CurrentAnimation->ImportFrames(files, chkCenter->isChecked(), chkWhite->isChecked(), SubframeMode(),
                                          chkCompress->isChecked(), st.CurrentFrame, display_, messages_);
  QApplication::restoreOverrideCursor();
  accept();
}

void FrmImportFrame::CmdCancel_Click() { reject(); }

void FrmImportFrame::done(int result) {
  StoreBmpLoadDir(Dirs);
  QDialog::done(result);
}

}  // namespace quilmark
