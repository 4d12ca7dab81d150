#include <QInputDialog>

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

// A w x h bitmap filled with one palette index.
void WriteBitmap(const QString& path, int w, int h, uint8_t fill) {
  std::vector<uint8_t> pixels(static_cast<size_t>(w * h), fill);
  ASSERT_TRUE(WriteBMP(Bytes(path), pixels, GamePalette, w, h, true));
}

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
  for (int i = 0; i < list->count(); ++i)
    if (texts.contains(list->item(i)->text())) list->item(i)->setSelected(true);
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
  QString folder;
  Messages sink;
};

TEST_F(DirectoryChooser, StartsAtTheCurrentFolderWithNoAnswer) {
  FrmDirectory chooser(nullptr, &sink);
  EXPECT_EQ(chooser.windowTitle(), "Select a Location");
  EXPECT_EQ(Editor().SelectedDirectory, "");
  EXPECT_EQ(chooser.LblPath->text(), QDir::currentPath());
  EXPECT_EQ(chooser.CmdMakeDir->text(), "&Create...");
  EXPECT_TRUE(chooser.CmdOk->isDefault());
}

TEST_F(DirectoryChooser, OkAppendsOneSlashAndTheRootStaysSingle) {
  {
    FrmDirectory chooser(nullptr, &sink);
    ASSERT_TRUE(chooser.Dir->SetPath(folder));
    EXPECT_EQ(chooser.LblPath->text(), folder);
    chooser.CmdOK_Click();
    EXPECT_EQ(Editor().SelectedDirectory, Bytes(folder + "/"));
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
  }
  FrmDirectory chooser(nullptr, &sink);
  chooser.Drive_Change("/");
  EXPECT_EQ(chooser.LblPath->text(), "/");
  chooser.CmdOK_Click();
  EXPECT_EQ(Editor().SelectedDirectory, "/");
}

// The label shows the folder list's folder, and the list highlights its line.
void ExpectShows(const FrmDirectory& chooser, const QString& path) {
  EXPECT_EQ(chooser.LblPath->text(), path);
  EXPECT_EQ(chooser.Dir->Path(), path);
  ASSERT_NE(chooser.Dir->currentItem(), nullptr);
  EXPECT_TRUE(chooser.Dir->currentItem()->isSelected());
  EXPECT_EQ(chooser.Dir->currentItem()->text().trimmed(), path == "/" ? "/" : FileNameOf(path));
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
  // Choosing a place.
  emit chooser.Drive->activated(0);
  ExpectShows(chooser, "/");
}

TEST_F(DirectoryChooser, CancelAndCloseBoxGiveAnEmptyAnswer) {
  {
    FrmDirectory chooser(nullptr, &sink);
    chooser.Dir->SetPath(folder);
    chooser.CmdCancel_Click();
    EXPECT_EQ(Editor().SelectedDirectory, "");
  }
  FrmDirectory chooser(nullptr, &sink);
  chooser.Dir->SetPath(folder);
  chooser.show();
  chooser.close();
  EXPECT_EQ(Editor().SelectedDirectory, "");
}

TEST_F(DirectoryChooser, CreateMakesTheFolderAndMovesIntoIt) {
  FrmDirectory chooser(nullptr, &sink);
  chooser.Dir->SetPath(folder);
  QString prompt, title;
  WhenModal("InputBox", [&](QWidget* w) {
    auto* box = static_cast<QInputDialog*>(w);
    prompt = box->labelText();
    title = box->windowTitle();
    box->setTextValue("fresh");
    box->accept();
  });
  chooser.CmdMakeDir_Click();
  EXPECT_EQ(prompt, "Enter the name of a new directory");
  EXPECT_EQ(title, "New Dir");
  EXPECT_TRUE(QFileInfo(folder + "/fresh").isDir());
  ExpectShows(chooser, folder + "/fresh");
  chooser.CmdOK_Click();
  EXPECT_EQ(Editor().SelectedDirectory, Bytes(folder + "/fresh/"));
  EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(DirectoryChooser, CreatingAnExistingFolderIsRefused) {
  FrmDirectory chooser(nullptr, &sink);
  chooser.Dir->SetPath(folder);
  WhenModal("InputBox", [](QWidget* w) {
    static_cast<QInputDialog*>(w)->setTextValue("existing");
    static_cast<QInputDialog*>(w)->accept();
  });
  chooser.CmdMakeDir_Click();
  EXPECT_EQ(sink.texts, QStringList({"Directory already exists."}));
  EXPECT_EQ(sink.titles, QStringList({"Dir Error"}));
  EXPECT_EQ(chooser.LblPath->text(), folder);
  // A cancelled name does nothing.
  WhenModal("InputBox", [](QWidget* w) { static_cast<QInputDialog*>(w)->reject(); });
  chooser.CmdMakeDir_Click();
  EXPECT_EQ(sink.texts.size(), 1);
  EXPECT_EQ(chooser.LblPath->text(), folder);
}

// ---------------------------------------------------------------- import sequence

class ImportDialogs : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Start();
    doc = MakeDocument();
    UseDocument(doc);
    folder = TempFolder("bitmaps");
    WriteBitmap(folder + "/a.bmp", 4, 2, 100);
    WriteBitmap(folder + "/b.bmp", 6, 3, 101);
    WriteBitmap(folder + "/c.bmp", 8, 4, 102);
    WriteBitmap(folder + "/d.bmp", 2, 2, 103);
    QFile other(folder + "/notes.txt");
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    Editor().BMPLoadDir = Bytes(folder);
  }
  std::shared_ptr<classGAF> doc;
  QString folder;
  Messages sink;
  int resets = 0;
};

TEST_F(ImportDialogs, SequenceDialogOpensAtTheBitmapFolderWithItsOptions) {
  FrmImportSequence d(window.get(), [this] { ++resets; }, &sink);
  EXPECT_EQ(d.windowTitle(), "Import Sequence");
  EXPECT_EQ(d.Dirs->Path(), folder);
  EXPECT_EQ(Lines(d.Files), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp"}));
  EXPECT_EQ(d.Files->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_TRUE(d.chkCenter->isChecked());
  EXPECT_FALSE(d.chkWhite->isChecked());
  EXPECT_FALSE(d.chkCompress->isChecked());
  EXPECT_EQ(d.CmdAdd->text(), ">>");
  EXPECT_EQ(d.CmdAdd->toolTip(), "Add selected files as GAF image frames.");
  EXPECT_EQ(d.CmdDelete->toolTip(), "Remove GAF images.");
  EXPECT_EQ(d.CmdAddFrame->toolTip(), "Add selected files as GAF image subframes.");
  EXPECT_EQ(d.CmdRemoveFrame->toolTip(), "Remove GAF image frames.");
  EXPECT_EQ(d.FrameLists.size(), 1u);
  EXPECT_TRUE(d.CmdOK->isDefault());
}

TEST_F(ImportDialogs, SequenceListsFollowAddRemoveAndDelete) {
  FrmImportSequence d(window.get(), [this] { ++resets; }, &sink);
  SelectOnly(d.Files, {"a.bmp", "b.bmp", "c.bmp"});
  d.CmdAdd_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"a.bmp", "b.bmp", "c.bmp"}));
  EXPECT_EQ(Data(d.LstFrames), QList<int>({1, 2, 3}));
  EXPECT_EQ(d.LstFrames->currentRow(), 0);
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"a.bmp"}));
  EXPECT_EQ(d.FrameLists[1].Name, Bytes(folder + "/a.bmp"));

  SelectOnly(d.Files, {"c.bmp", "d.bmp"});
  d.CmdAddFrame_Click();
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"a.bmp", "c.bmp", "d.bmp"}));
  EXPECT_EQ(Data(d.LstSubframes), QList<int>({0, 1, 2}));

  // Two images removed: the entries keep their places.
  SelectOnly(d.LstSubframes, {"a.bmp", "d.bmp"});
  d.CmdRemoveFrame_Click();
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"c.bmp"}));
  EXPECT_EQ(Data(d.LstSubframes), QList<int>({1}));
  // The only line is never removed, selected or not.
  d.LstSubframes->clearSelection();
  d.CmdRemoveFrame_Click();
  EXPECT_EQ(sink.texts, QStringList({"You cannot remove the only frame in an image."}));
  EXPECT_EQ(sink.titles, QStringList({"Quilmark"}));
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"c.bmp"}));

  // Deleting the current frame makes the first remaining one current.
  SelectOnly(d.LstFrames, {"a.bmp"});
  d.CmdDelete_Click();
  EXPECT_EQ(Lines(d.LstFrames), QStringList({"b.bmp", "c.bmp"}));
  EXPECT_EQ(Data(d.LstFrames), QList<int>({2, 3}));
  EXPECT_EQ(d.LstFrames->currentRow(), 0);
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"b.bmp"}));
  EXPECT_EQ(d.FrameLists.size(), 4u);

  // A frame's own line goes current on a click and shows its images.
  d.LstFrames->setCurrentRow(1);
  EXPECT_EQ(Lines(d.LstSubframes), QStringList({"c.bmp"}));
}

TEST_F(ImportDialogs, SubframesNeedAFrame) {
  FrmImportSequence d(window.get(), [this] { ++resets; }, &sink);
  SelectOnly(d.Files, {"a.bmp", "b.bmp"});
  d.CmdAddFrame_Click();
  EXPECT_EQ(sink.texts.size(), 2);  // one per file
  EXPECT_EQ(d.LstFrames->count(), 0);
  EXPECT_EQ(d.LstSubframes->count(), 0);
  EXPECT_EQ(d.FrameLists.size(), 1u);
}

TEST_F(ImportDialogs, OkWithEveryFrameDeletedAddsNothing) {
  FrmImportSequence d(window.get(), [this] { ++resets; }, &sink);
  SelectOnly(d.Files, {"a.bmp", "b.bmp"});
  d.CmdAdd_Click();
  SelectOnly(d.LstFrames, {"a.bmp", "b.bmp"});
  d.CmdDelete_Click();
  EXPECT_EQ(d.LstFrames->count(), 0);
  EXPECT_EQ(d.LstSubframes->count(), 0);
  d.CmdOK_Click();
  EXPECT_EQ(doc->Animations.Count(), 3);
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(ImportDialogs, OkBuildsTheSequenceFromTheFrameLists) {
  FrmImportSequence d(window.get(), [this] { ++resets; }, &sink);
  SelectOnly(d.Files, {"b.bmp", "c.bmp"});
  d.CmdAdd_Click();
  SelectOnly(d.Files, {"d.bmp"});
  d.CmdAddFrame_Click();  // b gets a second image: b, d
  d.chkCenter->setChecked(false);
  d.chkCompress->setChecked(true);
  d.CmdOK_Click();
  ASSERT_EQ(doc->Animations.Count(), 4);
  const AnimationPtr added = doc->Animations.Item(4);
  EXPECT_EQ(added->Name, "b");
  ASSERT_EQ(added->Frames.Count(), 2);
  const FramePtr first = added->Frames.Item(1);
  ASSERT_EQ(first->Subframes.Count(), 2);
  EXPECT_EQ(first->Subframes.Item(2)->Width(), 2);
  EXPECT_TRUE(first->Subframes.Item(2)->Compressed());
  EXPECT_EQ(added->Frames.Item(2)->Width(), 8);
  EXPECT_EQ(added->Frames.Item(2)->PositionX(), 0);
  EXPECT_EQ(resets, 1);
  EXPECT_TRUE(sink.texts.isEmpty());
}

TEST_F(ImportDialogs, UnreadableBitmapIsReportedThroughTheWindow) {
  QFile bad(folder + "/e.bmp");
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a bitmap");
  bad.close();
  FrmImportSequence d(window.get(), [this] { window->ResetView(); }, window.get());
  d.Dirs->Refresh();
  d.Files->SetPath(folder);
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
  EXPECT_GT(d.Dirs->count(), 0);
}

// ---------------------------------------------------------------- import frames

TEST_F(ImportDialogs, ChosenFilesAreKeyedByNameWithoutLetterCase) {
  QDir(folder).mkdir("other");
  WriteBitmap(folder + "/other/A.bmp", 3, 3, 104);
  FrmImportFrame d(window.get(), window.get(), &sink);
  EXPECT_EQ(d.windowTitle(), "Import Frames");
  EXPECT_FALSE(d.SubframeMode());
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

TEST_F(ImportDialogs, OkAddsFramesOrSubframesByCaption) {
  {
    FrmImportFrame d(window.get(), window.get(), &sink);
    SelectOnly(d.Files, {"c.bmp", "a.bmp"});
    d.CmdAdd_Click();
    d.chkCenter->setChecked(true);
    d.CmdOK_Click();
  }
  classGAFAnimation& alpha = *doc->Animations.Item(1);
  ASSERT_EQ(alpha.Frames.Count(), 5);
  EXPECT_EQ(alpha.Frames.Item(4)->Width(), 4);  // list order: a, c
  EXPECT_EQ(alpha.Frames.Item(4)->PositionX(), 2);
  EXPECT_EQ(alpha.Frames.Item(5)->Width(), 8);
  EXPECT_EQ(window->State().CurrentFrame, 1);
  EXPECT_EQ(window->ScrollFrames->maximum(), 5);
  {
    FrmImportFrame d(window.get(), window.get(), &sink);
    d.setWindowTitle(FrmImportFrame::SubframesCaption);
    EXPECT_TRUE(d.SubframeMode());
    SelectOnly(d.Files, {"d.bmp"});
    d.CmdAdd_Click();
    d.CmdOK_Click();
  }
  // Frame 1 had no subframes: its own image became the first.
  ASSERT_EQ(alpha.Frames.Item(1)->Subframes.Count(), 2);
  EXPECT_EQ(alpha.Frames.Item(1)->Subframes.Item(1)->Width(), 10);
  EXPECT_EQ(alpha.Frames.Item(1)->Subframes.Item(2)->Width(), 2);
  EXPECT_EQ(alpha.Frames.Count(), 5);
}

TEST_F(ImportDialogs, OkWithNothingChosenAddsNothing) {
  FrmImportFrame d(window.get(), window.get(), &sink);
  d.CmdOK_Click();
  EXPECT_EQ(doc->Animations.Item(1)->Frames.Count(), 3);
  EXPECT_EQ(d.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace quilmark::test
