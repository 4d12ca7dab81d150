#include "DialogTestSupport.h"

#include <QMessageBox>

namespace quilmark::test {
namespace {

TEST_F(Dialogs, ChooserOkAppendsOneSlashCancelAndCloseGiveNothing) {
  // Endings: 0 OK (the default button), 1 Cancel, 2 the close box.
  for (const auto& [start, ending, answer] :
       {std::tuple{folder, 0, Bytes(folder + "/")}, {"/", 0, "/"}, {folder, 1, ""}, {folder, 2, ""}}) {
    FrmDirectory chooser(nullptr, window.get());
    ASSERT_TRUE(chooser.Dir->SetPath(start));
    chooser.show();
    if (ending == 0) QTest::keyClick(&chooser, Qt::Key_Return);
    if (ending == 1) chooser.CmdCancel->click();
    if (ending == 2) chooser.close();
    EXPECT_TRUE(chooser.Chosen() == answer && !chooser.isVisible()) << ending << " " << answer;
  }
}

TEST_F(Dialogs, ChooserFolderListShowsThePathAndTheLabelFollows) {
  FrmDirectory chooser(nullptr, window.get());
  ExpectShows(chooser, QDir::currentPath());
  ASSERT_TRUE(chooser.Dir->SetPath(folder));
  // The path from the root, one line a folder, then the subfolders.
  const QStringList lines = Lines(chooser.Dir);
  const int depth = static_cast<int>(folder.count('/'));
  ASSERT_EQ(lines.size(), depth + 2);
  EXPECT_EQ(QStringList({lines.first(), lines.last()}), QStringList({"/", QString((depth + 1) * 2, ' ') + "existing"}));
  ExpectShows(chooser, folder);
  // Opening a subfolder with Enter, and a folder of the path with a double click.
  chooser.Dir->setCurrentRow(depth + 1);
  QTest::keyClick(chooser.Dir, Qt::Key_Return);
  ExpectShows(chooser, folder + "/existing");
  emit chooser.Dir->itemDoubleClicked(chooser.Dir->item(depth));
  ExpectShows(chooser, folder);
  EXPECT_FALSE(chooser.Dir->SetPath(folder + "/nowhere"));
  ExpectShows(chooser, folder);
  emit chooser.Drive->activated(0);  // a place chosen
  ExpectShows(chooser, "/");
}

TEST_F(Dialogs, ChooserCreateMakesTheFolderAndMovesIntoItUnlessItExists) {
  FrmDirectory chooser(nullptr, window.get());
  chooser.Dir->SetPath(folder);
  AnswerInputBox("fresh");
  chooser.CmdMakeDir_Click();
  ExpectShows(chooser, folder + "/fresh");
  chooser.Dir->SetPath(folder);
  AnswerInputBox("existing");
  chooser.CmdMakeDir_Click();
  EXPECT_EQ(messages, QStringList({"Directory already exists."}));
  ExpectShows(chooser, folder);
}

TEST_F(Dialogs, ImportSequenceListsFollowAddRemoveAndDelete) {
  FrmImportSequence d(window.get(), window->State().BMPLoadDir, window.get());
  EXPECT_EQ(d.Dirs->Path(), folder);
  EXPECT_EQ(Lines(d.Files), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp"}));
  EXPECT_TRUE(d.chkCenter->isChecked() && !d.chkWhite->isChecked() && !d.chkCompress->isChecked());
  // Subframes need a frame: one message a file.
  SelectOnly(d.Files, {"a.bmp", "b.bmp"});
  d.CmdAddFrame_Click();
  EXPECT_EQ(messages.size(), 2);
  messages.clear();
  SelectOnly(d.Files, {"a.bmp", "b.bmp", "c.bmp"});
  d.CmdAdd_Click();
  EXPECT_EQ(Lines(d.LstFrames, Qt::UserRole), QStringList({"1", "2", "3"}));
  EXPECT_EQ(d.LstFrames->currentRow(), 0);
  SelectOnly(d.Files, {"c.bmp", "d.bmp"});
  d.CmdAddFrame_Click();
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"a.bmp", "c.bmp", "d.bmp"}));
  EXPECT_EQ(Lines(d.LstSubframes, Qt::UserRole), QStringList({"0", "1", "2"}));
  // Two images removed: the entries keep their places.
  SelectOnly(d.LstSubframes, {"a.bmp", "d.bmp"});
  d.CmdRemoveFrame_Click();
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"c.bmp"}));
  // The only line is never removed.
  d.CmdRemoveFrame_Click();
  EXPECT_EQ(messages, QStringList({"You cannot remove the only frame in an image."}));
  EXPECT_EQ(Lines(d.LstSubframes, Qt::UserRole), QStringList({"1"}));
  // Deleting the current frame makes the first remaining one current.
  SelectOnly(d.LstFrames, {"a.bmp"});
  d.CmdDelete_Click();
  EXPECT_EQ(Lines(d.LstFrames, Qt::UserRole), QStringList({"2", "3"}));
  EXPECT_EQ(d.LstFrames->currentRow(), 0);
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"b.bmp"}));
  // Every frame deleted: the dialog's sequence has no frame to import.
  SelectOnly(d.LstFrames, {"b.bmp", "c.bmp"});
  d.CmdDelete_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList());
  EXPECT_TRUE(std::all_of(d.FrameLists.begin(), d.FrameLists.end(),
                          [](const classFrameList& list) { return list.Name.empty(); }));
}

// The sequence takes the name of its first file, a UTF-8 name in Latin-1; a
// file that is no bitmap is reported.
TEST_F(Dialogs, ImportSequenceOkBuildsTheSequenceNamedInLatin1OrReportsABadBitmap) {
  const QString name = QString::fromUtf8("\xC3\xBCn\xC3\xAF_3x3");  // ünï_3x3
  ASSERT_TRUE(QFile::copy(folder + "/a.bmp", folder + "/" + name + ".bmp"));
  std::ofstream(Bytes(folder + "/e.bmp")) << "not a bitmap";
  for (const QStringList& files : {QStringList{name + ".bmp", "c.bmp"}, QStringList{"e.bmp"}}) {
    RunImport(0, [&files](QDialog& dialog) {
      auto& d = static_cast<FrmImportSequence&>(dialog);
      for (const QString& file : files) {
        SelectOnly(d.Files, {file});
        d.CmdAdd_Click();
      }
      d.chkCompress->setChecked(true);
      d.CmdOK_Click();
    });
  }
  ASSERT_GE(doc->Animations.Count(), 4);  // the first dialog's sequence comes fourth
  EXPECT_EQ(doc->Animations.Item(4)->Name, "\xFCn\xEF_3x3");
  EXPECT_EQ(ListNames().value(3), name);
  EXPECT_TRUE(doc->Animations.Item(4)->Frames.Count() == 2 && doc->Animations.Item(4)->Frames.Item(2)->Compressed());
  EXPECT_EQ(messages, QStringList({"There was an error loading the BMP file.  Make sure it is 256 colors."}));
}

TEST_F(Dialogs, ImportDialogsStoreTheFolderOnEveryClose) {
  RunImport(0, [this](QDialog& dialog) {
    static_cast<FrmImportSequence&>(dialog).Dirs->SetPath(folder + "/existing");
    static_cast<FrmImportSequence&>(dialog).CmdCancel_Click();
  });
  EXPECT_EQ(window->State().BMPLoadDir, Bytes(folder + "/existing"));
  RunImport(1, [this](QDialog& dialog) {
    auto& d = static_cast<FrmImportFrame&>(dialog);
    EXPECT_EQ(d.Dirs->Path(), folder + "/existing");
    d.Dirs->SetPath(folder);
    d.close();  // the close box
  });
  EXPECT_EQ(window->State().BMPLoadDir, Bytes(folder));
  // A vanished folder leaves the lists at the current folder.
  FrmImportSequence d(window.get(), Bytes(folder + "/gone"), window.get());
  EXPECT_EQ(d.Dirs->Path(), QDir::currentPath());
}

TEST_F(Dialogs, ChosenFilesAreKeyedByNameWithoutLetterCase) {
  QFile::copy(folder + "/a.bmp", folder + "/existing/A.bmp");
  FrmImportFrame d(window.get(), window->State().BMPLoadDir);
  SelectOnly(d.Files, {"a.bmp", "b.bmp"});
  d.CmdAdd_Click();
  d.CmdAdd_Click();  // the same files again
  d.Dirs->SetPath(folder + "/existing");
  SelectOnly(d.Files, {"A.bmp"});
  d.CmdAdd_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"a.bmp", "b.bmp"}));
  EXPECT_EQ(*d.ChosenFiles.Item(1), Bytes(folder + "/a.bmp"));
  // Removed and chosen again: it goes to the end.
  SelectOnly(d.LstFrames, {"a.bmp"});
  d.CmdDelete_Click();
  d.CmdAdd_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"b.bmp", "A.bmp"}));
  EXPECT_EQ(*d.ChosenFiles.Item(2), Bytes(folder + "/existing/A.bmp"));
  // Letters beyond ASCII: "Über.bmp" and "über.bmp" are one name; the first stays.
  const QString upper = QString::fromUtf8("\xC3\x9C" "ber.bmp"), lower = QString::fromUtf8("\xC3\xBC" "ber.bmp");
  ASSERT_TRUE(QFile::copy(folder + "/a.bmp", folder + "/existing/" + upper));
  ASSERT_TRUE(QFile::copy(folder + "/a.bmp", folder + "/" + lower));
  d.Dirs->SetPath(folder + "/existing");  // read again
  SelectOnly(d.Files, {upper});
  d.CmdAdd_Click();
  d.Dirs->SetPath(folder);
  SelectOnly(d.Files, {lower});
  d.CmdAdd_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"b.bmp", "A.bmp", upper}));
  SelectOnly(d.LstFrames, {upper});
  d.CmdDelete_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"b.bmp", "A.bmp"}));
}


// The real message boxes of the main window, caught while they are open.
TEST_F(Dialogs, DirErrorShowsNoIconAndOtherDialogMessagesTheInformationIcon) {
  window->MessageHook = nullptr;
  std::string seen;
  const auto catchBox = [&seen] {
    WhenModal("MessageBox", [&seen](QWidget* w) {
      auto* box = static_cast<QMessageBox*>(w);
      const int icon = box->icon();
      seen += (box->windowTitle() + ": " + box->text()).toStdString() +
              (icon == QMessageBox::NoIcon ? " (no icon)\n" : icon == QMessageBox::Information ? " (i)\n" : " (?)\n");
      box->accept();
    });
  };
  FrmDirectory chooser(window.get(), window.get());
  ASSERT_TRUE(chooser.Dir->SetPath(folder));
  AnswerInputBox("existing");
  catchBox();
  chooser.CmdMakeDir_Click();
  FrmImportSequence d(window.get(), window->State().BMPLoadDir, window.get());
  SelectOnly(d.Files, {"a.bmp"});
  d.CmdAdd_Click();
  catchBox();
  d.CmdRemoveFrame_Click();
  EXPECT_EQ(seen, "Dir Error: Directory already exists. (no icon)\n"
                  "Quilmark: You cannot remove the only frame in an image. (i)\n");
}

TEST_F(Dialogs, HiddenFilesAndFoldersAreLeftOutOfEveryList) {
  const QString mixed = folder + "/mixed";
  for (const char* name : {".hiddendir", "visibledir"}) ASSERT_TRUE(QDir().mkpath(mixed + "/" + name));
  for (const char* name : {".hidden.bmp", "visible.bmp"})
    ASSERT_TRUE(QFile::copy(folder + "/a.bmp", mixed + "/" + name));
  FrmImportSequence sequence(window.get(), Bytes(mixed), window.get());
  FrmImportFrame frames(window.get(), Bytes(mixed));
  FrmDirectory chooser(window.get(), window.get());
  ASSERT_TRUE(chooser.Dir->SetPath(mixed));
  for (FolderList* dirs : {sequence.Dirs, frames.Dirs, chooser.Dir}) {
    // The lines below the current folder's are its subfolders.
    const QStringList lines = Lines(dirs).mid(dirs->currentRow() + 1);
    EXPECT_EQ(lines.size() == 1 ? lines[0].trimmed() : QString(), "visibledir") << lines.join(",").toStdString();
  }
  for (FileList* files : {sequence.Files, frames.Files}) EXPECT_EQ(Lines(files), QStringList({"visible.bmp"}));
}

// ---------------------------------------------------------------- keyboard

TEST_F(Dialogs, EnterPressesTheFocusedButtonOfImportSequenceAndOkElsewhere) {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    FrmImportSequence d(window.get(), window->State().BMPLoadDir, window.get());
    SelectOnly(d.Files, {"a.bmp"});
    PressOn(d, d.CmdAdd, key);
    EXPECT_EQ(Lines(d.LstFrames), QStringList({"a.bmp"}));
    SelectOnly(d.Files, {"b.bmp"});
    PressOn(d, d.CmdAddFrame, key);
    EXPECT_EQ(Lines(d.LstSubframes), QStringList({"a.bmp", "b.bmp"}));
    SelectOnly(d.LstSubframes, {"a.bmp"});
    PressOn(d, d.CmdRemoveFrame, key);
    EXPECT_EQ(Lines(d.LstSubframes), QStringList({"b.bmp"}));
    SelectOnly(d.LstFrames, {"a.bmp"});
    PressOn(d, d.CmdDelete, key);
    EXPECT_EQ(d.LstFrames->count(), 0);
    SelectOnly(d.Files, {"c.bmp"});
    d.CmdAdd_Click();
    PressOn(d, d.CmdCancel, key);
    EXPECT_TRUE(Rejected(d));
  }
  // A list, a check box or OK itself: OK accepts the sequence.
  for (const char* focus : {"LstFrames", "chkWhite", "CmdOK"}) {
    FrmImportSequence d(window.get(), window->State().BMPLoadDir, window.get());
    SelectOnly(d.Files, {"c.bmp"});
    d.CmdAdd_Click();
    PressOn(d, d.findChild<QWidget*>(focus), Qt::Key_Return);
    EXPECT_TRUE(Accepted(d) && Lines(d.LstFrames) == QStringList({"c.bmp"})) << focus;
  }
}

TEST_F(Dialogs, EnterPressesTheFocusedButtonOfImportFramesAndOkElsewhere) {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    FrmImportFrame d(window.get(), window->State().BMPLoadDir);
    SelectOnly(d.Files, {"a.bmp", "b.bmp"});
    PressOn(d, d.CmdAdd, key);
    EXPECT_EQ(Lines(d.LstFrames), QStringList({"a.bmp", "b.bmp"}));
    SelectOnly(d.LstFrames, {"a.bmp"});
    PressOn(d, d.CmdDelete, key);
    EXPECT_EQ(Lines(d.LstFrames), QStringList({"b.bmp"}));
    PressOn(d, d.CmdCancel, key);
    EXPECT_TRUE(Rejected(d));
  }
  for (const char* focus : {"Files", "chkCenter", "CmdOK"}) {
    FrmImportFrame d(window.get(), window->State().BMPLoadDir);
    SelectOnly(d.Files, {"d.bmp"});
    d.CmdAdd_Click();
    PressOn(d, d.findChild<QWidget*>(focus), Qt::Key_Enter);
    EXPECT_TRUE(Accepted(d) && d.ChosenPaths() == std::vector<std::string>{Bytes(folder + "/d.bmp")}) << focus;
  }
}

TEST_F(Dialogs, EnterPressesTheFocusedButtonOfTheChooserAndOkElsewhere) {
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    FrmDirectory chooser(window.get(), window.get());
    chooser.Dir->SetPath(folder);
    AnswerInputBox(key == Qt::Key_Return ? "made" : "made2");
    PressOn(chooser, chooser.CmdMakeDir, key);
    ExpectShows(chooser, folder + (key == Qt::Key_Return ? "/made" : "/made2"));
    PressOn(chooser, chooser.CmdCancel, key);
    EXPECT_TRUE(Rejected(chooser) && chooser.Chosen().empty());
  }
  for (const char* focus : {"Drive", "CmdOk"}) {
    FrmDirectory chooser(window.get(), window.get());
    chooser.Dir->SetPath(folder);
    PressOn(chooser, chooser.findChild<QWidget*>(focus), Qt::Key_Return);
    EXPECT_TRUE(Accepted(chooser) && chooser.Chosen() == Bytes(folder + "/")) << focus;
  }
}

// The export commands' chooser, run modally as a user meets it: a path typed
// at once, or after a Tab into the folder list, and Enter go to that folder
// (OK then exports there); Tab from OK to Cancel, then Enter, exports nothing.
TEST_F(Dialogs, ATypedPathAndEnterInTheExportChooserGoThereAndTabToCancelExportsNothing) {
  const QString start = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder));
  for (const bool cancel : {true, false}) {
    WhenModal("FrmDirectory", [&](QWidget* w) {
      auto* chooser = static_cast<FrmDirectory*>(w);
      // Keys go to the active window: the chooser, once it is that.
      chooser->activateWindow();
      for (int i = 0; i < 200 && QApplication::activeWindow() != chooser; ++i) QTest::qWait(5);
      ASSERT_EQ(QApplication::activeWindow(), chooser);
      if (cancel) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      // Each key to the focus, as a keyboard sends them.
      for (const QChar c : folder + "/existing") QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      // Asserted: OK on any other folder would export there.
      ASSERT_TRUE(chooser->isVisible() && chooser->LblPath->text() == folder + "/existing");
      if (!cancel) return chooser->CmdOk->click();
      chooser->CmdOk->setFocus(Qt::TabFocusReason);
      QTest::keyClick(chooser->CmdOk, Qt::Key_Tab);
      ASSERT_EQ(QApplication::focusWidget(), chooser->CmdCancel);
      QTest::keyClick(chooser->CmdCancel, Qt::Key_Return);
    });
    window->mnuImagesExportAll_Click();
    EXPECT_EQ(QDir(folder + "/existing").entryList(QDir::Files).size(), cancel ? 0 : 5);
  }
  QDir::setCurrent(start);
  EXPECT_EQ(QDir(folder).entryList({"*.bmp"}, QDir::Files).size(), 4);  // a.bmp to d.bmp alone
}

}  // namespace
}  // namespace quilmark::test
