#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QStandardPaths>

#include <sys/stat.h>

#include "EditorTestSupport.h"

namespace quilmark::test {
namespace {

using MainWindow = EditorTest;

TEST_F(MainWindow, CommandLineOpensOneGafPathQuotedOrNotAndTheFileTypeIsRegistered) {
  const QString dir = TempFolder("cmdline") + "/My Files";
  QDir().mkpath(dir);
  const QString path = dir + "/walk.GAF";
  ASSERT_TRUE(MakeDocument()->Save(path.toStdString()));
  for (const auto& [line, opens] :
       {std::pair{QString(), false}, {"\"" + path + "\"", true}, {path, true}, {path + " extra", false},
        {dir + "/picture.bmp", false}}) {
    FrmQuilmark& w = Start(line);
    EXPECT_EQ(w.windowTitle(), opens ? "walk.GAF - Quilmark" : "Untitled.gaf - Quilmark") << line.toStdString();
    EXPECT_EQ(List()->topLevelItemCount(), opens ? 3 : 0);
    EXPECT_EQ(Find<QPushButton>(w, "CmdFrame")->isEnabled(), opens);
  }
  EXPECT_EQ(ViewPixel(10, 10), TestColour(255));  // an empty view
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  EXPECT_TRUE(FileBytes(data + "/mime/packages/quilmark-gaf.xml").contains("<comment>TA Animation File</comment>"));
  EXPECT_TRUE(FileBytes(data + "/applications/quilmark.desktop").contains("MimeType=image/x-gaf;"));
  // A file read only in part opens with one warning.
  ASSERT_TRUE(QFile::resize(path, QFile(path).size() - 20));
  EXPECT_EQ(Start(path).windowTitle(), "walk.GAF - Quilmark");
  EXPECT_TRUE(messages.size() == 1 && messages[0].startsWith(path + " could not be read completely"));
  // The real box: the information icon, the normal pointer, the path once.
  window.reset();
  QString seen;
  WhenModal("MessageBox", [&seen, path](QWidget* w) {
    auto* box = static_cast<QMessageBox*>(w);
    seen = QString("%1 %2 %3").arg(box->icon() == QMessageBox::Information ? "information" : "other",
                                   QApplication::overrideCursor() ? "busy" : "normal")
               .arg(box->text().count(path));
    box->accept();
  });
  window = std::make_unique<FrmQuilmark>(FrmQuilmark::Options{WriteTestPalette(), path});
  EXPECT_TRUE(window->InitializeWindow());
  EXPECT_EQ(seen, "information normal 1");
}

TEST_F(MainWindow, OneAltPressOpensTheFileMenuAndAccessKeysAreUnique) {
  FrmQuilmark& w = Start();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  List()->setFocus();
  QTest::keyClick(&w, Qt::Key_F, Qt::AltModifier);
  EXPECT_TRUE(Find<QMenu>(w, "mnuFile")->isVisible());
  Find<QMenu>(w, "mnuFile")->hide();
  EXPECT_EQ(Find<QPushButton>(w, "CmdFrame")->text(), "&Frame >");
  // Every access key of the window does one thing.
  QStringList keys;
  for (QAction* menu : w.menuBar()->actions()) keys << QKeySequence::mnemonic(menu->text()).toString();
  for (QAbstractButton* button : w.findChildren<QAbstractButton*>())
    if (!button->shortcut().isEmpty()) keys << button->shortcut().toString();
  keys.removeAll(QString());
  EXPECT_EQ(keys.size(), QSet<QString>(keys.begin(), keys.end()).size()) << keys.join(" ").toStdString();
  EXPECT_TRUE(keys.contains("Alt+S")) << keys.join(" ").toStdString();
}

using Rows = DocumentTest;

TEST_F(Rows, ListRowsCountsAndAnimateSwitch) {
  const QStringList rows[] = {{"alpha", "No", "3", "3"}, {"beta", "Yes", "1", "0"}, {"gamma", "No", "0", "0"}};
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(QStringList({Cell(row, 0), Cell(row, 1), Cell(row, 2), Cell(row, 3)}), rows[row]);
  // A double click switches the flag of the clicked row's animation.
  ClickRow(0);
  QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                     List()->visualItemRect(List()->topLevelItem(0)).center());
  EXPECT_TRUE(doc->Animations.Item(1)->Animated && Cell(0, 1) == "Yes");
}

TEST_F(Rows, ClickAndKeysSelectAnimation) {
  FrmQuilmark& w = *window;
  ClickRow(1);
  // A row chosen in code is not a user's choice: the click's choice stays.
  List()->setCurrentItem(List()->topLevelItem(0));
  EXPECT_EQ(w.StatusText(2), "beta");
  // Keys do what a click does, each from frame 1.
  List()->setFocus();
  for (const auto& [key, name] : {std::pair{Qt::Key_Down, "beta"}, {Qt::Key_End, "gamma"}, {Qt::Key_Home, "alpha"},
                                  {Qt::Key_Down, "beta"}, {Qt::Key_Up, "alpha"}}) {
    Slider("ScrollFrames")->setValue(Slider("ScrollFrames")->maximum());
    QTest::keyClick(List(), key);
    EXPECT_EQ(w.State().CurrentFrame, 1) << name;
    EXPECT_EQ(w.StatusText(2), name);
  }
}

TEST_F(Rows, TheHighlightedRowIsAlwaysTheShownAnimation) {
  FrmQuilmark& w = *window;
  QTreeWidget* list = List();
  auto centre = [list](int row) { return list->visualItemRect(list->topLevelItem(row)).center(); };
  // The highlighted row, the shown animation and the status panel, as one.
  auto shown = [&] {
    QTreeWidgetItem* row = list->currentItem();
    return QString("%1%2 %3 %4 frame %5")
        .arg(row ? row->text(0) : "-", row && row->isSelected() ? "*" : "")
        .arg(QString::fromLatin1(w.State().CurrentAnimation->Name.c_str()), w.StatusText(2))
        .arg(w.State().CurrentFrame);
  };
  EXPECT_EQ(shown(), "alpha* alpha alpha frame 1");
  // Pressed on one row, released on another.
  QTest::mousePress(list->viewport(), Qt::LeftButton, {}, centre(0));
  QTest::mouseMove(list->viewport(), centre(2));
  QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre(2));
  EXPECT_EQ(shown(), "gamma* gamma gamma frame 1");
  // A click on empty space shows the current animation from frame 1.
  ClickRow(0);
  Slider("ScrollFrames")->setValue(3);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, list->viewport()->height() - 5));
  EXPECT_EQ(shown(), "alpha* alpha alpha frame 1");
  // Only the name is edited in place.
  for (int column : {1, 2, 3}) {
    QLineEdit* editor = EditCell(0, column);
    EXPECT_FALSE(editor && editor->isVisible()) << column;
    if (editor) QTest::keyClick(editor, Qt::Key_Escape);
  }
  // After every reset of the view the current animation's row is highlighted.
  ClickRow(1);
  w.ResetView();
  EXPECT_EQ(shown(), "alpha* alpha alpha frame 1");
  AnswerInputBox("delta");
  w.mnuImagesCreateSequence_Click();
  EXPECT_EQ(shown(), "alpha* alpha alpha frame 1");
  w.mnuImageRemoveSequence_Click();
  EXPECT_EQ(shown(), "beta* beta beta frame 1");
}

TEST_F(Rows, RenameMovesToEndRefusesWithAReasonAndAnUnchangedNameChangesNothing) {
  FrmQuilmark& w = *window;
  ClickRow(0);
  // Refused, with the reason in the status bar; the document, its order and
  // its history stay as they were.
  const std::pair<QString, QString> refused[] = {
      {"BETA", "Not renamed: there is a sequence \"beta\" already"},
      {"", "Not renamed: a sequence needs a name"},
      {QString::fromUtf8("Caf\u00e9 \u20ac"),
       QString::fromUtf8("Not renamed: names hold Latin-1 letters only, and \"\u20ac\" is none")},
      // Left as it was: no step, no "Modified", no move, no note.
      {"alpha", ""}};
  for (const auto& [name, note] : refused) {
    SCOPED_TRACE(name.toStdString());
    Find<QStatusBar>(w, "Status")->clearMessage();
    RenameRow(0, name);
    // The row, the document's order, the note, the history and "Modified".
    EXPECT_EQ(QStringList({Cell(0, 0), DocumentOrder().join(" "), Find<QStatusBar>(w, "Status")->currentMessage(),
                           QString::number(w.Document().History().count()), w.StatusText(3)}),
              QStringList({"alpha", "alpha beta gamma", note, "0", ""}));
  }
  // Accepted: re-keyed and moved to the end; the row stays first.
  const QString cafe = QString::fromUtf8("Caf\u00e9");
  RenameRow(0, cafe);
  EXPECT_EQ(DocumentOrder(), QStringList({"beta", "gamma", cafe}));
  EXPECT_TRUE(doc->Animations.Contains("caf\xe9"));
  EXPECT_EQ(QStringList({Cell(0, 0), w.StatusText(2), w.StatusText(3)}), QStringList({cafe, cafe, "Modified"}));
  // Its own name in another case is a rename, and moves it too.
  RenameRow(2, "Gamma");
  EXPECT_EQ(DocumentOrder(), QStringList({"beta", cafe, "Gamma"}));
  EXPECT_EQ(w.Document().History().count(), 2);
}

TEST_F(MainWindow, OpenWithProgressSaveAndNew) {
  FrmQuilmark& w = Start();
  const QString dir = TempFolder("open");
  const QString src = dir + "/units.gaf";
  ASSERT_TRUE(MakeDocument()->Save(src.toStdString()));
  answer = src;
  w.State().GAFLoadDir = "/start/here";
  QString progress;  // looked at from an event that the load lets through
  QTimer::singleShot(0, &w, [&] {
    auto* p = w.findChild<QDialog*>("FrmProgress");
    if (p && p->isVisible() && !List()->isEnabled()) progress = p->findChild<QLabel*>("Status")->text();
  });
  w.mnuFileOpen_Click();
  EXPECT_FALSE(progress.isEmpty());
  EXPECT_EQ(w.findChild<QDialog*>("FrmProgress"), nullptr);
  ASSERT_TRUE(asked.size() == 1 && !asked[0].save);
  EXPECT_EQ(asked[0].folder, "/start/here");
  EXPECT_EQ(w.State().GAFLoadDir, dir.toStdString());
  EXPECT_EQ(w.windowTitle(), "units.gaf - Quilmark");
  // Save under another name: the caption keeps the opened file's name.
  answer = dir + "/copy.gaf";
  w.mnuFileSaveGAF_Click();
  EXPECT_TRUE(asked[1].save && asked[1].fileName == src);
  EXPECT_EQ(w.windowTitle(), "units.gaf - Quilmark");
  classGAF back;
  EXPECT_TRUE(back.Load(answer.toStdString()).complete && back.Animations.Count() == 3);
  // A save that fails says so, naming the file.
  answer = dir + "/no such folder/x.gaf";
  w.mnuFileSaveGAF_Click();
  EXPECT_TRUE(messages.size() == 1 && messages[0].startsWith(answer + " could not be saved: "));
  ExpectControlsBack();
  // A cancelled open changes nothing; New, then Save offers Untitled.gaf in
  // the folder of the last save asked for.
  answer.clear();
  w.mnuFileOpen_Click();
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 3);
  w.mnuFileNew_Click();
  EXPECT_EQ(w.windowTitle(), "Untitled.gaf - Quilmark");
  w.mnuFileSaveGAF_Click();
  EXPECT_EQ(asked.last().fileName + "|" + asked.last().folder, "Untitled.gaf|" + dir + "/no such folder");
  // A named pipe is neither replaced by a save nor read by an open: the open
  // says nothing was read, and an empty document follows.
  answer = src;
  w.mnuFileOpen_Click();
  ASSERT_EQ(w.State().CurrentGAF->Animations.Count(), 3);
  answer = dir + "/pipe.gaf";
  ASSERT_EQ(::mkfifo(answer.toLocal8Bit().constData(), 0600), 0);
  w.mnuFileSaveGAF_Click();
  EXPECT_EQ(messages.last(), answer + " could not be saved: not a regular file");
  w.mnuFileOpen_Click();
  EXPECT_EQ(messages.last(), answer + " could not be opened (not a regular file): nothing was read.");
  EXPECT_EQ(w.State().CurrentGAF->Animations.Count(), 0);
  EXPECT_EQ(QFileInfo(answer).size(), 0);
}

TEST_F(MainWindow, RecentFilesKeepTheLastEightOpenedOrSavedAtOnceAndGreyTheMissing) {
  FrmQuilmark& w = Start();
  const QString dir = TempFolder("recent");
  QStringList files;
  for (int i = 1; i <= 9; ++i) {
    files << dir + QString("/g%1.gaf").arg(i);
    ASSERT_TRUE(MakeDocument()->Save(files.last().toStdString()));
    w.OpenFile(files.last());
  }
  QMenu* recent = Find<QMenu>(w, "mnuFileRecent");
  const auto shown = [&] {
    emit recent->aboutToShow();
    QStringList lines;
    for (QAction* action : recent->actions())
      if (!action->isSeparator()) lines << action->text() + (action->isEnabled() ? "" : " [grey]");
    return lines;
  };
  const QStringList first = {"&1 g9.gaf", "&2 g8.gaf", "&3 g7.gaf", "&4 g6.gaf", "&5 g5.gaf", "&6 g4.gaf",
                             "&7 g3.gaf", "&8 g2.gaf", "&Remove Missing Files [grey]", "&Clear List"};
  EXPECT_EQ(shown(), first);
  // In the settings at once, and just above Exit.
  QStringList newest;
  for (int i = 8; i >= 1; --i) newest << files[i];
  EXPECT_EQ(StoredSettings()->value("Recent/Files").toStringList(), newest);
  const QList<QAction*> file = Find<QMenu>(w, "mnuFile")->actions();
  EXPECT_EQ(file[file.size() - 3], recent->menuAction());
  EXPECT_EQ(file.last()->objectName(), "mnuFileExit");
  // A saved file goes first; a file taken away is greyed, then taken off.
  answer = dir + "/saved.gaf";
  w.mnuFileSaveGAF_Click();
  ASSERT_TRUE(QFile::remove(files[8]));
  QStringList lines = shown();
  EXPECT_EQ(lines.mid(0, 3), QStringList({"&1 saved.gaf", "&2 g9.gaf (missing) [grey]", "&3 g8.gaf"}));
  Find<QAction>(*recent, "mnuFileRecentPrune")->trigger();
  EXPECT_EQ(Find<QStatusBar>(w, "Status")->currentMessage(), "1 missing file taken off the list");
  EXPECT_EQ(shown().mid(0, 2), QStringList({"&1 saved.gaf", "&2 g8.gaf"}));
  // Choosing one opens it and brings it first.
  Find<QAction>(*recent, "mnuFileRecent2")->trigger();
  EXPECT_EQ(w.windowTitle(), "g8.gaf - Quilmark");
  EXPECT_EQ(shown().mid(0, 2), QStringList({"&1 g8.gaf", "&2 saved.gaf"}));
}

// ----- layout and settings

using LayoutSettings = EditorTest;

TEST_F(LayoutSettings, SplitterDragWithTheMouse) {
  FrmQuilmark& w = Start();
  // A drag with the mouse: the bar turns grey, stops at its lower limit and
  // lays the window out again on release.
  QWidget* bar = Find<QWidget>(w, "PicSplitter");
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 100));
  EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
  QMouseEvent move(QEvent::MouseMove, QPointF(-500, 100), bar->mapToGlobal(QPointF(-500, 100)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
  EXPECT_EQ(bar->x(), 67);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-500 + 216 - 67, 100));
  EXPECT_EQ(QList<int>({List()->width(), Find<QWidget>(w, "PicView")->x()}), QList<int>({67, 70}));
  EXPECT_NE(bar->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
}

TEST_F(LayoutSettings, SettingsRoundTripAndMaximisedKeepsTheNormalPlacement) {
  FrmQuilmark& first = Start();
  first.resize(800, 560);
  first.PicSplitter_MouseDown(Qt::LeftButton, 0);
  first.PicSplitter_MouseUp(40);  // 600 twips to the right
  first.State().GAFLoadDir = "/load/here";
  first.State().GAFSaveDir = "/save/there";
  first.State().BMPLoadDir = "/bitmaps";
  first.close();
  for (const auto& [key, value] : {std::pair{"Startup/Width", "12000"}, {"Startup/Height", "8400"},
                                   {"Startup/SliderLeft", "3840"}, {"Startup/WindowState", "0"},
                                   {"Locations/GAFLoadDir", "/load/here"}})
    EXPECT_EQ(StoredSettings()->value(key).toString(), value) << key;
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.size(), QSize(800, 560));
  EXPECT_EQ(List()->width(), 256);
  EXPECT_EQ(w.State().GAFSaveDir + w.State().BMPLoadDir, "/save/there/bitmaps");
  w.showMaximized();
  QApplication::processEvents();
  w.close();
  EXPECT_EQ(StoredSettings()->value("Startup/WindowState").toString(), "2");
  EXPECT_EQ(StoredSettings()->value("Startup/Width").toString(), "12000");
}

TEST_F(LayoutSettings, GarbageZeroAndNegativeSettingsAreIgnored) {
  for (const auto& [width, height] : {std::pair{"banana", "1E400"}, {"-3000", "-0.5E4"}}) {
    for (const auto& [key, value] : {std::pair{"Width", width}, {"Height", height}, {"SliderLeft", "0"},
                                     {"WindowState", "7"}, {"Left", "&H10"}})
      StoredSettings()->setValue(QString("Startup/") + key, value);
    FrmQuilmark& w = Start();
    EXPECT_EQ(Find<QWidget>(w, "Client")->size(), QSize(715, 461)) << width;
    EXPECT_EQ(w.Geometry().PicSplitter.Left, 3240);
    EXPECT_FALSE(w.isMinimized() || w.isMaximized());
  }
}

TEST_F(LayoutSettings, AWindowStartedMinimisedIsLaidOutWhenRestored) {
  StoredSettings()->setValue("Startup/WindowState", "1");
  StoredSettings()->setValue("Startup/Width", "12000");
  StoredSettings()->setValue("Startup/Height", "8400");
  FrmQuilmark& w = Start();
  EXPECT_TRUE(w.isMinimized());
  w.showNormal();
  QTest::qWait(20);
  const QRect client = Find<QWidget>(w, "Client")->rect();
  EXPECT_EQ(Find<QToolBar>(w, "Toolbar")->geometry().top(), 0);
  EXPECT_EQ(Find<QStatusBar>(w, "Status")->geometry().bottom(), client.bottom());
  EXPECT_GT(Find<QStatusBar>(w, "Status")->geometry().top(), Find<QToolBar>(w, "Toolbar")->geometry().bottom());
  for (QWidget* part : {static_cast<QWidget*>(List()), Find<QWidget>(w, "PicView")})
    EXPECT_TRUE(client.contains(part->geometry())) << part->objectName().toStdString();
  EXPECT_EQ(Find<QWidget>(w, "PicView")->geometry().right() + 1, client.width());
}

}  // namespace
}  // namespace quilmark::test
