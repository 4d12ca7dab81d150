#include "editor/FrmQuilmark.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>

#include "editor/EditorSupport.h"
#include "editor/FrmProgress.h"
#include "dialogs/Pictures.h"
#include "editor/RecoveryKeeper.h"
#include "editor/modRegistry.h"
#include "editorcore/Recovery.h"
#include "images/GamePalette.h"

namespace quilmark {

// ---------------------------------------------------------------- construction

FrmQuilmark::FrmQuilmark(Options options, QWidget* parent) : QMainWindow(parent), options_(std::move(options)) {
  Editor() = EditorState{};
  setObjectName("FrmQuilmark");
  setWindowTitle("Quilmark");
  setWindowIcon(ProgramIcon());
  // The pane's places are fixed in twips; a small font keeps the captions
  // inside the controls laid out for it.
  QFont small = font();
  small.setPointSizeF(8);
  setFont(small);
  Client = new QWidget(this);
  Client->setObjectName("Client");
  setCentralWidget(Client);
  Client->installEventFilter(this);
  History = new QUndoStack(this);
  Recovery = new RecoveryKeeper(History, RecoveryFolder(), this);
  connect(Recovery, &RecoveryKeeper::Written, this, [this](bool ok, const QString& error) {
    // Told once a run: the window keeps working without the copy.
    static bool told = false;
    if (!ok && !std::exchange(told, true)) Note("Unsaved changes cannot be kept for recovery: " + error);
  });
#ifndef QT_NO_SESSIONMANAGER
  // The session ends: there is no one to ask, so the changes are kept.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { Recovery->WriteNow(); });
#endif
  KeepEditingKeysInTextBoxes(this);
  BuildMenus();
  BuildToolbar();
  ShowModified();
  BuildPane();
  BuildViewMenu();
  // GAF files open wherever they are dropped, images on the picture; the
  // number boxes take no dropped text.
  setAcceptDrops(true);
  for (QLineEdit* box : {TxtWidth, TxtHeight, TxtXPos, TxtYPos, TxtFPS}) box->setAcceptDrops(false);
  resize(Px(MainLayout::DesignWidth), Px(MainLayout::DesignHeight) + menuBar()->sizeHint().height());
}

FrmQuilmark::~FrmQuilmark() = default;

QAction* FrmQuilmark::AddItem(QMenu* menu, const char* name, const QString& caption, void (FrmQuilmark::*handler)(),
                              const QKeySequence& shortcut) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, [this, handler] {
    ApplyPendingEdits();
    (this->*handler)();
  });
  return action;
}

void FrmQuilmark::AddBreak(QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); }

void FrmQuilmark::BuildMenus() {
  mnuFile = menuBar()->addMenu("&File");
  mnuFile->setObjectName("mnuFile");
  AddItem(mnuFile, "mnuFileNew", "&New GAF", &FrmQuilmark::mnuFileNew_Click, QKeySequence("Ctrl+N"));
  AddItem(mnuFile, "mnuFileOpen", "&Open GAF", &FrmQuilmark::mnuFileOpen_Click, QKeySequence("Ctrl+O"));
  AddItem(mnuFile, "mnuFileSaveGAF", "&Save GAF...", &FrmQuilmark::mnuFileSaveGAF_Click, QKeySequence("Ctrl+S"));
  AddBreak(mnuFile, "mnuFileBreak1");
  AddItem(mnuFile, "mnuFileSaveUFO", "Export &UFO...", &FrmQuilmark::mnuFileSaveUFO_Click);
  AddBreak(mnuFile, "mnuFileBreak2");
  AddItem(mnuFile, "mnuFileExit", "E&xit", &FrmQuilmark::mnuFileExit_Click);

  BuildEditMenu();

  mnuImages = menuBar()->addMenu("&Images");
  mnuImages->setObjectName("mnuImages");
  mnuViewCenter = AddItem(mnuImages, "mnuViewCenter", "Center Images in &View", &FrmQuilmark::mnuViewCenter_Click);
  mnuViewCenter->setCheckable(true);
  mnuViewCenter->setChecked(false);
  AddBreak(mnuImages, "mnuViewBreak1");
  AddItem(mnuImages, "mnuImagesCreateSequence", "&Create Sequence...", &FrmQuilmark::mnuImagesCreateSequence_Click,
          QKeySequence(Qt::Key_F2));
  AddItem(mnuImages, "mnuImageRemoveSequence", "&Remove Sequence", &FrmQuilmark::mnuImageRemoveSequence_Click,
          QKeySequence(Qt::Key_Delete));
  AddBreak(mnuImages, "mnuImagesBreak2");
  AddItem(mnuImages, "mnuImagesImportSequence", "&Import Sequence...", &FrmQuilmark::mnuImagesImportSequence_Click);
  AddItem(mnuImages, "mnuImagesExportSequence", "&Export Sequence...", &FrmQuilmark::mnuImagesExportSequence_Click);
  AddBreak(mnuImages, "mnuImagesBreak3");
  AddItem(mnuImages, "mnuImagesCompress", "C&ompress All Images...", &FrmQuilmark::mnuImagesCompress_Click);
  AddItem(mnuImages, "mnuImagesExportAll", "Export &All Images...", &FrmQuilmark::mnuImagesExportAll_Click);
  AddBreak(mnuImages, "mnuImagesBreak4");
  AddItem(mnuImages, "mnuImagesPreview", "&Preview Animation...", &FrmQuilmark::mnuImagesPreview_Click,
          QKeySequence(Qt::Key_F5));

  // Reached only through the "&Frame >" and "&Subframe >" buttons.
  mnuFrame = new QMenu("&Frame", this);
  mnuFrame->setObjectName("mnuFrame");
  AddItem(mnuFrame, "mnuFrameImport", "&Import Frames...", &FrmQuilmark::mnuFrameImport_Click);
  AddItem(mnuFrame, "mnuFrameExport", "&Export Frame...", &FrmQuilmark::mnuFrameExport_Click);
  AddBreak(mnuFrame, "mnuFrameBreak1");
  AddItem(mnuFrame, "mnuFrameRemove", "&Remove Frame", &FrmQuilmark::mnuFrameRemove_Click);
  mnuSubframe = new QMenu("&Subframe", this);
  mnuSubframe->setObjectName("mnuSubframe");
  AddItem(mnuSubframe, "mnuSubframeImport", "&Import Subframes...", &FrmQuilmark::mnuSubframeImport_Click);
  AddItem(mnuSubframe, "mnuSubframeExport", "&Export Subframe...", &FrmQuilmark::mnuSubframeExport_Click);
  AddBreak(mnuSubframe, "mnuSubframeBreak1");
  AddItem(mnuSubframe, "mnuSubframeRemove", "&Remove Subframe", &FrmQuilmark::mnuSubframeRemove_Click);

  mnuHelp = menuBar()->addMenu("&Help");
  mnuHelp->setObjectName("mnuHelp");
  AddItem(mnuHelp, "mnuHelpAbout", "&About Quilmark...", &FrmQuilmark::mnuHelpAbout_Click);
}

void FrmQuilmark::BuildViewMenu() {
  mnuView = new QMenu("&View", this);
  mnuView->setObjectName("mnuView");
  menuBar()->insertMenu(mnuImages->menuAction(), mnuView);
  for (QAction* action : ZoomActions(this, PicFrame)) mnuView->addAction(action);
  // The zoom lasts for the run, whatever is opened.
  connect(PicFrame, &ZoomedView::ZoomChanged, this, [this] {
    StatusZoom->setText(PicFrame->ZoomText());
    DisplaySelectedPicture();
  });
}

void FrmQuilmark::BuildToolbar() {
  Toolbar = new QToolBar(Client);
  Toolbar->setObjectName("Toolbar");
  Toolbar->setMovable(false);
  Toolbar->setIconSize(QSize(16, 16));
  // The pictures of ImgToolbar, by picture number.
  QIcon pictures[7];
  for (int i = 0; i < 7; ++i) pictures[i] = ToolbarPicture(i + 1);
  struct Button {
    const char* key;
    const char* tip;
    int picture;
  };
  const Button buttons[] = {{nullptr, nullptr, 0},         {"new", "New", 1},
                            {"open", "Open", 2},           {"save", "Save As", 3},
                            {nullptr, nullptr, 0},         {"create", "Create Sequence", 4},
                            {"import", "Import Sequence", 5}, {nullptr, nullptr, 0},
                            {"preview", "Preview Animation", 7}};
  for (const Button& b : buttons) {
    if (!b.key) {
      Toolbar->addSeparator();
      continue;
    }
    QAction* a = Toolbar->addAction(pictures[b.picture - 1], QString());
    a->setToolTip(b.tip);
    a->setObjectName(QString("Toolbar_") + b.key);
    a->setData(QString(b.key));
    connect(a, &QAction::triggered, this, [this, a] {
      ApplyPendingEdits();
      Toolbar_ButtonClick(a->data().toString());
    });
  }
  Status = new QStatusBar(Client);
  Status->setObjectName("Status");
  Status->setSizeGripEnabled(false);
  // The bar is as high as the layout gives it; panels framed by the style
  // would stand below its edge.
  Status->setStyleSheet("QStatusBar::item { border: none; }");
  StatusPanel1 = new QLabel("Ready", Status);
  StatusPanel1->setObjectName("StatusPanel1");
  StatusPanel1->setMinimumWidth(100);
  StatusPanel2 = new QLabel(Status);
  StatusPanel2->setObjectName("StatusPanel2");
  Status->addWidget(StatusPanel1);
  Status->addWidget(StatusPanel2, 1);
  // "Modified" and the zoom stay at the right edge, whole, whatever the
  // window's width, and a passing note does not hide them.
  StatusPanel3 = new QLabel(Status);
  StatusPanel3->setObjectName("StatusPanel3");
  StatusPanel3->setMinimumWidth(StatusPanel3->fontMetrics().horizontalAdvance("Modified") + 16);
  Status->addPermanentWidget(StatusPanel3);
  StatusZoom = new QLabel("100%", Status);
  StatusZoom->setObjectName("StatusZoom");
  StatusZoom->setMinimumWidth(StatusZoom->fontMetrics().horizontalAdvance("1600%") + 16);
  StatusZoom->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  StatusZoom->setContentsMargins(0, 0, 6, 0);
  Status->addPermanentWidget(StatusZoom);
}

void FrmQuilmark::BuildPane() {
  BuildList();
  BuildSplitter();
  BuildFramePane();
  ApplyLayout();
}

// ---------------------------------------------------------------- start-up

bool FrmQuilmark::InitializeWindow() {
  RegisterFileType("gaf", QCoreApplication::applicationFilePath(), "quilmark", "Quilmark", "TA Animation File");
  ListGAF->setHeaderLabels({"Name", "Animate", "Frames", "Subframes"});
  ListGAF->setColumnWidth(0, Px(1000));
  ListGAF->setColumnWidth(1, Px(500));
  ListGAF->setColumnWidth(2, Px(500));
  ListGAF->setColumnWidth(3, Px(700));
  const std::string palette = PathBytes(options_.palettePath.isEmpty() ? PathText(DefaultPalettePath())
                                                                        : options_.palettePath);
  LoadPalette(palette);
  if (!InitializeGraphics()) return false;
  StyleToolbar();
  SettingsLoad();
  NewDocument();
  InitializeCommands(options_.commandLine);
  Form_Resize();
  return true;
}

bool FrmQuilmark::InitializeGraphics() {
  const std::string palette = PathBytes(options_.palettePath.isEmpty() ? PathText(DefaultPalettePath())
                                                                        : options_.palettePath);
  LoadPalette(palette);
  if (!Frame.Initialize(1024, 1024, reinterpret_cast<WindowHandle>(PicFrame))) {
    Message("The memory for the graphics window could not be allocated.  Try clearing up memory, hard drive space, "
            "or rebooting.");
    close();
    return false;
  }
  PicFrame->SetBackground(QColor(PaletteColour(GamePalette, 255)));
  graphicsReady_ = true;
  return true;
}

void FrmQuilmark::FreeGraphics() {
  graphicsReady_ = false;
  if (Frame.hBitmap != 0) Frame.Free();
}

void FrmQuilmark::StyleToolbar() {
  splitter_.SplitterMargin = 5;
  splitter_.SplitterDragColor = 0x808080;
  splitter_.SplitterDragX = SplitterDrag::NoDrag;
  // Qt's tool bars are flat already; the buttons show their frame on hover only.
  Toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
}

double FrmQuilmark::TwipsPerPixel() const {
  const int dpi = logicalDpiX();
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

void FrmQuilmark::InitializeCommands(const QString& arguments) {
  QString path = arguments;
  if (path.isEmpty()) return;
  if (path.endsWith('"')) path.chop(1);
  if (path.startsWith('"')) path.remove(0, 1);
  if (!path.right(3).toLower().endsWith("gaf") || path.size() < 3) return;
  EnableControls(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  {
    Ending ending([this] {
      QApplication::restoreOverrideCursor();
      EnableControls(true);
    });
    History->clear();
    LoadInto(Editor().CurrentGAF, path);
  }
  ResetView();
}

void FrmQuilmark::LoadInto(const std::shared_ptr<classGAF>& doc, const QString& path) {
  ProgressWindowSink progress(this);
  const LoadReport report = doc->Load(PathBytes(path), &progress);
  Editor().CurrentFileName = PathBytes(path);
  progress.Close();
  if (!report.opened) {
    Message(path + " could not be opened (" + QString::fromStdString(report.problem) + "): nothing was read.");
  } else if (!report.complete) {
    Message(path + " could not be read completely; saving it will keep only what was read.");
  }
}

void FrmQuilmark::NewDocument() {
  Editor().CurrentFileName = "Untitled.gaf";
  Editor().CurrentGAF = std::make_shared<classGAF>();
  History->clear();
  ResetView();
}

void FrmQuilmark::ResetView() {
  EditorState& st = Editor();
  st.CurrentAnimation = std::make_shared<classGAFAnimation>();
  if (auto first = st.CurrentGAF->Animations.Item(1)) st.CurrentAnimation = first;
  st.CurrentFrame = 0;
  st.CurrentSubframe = 0;
  CreateList();
  RefreshView();
}

void FrmQuilmark::RefreshView() {
  DisplayAnimation(*Editor().CurrentAnimation);
  RefreshStatus();
  RefreshTitle();
}

void FrmQuilmark::DisplayAnimation(classGAFAnimation& animation) {
  if (!graphicsReady_) return;
  quilmark::DisplayAnimation(animation, *this, Editor(), 1);
}

void FrmQuilmark::RefreshTitle() { setWindowTitle(PathText(TitleFor(Editor().CurrentFileName))); }

void FrmQuilmark::RefreshStatus() {
  StatusPanel1->setText("Ready");
  StatusPanel2->setText(QString::fromLatin1(Editor().CurrentAnimation->Name.c_str()));
}

QString FrmQuilmark::StatusText(int panel) const {
  return (panel == 1 ? StatusPanel1 : panel == 2 ? StatusPanel2 : StatusPanel3)->text();
}

void FrmQuilmark::EnableControls(bool enabled) {
  Toolbar->setEnabled(enabled);
  ListGAF->setEnabled(enabled);
  PicView->setEnabled(enabled);
}

void FrmQuilmark::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) {
  Message(QString::fromStdString(text), QString::fromStdString(title), icon);
}

void FrmQuilmark::Message(const QString& text, const QString& title, MessageIcon icon) {
  // A message is read with the normal pointer; a command's busy pointer comes
  // back once it has been answered.
  int busy = 0;
  for (; QApplication::overrideCursor(); ++busy) QApplication::restoreOverrideCursor();
  Ending ending([busy] {
    for (int i = 0; i < busy; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
  });
  if (MessageHook) {
    MessageHook(text, title, icon);
    return;
  }
  QMessageBox box(icon == MessageIcon::None ? QMessageBox::NoIcon : QMessageBox::Information, title, text,
                  QMessageBox::Ok, this);
  box.setObjectName("MessageBox");
  box.exec();
}

bool FrmQuilmark::eventFilter(QObject* watched, QEvent* event) {
  // A menu popping up keeps the typing: the command chosen from it applies
  // it first, and the box has the focus again when the menu closes unused.
  if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
    if (watched == TxtXPos) TxtXPos_LostFocus();
    if (watched == TxtYPos) TxtYPos_LostFocus();
    if (watched == TxtFPS) TxtFPS_LostFocus();
  }
  if (watched == Client && event->type() == QEvent::Resize) Form_Resize();
  return QMainWindow::eventFilter(watched, event);
}

void FrmQuilmark::closeEvent(QCloseEvent* event) {
  // When the session ends there is no one to ask either.
  if (qApp->isSavingSession()) ending_ = true;
  if (!ending_ && !MayLeaveDocument(Leaving::Closing)) {
    event->ignore();
    return;
  }
  // A normal ending takes the recovery copy along; one without a question
  // leaves it for the next start.
  if (ending_) {
    Recovery->WriteNow();
  } else {
    Recovery->Wait();
    Recovery->Discard();
  }
  if (!settingsSaved_ && graphicsReady_) {
    SettingsSave();
    settingsSaved_ = true;
  }
  FreeGraphics();
  event->accept();
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible() && w->parentWidget() == this) w->close();
}

}  // namespace quilmark
