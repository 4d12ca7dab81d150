#include "dialogs/FrmDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include "dialogs/DesignLayout.h"
#include "dialogs/InputBox.h"

namespace quilmark {
namespace {
// Keeps the whole path as its text; a path wider than the label is drawn with
// its middle left out, so that the current folder's name stays in sight.
class PathLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
  }
};
}  // namespace

FrmDirectory::FrmDirectory(QWidget* owner, MessageSink* messages) : QDialog(owner), messages_(messages) {
  setObjectName("FrmDirectory");
  setWindowTitle("Select a Location");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  // The design, with the path field added above the folder list: the folder
  // and places lists stand that much lower. The lists take the extra room;
  // the buttons keep to the top right corner.
  const int pathRow = 420;
  auto* layout = new DesignLayout(this, Twips(0, 0, 4455, 2895 + pathRow).size());
  LblPath = new PathLabel("/", this);
  LblPath->setObjectName("LblPath");
  layout->Add(LblPath, Twips(120, 120, 3135, 255), {0, 0, 1, 0});
  TxtPath = new PathField(this);
  TxtPath->setObjectName("TxtPath");
  layout->Add(TxtPath, Twips(120, 480, 3135, 315), {0, 0, 1, 0});
  Dir = new FolderList(this);
  Dir->setObjectName("Dir");
  layout->Add(Dir, Twips(120, 480 + pathRow, 3135, 1890), {0, 0, 1, 1});
  Drive = new PlacesList(this);
  Drive->setObjectName("Drive");
  layout->Add(Drive, Twips(120, 2460 + pathRow, 3135, 315), {0, 1, 1, 0});
  TxtPath->Follow(Dir, Drive);
  // Buttons stay auto-default: the one that has focus takes Enter, and OK
  // takes it everywhere else.
  CmdOk = new QPushButton("OK", this);
  CmdOk->setObjectName("CmdOk");
  layout->Add(CmdOk, Twips(3360, 480, 975, 375), {1, 0});
  CmdOk->setDefault(true);
  CmdCancel = new QPushButton("Cancel", this);
  CmdCancel->setObjectName("CmdCancel");
  layout->Add(CmdCancel, Twips(3360, 960, 975, 375), {1, 0});
  CmdMakeDir = new QPushButton("&Create...", this);
  CmdMakeDir->setObjectName("CmdMakeDir");
  layout->Add(CmdMakeDir, Twips(3360, 1440, 975, 375), {1, 0});
  // The path field comes first in the tab order (the order the controls are
  // made in) and has the focus on opening: a path typed at once, or after a
  // Tab from the last button, lands there and Enter goes to it. With the
  // focus in the folder list, a Tab led to the places list, which took the
  // typed path as a search and let Enter press OK on the folder shown.
  TxtPath->setFocus();

  connect(Drive, &PlacesList::PlaceChosen, this, &FrmDirectory::Drive_Change);
  connect(Dir, &FolderList::Changed, this, &FrmDirectory::Dir_Change);
  connect(CmdOk, &QPushButton::clicked, this, &FrmDirectory::CmdOK_Click);
  connect(CmdCancel, &QPushButton::clicked, this, &FrmDirectory::CmdCancel_Click);
  connect(CmdMakeDir, &QPushButton::clicked, this, &FrmDirectory::CmdMakeDir_Click);

  // Form_Load: no answer yet; the folder list starts at the program's current folder.
  const QString start = QDir::currentPath();
  Drive->SetPlaceOf(start);
  Dir->SetPath(start);
  // Typing replaces the folder shown.
  TxtPath->selectAll();
}

void FrmDirectory::Drive_Change(const QString& root) { Dir->SetPath(root); }

void FrmDirectory::Dir_Change(const QString& path) { LblPath->setText(path); }

void FrmDirectory::CmdOK_Click() {
  const QString text = LblPath->text();
  if (text.isEmpty()) return;
  QString chosen = text;
  if (!chosen.endsWith('/')) chosen += '/';
  chosen_ = QFile::encodeName(chosen).toStdString();
  accept();
}

void FrmDirectory::CmdCancel_Click() { reject(); }

// Cancel, Escape and the close box all end here.
void FrmDirectory::reject() {
  chosen_.clear();
  QDialog::reject();
}

void FrmDirectory::CmdMakeDir_Click() {
  const std::optional<QString> name = InputBox(this, "Enter the name of a new directory", "New Dir");
  if (!name || name->isEmpty()) return;
  const QString target = JoinPath(Dir->Path(), *name);
  if (QFileInfo(target).isDir()) {
    ShowMessageBox(this, messages_, "Directory already exists.", "Dir Error", QMessageBox::NoIcon);
    return;
  }
  // A folder that cannot be made leaves the list where it is.
  QDir().mkdir(target);
  Dir->SetPath(target);
  Dir->Refresh();
}

}  // namespace quilmark
