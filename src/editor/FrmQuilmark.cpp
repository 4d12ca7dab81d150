#include "editor/FrmQuilmark.h"

#include <QApplication>
#include <QDockWidget>
#include <QMenuBar>
#include <QStyle>

#include "dialogs/Pictures.h"
#include "display/qt/FrameView.h"
#include "editor/AnimationListView.h"
#include "editor/EditorSupport.h"
#include "editor/FramePane.h"
#include "editor/FrameStrip.h"
#include "editor/ImageActions.h"
#include "editor/RecentFiles.h"
#include "editor/RecoveryKeeper.h"
#include "editor/PaletteView.h"
#include "editor/SplitterBar.h"
#include "editor/StripActions.h"
#include "editor/ViewMenu.h"
#include "editor/WindowStatus.h"
#include "editor/modRegistry.h"
#include "editorcore/Recovery.h"
#include "images/GamePalette.h"

namespace quilmark {

FrmQuilmark::FrmQuilmark(Options options, QWidget* parent) : QMainWindow(parent), options_(std::move(options)) {
  setObjectName("FrmQuilmark");
  setWindowTitle("Quilmark");
  setWindowIcon(ProgramIcon());
  // The pane's places are fixed in twips; a small font keeps the captions
  // inside the controls laid out for it.
  QFont small = font();
  small.setPointSizeF(8);
  setFont(small);
  client_ = new QWidget(this);
  client_->setObjectName("Client");
  setCentralWidget(client_);
  client_->installEventFilter(this);
  document_ = new GafDocument(this);
  recovery_ = new RecoveryKeeper(*document_, RecoveryFolder(), this);
  connect(recovery_, &RecoveryKeeper::Written, this, [this](bool ok, const QString& error) {
    // Told once a run: the window keeps working without the copy.
    static bool told = false;
    if (!ok && !std::exchange(told, true)) Note("Unsaved changes cannot be kept for recovery: " + error);
  });
#ifndef QT_NO_SESSIONMANAGER
  // The session ends: there is no one to ask, so the changes are kept.
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { recovery_->WriteNow(); });
#endif
  files_ = new FileActions(*document_, *this, *recovery_, this);
  images_ = new ImageActions(*document_, *this, this);
  KeepEditingKeysInTextBoxes(this);
  BuildMenus();
  BuildToolbar();
  BuildPanes();
  BuildViewMenu();
  connect(document_, &GafDocument::fileNameChanged, this, &FrmQuilmark::RefreshTitle);
  // GAF files open wherever they are dropped, images on the picture.
  setAcceptDrops(true);
  resize(Px(MainLayout::DesignWidth),
         Px(MainLayout::DesignHeight) + menuBar()->sizeHint().height() + DockRoom(stripDock_));
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

namespace {
void AddBreak(QMenu* menu, const char* name) { menu->addSeparator()->setObjectName(name); }
}  // namespace

void FrmQuilmark::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->setObjectName("mnuFile");
  AddItem(file, "mnuFileNew", "&New GAF", &FrmQuilmark::mnuFileNew_Click, QKeySequence("Ctrl+N"));
  AddItem(file, "mnuFileOpen", "&Open GAF", &FrmQuilmark::mnuFileOpen_Click, QKeySequence("Ctrl+O"));
  AddItem(file, "mnuFileOpenArchive", "Open from &Archive...", &FrmQuilmark::mnuFileOpenArchive_Click);
  AddItem(file, "mnuFileSaveGAF", "&Save GAF...", &FrmQuilmark::mnuFileSaveGAF_Click, QKeySequence("Ctrl+S"));
  AddBreak(file, "mnuFileBreak1");
  AddItem(file, "mnuFileSaveUFO", "Export &UFO...", &FrmQuilmark::mnuFileSaveUFO_Click);
  AddBreak(file, "mnuFileBreak2");
  // The last files opened or saved, just above Exit.
  recent_ = new RecentFiles(file->addMenu("Recent &Files"));
  connect(recent_, &RecentFiles::Chosen, this, [this](const QString& path) {
    ApplyPendingEdits();
    files_->OpenRecent(path);
  });
  connect(recent_, &RecentFiles::Pruned, this, [this](int count) {
    Note(count == 1 ? QString("1 missing file taken off the list")
                    : QString("%1 missing files taken off the list").arg(count));
  });
  connect(files_, &FileActions::Used, recent_, &RecentFiles::Add);
  AddBreak(file, "mnuFileBreak3");
  AddItem(file, "mnuFileExit", "E&xit", &FrmQuilmark::mnuFileExit_Click);

  BuildEditMenu();

  QMenu* images = mnuImages_ = menuBar()->addMenu("&Images");
  images->setObjectName("mnuImages");
  mnuViewCenter_ = AddItem(images, "mnuViewCenter", "Center Images in &View", &FrmQuilmark::mnuViewCenter_Click);
  mnuViewCenter_->setCheckable(true);
  mnuViewCenter_->setChecked(false);
  AddBreak(images, "mnuViewBreak1");
  AddItem(images, "mnuImagesCreateSequence", "&Create Sequence...", &FrmQuilmark::mnuImagesCreateSequence_Click,
          QKeySequence(Qt::Key_F2));
  AddItem(images, "mnuImageRemoveSequence", "&Remove Sequence", &FrmQuilmark::mnuImageRemoveSequence_Click,
          QKeySequence(Qt::Key_Delete));
  AddItem(images, "mnuImagesReverseFrames", "Reverse &Frames", &FrmQuilmark::mnuImagesReverseFrames_Click);
  AddItem(images, "mnuImagesShiftAll", "Shift &All Frames...", &FrmQuilmark::mnuImagesShiftAll_Click);
  AddItem(images, "mnuImagesReplaceIndex", "Replace I&ndex...", &FrmQuilmark::mnuImagesReplaceIndex_Click);
  AddBreak(images, "mnuImagesBreak2");
  AddItem(images, "mnuImagesImportSequence", "&Import Sequence...", &FrmQuilmark::mnuImagesImportSequence_Click);
  AddItem(images, "mnuImagesExportSequence", "&Export Sequence...", &FrmQuilmark::mnuImagesExportSequence_Click);
  AddItem(images, "mnuImagesExportGif", "Export Sequence as &GIF...", &FrmQuilmark::mnuImagesExportGif_Click);
  AddBreak(images, "mnuImagesBreak3");
  AddItem(images, "mnuImagesCompress", "C&ompress All Images...", &FrmQuilmark::mnuImagesCompress_Click);
  AddItem(images, "mnuImagesExportAll", "Export &All Images...", &FrmQuilmark::mnuImagesExportAll_Click);
  AddBreak(images, "mnuImagesBreak4");
  AddItem(images, "mnuImagesPreview", "&Preview Animation...", &FrmQuilmark::mnuImagesPreview_Click,
          QKeySequence(Qt::Key_F5));

  // Reached only through the "&Frame >" and "&Subframe >" buttons.
  mnuFrame_ = new QMenu("&Frame", this);
  mnuFrame_->setObjectName("mnuFrame");
  AddItem(mnuFrame_, "mnuFrameImport", "&Import Frames...", &FrmQuilmark::mnuFrameImport_Click);
  AddItem(mnuFrame_, "mnuFrameExport", "&Export Frame...", &FrmQuilmark::mnuFrameExport_Click);
  AddBreak(mnuFrame_, "mnuFrameBreak1");
  AddItem(mnuFrame_, "mnuFrameRemove", "&Remove Frame", &FrmQuilmark::mnuFrameRemove_Click);
  // Its key works wherever the window has the focus.
  addAction(AddItem(mnuFrame_, "mnuFrameDuplicate", "&Duplicate Frame", &FrmQuilmark::mnuFrameDuplicate_Click,
                    QKeySequence("Ctrl+D")));
  mnuSubframe_ = new QMenu("&Subframe", this);
  mnuSubframe_->setObjectName("mnuSubframe");
  AddItem(mnuSubframe_, "mnuSubframeImport", "&Import Subframes...", &FrmQuilmark::mnuSubframeImport_Click);
  AddItem(mnuSubframe_, "mnuSubframeExport", "&Export Subframe...", &FrmQuilmark::mnuSubframeExport_Click);
  AddBreak(mnuSubframe_, "mnuSubframeBreak1");
  AddItem(mnuSubframe_, "mnuSubframeRemove", "&Remove Subframe", &FrmQuilmark::mnuSubframeRemove_Click);

  QMenu* help = menuBar()->addMenu("&Help");
  help->setObjectName("mnuHelp");
  AddItem(help, "mnuHelpAbout", "&About Quilmark...", &FrmQuilmark::mnuHelpAbout_Click);
}

void FrmQuilmark::BuildEditMenu() {
  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->setObjectName("mnuEdit");
  // A number typed and not yet left is a step of its own, before the menu shows.
  connect(edit, &QMenu::aboutToShow, this, &FrmQuilmark::ApplyPendingEdits);
  QUndoStack& history = document_->History();
  QAction* undo = history.createUndoAction(edit, "&Undo");
  undo->setObjectName("mnuEditUndo");
  undo->setShortcuts({QKeySequence("Ctrl+Z")});
  QAction* redo = history.createRedoAction(edit, "&Redo");
  redo->setObjectName("mnuEditRedo");
  redo->setShortcuts({QKeySequence("Ctrl+Shift+Z"), QKeySequence("Ctrl+Y")});
  edit->addAction(undo);
  edit->addAction(redo);
  // The actions follow the history's texts and states, but what was typed is
  // committed before they undo or redo.
  disconnect(undo, &QAction::triggered, &history, nullptr);
  disconnect(redo, &QAction::triggered, &history, nullptr);
  connect(undo, &QAction::triggered, this, &FrmQuilmark::mnuEditUndo_Click);
  connect(redo, &QAction::triggered, this, &FrmQuilmark::mnuEditRedo_Click);
}

void FrmQuilmark::BuildViewMenu() {
  auto* view = new QMenu("&View", this);
  view->setObjectName("mnuView");
  menuBar()->insertMenu(mnuImages_->menuAction(), view);
  viewMenu_ = new ViewMenu(view, mnuFrame_, *pane_, State(), this);
  // The frames of the shown animation in a strip under everything, shown at
  // first; the palette in a dock at the right, hidden until asked for.
  stripDock_ = new QDockWidget("Frame Strip", this);
  stripDock_->setObjectName("FrameStripDock");
  stripDock_->setWidget(new FrameStrip(*document_, *new StripActions(*document_, *this, stripDock_), stripDock_));
  view->addSeparator();
  view->addAction(AddDock(stripDock_, Qt::BottomDockWidgetArea, "Frame &Strip", "mnuViewStrip"));
  auto* dock = new QDockWidget("Palette", this);
  dock->setObjectName("PaletteDock");
  auto* palette = new PaletteView(*document_, dock);
  dock->setWidget(palette);
  connect(palette, &PaletteView::HighlightChanged, pane_, &FramePane::DisplaySelectedPicture);
  view->addAction(AddDock(dock, Qt::RightDockWidgetArea, "&Palette", "mnuViewPalette"));
  dock->hide();
}

QAction* FrmQuilmark::AddDock(QDockWidget* dock, Qt::DockWidgetArea area, const QString& caption, const char* name) {
  addDockWidget(area, dock);
  QAction* shown = dock->toggleViewAction();
  shown->setText(caption);
  shown->setObjectName(name);
  // The window makes room for the dock, and gives it back: the image pane
  // keeps its size.
  connect(shown, &QAction::triggered, this, [this, dock](bool on) {
    if (isMaximized() || isFullScreen() || dock->isFloating()) return;
    const int room = on ? DockRoom(dock) : -DockRoom(dock);
    if (dockWidgetArea(dock) & (Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea)) {
      resize(width(), height() + room);
    } else {
      resize(width() + room, height());
    }
  });
  return shown;
}

int FrmQuilmark::DockRoom(QDockWidget* dock) const {
  const bool across = dockWidgetArea(dock) & (Qt::TopDockWidgetArea | Qt::BottomDockWidgetArea);
  const int separator = style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent, nullptr, this);
  return (across ? dock->sizeHint().height() : dock->sizeHint().width()) + separator;
}

void FrmQuilmark::BuildToolbar() {
  toolbar_ = new QToolBar(client_);
  toolbar_->setObjectName("Toolbar");
  toolbar_->setMovable(false);
  toolbar_->setIconSize(QSize(16, 16));
  // Qt's tool bars are flat already; the buttons show their frame on hover only.
  toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  struct Button {
    const char* key;
    const char* tip;
    int picture;  // of ImgToolbar
  };
  const Button buttons[] = {{nullptr, nullptr, 0},
                            {"new", "New", 1},
                            {"open", "Open", 2},
                            {"save", "Save As", 3},
                            {nullptr, nullptr, 0},
                            {"create", "Create Sequence", 4},
                            {"import", "Import Sequence", 5},
                            {nullptr, nullptr, 0},
                            {"preview", "Preview Animation", 7}};
  for (const Button& b : buttons) {
    if (!b.key) {
      toolbar_->addSeparator();
      continue;
    }
    QAction* a = toolbar_->addAction(ToolbarPicture(b.picture), QString());
    a->setToolTip(b.tip);
    a->setObjectName(QString("Toolbar_") + b.key);
    a->setData(QString(b.key));
    connect(a, &QAction::triggered, this, [this, a] {
      ApplyPendingEdits();
      Toolbar_ButtonClick(a->data().toString());
    });
  }
}

void FrmQuilmark::BuildPanes() {
  list_ = new AnimationListView(*document_, client_);
  connect(list_, &AnimationListView::Picked, this, &FrmQuilmark::ListGAF_Click);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, &FrmQuilmark::ListGAF_DblClick);
  connect(list_, &AnimationListView::NameCommitted, this, &FrmQuilmark::ListGAF_AfterLabelEdit);
  connect(list_, &AnimationListView::Refused, this, &FrmQuilmark::Note);
  splitter_ = new SplitterBar(client_);
  splitter_->setObjectName("PicSplitter");
  splitter_->SetColour(palette().color(QPalette::Button));
  connect(splitter_, &SplitterBar::Pressed, this, &FrmQuilmark::PicSplitter_MouseDown);
  connect(splitter_, &SplitterBar::Moved, this, &FrmQuilmark::PicSplitter_MouseMove);
  connect(splitter_, &SplitterBar::Released, this, &FrmQuilmark::PicSplitter_MouseUp);
  pane_ = new FramePane(*document_, surface_, mnuFrame_, mnuSubframe_, client_);
  status_ = new WindowStatus(*document_, pane_->Picture(), client_);
  connect(pane_, &FramePane::PointerInfo, status_, &WindowStatus::ShowPointer);
  ApplyLayout();
}

// ---------------------------------------------------------------- start-up

bool FrmQuilmark::InitializeWindow() {
  RegisterFileType("gaf", QCoreApplication::applicationFilePath(), "quilmark", "Quilmark", "TA Animation File");
  list_->ShowHeaders();
  if (!InitializeGraphics()) return false;
  drag_.SplitterMargin = 5;
  drag_.SplitterDragColor = 0x808080;
  drag_.SplitterDragX = SplitterDrag::NoDrag;
  SettingsLoad();
  document_->Reset(std::make_shared<classGAF>(), "Untitled.gaf");
  InitializeCommands(options_.commandLine);
  Form_Resize();
  return true;
}

bool FrmQuilmark::InitializeGraphics() {
  // Without a palette file of its own the editor shows the palette it was
  // built with, not an all-black one.
  if (options_.palettePath.isEmpty()) {
    LoadDefaultPalette();
  } else {
    LoadPalette(PathBytes(options_.palettePath));
  }
  if (!surface_.Initialize(1024, 1024, reinterpret_cast<WindowHandle>(&pane_->Picture()))) {
    Message(
        "The memory for the graphics window could not be allocated.  Try clearing up memory, hard drive space, "
        "or rebooting.");
    close();
    return false;
  }
  pane_->Picture().SetBackground(QColor(PaletteColour(GamePalette, 255)));
  graphicsReady_ = true;
  pane_->SetGraphicsReady(true);
  return true;
}

void FrmQuilmark::InitializeCommands(const QString& arguments) {
  QString path = arguments;
  if (path.isEmpty()) return;
  if (path.endsWith('"')) path.chop(1);
  if (path.startsWith('"')) path.remove(0, 1);
  if (!path.right(3).toLower().endsWith("gaf") || path.size() < 3) return;
  files_->OpenFile(path);
}

double FrmQuilmark::TwipsPerPixel() const {
  const int dpi = logicalDpiX();
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

}  // namespace quilmark
