#include <QDialog>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>

#include "EditorTestSupport.h"

namespace quilmark::test {
namespace {

using MainWindow = EditorTest;

QString ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TEST_F(MainWindow, StartsEmptyAndRegistersTheFileType) {
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.windowTitle(), "Untitled.gaf - Quilmark");
  EXPECT_EQ(w.StatusText(1), "Ready");
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 0);
  EXPECT_FALSE(w.CmdFrame->isEnabled() || w.CmdSubframe->isEnabled() || w.TxtXPos->isEnabled() ||
               w.ScrollFPS->isEnabled() || w.chkCompressed->isEnabled() || w.ScrollFrames->isEnabled());
  EXPECT_EQ(w.ScrollFrames->maximum(), 2);
  EXPECT_EQ(ViewPixel(10, 10), TestColour(255));
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString mime = ReadAll(data + "/mime/packages/quilmark-gaf.xml");
  EXPECT_TRUE(mime.contains("<comment>TA Animation File</comment>") && mime.contains("pattern=\"*.gaf\"")) << mime.toStdString();
  const QString entry = ReadAll(data + "/applications/quilmark.desktop");
  EXPECT_TRUE(entry.contains("MimeType=image/x-gaf;") && entry.contains(" %f\n")) << entry.toStdString();
}

TEST_F(MainWindow, CommandLineOpensOneGafPathQuotedOrNot) {
  const QString dir = TempFolder("cmdline") + "/My Files";
  QDir().mkpath(dir);
  const QString path = dir + "/walk.GAF";
  ASSERT_TRUE(MakeDocument()->Save(path.toStdString()));
  const struct {
    QString line;
    bool opens;
  } cases[] = {{"\"" + path + "\"", true}, {path, true}, {path + " extra", false}, {dir + "/picture.bmp", false}};
  for (const auto& c : cases) {
    FrmQuilmark& w = Start(c.line);
    EXPECT_EQ(w.windowTitle(), c.opens ? "walk.GAF - Quilmark" : "Untitled.gaf - Quilmark") << c.line.toStdString();
    EXPECT_EQ(w.ListGAF->topLevelItemCount(), c.opens ? 3 : 0);
    EXPECT_EQ(w.State().CurrentAnimation->Name, c.opens ? "alpha" : "");
    w.close();
  }
  EXPECT_TRUE(messages.isEmpty());
  // A file read only in part opens with one warning.
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.resize(f.size() - 20));
  f.close();
  EXPECT_EQ(Start(path).windowTitle(), "walk.GAF - Quilmark");
  EXPECT_EQ(messages, QStringList({path + " could not be read completely; saving it will keep only what was read."}));
  EXPECT_EQ(titles, QStringList({"Quilmark"}));
}

TEST_F(MainWindow, ListRowsCountsAndAnimateSwitch) {
  StartWithDocument();
  EXPECT_EQ(ListNames(), QStringList({"alpha", "beta", "gamma"}));
  const QStringList cells[] = {{"No", "3", "3"}, {"Yes", "1", "0"}, {"No", "0", "0"}};
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(QStringList({Cell(row, 1), Cell(row, 2), Cell(row, 3)}), cells[row]) << row;
  // A double click switches the flag of the clicked row's animation.
  ClickRow(0);
  const QRect r = window->ListGAF->visualItemRect(window->ListGAF->topLevelItem(0));
  QTest::mouseDClick(window->ListGAF->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_TRUE(doc->Animations.Item(1)->Animated);
  EXPECT_EQ(Cell(0, 1), "Yes");
  EXPECT_EQ(Cell(1, 1), "Yes");
}

TEST_F(MainWindow, ClickAndKeysSelectAnimation) {
  FrmQuilmark& w = StartWithDocument();
  ClickRow(1);
  EXPECT_EQ(w.State().CurrentAnimation->Name, "beta");
  EXPECT_EQ(w.State().CurrentFrame, 1);
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
}

TEST_F(MainWindow, RenameMovesToEndAndRefusesDuplicatesAndEmpty) {
  FrmQuilmark& w = StartWithDocument();
  ClickRow(0);
  for (const char* refused : {"BETA", ""}) {
    RenameRow(0, refused);
    EXPECT_EQ(Cell(0, 0), "alpha") << refused;
    EXPECT_EQ(DocumentOrder(), QStringList({"alpha", "beta", "gamma"})) << refused;
  }
  // Accepted: re-keyed and moved to the end; the row stays first. Typed text
  // is kept as Latin-1.
  const QString cafe = QString::fromUtf8("Caf\u00e9 ?");
  RenameRow(0, QString::fromUtf8("Caf\u00e9 \u20ac"));
  EXPECT_EQ(DocumentOrder(), QStringList({"beta", "gamma", cafe}));
  EXPECT_TRUE(doc->Animations.Contains("caf\xe9 ?"));
  EXPECT_EQ(Cell(0, 0), cafe);
  EXPECT_EQ(w.StatusText(2), cafe);
  // Its own name, unchanged or in another case, moves it to the end too.
  RenameRow(1, "beta");
  EXPECT_EQ(DocumentOrder(), QStringList({"gamma", cafe, "beta"}));
  RenameRow(2, "Gamma");
  EXPECT_EQ(DocumentOrder(), QStringList({cafe, "beta", "Gamma"}));
  // The next save writes that order.
  const QString path = TempFolder("rename") + "/renamed.gaf";
  ASSERT_TRUE(doc->Save(path.toStdString()).ok);
  auto back = std::make_shared<classGAF>();
  back->Load(path.toStdString());
  UseDocument(back);
  EXPECT_EQ(ListNames(), QStringList({cafe, "beta", "Gamma"}));
}

TEST_F(MainWindow, OpenSaveAndNew) {
  FrmQuilmark& w = Start();
  AnswerFileDialogs();
  const QString dir = TempFolder("open");
  const QString src = dir + "/units.gaf";
  ASSERT_TRUE(MakeDocument()->Save(src.toStdString()));
  answer = src;
  w.State().GAFLoadDir = "/start/here";
  w.mnuFileOpen_Click();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_FALSE(asked[0].save);
  EXPECT_EQ(asked[0].filter, "GAF files (*.gaf)|*.gaf");
  EXPECT_EQ(asked[0].defaultSuffix, "gaf");
  EXPECT_EQ(asked[0].folder, "/start/here");
  EXPECT_EQ(w.State().GAFLoadDir, dir.toStdString());
  EXPECT_EQ(w.windowTitle(), "units.gaf - Quilmark");
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 3);
  ExpectControlsBack();
  // Save under another name: the caption keeps the opened file's name.
  answer = dir + "/copy.gaf";
  w.mnuFileSaveGAF_Click();
  EXPECT_TRUE(asked[1].save);
  EXPECT_EQ(asked[1].fileName, src);
  EXPECT_EQ(w.State().GAFSaveDir, dir.toStdString());
  EXPECT_EQ(w.windowTitle(), "units.gaf - Quilmark");
  classGAF back;
  LoadReport report;
  back.Load(answer.toStdString(), nullptr, &report);
  EXPECT_TRUE(report.complete && back.Animations.Count() == 3);
  EXPECT_TRUE(messages.isEmpty());
  // A save that fails says so, naming the file.
  answer = dir + "/no such folder/x.gaf";
  w.mnuFileSaveGAF_Click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith(answer + " could not be saved: ")) << messages[0].toStdString();
  ExpectControlsBack();
  // A cancelled open changes nothing.
  answer.clear();
  w.mnuFileOpen_Click();
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 3);
  // New, then Save offers Untitled.gaf in the folder of the last save asked for.
  w.Toolbar_ButtonClick("new");
  EXPECT_EQ(w.windowTitle(), "Untitled.gaf - Quilmark");
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 0);
  w.Toolbar_ButtonClick("save");
  EXPECT_EQ(asked.last().fileName, "Untitled.gaf");
  EXPECT_EQ(asked.last().folder, dir + "/no such folder");
}

TEST_F(MainWindow, ProgressWindowDuringLoad) {
  FrmQuilmark& w = Start();
  answer = TempFolder("progress") + "/p.gaf";
  ASSERT_TRUE(MakeDocument()->Save(answer.toStdString()));
  AnswerFileDialogs();
  QString status;
  bool listEnabled = true;
  // Looked at from an event that the load lets through.
  QTimer::singleShot(0, &w, [&] {
    auto* p = w.findChild<QDialog*>("FrmProgress");
    if (p && p->isVisible()) status = p->findChild<QLabel*>("Status")->text();
    listEnabled = w.ListGAF->isEnabled();
  });
  w.mnuFileOpen_Click();
  EXPECT_EQ(status, "Loading GAF file...");
  EXPECT_FALSE(listEnabled);
  EXPECT_EQ(w.findChild<QDialog*>("FrmProgress"), nullptr);
}

}  // namespace
}  // namespace quilmark::test
