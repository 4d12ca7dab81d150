#include "editor/FrmQuilmark.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <charconv>
#include <cmath>

#include "archive/UfoExport.h"
#include "dialogs/FrmAbout.h"
#include "dialogs/FrmDirectory.h"
#include "dialogs/FrmImportFrame.h"
#include "dialogs/FrmImportSequence.h"
#include "dialogs/InputBox.h"
#include "display/NumberReading.h"
#include "display/qt/FrmPreview.h"
#include "editor/Pictures.h"
#include "images/FrameImages.h"
#include "editor/FrmProgress.h"
#include "editor/modRegistry.h"
#include "images/GamePalette.h"

namespace quilmark {
namespace {

int Px(int32_t twips) { return static_cast<int>(std::lround(twips / static_cast<double>(LayoutTwipsPerPixel))); }

std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// Restores the pointer (and runs the rest of a command's ending) on every exit.
class Ending {
 public:
  explicit Ending(std::function<void()> steps) : steps_(std::move(steps)) {}
  ~Ending() { steps_(); }

 private:
  std::function<void()> steps_;
};

QString ShortestFloat(double value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
  return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

// The animation list. Picked is reported once for every click (on a row or on
// empty space) and for every move of the current row by mouse or keyboard, so
// that the highlighted row and the shown animation stay one; rows made current
// in code are not reported.
class AnimationList : public QTreeWidget {
 public:
  using QTreeWidget::QTreeWidget;
  std::function<void()> Picked;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    movedByPress_ = Reported([&] { QTreeWidget::mousePressEvent(event); });
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (Reported([&] { QTreeWidget::mouseMoveEvent(event); })) movedByPress_ = true;
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    // A click that did not move the current row is still a click.
    if (!Reported([&] { QTreeWidget::mouseReleaseEvent(event); }) && !movedByPress_ &&
        event->button() == Qt::LeftButton && Picked)
      Picked();
    movedByPress_ = false;
  }
  void keyPressEvent(QKeyEvent* event) override {
    Reported([&] { QTreeWidget::keyPressEvent(event); });
  }

 private:
  // Runs the view's own handling; reports and returns true when it moved the
  // current row.
  template <typename Handling>
  bool Reported(Handling handling) {
    QTreeWidgetItem* before = currentItem();
    handling();
    if (currentItem() == before || !currentItem()) return false;
    if (Picked) Picked();
    return true;
  }
  bool movedByPress_ = false;
};

// Reports every committed name edit, also one that leaves the text as it was
// (the item then does not announce a change).
class NameEditDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  std::function<void(int row, const QString& text)> Committed;

  // Only the name can be edited in place; the other cells are the document's.
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    if (index.column() != 0) return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    QStyledItemDelegate::setModelData(editor, model, index);
    if (Committed && index.column() == 0 && !index.parent().isValid())
      Committed(index.row(), index.data(Qt::EditRole).toString());
  }
};

}  // namespace

// ---------------------------------------------------------------- splitter bar

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::SizeHorCursor);
  setAutoFillBackground(true);
}

void SplitterBar::SetColour(QColor colour) {
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  setPalette(p);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) { emit Pressed(event->button(), event->position().x()); }
void SplitterBar::mouseMoveEvent(QMouseEvent* event) { emit Moved(event->position().x()); }
void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit Released(event->position().x());
}

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
  BuildMenus();
  BuildToolbar();
  BuildPane();
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
  StatusPanel1 = new QLabel("Ready", Status);
  StatusPanel1->setObjectName("StatusPanel1");
  StatusPanel1->setMinimumWidth(100);
  StatusPanel2 = new QLabel(Status);
  StatusPanel2->setObjectName("StatusPanel2");
  Status->addWidget(StatusPanel1);
  Status->addWidget(StatusPanel2, 1);
}

void FrmQuilmark::BuildPane() {
  auto* list = new AnimationList(Client);
  ListGAF = list;
  ListGAF->setObjectName("ListGAF");
  ListGAF->setRootIsDecorated(false);
  ListGAF->setUniformRowHeights(true);
  ListGAF->setEditTriggers(QAbstractItemView::SelectedClicked);
  ListGAF->setColumnCount(4);
  ListGAF->header()->setStretchLastSection(false);
  ListGAF->setHeaderLabels({"", "", "", ""});
  connect(ListGAF, &QTreeWidget::itemDoubleClicked, this, [this] { ListGAF_DblClick(); });
  list->Picked = [this] { ListGAF_Click(); };
  auto* names = new NameEditDelegate(ListGAF);
  names->Committed = [this](int row, const QString& text) {
    if (QTreeWidgetItem* item = ListGAF->topLevelItem(row)) ListGAF_AfterLabelEdit(item, text);
  };
  ListGAF->setItemDelegate(names);

  PicSplitter = new SplitterBar(Client);
  PicSplitter->setObjectName("PicSplitter");
  PicSplitter->SetColour(palette().color(QPalette::Button));
  connect(PicSplitter, &SplitterBar::Pressed, this, &FrmQuilmark::PicSplitter_MouseDown);
  connect(PicSplitter, &SplitterBar::Moved, this, &FrmQuilmark::PicSplitter_MouseMove);
  connect(PicSplitter, &SplitterBar::Released, this, &FrmQuilmark::PicSplitter_MouseUp);

  PicView = new QWidget(Client);
  PicView->setObjectName("PicView");
  FrameInfo = new QGroupBox("Frame Information", PicView);
  FrameInfo->setObjectName("FrameInfo");
  QFont narrow = font();
  narrow.setPointSizeF(7);
  FrameInfo->setFont(narrow);

  auto label = [this](const char* name, const char* text, int l, int t) {
    auto* w = new QLabel(text, FrameInfo);
    w->setObjectName(name);
    Place(w, {l, t, 735, 255});
    return w;
  };
  auto box = [this](const char* name, int t, bool readOnly) {
    auto* w = new QLineEdit("0", FrameInfo);
    w->setObjectName(name);
    Place(w, {960, t, 795, 315});
    if (readOnly) {
      w->setReadOnly(true);
      QPalette p = w->palette();
      p.setColor(QPalette::Base, p.color(QPalette::Button));
      w->setPalette(p);
    } else {
      w->installEventFilter(this);
    }
    return w;
  };
  auto updown = [this](const char* name, int t, int min, int max, int step) {
    auto* w = new UpDown(FrameInfo);
    w->setObjectName(name);
    Place(w, {1800, t, 240, 315});
    w->SetRange(min, max);
    w->SetIncrement(step);
    return w;
  };
  Label1 = label("Label1", "Width", 120, 420);
  Label2 = label("Label2", "Height", 120, 840);
  Label3 = label("Label3", "X position", 120, 1260);
  Label4 = label("Label4", "Y position", 120, 1680);
  Label5 = label("Label5", "Framerate", 120, 2100);
  TxtWidth = box("TxtWidth", 360, true);
  TxtHeight = box("TxtHeight", 780, true);
  TxtXPos = box("TxtXPos", 1200, false);
  TxtYPos = box("TxtYPos", 1620, false);
  TxtFPS = box("TxtFPS", 2040, false);
  ScrollXPos = updown("ScrollXPos", 1200, -1024, 1024, 1);
  ScrollYPos = updown("ScrollYPos", 1620, -1024, 1024, 1);
  ScrollFPS = updown("ScrollFPS", 2040, 0, 32000, 100);
  typedFields_ = {
      {TxtXPos, ScrollXPos, [](const classGAFFrame& f) -> int32_t { return f.PositionX(); },
       &FrmQuilmark::ScrollXPos_Change},
      {TxtYPos, ScrollYPos, [](const classGAFFrame& f) -> int32_t { return f.PositionY(); },
       &FrmQuilmark::ScrollYPos_Change},
      {TxtFPS, ScrollFPS, [](const classGAFFrame& f) -> int32_t { return f.FPS; }, &FrmQuilmark::ScrollFPS_Change}};
  for (const TypedField& field : typedFields_) {
    // The arrows step from the shown image's own value, after what was typed
    // into the box has been applied.
    field.upDown->StepBase = [this, stored = field.stored] { return stored(*Editor().GetSelectedFrame()); };
    connect(field.upDown, &UpDown::AboutToStep, this, &FrmQuilmark::ApplyPendingEdits);
    connect(field.upDown, &UpDown::ValueChanged, this, field.change);
  }
  chkCompressed = new QCheckBox("Compress", FrameInfo);
  chkCompressed->setObjectName("chkCompressed");
  Place(chkCompressed, {60, 2460, 1095, 255});
  connect(chkCompressed, &QCheckBox::clicked, this, [this] { chkCompressed_Click(); });

  CmdFrame = new QPushButton("&Frame >", PicView);
  CmdFrame->setObjectName("CmdFrame");
  // Alt+F belongs to the File menu: the button keeps its caption but takes no
  // access key, so one press opens the menu.
  CmdFrame->setShortcut(QKeySequence());
  connect(CmdFrame, &QPushButton::clicked, this, [this] { CmdFrame_Click(); });
  CmdSubframe = new QPushButton("&Subframe >", PicView);
  CmdSubframe->setObjectName("CmdSubframe");
  connect(CmdSubframe, &QPushButton::clicked, this, [this] { CmdSubframe_Click(); });
  ScrollFrames = new QSlider(Qt::Horizontal, PicView);
  ScrollFrames->setObjectName("ScrollFrames");
  ScrollSubframes = new QSlider(Qt::Horizontal, PicView);
  ScrollSubframes->setObjectName("ScrollSubframes");
  for (QSlider* s : {ScrollFrames, ScrollSubframes}) {
    s->setRange(1, 2);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
  }
  // A slider's position changes from the user arrive here; positions set
  // while displaying are set with signals blocked.
  connect(ScrollFrames, &QSlider::valueChanged, this, &FrmQuilmark::ScrollFrames_Change);
  connect(ScrollSubframes, &QSlider::valueChanged, this, &FrmQuilmark::ScrollSubframes_Change);
  PicFrame = new FrameView(PicView);
  PicFrame->setObjectName("PicFrame");
  // A click on the picture or the pane takes the focus, so that a number
  // typed into a box is applied as the box is left.
  for (QWidget* w : std::initializer_list<QWidget*>{PicView, FrameInfo, PicFrame}) w->setFocusPolicy(Qt::ClickFocus);
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

void FrmQuilmark::SettingsLoad() {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
  const double tpp = TwipsPerPixel();
  // A stored number, or nothing when it is absent, zero, or unreadable; a size
  // must also be positive.
  auto number = [&settings](const char* key, double current, bool size = false) -> std::optional<int32_t> {
    const QString text = settings.value(QString("Startup/") + key, ShortestFloat(current)).toString();
    const auto value = ReadNumber(text.toStdString());
    if (!value) return std::nullopt;
    const auto rounded = RoundToInt32(*value);
    if (!rounded || *rounded == 0 || (size && *rounded < 0)) return std::nullopt;
    return rounded;
  };
  if (auto v = number("SliderLeft", layout_.PicSplitter.Left)) layout_.PicSplitter.Left = *v;
  if (auto v = number("Left", x() * tpp)) move(static_cast<int>(std::lround(*v / tpp)), y());
  if (auto v = number("Top", y() * tpp)) move(x(), static_cast<int>(std::lround(*v / tpp)));
  if (auto v = number("Width", width() * tpp, true)) resize(std::max(1L, std::lround(*v / tpp)), height());
  if (auto v = number("Height", height() * tpp, true)) resize(width(), std::max(1L, std::lround(*v / tpp)));
  const int current = isMinimized() ? 1 : isMaximized() ? 2 : 0;
  const QString state = settings.value("Startup/WindowState", QString::number(current)).toString();
  if (auto value = ReadNumber(state.toStdString()))
    if (auto s = RoundToInt16(*value)) {
      // Values other than the three states are ignored.
      if (*s == 0) setWindowState(Qt::WindowNoState);
      if (*s == 1) setWindowState(Qt::WindowMinimized);
      if (*s == 2) setWindowState(Qt::WindowMaximized);
    }
  EditorState& st = Editor();
  st.GAFLoadDir = PathBytes(settings.value("Locations/GAFLoadDir", "").toString());
  st.GAFSaveDir = PathBytes(settings.value("Locations/GAFSaveDir", "").toString());
  st.BMPLoadDir = PathBytes(settings.value("Locations/BMPLoadDir", "").toString());
  Form_Resize();
}

void FrmQuilmark::SettingsSave() {
  QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
  const double tpp = TwipsPerPixel();
  const int state = isMinimized() ? 1 : isMaximized() ? 2 : 0;
  if (state == 0) {
    settings.setValue("Startup/Left", ShortestFloat(x() * tpp));
    settings.setValue("Startup/Top", ShortestFloat(y() * tpp));
    settings.setValue("Startup/Width", ShortestFloat(width() * tpp));
    settings.setValue("Startup/Height", ShortestFloat(height() * tpp));
  }
  settings.setValue("Startup/WindowState", QString::number(state));
  settings.setValue("Startup/SliderLeft", ShortestFloat(layout_.PicSplitter.Left));
  const EditorState& st = Editor();
  settings.setValue("Locations/GAFLoadDir", PathText(st.GAFLoadDir));
  settings.setValue("Locations/GAFSaveDir", PathText(st.GAFSaveDir));
  settings.setValue("Locations/BMPLoadDir", PathText(st.BMPLoadDir));
  settings.sync();
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
    LoadInto(Editor().CurrentGAF, path);
  }
  ResetView();
}

void FrmQuilmark::LoadInto(const std::shared_ptr<classGAF>& doc, const QString& path) {
  ProgressWindowSink progress(this);
  LoadReport report;
  if (doc->Load(PathBytes(path), &progress, &report)) Editor().CurrentFileName = PathBytes(path);
  progress.Close();
  if (!report.complete)
    Message(path + " could not be read completely; saving it will keep only what was read.");
}

void FrmQuilmark::NewDocument() {
  Editor().CurrentFileName = "Untitled.gaf";
  Editor().CurrentGAF = std::make_shared<classGAF>();
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

QString FrmQuilmark::StatusText(int panel) const { return panel == 1 ? StatusPanel1->text() : StatusPanel2->text(); }

void FrmQuilmark::EnableControls(bool enabled) {
  Toolbar->setEnabled(enabled);
  ListGAF->setEnabled(enabled);
  PicView->setEnabled(enabled);
}

// ---------------------------------------------------------------- animation list

namespace {
int SubframeTotal(const classGAFAnimation& a) {
  int total = 0;
  for (const auto& f : a.Frames)
    if (f) total += f->Subframes.Count();
  return total;
}
const int KeyRole = Qt::UserRole;
}  // namespace

void FrmQuilmark::CreateList() {
  QSignalBlocker block(ListGAF);
  ListGAF->clear();
  const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
  for (const auto& a : Editor().CurrentGAF->Animations) {
    auto* row = new QTreeWidgetItem(ListGAF);
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    row->setData(0, KeyRole, QByteArray::fromStdString(a->Name));
    row->setText(0, QString::fromLatin1(a->Name.c_str()));
    row->setIcon(0, icon);
    row->setText(1, a->Animated ? "Yes" : "No");
    row->setText(2, QString::number(a->Frames.Count()));
    row->setText(3, QString::number(SubframeTotal(*a)));
  }
  HighlightCurrentRow();
}

void FrmQuilmark::HighlightCurrentRow() {
  QSignalBlocker block(ListGAF);
  const std::string& name = Editor().CurrentAnimation->Name;
  for (int i = 0; i < ListGAF->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = ListGAF->topLevelItem(i);
    if (!KeysEqual(row->data(0, KeyRole).toByteArray().toStdString(), name)) continue;
    ListGAF->setCurrentItem(row);
    row->setSelected(true);
    return;
  }
}

void FrmQuilmark::RefreshList() {
  QSignalBlocker block(ListGAF);
  for (const auto& a : Editor().CurrentGAF->Animations) {
    for (int i = 0; i < ListGAF->topLevelItemCount(); ++i) {
      QTreeWidgetItem* row = ListGAF->topLevelItem(i);
      if (!KeysEqual(row->data(0, KeyRole).toByteArray().toStdString(), a->Name)) continue;
      row->setText(1, a->Animated ? "Yes" : "No");
      row->setText(2, QString::number(a->Frames.Count()));
      row->setText(3, QString::number(SubframeTotal(*a)));
      break;
    }
  }
}

void FrmQuilmark::ListGAF_Click() {
  EditorState& st = Editor();
  if (QTreeWidgetItem* row = ListGAF->currentItem())
    if (auto a = st.CurrentGAF->Animations.Find(row->data(0, KeyRole).toByteArray().toStdString()))
      st.CurrentAnimation = a;
  // A click on empty space leaves the current animation's row highlighted.
  HighlightCurrentRow();
  DisplayAnimation(*st.CurrentAnimation);
  RefreshStatus();
}

void FrmQuilmark::ListGAF_DblClick() {
  Editor().CurrentAnimation->Animated = !Editor().CurrentAnimation->Animated;
  RefreshList();
}

void FrmQuilmark::ListGAF_AfterLabelEdit(QTreeWidgetItem* item, const QString& newText) {
  EditorState& st = Editor();
  const std::string oldKey = item->data(0, KeyRole).toByteArray().toStdString();
  // Typed text is stored as Latin-1; characters outside it become '?'.
  const std::string name = newText.toLatin1().toStdString();
  auto restore = [&] {
    QSignalBlocker block(ListGAF);
    item->setText(0, QString::fromLatin1(oldKey.c_str()));
  };
  AnimationPtr animation = st.CurrentGAF->Animations.Find(oldKey);
  // Names are the document's keys: an empty name or one another animation
  // has would leave the animation without a matching key, so it is refused.
  AnimationPtr holder = st.CurrentGAF->Animations.Find(name);
  if (!animation || name.empty() || (holder && holder != animation)) {
    restore();
    return;
  }
  st.CurrentGAF->Animations.Remove(oldKey);
  animation->Name = name;
  st.CurrentGAF->Animations.Add(animation, name);
  {
    QSignalBlocker block(ListGAF);
    item->setData(0, KeyRole, QByteArray::fromStdString(name));
    item->setText(0, QString::fromLatin1(name.c_str()));
  }
  RefreshStatus();
}

// ---------------------------------------------------------------- frame controls

void FrmQuilmark::ScrollFrames_Change(int value) {
  ApplyPendingEdits();
  EditorState& st = Editor();
  st.CurrentFrame = value;
  if (FramePtr frame = st.CurrentAnimation->Frames.Item(value)) DisplayFrame(*frame, *this, st);
}

void FrmQuilmark::ScrollSubframes_Change(int value) {
  ApplyPendingEdits();
  EditorState& st = Editor();
  st.CurrentSubframe = value;
  if (FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame))
    if (FramePtr sub = frame->Subframes.Item(value)) DisplayFrame(*sub, *this, st, true);
}

void FrmQuilmark::ScrollXPos_Change(int value) {
  TxtXPos->setText(QString::number(value));
  FramePtr f = Editor().GetSelectedFrame();
  (void)f->SetPositionX(value);
  DisplayPicture(*f, *this, Editor());
}

void FrmQuilmark::ScrollYPos_Change(int value) {
  TxtYPos->setText(QString::number(value));
  FramePtr f = Editor().GetSelectedFrame();
  (void)f->SetPositionY(value);
  DisplayPicture(*f, *this, Editor());
}

void FrmQuilmark::ScrollFPS_Change(int value) {
  TxtFPS->setText(QString::number(value));
  Editor().GetSelectedFrame()->FPS = value;
}

const FrmQuilmark::TypedField* FrmQuilmark::FieldOf(const QObject* control) const {
  for (const TypedField& field : typedFields_)
    if (field.box == control || field.upDown == control) return &field;
  return nullptr;
}

void FrmQuilmark::ApplyTyped(QLineEdit* box) {
  const TypedField* field = FieldOf(box);
  // Only what the user typed is applied: a box left as the display filled it
  // changes nothing, also when it shows a value beyond the limits.
  if (!field || !box->isModified()) return;
  box->setModified(false);
  UpDown* upDown = field->upDown;
  const auto number = ReadNumber(box->text().toStdString());
  int value = 0;
  if (!number) {
    value = 0;  // too large to hold
  } else if (*number > upDown->Max()) {
    value = upDown->Max();
  } else if (*number < upDown->Min()) {
    value = upDown->Min();
  } else {
    value = RoundToInt32(*number).value_or(0);
  }
  {
    QSignalBlocker block(upDown);
    upDown->SetValue(value);
  }
  // The value is compared with the shown image's own, not with one the
  // up-down may have kept from another image.
  if (value != field->stored(*Editor().GetSelectedFrame())) {
    (this->*field->change)(value);
  } else {
    box->setText(QString::number(value));
  }
}

void FrmQuilmark::TxtXPos_LostFocus() { ApplyTyped(TxtXPos); }
void FrmQuilmark::TxtYPos_LostFocus() { ApplyTyped(TxtYPos); }
void FrmQuilmark::TxtFPS_LostFocus() { ApplyTyped(TxtFPS); }

void FrmQuilmark::ApplyPendingEdits() {
  for (const TypedField& field : typedFields_) ApplyTyped(field.box);
}

void FrmQuilmark::chkCompressed_Click() {
  ApplyPendingEdits();
  Editor().GetSelectedFrame()->SetCompressed(chkCompressed->isChecked());
}

void FrmQuilmark::CmdFrame_Click() {
  ApplyPendingEdits();
  mnuFrame->popup(CmdFrame->mapToGlobal(QPoint(CmdFrame->width(), 0)));
}

void FrmQuilmark::CmdSubframe_Click() {
  ApplyPendingEdits();
  mnuSubframe->popup(CmdSubframe->mapToGlobal(QPoint(CmdSubframe->width(), 0)));
}

void FrmQuilmark::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // Sizes that arrive while the window is minimised are not laid out; a
  // restored window (also one started minimised) is laid out once it is back.
  if (event->type() == QEvent::WindowStateChange && !isMinimized())
    QTimer::singleShot(0, this, [this] { Form_Resize(); });
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

// FrameControls: everything here is display only, so the controls' own change
// handling is kept from writing into the document.

void FrmQuilmark::SetScrollFramesEnabled(bool enabled) { ScrollFrames->setEnabled(enabled); }
void FrmQuilmark::SetScrollFramesMax(int32_t max) {
  QSignalBlocker block(ScrollFrames);
  if (max >= ScrollFrames->minimum()) ScrollFrames->setMaximum(max);
}
void FrmQuilmark::SetScrollFramesValue(int32_t value) {
  QSignalBlocker block(ScrollFrames);
  if (value >= ScrollFrames->minimum() && value <= ScrollFrames->maximum()) ScrollFrames->setValue(value);
}
void FrmQuilmark::SetScrollSubframesEnabled(bool enabled) { ScrollSubframes->setEnabled(enabled); }
void FrmQuilmark::SetScrollSubframesMax(int32_t max) {
  QSignalBlocker block(ScrollSubframes);
  if (max >= ScrollSubframes->minimum()) ScrollSubframes->setMaximum(max);
}
void FrmQuilmark::SetScrollSubframesValue(int32_t value) {
  QSignalBlocker block(ScrollSubframes);
  if (value >= ScrollSubframes->minimum() && value <= ScrollSubframes->maximum()) ScrollSubframes->setValue(value);
}
void FrmQuilmark::SetTxtWidth(const std::string& text) { TxtWidth->setText(QString::fromStdString(text)); }
void FrmQuilmark::SetTxtHeight(const std::string& text) { TxtHeight->setText(QString::fromStdString(text)); }
void FrmQuilmark::SetTxtFPS(const std::string& text) { TxtFPS->setText(QString::fromStdString(text)); }

void FrmQuilmark::SetUpDownShown(UpDown* upDown, QLineEdit* box, int32_t value) {
  QSignalBlocker block(upDown);
  upDown->SetValue(std::clamp(value, upDown->Min(), upDown->Max()));
  // The box shows the image's own value, even one beyond the up-down's limits.
  box->setText(QString::number(value));
}
void FrmQuilmark::SetScrollXPosValue(int32_t value) { SetUpDownShown(ScrollXPos, TxtXPos, value); }
void FrmQuilmark::SetScrollYPosValue(int32_t value) { SetUpDownShown(ScrollYPos, TxtYPos, value); }
void FrmQuilmark::SetScrollFPSValue(int32_t value) { SetUpDownShown(ScrollFPS, TxtFPS, value); }
void FrmQuilmark::SetCompressedValue(bool checked) {
  QSignalBlocker block(chkCompressed);
  chkCompressed->setChecked(checked);
}
void FrmQuilmark::SetCompressedEnabled(bool enabled) { chkCompressed->setEnabled(enabled); }
void FrmQuilmark::SetEditorsEnabled(bool enabled) {
  for (QWidget* w : std::initializer_list<QWidget*>{ScrollXPos, ScrollYPos, ScrollFPS, TxtWidth, TxtHeight, TxtXPos,
                                                    TxtYPos, TxtFPS})
    w->setEnabled(enabled);
}
void FrmQuilmark::SetCmdFrameEnabled(bool enabled) { CmdFrame->setEnabled(enabled); }
void FrmQuilmark::SetCmdSubframeEnabled(bool enabled) { CmdSubframe->setEnabled(enabled); }
int32_t FrmQuilmark::PictureWidth() const { return PicFrame->width(); }
int32_t FrmQuilmark::PictureHeight() const { return PicFrame->height(); }
void FrmQuilmark::ClearPicture() { PicFrame->ClearPicture(); }
SurfaceScreen& FrmQuilmark::PictureScreen() { return *PicFrame; }
void FrmQuilmark::KeepPicture() { PicFrame->update(); }

void FrmQuilmark::SetCompressedChecked() { SetCompressedValue(true); }

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

// ---------------------------------------------------------------- layout and splitter

void FrmQuilmark::Place(QWidget* widget, const TwipsRect& r) {
  widget->setGeometry(Px(r.Left), Px(r.Top), Px(r.Width), Px(r.Height));
}

void FrmQuilmark::ApplyLayout() {
  const int w = Client->width(), h = Client->height();
  Toolbar->setGeometry(0, 0, w, Px(layout_.ToolbarHeight));
  Status->setGeometry(0, h - Px(layout_.StatusHeight), w, Px(layout_.StatusHeight));
  Place(ListGAF, layout_.ListGAF);
  Place(PicSplitter, layout_.PicSplitter);
  Place(PicView, layout_.PicView);
  Place(FrameInfo, layout_.FrameInfo);
  Place(CmdFrame, layout_.CmdFrame);
  Place(ScrollFrames, layout_.ScrollFrames);
  Place(PicFrame, layout_.PicFrame);
  Place(CmdSubframe, layout_.CmdSubframe);
  Place(ScrollSubframes, layout_.ScrollSubframes);
}

void FrmQuilmark::DisplaySelectedPicture() {
  if (!graphicsReady_) return;
  FramePtr f = Editor().GetSelectedFrame();
  DisplayPicture(*f, *this, Editor());
}

void FrmQuilmark::Form_Resize() {
  const int32_t innerW = Client->width() * LayoutTwipsPerPixel;
  const int32_t innerH = Client->height() * LayoutTwipsPerPixel;
  if (!FormResize(layout_, innerW, innerH, isMinimized())) return;
  ApplyLayout();
  DisplaySelectedPicture();
}

void FrmQuilmark::PicSplitter_MouseDown(Qt::MouseButton button, double x) {
  const auto e = splitter_.MouseDown(button == Qt::LeftButton, static_cast<float>(x * LayoutTwipsPerPixel), layout_,
                                     Client->width() * LayoutTwipsPerPixel, Client->height() * LayoutTwipsPerPixel);
  if (e.colourDrag) {
    PicSplitter->SetColour(QColor(QRgb(splitter_.SplitterDragColor)));
    PicSplitter->raise();
  }
  if (e.colourRest) PicSplitter->SetColour(palette().color(QPalette::Button));
  if (e.runLayout) Form_Resize();
}

void FrmQuilmark::PicSplitter_MouseMove(double x) {
  splitter_.MouseMove(static_cast<float>(x * LayoutTwipsPerPixel), layout_, Client->width() * LayoutTwipsPerPixel,
                      Client->height() * LayoutTwipsPerPixel);
  Place(PicSplitter, layout_.PicSplitter);
}

void FrmQuilmark::PicSplitter_MouseUp(double x) {
  const auto e = splitter_.MouseUp(static_cast<float>(x * LayoutTwipsPerPixel), layout_,
                                   Client->width() * LayoutTwipsPerPixel, Client->height() * LayoutTwipsPerPixel);
  if (e.colourRest) PicSplitter->SetColour(palette().color(QPalette::Button));
  if (e.runLayout) Form_Resize();
}

// ---------------------------------------------------------------- commands

QString FrmQuilmark::ShowFileDialog(const FileDialogRequest& request) {
  if (FileDialogHook) return FileDialogHook(request);
  QFileDialog dialog(this);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  // "Description|pattern" becomes Qt's "Description" filter (it names its pattern).
  dialog.setNameFilter(request.filter.section('|', 0, 0));
  dialog.setDefaultSuffix(request.defaultSuffix);
  const QString folder = request.folder.isEmpty() ? lastDialogFolder_ : request.folder;
  if (!folder.isEmpty()) dialog.setDirectory(folder);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  lastDialogFolder_ = dialog.directory().absolutePath();
  return dialog.selectedFiles().first();
}

void FrmQuilmark::mnuFileNew_Click() { NewDocument(); }

void FrmQuilmark::mnuFileOpen_Click() {
  Ending ending([this] {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    StatusPanel1->setText("Ready");
    EnableControls(true);
  });
  const QString name = ShowFileDialog({false, "GAF files (*.gaf)|*.gaf", "gaf", PathText(Editor().GAFLoadDir), ""});
  if (name.isEmpty()) return;
  Editor().GAFLoadDir = GetFolder(PathBytes(name));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  EnableControls(false);
  // The load keeps its own document alive, whatever runs while it lets
  // messages through.
  auto doc = std::make_shared<classGAF>();
  Editor().CurrentGAF = doc;
  LoadInto(doc, name);
  ResetView();
}

void FrmQuilmark::mnuFileSaveGAF_Click() {
  Ending ending([this] {
    EnableControls(true);
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  });
  const QString name = ShowFileDialog(
      {true, "GAF files (*.gaf)|*.gaf", "gaf", PathText(Editor().GAFSaveDir), PathText(Editor().CurrentFileName)});
  if (name.isEmpty()) return;
  Editor().GAFSaveDir = GetFolder(PathBytes(name));
  EnableControls(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const auto doc = Editor().CurrentGAF;
  ProgressWindowSink progress(this);
  const SaveResult result = doc->Save(PathBytes(name), &progress);
  progress.Close();
  if (!result) Message(name + " could not be saved: " + QString::fromStdString(result.error));
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

// "N images could not be written", with the first file and why.
QString ExportFailure(const ExportReport& report) {
  QString text = report.failed == 1 ? QString("1 image could not be written")
                                    : QString("%1 images could not be written").arg(report.failed);
  if (report.written > 0) text += QString(" (%1 written)").arg(report.written);
  if (!report.failedFiles.empty()) {
    text += ":\n" + PathText(report.failedFiles.front());
    if (!report.reasons.empty() && !report.reasons.front().empty())
      text += ": " + QString::fromStdString(report.reasons.front());
    if (report.failed > 1) text += QString("\nand %1 more.").arg(report.failed - 1);
  }
  return text;
}

}  // namespace

void FrmQuilmark::ReportExport(const ExportReport& report) {
  QString text = report.ok() ? QString() : ExportFailure(report);
  // Sequences written under another name than their own are told too.
  for (const std::string& note : report.notes) text += (text.isEmpty() ? "" : "\n") + QString::fromStdString(note);
  if (!text.isEmpty()) Message(text);
}

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

void FrmQuilmark::mnuImagesCreateSequence_Click() {
  const std::optional<QString> answer = InputBox(this, "Enter a name for the sequence.", "Create Sequence");
  if (!answer || answer->isEmpty()) return;
  auto animation = std::make_shared<classGAFAnimation>();
  // Names are 8-bit text; characters outside Latin-1 become '?'.
  animation->Name = answer->toLatin1().toStdString();
  animation->Animated = true;
  // A name already in use (letter case ignored) is refused by the collection.
  (void)Editor().CurrentGAF->Animations.Add(animation, animation->Name);
  ResetView();
}

void FrmQuilmark::mnuImageRemoveSequence_Click() {
  EditorState& st = Editor();
  // The current animation itself goes; with no animations there is none to remove.
  (void)st.CurrentGAF->Animations.Remove(st.CurrentGAF->Animations.IndexOf(st.CurrentAnimation.get()));
  ResetView();
}

void FrmQuilmark::mnuImagesImportSequence_Click() {
  FrmImportSequence dialog(this, [this] { ResetView(); }, this);
  dialog.exec();
}

void FrmQuilmark::mnuImagesExportSequence_Click() {
  Ending ending([this] { EnableControls(true); });
  {
    FrmDirectory chooser(this, this);
    chooser.exec();
  }
  const std::string folder = Editor().SelectedDirectory;
  if (folder.empty()) return;
  EnableControls(false);
  const AnimationPtr animation = Editor().CurrentAnimation;
  ReportExport(animation->ExportAllImages(folder));
}

void FrmQuilmark::mnuImagesCompress_Click() { Editor().CurrentGAF->CompressAll(this); }

void FrmQuilmark::mnuImagesExportAll_Click() {
  Ending ending([this] { EnableControls(true); });
  {
    FrmDirectory chooser(this, this);
    chooser.exec();
  }
  const std::string folder = Editor().SelectedDirectory;
  if (folder.empty()) return;
  EnableControls(false);
  const auto doc = Editor().CurrentGAF;
  ReportExport(doc->ExportAllImages(folder));
}

void FrmQuilmark::mnuImagesPreview_Click() { FrmPreview::Open(Editor().CurrentAnimation, this, this); }

void FrmQuilmark::ShowImportFrames(bool subframes) {
  FrmImportFrame dialog(this, this, this);
  if (subframes) dialog.setWindowTitle(FrmImportFrame::SubframesCaption);
  dialog.exec();
  // The import redrew the animation; the list's counts follow it.
  RefreshList();
}

void FrmQuilmark::mnuFrameImport_Click() { ShowImportFrames(false); }

void FrmQuilmark::mnuSubframeImport_Click() { ShowImportFrames(true); }

QString FrmQuilmark::AskBitmapName() {
  return ShowFileDialog({true, "BMP files (*.bmp)|*.bmp", "bmp", QString(), QString()});
}

void FrmQuilmark::mnuFrameExport_Click() {
  Ending ending([] {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  });
  const QString name = AskBitmapName();
  if (name.isEmpty()) return;
  const EditorState& st = Editor();
  if (FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame)) ReportExport(frame->ExportFrame(PathBytes(name)));
}

void FrmQuilmark::mnuSubframeExport_Click() {
  Ending ending([] {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  });
  const QString name = AskBitmapName();
  if (name.isEmpty()) return;
  const EditorState& st = Editor();
  const FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame);
  if (!frame) return;
  if (FramePtr sub = frame->Subframes.Item(st.CurrentSubframe)) ReportExport(sub->ExportFrame(PathBytes(name)));
}

void FrmQuilmark::mnuFrameRemove_Click() {
  EditorState& st = Editor();
  const AnimationPtr animation = st.CurrentAnimation;
  (void)animation->Frames.Remove(st.CurrentFrame);
  DisplayAnimation(*animation);
  RefreshList();
}

void FrmQuilmark::mnuSubframeRemove_Click() {
  EditorState& st = Editor();
  if (FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame)) {
    (void)frame->Subframes.Remove(st.CurrentSubframe);
    if (graphicsReady_) DisplayFrame(*frame, *this, st);
  }
  RefreshList();
}

void FrmQuilmark::mnuHelpAbout_Click() {
  FrmAbout about(this);
  about.exec();
}

void FrmQuilmark::closeEvent(QCloseEvent* event) {
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
