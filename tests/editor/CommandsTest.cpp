#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QToolButton>

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
    Start();
    doc = MakeDocument();
    UseDocument(doc);
  }
  // Answers the next input box with text (or cancels it when text is null).
  static void Answer(const QString& text, bool cancel = false) {
    WhenModal("InputBox", [text, cancel](QWidget* w) {
      auto* box = static_cast<QInputDialog*>(w);
      if (cancel) {
        box->reject();
        return;
      }
      box->setTextValue(text);
      box->accept();
    });
  }
  void Select(int row) {
    window->ListGAF->setCurrentItem(window->ListGAF->topLevelItem(row));
    window->ListGAF_Click();
  }
  QStringList ListNames() {
    QStringList names;
    for (int i = 0; i < window->ListGAF->topLevelItemCount(); ++i) names << window->ListGAF->topLevelItem(i)->text(0);
    return names;
  }
  QString ListCell(int row, int column) { return window->ListGAF->topLevelItem(row)->text(column); }
  std::shared_ptr<classGAF> doc;
};

TEST_F(Commands, CreateSequenceAddsAnAnimatedEmptySequenceAndSelectsTheFirst) {
  Select(1);
  Answer("delta");
  window->mnuImagesCreateSequence_Click();
  ASSERT_EQ(doc->Animations.Count(), 4);
  const AnimationPtr added = doc->Animations.Item(4);
  EXPECT_EQ(added->Name, "delta");
  EXPECT_TRUE(added->Animated);
  EXPECT_EQ(added->Frames.Count(), 0);
  EXPECT_EQ(ListNames(), QStringList({"alpha", "beta", "gamma", "delta"}));
  EXPECT_EQ(window->State().CurrentAnimation, doc->Animations.Item(1));
}

TEST_F(Commands, CreateSequenceWithATakenNameAddsNothingButResets) {
  Select(1);
  Answer("ALPHA");
  window->mnuImagesCreateSequence_Click();
  EXPECT_EQ(doc->Animations.Count(), 3);
  EXPECT_EQ(ListNames(), QStringList({"alpha", "beta", "gamma"}));
  EXPECT_EQ(window->State().CurrentAnimation->Name, "alpha");
}

TEST_F(Commands, CreateSequenceCancelledOrEmptyChangesNothing) {
  Select(1);
  Answer("", /*cancel=*/true);
  window->mnuImagesCreateSequence_Click();
  EXPECT_EQ(doc->Animations.Count(), 3);
  EXPECT_EQ(window->State().CurrentAnimation->Name, "beta");  // no reset
  Answer("");
  window->mnuImagesCreateSequence_Click();
  EXPECT_EQ(doc->Animations.Count(), 3);
  EXPECT_EQ(window->State().CurrentAnimation->Name, "beta");
}

TEST_F(Commands, CreateSequenceByF2AndToolbar) {
  Answer("byKey");
  window->ListGAF->setFocus();
  QTest::keyClick(window->ListGAF, Qt::Key_F2);
  EXPECT_TRUE(doc->Animations.Contains("byKey"));
  Answer("byButton");
  auto* create = window->findChild<QAction*>("Toolbar_create");
  ASSERT_NE(create, nullptr);
  create->trigger();
  EXPECT_TRUE(doc->Animations.Contains("byButton"));
}

TEST_F(Commands, RemoveSequenceRemovesTheCurrentOneAndResets) {
  Select(1);
  window->mnuImageRemoveSequence_Click();
  EXPECT_EQ(ListNames(), QStringList({"alpha", "gamma"}));
  EXPECT_FALSE(doc->Animations.Contains("beta"));
  EXPECT_EQ(window->State().CurrentAnimation->Name, "alpha");
}

TEST_F(Commands, RemoveSequenceOnAnEmptyDocumentOnlyResets) {
  window->mnuFileNew_Click();
  window->mnuImageRemoveSequence_Click();
  EXPECT_EQ(window->State().CurrentGAF->Animations.Count(), 0);
  EXPECT_EQ(window->ListGAF->topLevelItemCount(), 0);
  EXPECT_EQ(window->State().CurrentFrame, 1);
  EXPECT_FALSE(window->CmdFrame->isEnabled());
}

TEST_F(Commands, DeleteKeyRemovesTheSequenceOnlyOutsideTextBoxes) {
  window->activateWindow();
  window->TxtXPos->setFocus();
  QTest::keyClick(window->TxtXPos, Qt::Key_Delete);
  EXPECT_EQ(doc->Animations.Count(), 3);
  window->ListGAF->setFocus();
  QTest::keyClick(window->ListGAF, Qt::Key_Delete);
  EXPECT_EQ(doc->Animations.Count(), 2);
  EXPECT_FALSE(doc->Animations.Contains("alpha"));
}

TEST_F(Commands, RemoveFrameShowsFrameOneAndRefreshesCounts) {
  window->ScrollFrames->setValue(2);
  window->mnuFrameRemove_Click();
  classGAFAnimation& alpha = *doc->Animations.Item(1);
  ASSERT_EQ(alpha.Frames.Count(), 2);
  EXPECT_EQ(alpha.Frames.Item(2)->Width(), 2);  // the third frame moved up
  EXPECT_EQ(window->State().CurrentFrame, 1);
  EXPECT_EQ(window->TxtWidth->text(), "10");
  EXPECT_EQ(ListCell(0, 2), "2");
  EXPECT_EQ(ListCell(0, 3), "1");
  EXPECT_EQ(window->ScrollFrames->maximum(), 2);
}

TEST_F(Commands, RemoveFrameOnTheLastFrameLeavesAnEmptyAnimation) {
  Select(1);
  window->mnuFrameRemove_Click();
  EXPECT_EQ(doc->Animations.Item(2)->Frames.Count(), 0);
  EXPECT_EQ(ListCell(1, 2), "0");
  EXPECT_EQ(window->State().CurrentAnimation->Name, "beta");
  EXPECT_EQ(window->State().CurrentSubframe, 0);
  EXPECT_FALSE(window->CmdSubframe->isEnabled());
  EXPECT_TRUE(window->CmdFrame->isEnabled());
  // Once more: there is no frame left to remove.
  window->mnuFrameRemove_Click();
  EXPECT_EQ(doc->Animations.Item(2)->Frames.Count(), 0);
}

TEST_F(Commands, RemoveSubframeKeepsTheFrameAndRefreshesCounts) {
  window->ScrollFrames->setValue(2);
  window->ScrollSubframes->setValue(2);
  ASSERT_EQ(window->State().CurrentSubframe, 2);
  window->mnuSubframeRemove_Click();
  classGAFFrame& frame = *doc->Animations.Item(1)->Frames.Item(2);
  ASSERT_EQ(frame.Subframes.Count(), 1);
  EXPECT_EQ(frame.Subframes.Item(1)->Width(), 6);
  EXPECT_EQ(window->State().CurrentFrame, 2);
  EXPECT_EQ(window->State().CurrentSubframe, 1);
  EXPECT_EQ(window->TxtWidth->text(), "6");
  EXPECT_EQ(ListCell(0, 3), "2");
}

TEST_F(Commands, RemoveSubframeWithoutASubframeSelectedChangesNothing) {
  ASSERT_EQ(window->State().CurrentSubframe, 0);
  window->mnuSubframeRemove_Click();
  EXPECT_EQ(doc->Animations.Item(1)->Frames.Count(), 3);
  EXPECT_EQ(doc->Animations.Item(1)->Frames.Item(2)->Subframes.Count(), 2);
  EXPECT_EQ(ListCell(0, 3), "3");
}

TEST_F(Commands, CompressAllFlagsEveryImageAndChecksTheBox) {
  ASSERT_FALSE(window->chkCompressed->isChecked());
  window->mnuImagesCompress_Click();
  for (const AnimationPtr& a : doc->Animations)
    for (const FramePtr& f : a->Frames) {
      EXPECT_TRUE(f->Compressed());
      for (const FramePtr& s : f->Subframes) EXPECT_TRUE(s->Compressed());
    }
  EXPECT_TRUE(window->chkCompressed->isChecked());
}

TEST_F(Commands, ToolbarButtonsHaveKeysTipsAndPicturesAndDispatchByKey) {
  const char* keys[] = {"new", "open", "save", "create", "import", "preview"};
  const char* tips[] = {"New", "Open", "Save As", "Create Sequence", "Import Sequence", "Preview Animation"};
  QList<QAction*> actions = window->Toolbar->actions();
  QStringList seen;
  for (QAction* a : actions) seen << (a->isSeparator() ? "-" : a->data().toString());
  EXPECT_EQ(seen, QStringList({"-", "new", "open", "save", "-", "create", "import", "-", "preview"}));
  for (int i = 0; i < 6; ++i) {
    auto* a = window->findChild<QAction*>(QString("Toolbar_") + keys[i]);
    ASSERT_NE(a, nullptr) << keys[i];
    EXPECT_EQ(a->toolTip(), tips[i]);
    EXPECT_FALSE(a->icon().isNull()) << keys[i];
  }
  QList<FileDialogRequest> requests;
  window->FileDialogHook = [&](const FileDialogRequest& r) {
    requests << r;
    return QString();
  };
  window->Toolbar_ButtonClick("save");
  ASSERT_EQ(requests.size(), 1);
  EXPECT_TRUE(requests[0].save);
  EXPECT_EQ(requests[0].filter, "GAF files (*.gaf)|*.gaf");
  window->Toolbar_ButtonClick("Save");  // keys are matched exactly
  window->Toolbar_ButtonClick("nothing");
  EXPECT_EQ(requests.size(), 1);
  window->Toolbar_ButtonClick("new");
  EXPECT_EQ(window->State().CurrentGAF->Animations.Count(), 0);
}

class Exports : public Commands {
 protected:
  void SetUp() override {
    Commands::SetUp();
    folder = TempFolder("exports");
  }
  // The bitmap width written in the file's header.
  static int BitmapWidth(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = f.readAll();
    if (bytes.size() < 26 || !bytes.startsWith("BM")) return -2;
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

TEST_F(Exports, ExportSubframeWithNoSubframeSelectedWritesNothing) {
  const QString target = folder + "/sub.bmp";
  window->FileDialogHook = [&](const FileDialogRequest& r) {
    EXPECT_EQ(r.filter, "BMP files (*.bmp)|*.bmp");
    EXPECT_EQ(r.defaultSuffix, "bmp");
    EXPECT_TRUE(r.fileName.isEmpty());
    return target;
  };
  ASSERT_EQ(window->State().CurrentSubframe, 0);
  window->mnuSubframeExport_Click();
  EXPECT_FALSE(QFile::exists(target));
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Exports, ExportFrameAndSubframeWriteTheSelectedImages) {
  QString target = folder + "/frame.bmp";
  window->FileDialogHook = [&](const FileDialogRequest&) { return target; };
  window->mnuFrameExport_Click();
  EXPECT_EQ(BitmapWidth(target), 10);
  window->ScrollFrames->setValue(2);
  window->ScrollSubframes->setValue(2);
  target = folder + "/sub.bmp";
  window->mnuSubframeExport_Click();
  EXPECT_EQ(BitmapWidth(target), 8);
  EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(Exports, ExportFrameIntoAMissingFolderIsReported) {
  window->FileDialogHook = [&](const FileDialogRequest&) { return folder + "/missing/frame.bmp"; };
  window->mnuFrameExport_Click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("1 image could not be written")) << messages[0].toStdString();
}

TEST_F(Exports, ExportAllWritesEveryImageIntoTheChosenFolder) {
  ChooseFolder(folder);
  window->mnuImagesExportAll_Click();
  EXPECT_EQ(window->State().SelectedDirectory, (folder + "/").toStdString());
  EXPECT_EQ(Written(), QStringList({"alpha_01.bmp", "alpha_02_01.bmp", "alpha_02_02.bmp", "alpha_03_01.bmp",
                                    "beta_01.bmp"}));
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_TRUE(window->Toolbar->isEnabled());
}

TEST_F(Exports, ExportSequenceWritesTheCurrentSequenceAndReportsFailuresOnce) {
  // Names the file system refuses: folders where two of the files would go.
  QDir(folder).mkdir("alpha_02_01.bmp");
  QDir(folder).mkdir("alpha_03_01.bmp");
  ChooseFolder(folder);
  window->mnuImagesExportSequence_Click();
  EXPECT_EQ(Written(), QStringList({"alpha_01.bmp", "alpha_02_02.bmp"}));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("2 images could not be written (2 written)")) << messages[0].toStdString();
  EXPECT_TRUE(window->ListGAF->isEnabled());
}

TEST_F(Exports, CancelledChooserExportsNothing) {
  WhenModal("FrmDirectory", [](QWidget* w) { static_cast<FrmDirectory*>(w)->CmdCancel->click(); });
  window->mnuImagesExportAll_Click();
  EXPECT_EQ(window->State().SelectedDirectory, "");
  EXPECT_TRUE(Written().isEmpty());
  EXPECT_TRUE(window->PicView->isEnabled());
}

TEST_F(Commands, ImportSubframesThenImportFramesOpenWithTheirCaptionsAndModes) {
  QStringList captions;
  QList<bool> modes;
  auto look = [&](QWidget* w) {
    auto* d = static_cast<FrmImportFrame*>(w);
    captions << d->windowTitle();
    modes << d->SubframeMode();
    EXPECT_FALSE(d->chkCenter->isChecked());
    EXPECT_FALSE(d->chkWhite->isChecked());
    EXPECT_FALSE(d->chkCompress->isChecked());
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

TEST_F(Commands, AboutBoxShowsNameIconReadOnlyCreditsAndLinks) {
  LinkCatcher catcher;
  for (const char* scheme : {"file", "https", "mailto"}) QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
  QString credits, after, caption, title;
  bool iconShown = false;
  WhenModal("FrmAbout", [&](QWidget* w) {
    auto* about = static_cast<FrmAbout*>(w);
    caption = about->windowTitle();
    title = about->Label6->text();
    iconShown = !about->Image1->pixmap().isNull() && about->Image1->pixmap().width() == 32;
    credits = about->TxtInfo->toPlainText();
    about->TxtInfo->setFocus();
    QTest::keyClicks(about->TxtInfo, "typed");
    QTest::keyClick(about->TxtInfo, Qt::Key_Backspace);
    QTest::keyClick(about->TxtInfo, Qt::Key_Delete);
    QTest::keyClick(about->TxtInfo, Qt::Key_V, Qt::ControlModifier);
    after = about->TxtInfo->toPlainText();
    QTest::mouseClick(about->LblHomePage, Qt::LeftButton);
    QTest::mouseClick(about->Label4, Qt::LeftButton);
    QTest::keyClick(about, Qt::Key_Return);  // OK is the default button
  });
  window->mnuHelpAbout_Click();
  for (const char* scheme : {"file", "https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
  EXPECT_EQ(caption, "About Quilmark");
  EXPECT_EQ(title, "Quilmark 1.0");
  EXPECT_TRUE(iconShown);
  EXPECT_FALSE(credits.isEmpty());
  EXPECT_EQ(after, credits);
  ASSERT_EQ(catcher.urls.size(), 2);
  EXPECT_EQ(catcher.urls[0], FrmAbout::HomePage());
  EXPECT_EQ(catcher.urls[1], QUrl("mailto:" + FrmAbout::MailAddress()));
  // The default home page is the README, found also where nothing was installed.
  if (catcher.urls[0].isLocalFile()) {
    EXPECT_TRUE(catcher.urls[0].toLocalFile().endsWith("/README.md"));
    EXPECT_TRUE(QFileInfo(catcher.urls[0].toLocalFile()).isFile()) << catcher.urls[0].toString().toStdString();
  }
}

}  // namespace
}  // namespace quilmark::test

#include "CommandsTest.moc"
