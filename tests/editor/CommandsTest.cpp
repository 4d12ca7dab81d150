#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>

#include "EditorTestSupport.h"
#include "ModalDriver.h"
#include "dialogs/FrmAbout.h"
#include "dialogs/FrmDirectory.h"
#include "dialogs/FrmImportFrame.h"

namespace quilmark::test {
namespace {

class Commands : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartWithDocument();
  }
};

TEST_F(Commands, CreateSequenceAddsAnAnimatedEmptySequenceUnderAFreeName) {
  ClickRow(1);
  const struct {
    const char* text;
    bool cancel;
    int count;
    std::string current;  // beta: no reset
  } cases[] = {{"", true, 3, "beta"}, {"", false, 3, "beta"}, {"ALPHA", false, 3, "alpha"}, {"delta", false, 4, "alpha"}};
  for (const auto& c : cases) {
    AnswerInputBox(c.text, c.cancel);
    window->mnuImagesCreateSequence_Click();
    EXPECT_EQ(doc->Animations.Count(), c.count) << c.text;
    EXPECT_EQ(window->State().CurrentAnimation->Name, c.current) << c.text;
  }
  EXPECT_EQ(ListNames(), QStringList({"alpha", "beta", "gamma", "delta"}));
  EXPECT_TRUE(doc->Animations.Item(4)->Animated);
  EXPECT_EQ(doc->Animations.Item(4)->Frames.Count(), 0);
  // F2 and the toolbar button run it too.
  AnswerInputBox("byKey");
  Activate();
  window->ListGAF->setFocus();
  QTest::keyClick(window->ListGAF, Qt::Key_F2);
  AnswerInputBox("byButton");
  window->findChild<QAction*>("Toolbar_create")->trigger();
  EXPECT_TRUE(doc->Animations.Contains("byKey") && doc->Animations.Contains("byButton"));
}

TEST_F(Commands, RemoveSequenceByMenuAndDeleteKeyAndOnAnEmptyDocument) {
  ClickRow(1);
  window->mnuImageRemoveSequence_Click();
  EXPECT_EQ(ListNames(), QStringList({"alpha", "gamma"}));
  EXPECT_EQ(window->State().CurrentAnimation->Name, "alpha");
  // Delete in a text box edits the text, not the document.
  Activate();
  window->TxtXPos->setFocus();
  QTest::keyClick(window->TxtXPos, Qt::Key_Delete);
  EXPECT_EQ(doc->Animations.Count(), 2);
  window->ListGAF->setFocus();
  QTest::keyClick(window->ListGAF, Qt::Key_Delete);
  EXPECT_EQ(ListNames(), QStringList({"gamma"}));
  window->mnuFileNew_Click();
  window->mnuImageRemoveSequence_Click();
  EXPECT_EQ(window->ListGAF->topLevelItemCount(), 0);
  EXPECT_EQ(window->State().CurrentFrame, 1);
  EXPECT_FALSE(window->CmdFrame->isEnabled());
}

TEST_F(Commands, RemoveFrameAndSubframeRefreshTheCounts) {
  classGAFAnimation& alpha = *doc->Animations.Item(1);
  window->mnuSubframeRemove_Click();  // no subframe selected: nothing
  EXPECT_EQ(Cell(0, 3), "3");
  window->ScrollFrames->setValue(2);
  window->ScrollSubframes->setValue(2);
  window->mnuSubframeRemove_Click();
  ASSERT_EQ(alpha.Frames.Item(2)->Subframes.Count(), 1);
  EXPECT_EQ(alpha.Frames.Item(2)->Subframes.Item(1)->Width(), 6);
  EXPECT_EQ(window->State().CurrentSubframe, 1);
  EXPECT_EQ(window->TxtWidth->text(), "6");
  EXPECT_EQ(Cell(0, 3), "2");
  window->mnuFrameRemove_Click();
  ASSERT_EQ(alpha.Frames.Count(), 2);
  EXPECT_EQ(alpha.Frames.Item(2)->Width(), 2);  // the third frame moved up
  EXPECT_EQ(window->State().CurrentFrame, 1);
  EXPECT_EQ(window->ScrollFrames->maximum(), 2);
  EXPECT_EQ(QStringList({Cell(0, 2), Cell(0, 3)}), QStringList({"2", "1"}));
  // The last frame of beta: an empty animation is left, and stays so.
  ClickRow(1);
  window->mnuFrameRemove_Click();
  window->mnuFrameRemove_Click();
  EXPECT_EQ(doc->Animations.Item(2)->Frames.Count(), 0);
  EXPECT_EQ(Cell(1, 2), "0");
  EXPECT_EQ(window->State().CurrentSubframe, 0);
  EXPECT_TRUE(window->CmdFrame->isEnabled());
  EXPECT_FALSE(window->CmdSubframe->isEnabled());
}

TEST_F(Commands, ToolbarDispatchesByExactKey) {
  AnswerFileDialogs();
  for (const char* key : {"save", "Save", "nothing", "open"}) window->Toolbar_ButtonClick(key);
  ASSERT_EQ(asked.size(), 2);
  EXPECT_TRUE(asked[0].save);
  EXPECT_FALSE(asked[1].save);
  window->Toolbar_ButtonClick("new");
  EXPECT_EQ(window->State().CurrentGAF->Animations.Count(), 0);
}

class Exports : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    folder = TempFolder("exports");
    AnswerFileDialogs();
  }
  // The bitmap width written in the file's header.
  static int BitmapWidth(const QString& path) {
    QFile f(path);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    if (bytes.size() < 26 || !bytes.startsWith("BM")) return -1;
    return static_cast<uint8_t>(bytes[18]) | static_cast<uint8_t>(bytes[19]) << 8;
  }
  void ChooseFolder(const QString& path) {
    WhenModal("FrmDirectory", [path](QWidget* w) {
      auto* chooser = static_cast<FrmDirectory*>(w);
      chooser->Dir->SetPath(path);
      QTest::mouseClick(chooser->CmdOk, Qt::LeftButton);
    });
  }
  QStringList Written() { return QDir(folder).entryList(QDir::Files, QDir::Name); }
  QString folder;
};

TEST_F(Exports, ExportFrameAndSubframeWriteTheSelectedImage) {
  answer = folder + "/sub.bmp";
  window->mnuSubframeExport_Click();  // no subframe selected: nothing
  EXPECT_FALSE(QFile::exists(answer));
  answer = folder + "/frame.bmp";
  window->mnuFrameExport_Click();
  EXPECT_EQ(asked.last().filter, "BMP files (*.bmp)|*.bmp");
  EXPECT_EQ(asked.last().defaultSuffix, "bmp");
  EXPECT_EQ(BitmapWidth(answer), 10);
  EXPECT_TRUE(messages.isEmpty());
  answer = folder + "/missing/frame.bmp";
  window->mnuFrameExport_Click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("1 image could not be written")) << messages[0].toStdString();
  ExpectControlsBack();
  window->ScrollFrames->setValue(2);
  window->ScrollSubframes->setValue(2);
  answer = folder + "/sub.bmp";
  window->mnuSubframeExport_Click();
  EXPECT_EQ(BitmapWidth(answer), 8);
}

TEST_F(Exports, ExportAllAndSequenceWriteIntoTheChosenFolderAndReportFailuresOnce) {
  ChooseFolder(folder);
  window->mnuImagesExportAll_Click();
  EXPECT_EQ(window->State().SelectedDirectory, (folder + "/").toStdString());
  EXPECT_EQ(Written(), QStringList({"alpha_01.bmp", "alpha_02_01.bmp", "alpha_02_02.bmp", "alpha_03_01.bmp",
                                    "beta_01.bmp"}));
  EXPECT_TRUE(messages.isEmpty());
  // Names the file system refuses: folders where two of the files would go.
  QDir(folder).removeRecursively();
  QDir(folder).mkpath("alpha_02_01.bmp");
  QDir(folder).mkpath("alpha_03_01.bmp");
  ChooseFolder(folder);
  window->mnuImagesExportSequence_Click();
  EXPECT_EQ(Written(), QStringList({"alpha_01.bmp", "alpha_02_02.bmp"}));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("2 images could not be written (2 written)")) << messages[0].toStdString();
  ExpectControlsBack();
  // A cancelled chooser exports nothing.
  WhenModal("FrmDirectory", [](QWidget* w) { static_cast<FrmDirectory*>(w)->CmdCancel->click(); });
  window->mnuImagesExportAll_Click();
  EXPECT_EQ(window->State().SelectedDirectory, "");
  EXPECT_EQ(Written().size(), 2);
}

TEST_F(Commands, ImportSubframesThenImportFramesOpenWithTheirCaptionsAndModes) {
  QStringList captions;
  QList<bool> modes;
  auto look = [&](QWidget* w) {
    auto* d = static_cast<FrmImportFrame*>(w);
    captions << d->windowTitle();
    modes << d->SubframeMode();
    EXPECT_FALSE(d->chkCenter->isChecked() || d->chkWhite->isChecked() || d->chkCompress->isChecked());
    d->CmdCancel->click();
  };
  WhenModal("FrmImportFrame", look);
  window->mnuSubframeImport_Click();
  WhenModal("FrmImportFrame", look);
  window->mnuFrameImport_Click();
  EXPECT_EQ(captions, QStringList({"Import Subframes", "Import Frames"}));
  EXPECT_EQ(modes, QList<bool>({true, false}));
}

class LinkCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls << url; }
};

TEST_F(Commands, AboutBoxShowsReadOnlyCreditsAndOpensItsLinks) {
  LinkCatcher catcher;
  for (const char* scheme : {"file", "https", "mailto"}) QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
  QString credits, after;
  bool iconShown = false;
  WhenModal("FrmAbout", [&](QWidget* w) {
    auto* about = static_cast<FrmAbout*>(w);
    iconShown = about->Image1->pixmap().width() == 32;
    credits = about->TxtInfo->toPlainText();
    about->TxtInfo->setFocus();
    QTest::keyClicks(about->TxtInfo, "typed");
    QTest::keyClick(about->TxtInfo, Qt::Key_Backspace);
    QTest::keyClick(about->TxtInfo, Qt::Key_V, Qt::ControlModifier);
    after = about->TxtInfo->toPlainText();
    QTest::mouseClick(about->LblHomePage, Qt::LeftButton);
    QTest::mouseClick(about->Label4, Qt::LeftButton);
    QTest::keyClick(about, Qt::Key_Return);  // OK is the default button
  });
  window->mnuHelpAbout_Click();
  for (const char* scheme : {"file", "https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
  EXPECT_TRUE(iconShown);
  EXPECT_FALSE(credits.isEmpty());
  EXPECT_EQ(after, credits);
  ASSERT_EQ(catcher.urls.size(), 2);
  EXPECT_EQ(catcher.urls[0], FrmAbout::HomePage());
  EXPECT_EQ(catcher.urls[1], QUrl("mailto:" + FrmAbout::MailAddress()));
  // The default home page is the README, found also where nothing was installed.
  if (catcher.urls[0].isLocalFile())
    EXPECT_TRUE(catcher.urls[0].toLocalFile().endsWith("/README.md") &&
                QFileInfo(catcher.urls[0].toLocalFile()).isFile())
        << catcher.urls[0].toString().toStdString();
}

}  // namespace
}  // namespace quilmark::test

#include "CommandsTest.moc"
