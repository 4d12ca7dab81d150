#include "EditorTestSupport.h"
#include "ModalDriver.h"
#include "dialogs/FrmDirectory.h"
#include "dialogs/FrmImportFrame.h"
#include "dialogs/FrmImportSequence.h"
#include "images/modBmp.h"

namespace quilmark::test {
namespace {

// A message sink that records.
struct Messages : MessageSink {
  QStringList texts, titles;
  void ShowMessage(const std::string& text, const std::string& title) override {
    texts << QString::fromStdString(text);
    titles << QString::fromStdString(title);
  }
};

std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}
QList<int> Data(const QListWidget* list) {
  QList<int> data;
  for (int i = 0; i < list->count(); ++i) data << list->item(i)->data(Qt::UserRole).toInt();
  return data;
}
void SelectOnly(QListWidget* list, const QStringList& texts) {
  list->clearSelection();
  for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(texts.contains(list->item(i)->text()));
}

// ---------------------------------------------------------------- directory chooser

class DirectoryChooser : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    folder = TempFolder("chooser");
    QDir(folder).mkdir("existing");
    Editor().SelectedDirectory = "stale";
  }
  // The label shows the folder list's folder, and the list highlights its line.
  static void ExpectShows(const FrmDirectory& chooser, const QString& path) {
    EXPECT_EQ(chooser.LblPath->text(), path);
    EXPECT_EQ(chooser.Dir->Path(), path);
    ASSERT_NE(chooser.Dir->currentItem(), nullptr);
    EXPECT_TRUE(chooser.Dir->currentItem()->isSelected());
    EXPECT_EQ(chooser.Dir->currentItem()->text().trimmed(), path == "/" ? "/" : FileNameOf(path));
  }
  QString folder;
  Messages sink;
};

TEST_F(DirectoryChooser, OkAppendsOneSlashCancelAndCloseGiveNothing) {
  const struct {
    QString folder;
    int ending;  // 0 OK, 1 Cancel, 2 the close box
    std::string answer;
  } cases[] = {{folder, 0, Bytes(folder + "/")}, {"/", 0, "/"}, {folder, 1, ""}, {folder, 2, ""}};
  for (const auto& c : cases) {
    FrmDirectory chooser(nullptr, &sink);
    EXPECT_EQ(Editor().SelectedDirectory, "");
    Editor().SelectedDirectory = "stale";
    ASSERT_TRUE(chooser.Dir->SetPath(c.folder));
    chooser.show();
    if (c.ending == 0) QTest::keyClick(&chooser, Qt::Key_Return);  // OK is the default button
    if (c.ending == 1) chooser.CmdCancel->click();
    if (c.ending == 2) chooser.close();
    EXPECT_EQ(Editor().SelectedDirectory, c.answer) << c.ending;
    EXPECT_FALSE(chooser.isVisible());
  }
}

TEST_F(DirectoryChooser, FolderListShowsThePathAndTheLabelFollows) {
  FrmDirectory chooser(nullptr, &sink);
  ExpectShows(chooser, QDir::currentPath());
  ASSERT_TRUE(chooser.Dir->SetPath(folder));
  // The path from the root, one line a folder, then the subfolders.
  const QStringList lines = Lines(chooser.Dir);
  const int depth = static_cast<int>(folder.count('/'));
  ASSERT_EQ(lines.size(), depth + 2);
  EXPECT_EQ(lines.first(), "/");
  EXPECT_EQ(lines[depth].trimmed(), FileNameOf(folder));
  EXPECT_EQ(lines.last(), QString((depth + 1) * 2, ' ') + "existing");
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

TEST_F(DirectoryChooser, CreateMakesTheFolderAndMovesIntoItUnlessItExists) {
  FrmDirectory chooser(nullptr, &sink);
  chooser.Dir->SetPath(folder);
  InputBoxSeen seen;
  AnswerInputBox("fresh", false, &seen);
  chooser.CmdMakeDir_Click();
  EXPECT_EQ(seen.prompt, "Enter the name of a new directory");
  EXPECT_EQ(seen.title, "New Dir");
  EXPECT_TRUE(QFileInfo(folder + "/fresh").isDir());
  ExpectShows(chooser, folder + "/fresh");
  chooser.CmdOK_Click();
  EXPECT_EQ(Editor().SelectedDirectory, Bytes(folder + "/fresh/"));
  EXPECT_TRUE(sink.texts.isEmpty());
  chooser.Dir->SetPath(folder);
  AnswerInputBox("existing");
  chooser.CmdMakeDir_Click();
  EXPECT_EQ(sink.texts, QStringList({"Directory already exists."}));
  EXPECT_EQ(sink.titles, QStringList({"Dir Error"}));
  ExpectShows(chooser, folder);
  AnswerInputBox("", /*cancel=*/true);
  chooser.CmdMakeDir_Click();
  EXPECT_EQ(sink.texts.size(), 1);
  ExpectShows(chooser, folder);
}

// ---------------------------------------------------------------- import dialogs

class ImportDialogs : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartWithDocument();
    folder = TempFolder("bitmaps");
    const int sizes[][2] = {{4, 2}, {6, 3}, {8, 4}, {2, 2}};
    for (int i = 0; i < 4; ++i) {
      std::vector<uint8_t> pixels(static_cast<size_t>(sizes[i][0] * sizes[i][1]), uint8_t(100 + i));
      ASSERT_TRUE(WriteBMP(Bytes(folder + "/" + QChar('a' + i) + ".bmp"), pixels, GamePalette, sizes[i][0],
                           sizes[i][1], true));
    }
    QFile other(folder + "/notes.txt");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    Editor().BMPLoadDir = Bytes(folder);
  }
  QString folder;
  Messages sink;
  int resets = 0;
};

TEST_F(ImportDialogs, SequenceListsFollowAddRemoveAndDelete) {
  FrmImportSequence d(window.get(), [this] { ++resets; }, &sink);
  EXPECT_EQ(d.Dirs->Path(), folder);
  EXPECT_EQ(Lines(d.Files), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp"}));
  EXPECT_TRUE(d.chkCenter->isChecked());
  EXPECT_FALSE(d.chkWhite->isChecked() || d.chkCompress->isChecked());
  // Subframes need a frame: one message a file.
  SelectOnly(d.Files, {"a.bmp", "b.bmp"});
  d.CmdAddFrame_Click();
  EXPECT_EQ(sink.texts.size(), 2);
  EXPECT_EQ(d.LstSubframes->count(), 0);
  sink.texts.clear();
  sink.titles.clear();
  SelectOnly(d.Files, {"a.bmp", "b.bmp", "c.bmp"});
  d.CmdAdd_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"a.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(Data(d.LstFrames), QList<int>({1, 2, 3}));
  EXPECT_EQ(d.LstFrames->currentRow(), 0);
  EXPECT_EQ(d.FrameLists[1].Name, Bytes(folder + "/a.bmp"));
  SelectOnly(d.Files, {"c.bmp", "d.bmp"});
  d.CmdAddFrame_Click();
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"a.bmp", "c.bmp", "d.bmp"}));
  EXPECT_EQ(Data(d.LstSubframes), QList<int>({0, 1, 2}));
  // Two images removed: the entries keep their places.
  SelectOnly(d.LstSubframes, {"a.bmp", "d.bmp"});
  d.CmdRemoveFrame_Click();
  EXPECT_EQ(Data(d.LstSubframes), QList<int>({1}));
  // The only line is never removed.
  d.CmdRemoveFrame_Click();
  EXPECT_EQ(sink.texts, QStringList({"You cannot remove the only frame in an image."}));
  EXPECT_EQ(sink.titles, QStringList({"Quilmark"}));
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"c.bmp"}));
  // Deleting the current frame makes the first remaining one current.
  SelectOnly(d.LstFrames, {"a.bmp"});
  d.CmdDelete_Click();
  EXPECT_EQ(Data(d.LstFrames), QList<int>({2, 3}));
  EXPECT_EQ(d.LstFrames->currentRow(), 0);
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"b.bmp"}));
  d.LstFrames->setCurrentRow(1);
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"c.bmp"}));
  // OK with every frame deleted adds nothing, but resets the view.
  SelectOnly(d.LstFrames, {"b.bmp", "c.bmp"});
  d.CmdDelete_Click();
  EXPECT_EQ(d.LstSubframes->count(), 0);
  d.CmdOK_Click();
  EXPECT_EQ(doc->Animations.Count(), 3);
  EXPECT_EQ(resets, 1);
}

TEST_F(ImportDialogs, SequenceOkBuildsTheSequenceOrReportsABadBitmap) {
  {
    FrmImportSequence d(window.get(), [this] { ++resets; }, &sink);
    SelectOnly(d.Files, {"b.bmp", "c.bmp"});
    d.CmdAdd_Click();
    SelectOnly(d.Files, {"d.bmp"});
    d.CmdAddFrame_Click();  // b gets a second image: b, d
    d.chkCompress->setChecked(true);
    d.CmdOK_Click();
  }
  ASSERT_EQ(doc->Animations.Count(), 4);
  const AnimationPtr added = doc->Animations.Item(4);
  EXPECT_EQ(added->Name, "b");
  ASSERT_EQ(added->Frames.Count(), 2);
  EXPECT_EQ(added->Frames.Item(1)->Subframes.Count(), 2);
  EXPECT_TRUE(added->Frames.Item(2)->Compressed());
  EXPECT_EQ(resets, 1);
  EXPECT_TRUE(sink.texts.isEmpty());
  QFile bad(folder + "/e.bmp");
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write("not a bitmap") > 0);
  bad.close();
  FrmImportSequence d(window.get(), [this] { window->ResetView(); }, window.get());
  SelectOnly(d.Files, {"e.bmp"});
  d.CmdAdd_Click();
  d.CmdOK_Click();
  EXPECT_EQ(messages, QStringList({"There was an error loading the BMP file.  Make sure it is 256 colors."}));
}

TEST_F(ImportDialogs, EveryWayOfClosingStoresTheFolder) {
  QDir(folder).mkdir("sub");
  {
    FrmImportSequence d(window.get(), {}, &sink);
    d.Dirs->SetPath(folder + "/sub");
    EXPECT_EQ(d.Files->count(), 0);
    d.CmdCancel_Click();
  }
  EXPECT_EQ(Editor().BMPLoadDir, Bytes(folder + "/sub"));
  {
    FrmImportFrame d(window.get(), window.get(), &sink);
    EXPECT_EQ(d.Dirs->Path(), folder + "/sub");
    d.Dirs->SetPath(folder);
    d.show();
    d.close();  // the close box
  }
  EXPECT_EQ(Editor().BMPLoadDir, Bytes(folder));
  // A vanished folder leaves the lists at the current folder.
  Editor().BMPLoadDir = Bytes(folder + "/gone");
  FrmImportSequence d(window.get(), {}, &sink);
  EXPECT_EQ(d.Dirs->Path(), QDir::currentPath());
}

TEST_F(ImportDialogs, ChosenFilesAreKeyedByNameWithoutLetterCase) {
  QDir(folder).mkdir("other");
  QFile::copy(folder + "/a.bmp", folder + "/other/A.bmp");
  FrmImportFrame d(window.get(), window.get(), &sink);
  SelectOnly(d.Files, {"a.bmp", "b.bmp"});
  d.CmdAdd_Click();
  d.CmdAdd_Click();  // the same files again
  d.Dirs->SetPath(folder + "/other");
  SelectOnly(d.Files, {"A.bmp"});
  d.CmdAdd_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"a.bmp", "b.bmp"}));
  EXPECT_EQ(*d.ChosenFiles.Item(1), Bytes(folder + "/a.bmp"));
  // Removed and chosen again: it goes to the end.
  SelectOnly(d.LstFrames, {"a.bmp"});
  d.CmdDelete_Click();
  d.CmdAdd_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"b.bmp", "A.bmp"}));
  EXPECT_EQ(*d.ChosenFiles.Item(2), Bytes(folder + "/other/A.bmp"));
}

TEST_F(ImportDialogs, FramesOkAddsFramesOrSubframesByCaption) {
  classGAFAnimation& alpha = *doc->Animations.Item(1);
  const struct {
    QStringList files;
    bool subframes;
    int frames, firstSubframes;
  } steps[] = {{{}, false, 3, 0}, {{"c.bmp", "a.bmp"}, false, 5, 0}, {{"d.bmp"}, true, 5, 2}};
  for (const auto& step : steps) {
    FrmImportFrame d(window.get(), window.get(), &sink);
    if (step.subframes) d.setWindowTitle(FrmImportFrame::SubframesCaption);
    SelectOnly(d.Files, step.files);
    d.CmdAdd_Click();
    d.CmdOK_Click();
    EXPECT_EQ(alpha.Frames.Count(), step.frames);
    EXPECT_EQ(window->ScrollFrames->maximum(), step.frames);
    // Frame 1 had no subframes: its own image became the first.
    EXPECT_EQ(alpha.Frames.Item(1)->Subframes.Count(), step.firstSubframes);
  }
  EXPECT_EQ(alpha.Frames.Item(4)->Width(), 4);  // in list order: a, c
}

}  // namespace
}  // namespace quilmark::test
