#include "dialogs/FrmAbout.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMouseEvent>

#include "dialogs/Pictures.h"

namespace quilmark {
namespace {
QRect Twips(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }

const char* const kCredits =
    "Quilmark edits the GAF files in which the game keeps its animated sprites: "
    "sequences of frames, each a palettised image or a group of subframes.\n\n"
    "Frames are imported from and exported to 256-colour BMP files in the game "
    "palette, previewed as animations and packed into UFO archives.\n\n"
    "Written by the Quilmark developers.";
}  // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, Qt::blue);
  setPalette(p);
  QFont f = font();
  f.setUnderline(true);
  setFont(f);
  setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit Clicked();
  QLabel::mouseReleaseEvent(event);
}

FrmAbout::FrmAbout(QWidget* owner) : QDialog(owner) {
  setObjectName("FrmAbout");
  setWindowTitle("About Quilmark");
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(5160 / 15, 3480 / 15);
  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setGeometry(Twips(180, 120, 480, 480));
  Image1->setPixmap(ProgramPixmap(32));
  Label6 = new QLabel("Quilmark 1.0", this);
  Label6->setObjectName("Label6");
  QFont bold = Label6->font();
  bold.setBold(true);
  Label6->setFont(bold);
  Label6->setGeometry(Twips(900, 120, 3495, 255));
  Label7 = new QLabel("An editor for GAF sprite files", this);
  Label7->setObjectName("Label7");
  Label7->setGeometry(Twips(900, 360, 3495, 255));
  TxtInfo = new QPlainTextEdit(kCredits, this);
  TxtInfo->setObjectName("TxtInfo");
  TxtInfo->setGeometry(Twips(900, 720, 3975, 1815));
  // The credits can be read, selected and copied, never changed.
  TxtInfo->setReadOnly(true);
  TxtInfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  LblHomePage = new LinkLabel("Quilmark home page", this);
  LblHomePage->setObjectName("LblHomePage");
  LblHomePage->setGeometry(Twips(900, 2700, 2850, 195));
  Label4 = new LinkLabel("Mail the authors", this);
  Label4->setObjectName("Label4");
  Label4->setGeometry(Twips(900, 3060, 2370, 195));
  Label4->setToolTip(MailAddress());
  LblHomePage->adjustSize();
  Label4->adjustSize();
  BtnOK = new QPushButton("OK", this);
  BtnOK->setObjectName("BtnOK");
  BtnOK->setGeometry(Twips(4080, 2880, 855, 350));
  BtnOK->setDefault(true);
  BtnOK->setFocus();
  connect(BtnOK, &QPushButton::clicked, this, &FrmAbout::BtnOK_Click);
  connect(LblHomePage, &LinkLabel::Clicked, this, &FrmAbout::LblHomePage_Click);
  connect(Label4, &LinkLabel::Clicked, this, &FrmAbout::Label4_Click);
}

void FrmAbout::BtnOK_Click() { accept(); }

QUrl FrmAbout::HomePage() {
  const QUrl configured(QStringLiteral(QUILMARK_HOME_PAGE));
  if (!configured.isLocalFile() || QFileInfo(configured.toLocalFile()).isFile()) return configured;
  // A local page that is not there: the program was installed under another
  // prefix than it was built for, or runs from the build tree. Both keep the
  // README at the same place relative to the program.
  const QFileInfo beside(QCoreApplication::applicationDirPath() + "/" QUILMARK_DOC_FROM_BIN "/README.md");
  return beside.isFile() ? QUrl::fromLocalFile(beside.canonicalFilePath()) : configured;
}

QString FrmAbout::MailAddress() { return QStringLiteral(QUILMARK_MAIL_ADDRESS); }

// The desktop's answer is not examined: a link that cannot be opened does nothing.
void FrmAbout::LblHomePage_Click() { QDesktopServices::openUrl(HomePage()); }

void FrmAbout::Label4_Click() { QDesktopServices::openUrl(QUrl("mailto:" + MailAddress())); }

}  // namespace quilmark
