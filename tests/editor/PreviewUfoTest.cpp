#include <QInputDialog>

#include "../archive/HpiTestReader.h"
#include "EditorTestSupport.h"
#include "ModalDriver.h"
#include "display/qt/FrmPreview.h"

namespace quilmark::test {
namespace {

// ---------------------------------------------------------------- preview

class Preview : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Start();
    doc = MakeDocument();
    UseDocument(doc);
  }
  QList<FrmPreview*> Previews() { return window->findChildren<FrmPreview*>(); }
  // The colour the canvas shows at (x, y).
  static QRgb At(FrmPreview* p, int x, int y) { return p->Canvas->Picture().pixel(x, y); }
  std::shared_ptr<classGAF> doc;
};

TEST_F(Preview, SurfaceIsTheLargestImagePlus96RoundedDownTo4) {
  EXPECT_EQ(FrmPreview::SurfaceSide(30), 124);
  EXPECT_EQ(FrmPreview::SurfaceSide(50), 144);
  EXPECT_EQ(FrmPreview::SurfaceSide(0), 96);
  EXPECT_EQ(FrmPreview::SurfaceSide(512), 608);
}

TEST_F(Preview, EachUseOpensAnotherWindowPlayingOnItsOwn) {
  window->ListGAF->setFocus();
  QTest::keyClick(window->ListGAF, Qt::Key_F5);
  window->mnuImagesPreview_Click();
  QList<FrmPreview*> open = Previews();
  ASSERT_EQ(open.size(), 2);
  FrmPreview* a = open[0];
  FrmPreview* b = open[1];
  EXPECT_EQ(a->windowTitle(), "Preview - 'alpha'");
  EXPECT_FALSE(a->isModal());
  EXPECT_TRUE(a->isWindow());
  EXPECT_EQ(a->parentWidget(), window.get());
  // alpha's largest image is 10 x 10: 106 gives 104.
  EXPECT_EQ(a->PreviewWidth, 104);
  EXPECT_EQ(a->PreviewHeight, 104);
  EXPECT_EQ(a->Canvas->size(), QSize(104, 104));
  EXPECT_EQ(a->TmrAnimate->interval(), 100);
  EXPECT_TRUE(a->TmrAnimate->isActive());
  a->TmrAnimate->stop();
  b->TmrAnimate->stop();
  ASSERT_TRUE(a->TmrAnimate_Timer());
  ASSERT_TRUE(a->TmrAnimate_Timer());
  EXPECT_EQ(a->PreviewFrame, 3);
  EXPECT_EQ(b->PreviewFrame, 1);
  ASSERT_TRUE(a->TmrAnimate_Timer());
  EXPECT_EQ(a->PreviewFrame, 1);  // three frames: 1, 2, 3, 1 ...
  ASSERT_TRUE(b->TmrAnimate_Timer());
  EXPECT_EQ(b->PreviewFrame, 2);
  a->close();
  QApplication::processEvents();
  EXPECT_EQ(Previews().size(), 1);
}

TEST_F(Preview, FrameIsDrawnWithItsOriginAtTheCentre) {
  auto animation = std::make_shared<classGAFAnimation>();
  animation->Name = "one";
  animation->Frames.Add(MakeFrame(20, 20, 10, 10, 77));
  QPointer<FrmPreview> p = FrmPreview::Open(animation, window.get());
  ASSERT_TRUE(p);
  p->TmrAnimate->stop();
  ASSERT_EQ(p->PreviewWidth, 116);
  ASSERT_TRUE(p->TmrAnimate_Timer());
  EXPECT_EQ(At(p, 48, 48), TestColour(77));
  EXPECT_EQ(At(p, 67, 67), TestColour(77));
  EXPECT_EQ(At(p, 47, 48), TestColour(255));
  EXPECT_EQ(At(p, 68, 67), TestColour(255));
  // One frame: shown on every tick.
  ASSERT_TRUE(p->TmrAnimate_Timer());
  EXPECT_EQ(p->PreviewFrame, 1);
  EXPECT_EQ(At(p, 50, 50), TestColour(77));
  p->close();
}

TEST_F(Preview, SubframesAreComposedWithIndex9Transparent) {
  auto animation = std::make_shared<classGAFAnimation>();
  auto frame = MakeFrame(1, 1, 0, 0, 1);
  frame->Subframes.Add(MakeFrame(10, 10, 5, 5, 40));
  auto top = MakeFrame(10, 10, 5, 5, 50);
  std::fill(top->Pixels.begin(), top->Pixels.begin() + 10, TransparentIndex);  // its top row
  frame->Subframes.Add(top);
  animation->Frames.Add(frame);
  QPointer<FrmPreview> p = FrmPreview::Open(animation, window.get());
  ASSERT_TRUE(p);
  p->TmrAnimate->stop();
  ASSERT_TRUE(p->TmrAnimate_Timer());
  const int c = p->PreviewWidth / 2;
  EXPECT_EQ(At(p, c - 5, c - 5), TestColour(40));  // the lower one through the hole
  EXPECT_EQ(At(p, c - 5, c - 4), TestColour(50));
  p->close();
}

TEST_F(Preview, EditsInTheMainWindowShowAtTheNextTick) {
  window->mnuImagesPreview_Click();
  FrmPreview* p = Previews().value(0);
  ASSERT_NE(p, nullptr);
  p->TmrAnimate->stop();
  const int c = p->PreviewWidth / 2;
  ASSERT_TRUE(p->TmrAnimate_Timer());
  EXPECT_EQ(At(p, c, c), TestColour(20));
  p->PreviewFrame = 1;
  std::fill(doc->Animations.Item(1)->Frames.Item(1)->Pixels.begin(),
            doc->Animations.Item(1)->Frames.Item(1)->Pixels.end(), 33);
  ASSERT_TRUE(p->TmrAnimate_Timer());
  EXPECT_EQ(At(p, c, c), TestColour(33));
  // Frames removed behind the preview's back: the tick closes it silently.
  p->PreviewFrame = 3;
  window->ScrollFrames->setValue(3);
  window->mnuFrameRemove_Click();
  QPointer<FrmPreview> watch(p);
  EXPECT_FALSE(p->TmrAnimate_Timer());
  QApplication::processEvents();
  EXPECT_TRUE(watch.isNull());
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Preview, AnAnimationWithoutFramesClosesAtItsFirstTick) {
  auto gamma = doc->Animations.Item(3);
  QPointer<FrmPreview> p = FrmPreview::Open(gamma, window.get(), window.get());
  ASSERT_TRUE(p);
  EXPECT_EQ(p->windowTitle(), "Preview - 'gamma'");
  EXPECT_EQ(p->PreviewWidth, 96);
  EXPECT_EQ(p->PreviewHeight, 96);
  EXPECT_EQ(p->size(), QSize(96, 96));
  // The real timer's first tick.
  for (int i = 0; i < 50 && p; ++i) QTest::qWait(10);
  EXPECT_TRUE(p.isNull());
  EXPECT_TRUE(messages.isEmpty());
}

// ---------------------------------------------------------------- UFO export

class UfoCommand : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Start();
    doc = MakeDocument();
    UseDocument(doc);
    folder = TempFolder("ufo");
    window->FileDialogHook = [this](const FileDialogRequest& r) {
      requests << r;
      return answerPath;
    };
  }
  // Answers the folder question (cancels it when cancel is set).
  void AnswerFolder(const QString& text, bool cancel = false) {
    WhenModal("InputBox", [this, text, cancel](QWidget* w) {
      auto* box = static_cast<QInputDialog*>(w);
      prompt = box->labelText();
      title = box->windowTitle();
      defaultAnswer = box->textValue();
      // The save came before the question.
      savedBeforeAsking = QFile::exists(answerPath + ".gaf");
      controlsDisabled = !window->Toolbar->isEnabled() && !window->ListGAF->isEnabled();
      if (cancel) {
        box->reject();
        return;
      }
      box->setTextValue(text);
      box->accept();
    });
  }
  void ExpectEndedCleanly() {
    EXPECT_FALSE(QFile::exists(answerPath + ".gaf"));
    EXPECT_TRUE(window->Toolbar->isEnabled());
    EXPECT_TRUE(window->ListGAF->isEnabled());
    EXPECT_TRUE(window->PicView->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  }
  HpiReadResult Archive() { return ReadHpi(ReadFile(answerPath.toStdString())); }
  std::vector<uint8_t> DocumentBytes() {
    const std::string path = (folder + "/reference.gaf").toStdString();
    EXPECT_TRUE(doc->Save(path));
    return ReadFile(path);
  }

  std::shared_ptr<classGAF> doc;
  QString folder, answerPath, prompt, title, defaultAnswer;
  bool savedBeforeAsking = false, controlsDisabled = false;
  QList<FileDialogRequest> requests;
};

TEST_F(UfoCommand, DefaultAnswerPacksTheDocumentAsTexturesSlashName) {
  window->State().GAFSaveDir = folder.toStdString();
  answerPath = folder + "/out/tank.ufo";
  QDir(folder).mkdir("out");
  AnswerFolder("textures");
  window->mnuFileSaveUFO_Click();
  ASSERT_EQ(requests.size(), 1);
  EXPECT_TRUE(requests[0].save);
  EXPECT_EQ(requests[0].filter, "UFO files (*.ufo)|*.ufo");
  EXPECT_EQ(requests[0].defaultSuffix, "ufo");
  EXPECT_EQ(requests[0].folder, folder);
  EXPECT_TRUE(requests[0].fileName.isEmpty());
  EXPECT_EQ(prompt, "Enter the subdirectory in the HPI to place the gaf file.");
  EXPECT_EQ(title, "Pack UFO");
  EXPECT_EQ(defaultAnswer, "textures");
  EXPECT_TRUE(savedBeforeAsking);
  EXPECT_TRUE(controlsDisabled);
  EXPECT_EQ(window->State().GAFSaveDir, (folder + "/out").toStdString());
  const HpiReadResult archive = Archive();
  ASSERT_EQ(archive.error, "");
  ASSERT_EQ(archive.files.size(), 1u);
  EXPECT_EQ(archive.files[0].path, "textures\\tank.gaf");
  EXPECT_EQ(archive.files[0].bytes, DocumentBytes());
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(window->windowTitle(), "Untitled.gaf - Quilmark");
  ExpectEndedCleanly();
}

TEST_F(UfoCommand, TypedFolderAndOtherExtension) {
  answerPath = folder + "/tank.abc";
  AnswerFolder("units\\gfx");
  window->mnuFileSaveUFO_Click();
  const HpiReadResult archive = Archive();
  ASSERT_EQ(archive.error, "");
  ASSERT_EQ(archive.files.size(), 1u);
  EXPECT_EQ(archive.files[0].path, "units\\gfx\\tank.gaf");
  ExpectEndedCleanly();
}

TEST_F(UfoCommand, CancelledQuestionGivesAnEmptyFolderAndGoesOn) {
  answerPath = folder + "/tank.ufo";
  AnswerFolder("", /*cancel=*/true);
  window->mnuFileSaveUFO_Click();
  const HpiReadResult archive = Archive();
  ASSERT_EQ(archive.error, "");
  ASSERT_EQ(archive.files.size(), 1u);
  // The archive's root folder: the name alone.
  EXPECT_EQ(archive.files[0].path, "tank.gaf");
  ExpectEndedCleanly();
}

TEST_F(UfoCommand, CancelledSaveDialogDoesNothing) {
  answerPath.clear();
  const std::string before = window->State().GAFSaveDir;
  window->mnuFileSaveUFO_Click();
  EXPECT_EQ(requests.size(), 1);
  EXPECT_EQ(window->State().GAFSaveDir, before);
  EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
  ExpectEndedCleanly();
}

TEST_F(UfoCommand, ArchiveThatCannotBeStartedIsReportedAndLeavesNothing) {
  answerPath = folder + "/missing/tank.ufo";
  window->mnuFileSaveUFO_Click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("could not be exported")) << messages[0].toStdString();
  EXPECT_FALSE(QFile::exists(answerPath));
  ExpectEndedCleanly();
}

TEST_F(UfoCommand, FileThatCannotBeAddedIsReportedAndTheTemporaryFileGoes) {
  answerPath = folder + "/tank.ufo";
  // ".." is no folder an archive can hold.
  AnswerFolder("..\\..");
  window->mnuFileSaveUFO_Click();
  if (QFile::exists(answerPath)) {
    // The library took the path after all: then it must be in the archive.
    EXPECT_EQ(Archive().error, "");
  } else {
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("could not be exported"));
  }
  ExpectEndedCleanly();
}

}  // namespace
}  // namespace quilmark::test
