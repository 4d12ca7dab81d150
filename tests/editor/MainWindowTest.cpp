#include <QAction>
#include <QFile>
#include <QDialog>
#include <QMenuBar>
#include <QStandardPaths>
#include <QTimer>

#include "EditorTestSupport.h"

namespace quilmark::test {
namespace {

using MainWindow = EditorTest;

TEST_F(MainWindow, ControlsCaptionsAndMenus) {
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.windowTitle(), "Untitled.gaf - Quilmark");
  EXPECT_EQ(Find<QGroupBox>("FrameInfo")->title(), "Frame Information");
  EXPECT_EQ(Find<QLabel>("Label1")->text(), "Width");
  EXPECT_EQ(Find<QLabel>("Label3")->text(), "X position");
  EXPECT_EQ(Find<QLabel>("Label5")->text(), "Framerate");
  EXPECT_EQ(Find<QCheckBox>("chkCompressed")->text(), "Compress");
  EXPECT_EQ(Find<QPushButton>("CmdFrame")->text(), "&Frame >");
  EXPECT_EQ(Find<QPushButton>("CmdSubframe")->text(), "&Subframe >");
  for (const char* box : {"TxtWidth", "TxtHeight", "TxtXPos", "TxtYPos", "TxtFPS"})
    EXPECT_EQ(Find<QLineEdit>(box)->text(), "0") << box;
  EXPECT_TRUE(Find<QLineEdit>("TxtWidth")->isReadOnly());
  auto* list = Find<QTreeWidget>("ListGAF");
  ASSERT_EQ(list->columnCount(), 4);
  EXPECT_EQ(list->headerItem()->text(0), "Name");
  EXPECT_EQ(list->headerItem()->text(1), "Animate");
  EXPECT_EQ(list->headerItem()->text(2), "Frames");
  EXPECT_EQ(list->headerItem()->text(3), "Subframes");
  EXPECT_EQ(list->columnWidth(0), 67);
  EXPECT_EQ(list->columnWidth(3), 47);
  EXPECT_EQ(w.StatusText(1), "Ready");
  EXPECT_EQ(w.StatusText(2), "");

  // Menu bar: File, Images, Help; Frame and Subframe only as pop-ups.
  QStringList bar;
  for (QAction* a : w.menuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, QStringList({"&File", "&Images", "&Help"}));
  struct Item {
    const char* name;
    const char* caption;
    const char* shortcut;
  };
  const Item items[] = {{"mnuFileNew", "&New GAF", "Ctrl+N"},
                        {"mnuFileOpen", "&Open GAF", "Ctrl+O"},
                        {"mnuFileSaveGAF", "&Save GAF...", "Ctrl+S"},
                        {"mnuFileSaveUFO", "Export &UFO...", ""},
                        {"mnuFileExit", "E&xit", ""},
                        {"mnuViewCenter", "Center Images in &View", ""},
                        {"mnuImagesCreateSequence", "&Create Sequence...", "F2"},
                        {"mnuImageRemoveSequence", "&Remove Sequence", "Del"},
                        {"mnuImagesImportSequence", "&Import Sequence...", ""},
                        {"mnuImagesExportSequence", "&Export Sequence...", ""},
                        {"mnuImagesCompress", "C&ompress All Images...", ""},
                        {"mnuImagesExportAll", "Export &All Images...", ""},
                        {"mnuImagesPreview", "&Preview Animation...", "F5"},
                        {"mnuFrameImport", "&Import Frames...", ""},
                        {"mnuFrameExport", "&Export Frame...", ""},
                        {"mnuFrameRemove", "&Remove Frame", ""},
                        {"mnuSubframeImport", "&Import Subframes...", ""},
                        {"mnuSubframeExport", "&Export Subframe...", ""},
                        {"mnuSubframeRemove", "&Remove Subframe", ""},
                        {"mnuHelpAbout", "&About Quilmark...", ""}};
  for (const Item& i : items) {
    auto* a = w.findChild<QAction*>(i.name);
    ASSERT_NE(a, nullptr) << i.name;
    EXPECT_EQ(a->text(), i.caption);
    EXPECT_EQ(a->shortcut().toString(), i.shortcut) << i.name;
  }
  for (const char* sep : {"mnuFileBreak1", "mnuFileBreak2", "mnuViewBreak1", "mnuImagesBreak2", "mnuImagesBreak3",
                          "mnuImagesBreak4", "mnuFrameBreak1", "mnuSubframeBreak1"}) {
    auto* a = w.findChild<QAction*>(sep);
    ASSERT_NE(a, nullptr) << sep;
    EXPECT_TRUE(a->isSeparator());
  }
  EXPECT_TRUE(w.mnuViewCenter->isCheckable());
  EXPECT_FALSE(w.mnuViewCenter->isChecked());
  QStringList frameMenu;
  for (QAction* a : w.mnuFrame->actions()) frameMenu << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(frameMenu, QStringList({"&Import Frames...", "&Export Frame...", "-", "&Remove Frame"}));

  // Toolbar: separators and the six buttons in order, with their tooltips.
  QStringList tools;
  for (QAction* a : w.Toolbar->actions()) tools << (a->isSeparator() ? "|" : a->data().toString() + ":" + a->toolTip());
  EXPECT_EQ(tools, QStringList({"|", "new:New", "open:Open", "save:Save As", "|", "create:Create Sequence",
                                "import:Import Sequence", "|", "preview:Preview Animation"}));
}

TEST_F(MainWindow, EmptyDocumentState) {
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 0);
  EXPECT_TRUE(w.State().CurrentAnimation->Name.empty());
  EXPECT_FALSE(w.CmdFrame->isEnabled());
  EXPECT_FALSE(w.CmdSubframe->isEnabled());
  EXPECT_FALSE(w.TxtXPos->isEnabled());
  EXPECT_FALSE(w.ScrollFPS->isEnabled());
  EXPECT_FALSE(w.chkCompressed->isEnabled());
  EXPECT_FALSE(w.ScrollFrames->isEnabled());
  EXPECT_EQ(w.ScrollFrames->maximum(), 2);
  // The whole view is the background colour 255.
  EXPECT_EQ(ViewPixel(10, 10), TestColour(255));
}

TEST_F(MainWindow, RegistersFileTypeInTestHome) {
  Start();
  QFile mime(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/mime/packages/quilmark-gaf.xml");
  ASSERT_TRUE(mime.open(QIODevice::ReadOnly));
  const QString text = mime.readAll();
  EXPECT_TRUE(text.contains("<comment>TA Animation File</comment>"));
  EXPECT_TRUE(text.contains("pattern=\"*.gaf\""));
  QFile desktop(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                "/applications/quilmark.desktop");
  ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
  const QString entry = desktop.readAll();
  EXPECT_TRUE(entry.contains("MimeType=image/x-gaf;"));
  EXPECT_TRUE(entry.contains(" %f\n"));
}

// ----- command line

class CommandLine : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    dir = TempFolder("cmdline") + "/My Files";
    QDir().mkpath(dir);
    path = dir + "/walk.GAF";
    ASSERT_TRUE(MakeDocument()->Save(path.toStdString()));
  }
  QString dir, path;
};

TEST_F(CommandLine, QuotedPathWithBlanksOpens) {
  FrmQuilmark& w = Start("\"" + path + "\"");
  EXPECT_EQ(w.windowTitle(), "walk.GAF - Quilmark");
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 3);
  EXPECT_EQ(w.State().CurrentAnimation->Name, "alpha");
  EXPECT_EQ(w.ListGAF->topLevelItemCount(), 3);
  EXPECT_TRUE(w.ListGAF->isEnabled());
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(CommandLine, UnquotedPathWithBlanksOpens) {
  FrmQuilmark& w = Start(path);
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 3);
}

TEST_F(CommandLine, SecondArgumentOrOtherTypeOpensNothing) {
  FrmQuilmark& w = Start(path + " extra");
  EXPECT_EQ(w.windowTitle(), "Untitled.gaf - Quilmark");
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 0);
  w.close();
  window.reset();
  FrmQuilmark& v = Start(dir + "/picture.bmp");
  EXPECT_EQ(v.windowTitle(), "Untitled.gaf - Quilmark");
}

TEST_F(CommandLine, PartlyReadFileIsOpenedWithOneWarning) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  const qint64 size = f.size();
  ASSERT_TRUE(f.resize(size - 20));
  f.close();
  FrmQuilmark& w = Start(path);
  EXPECT_EQ(w.windowTitle(), "walk.GAF - Quilmark");
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], path + " could not be read completely; saving it will keep only what was read.");
  EXPECT_EQ(titles[0], "Quilmark");
}

// ----- list

TEST_F(MainWindow, ListRowsCountsAndAnimateSwitch) {
  FrmQuilmark& w = Start();
  UseDocument(MakeDocument());
  ASSERT_EQ(w.ListGAF->topLevelItemCount(), 3);
  QTreeWidgetItem* alpha = w.ListGAF->topLevelItem(0);
  EXPECT_EQ(alpha->text(0), "alpha");
  EXPECT_EQ(alpha->text(1), "No");
  EXPECT_EQ(alpha->text(2), "3");
  EXPECT_EQ(alpha->text(3), "3");
  EXPECT_EQ(w.ListGAF->topLevelItem(2)->text(2), "0");
  EXPECT_EQ(w.ListGAF->topLevelItem(2)->text(3), "0");
  // Double click on alpha switches its flag and the row shows it.
  const QRect r = w.ListGAF->visualItemRect(alpha);
  QTest::mouseClick(w.ListGAF->viewport(), Qt::LeftButton, {}, r.center());
  QTest::mouseDClick(w.ListGAF->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_TRUE(w.State().CurrentGAF->Animations.Item(1)->Animated);
  EXPECT_EQ(w.ListGAF->topLevelItem(0)->text(1), "Yes");
  EXPECT_EQ(w.ListGAF->topLevelItem(1)->text(1), "Yes");
}

TEST_F(MainWindow, ClickAndKeysSelectAnimation) {
  FrmQuilmark& w = Start();
  UseDocument(MakeDocument());
  ClickRow(1);
  EXPECT_EQ(w.State().CurrentAnimation->Name, "beta");
  EXPECT_EQ(w.State().CurrentFrame, 1);
  EXPECT_EQ(w.State().CurrentSubframe, 0);
  EXPECT_EQ(w.StatusText(2), "beta");
  EXPECT_EQ(w.TxtWidth->text(), "12");
  // A row chosen in code is not a user's choice.
  w.ListGAF->setCurrentItem(w.ListGAF->topLevelItem(0));
  EXPECT_EQ(w.State().CurrentAnimation->Name, "beta");
  // Keys do what a click does, each from frame 1.
  const struct {
    Qt::Key key;
    std::string name;
  } steps[] = {{Qt::Key_Down, "beta"}, {Qt::Key_End, "gamma"}, {Qt::Key_Home, "alpha"}, {Qt::Key_Down, "beta"},
               {Qt::Key_Up, "alpha"}};
  w.ListGAF->setFocus();
  for (const auto& step : steps) {
    w.ScrollFrames->setValue(w.ScrollFrames->maximum());
    QTest::keyClick(w.ListGAF, step.key);
    EXPECT_EQ(w.State().CurrentAnimation->Name, step.name);
    EXPECT_EQ(w.State().CurrentFrame, 1) << step.name;
    EXPECT_EQ(w.StatusText(2).toStdString(), step.name);
  }
  // The empty animation: Frame button on, editors off.
  ClickRow(2);
  EXPECT_EQ(w.State().CurrentAnimation->Name, "gamma");
  EXPECT_TRUE(w.CmdFrame->isEnabled());
  EXPECT_FALSE(w.CmdSubframe->isEnabled());
  EXPECT_FALSE(w.TxtYPos->isEnabled());
  EXPECT_EQ(w.TxtWidth->text(), "0");
  EXPECT_FALSE(w.chkCompressed->isEnabled());
}

TEST_F(MainWindow, RenameMovesToEndAndRefusesDuplicatesAndEmpty) {
  FrmQuilmark& w = Start();
  UseDocument(MakeDocument());
  auto& anims = w.State().CurrentGAF->Animations;
  ClickRow(0);
  // Refused: another animation's name (any case), and an empty name.
  for (const char* refused : {"BETA", ""}) {
    RenameRow(0, refused);
    EXPECT_EQ(w.ListGAF->topLevelItem(0)->text(0), "alpha") << refused;
    EXPECT_EQ(DocumentOrder(), QStringList({"alpha", "beta", "gamma"})) << refused;
  }
  // Accepted: re-keyed and moved to the end; the row stays first.
  RenameRow(0, QString::fromUtf8("Caf\u00e9 \u20ac"));
  EXPECT_EQ(DocumentOrder(), QStringList({"beta", "gamma", QString::fromUtf8("Caf\u00e9 ?")}));
  EXPECT_TRUE(anims.Contains("caf\xe9 ?"));
  EXPECT_EQ(w.ListGAF->topLevelItem(0)->text(0), QString::fromUtf8("Caf\u00e9 ?"));
  EXPECT_EQ(w.StatusText(2), QString::fromUtf8("Caf\u00e9 ?"));
  // Its own name, unchanged or in another case, moves it to the end too.
  RenameRow(1, "beta");
  EXPECT_EQ(DocumentOrder(), QStringList({"gamma", QString::fromUtf8("Caf\u00e9 ?"), "beta"}));
  RenameRow(2, "Gamma");
  EXPECT_EQ(DocumentOrder(), QStringList({QString::fromUtf8("Caf\u00e9 ?"), "beta", "Gamma"}));
  // The next save writes that order, and a reload lists it.
  const QString path = TempFolder("rename") + "/renamed.gaf";
  ASSERT_TRUE(w.State().CurrentGAF->Save(path.toStdString()).ok);
  auto back = std::make_shared<classGAF>();
  back->Load(path.toStdString());
  UseDocument(back);
  EXPECT_EQ(DocumentOrder(), QStringList({QString::fromUtf8("Caf\u00e9 ?"), "beta", "Gamma"}));
  EXPECT_EQ(w.ListGAF->topLevelItem(2)->text(0), "Gamma");
}

// ----- file commands

TEST_F(MainWindow, OpenSaveAndNew) {
  FrmQuilmark& w = Start();
  const QString dir = TempFolder("open");
  const QString src = dir + "/units.gaf";
  ASSERT_TRUE(MakeDocument()->Save(src.toStdString()));
  QList<FileDialogRequest> asked;
  QString answer = src;
  w.FileDialogHook = [&](const FileDialogRequest& r) {
    asked << r;
    return answer;
  };
  w.State().GAFLoadDir = "/start/here";
  w.mnuFileOpen_Click();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_FALSE(asked[0].save);
  EXPECT_EQ(asked[0].filter, "GAF files (*.gaf)|*.gaf");
  EXPECT_EQ(asked[0].defaultSuffix, "gaf");
  EXPECT_EQ(asked[0].folder, "/start/here");
  EXPECT_EQ(asked[0].fileName, "");
  EXPECT_EQ(w.State().GAFLoadDir, dir.toStdString());
  EXPECT_EQ(w.windowTitle(), "units.gaf - Quilmark");
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 3);
  EXPECT_TRUE(w.PicView->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Save under another name: the caption keeps the opened file's name.
  const QString copy = dir + "/copy.gaf";
  answer = copy;
  w.mnuFileSaveGAF_Click();
  ASSERT_EQ(asked.size(), 2);
  EXPECT_TRUE(asked[1].save);
  EXPECT_EQ(asked[1].fileName, src);
  EXPECT_EQ(w.State().GAFSaveDir, dir.toStdString());
  EXPECT_EQ(w.windowTitle(), "units.gaf - Quilmark");
  classGAF back;
  LoadReport report;
  back.Load(copy.toStdString(), nullptr, &report);
  EXPECT_TRUE(report.complete);
  EXPECT_EQ(back.Animations.Count(), 3);
  EXPECT_TRUE(messages.isEmpty());

  // A save that fails says so, naming the file; the controls come back.
  answer = dir + "/no such folder/x.gaf";
  w.mnuFileSaveGAF_Click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith(answer + " could not be saved: ")) << messages[0].toStdString();
  EXPECT_TRUE(w.ListGAF->isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Cancel changes nothing but the status text.
  answer.clear();
  w.mnuFileOpen_Click();
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 3);
  EXPECT_EQ(w.StatusText(1), "Ready");

  // New through the toolbar.
  w.Toolbar_ButtonClick("new");
  EXPECT_EQ(w.windowTitle(), "Untitled.gaf - Quilmark");
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 0);
  // Save of a new document offers Untitled.gaf in GAFSaveDir.
  w.Toolbar_ButtonClick("save");
  EXPECT_EQ(asked.last().fileName, "Untitled.gaf");
  // GAFSaveDir is the folder of the last save asked for, even a failed one.
  EXPECT_EQ(asked.last().folder, dir + "/no such folder");
  w.Toolbar_ButtonClick("Save");  // keys are exact
  EXPECT_EQ(asked.size(), 5);
}

TEST_F(MainWindow, ProgressWindowDuringLoad) {
  FrmQuilmark& w = Start();
  const QString src = TempFolder("progress") + "/p.gaf";
  ASSERT_TRUE(MakeDocument()->Save(src.toStdString()));
  bool sawProgress = false;
  QString status;
  w.FileDialogHook = [&](const FileDialogRequest&) { return src; };
  // The progress window is up while the document loads; look at it from an
  // event that the load lets through.
  QTimer::singleShot(0, &w, [&] {
    if (auto* p = w.findChild<QDialog*>("FrmProgress")) {
      sawProgress = p->isVisible();
      status = p->findChild<QLabel*>("Status")->text();
      EXPECT_FALSE(w.ListGAF->isEnabled());
    }
  });
  w.mnuFileOpen_Click();
  EXPECT_TRUE(sawProgress);
  EXPECT_EQ(status, "Loading GAF file...");
  EXPECT_EQ(w.findChild<QDialog*>("FrmProgress"), nullptr);
}

}  // namespace
}  // namespace quilmark::test
