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
    StartWithDocument();
  }
  QList<FrmPreview*> Previews() { return window->findChildren<FrmPreview*>(); }
  // The colour the canvas shows at (x, y).
  static QRgb At(FrmPreview* p, int x, int y) { return p->Canvas->Picture().pixel(x, y); }
};

TEST_F(Preview, EachUseOpensAnotherWindowPlayingOnItsOwn) {
  for (const auto [largest, side] : {std::pair{30, 124}, {50, 144}, {0, 96}, {512, 608}})
    EXPECT_EQ(FrmPreview::SurfaceSide(largest), side) << largest;
  window->ListGAF->setFocus();
  QTest::keyClick(window->ListGAF, Qt::Key_F5);
  window->mnuImagesPreview_Click();
  QList<FrmPreview*> open = Previews();
  ASSERT_EQ(open.size(), 2);
  FrmPreview *a = open[0], *b = open[1];
  EXPECT_EQ(a->windowTitle(), "Preview - 'alpha'");
  EXPECT_TRUE(a->isWindow() && !a->isModal());
  // alpha's largest image is 10 x 10: 106 gives 104.
  EXPECT_EQ(a->Canvas->size(), QSize(104, 104));
  EXPECT_EQ(a->TmrAnimate->interval(), 100);
  EXPECT_TRUE(a->TmrAnimate->isActive());
  a->TmrAnimate->stop();
  b->TmrAnimate->stop();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(a->TmrAnimate_Timer());
  ASSERT_TRUE(b->TmrAnimate_Timer());
  EXPECT_EQ(a->PreviewFrame, 1);  // three frames: 1, 2, 3, 1 ...
  EXPECT_EQ(b->PreviewFrame, 2);
  // Edits in the main window show at the next tick.
  const int c = a->PreviewWidth / 2;
  auto& pixels = doc->Animations.Item(1)->Frames.Item(1)->Pixels;
  std::fill(pixels.begin(), pixels.end(), 33);
  a->PreviewFrame = 1;
  ASSERT_TRUE(a->TmrAnimate_Timer());
  EXPECT_EQ(At(a, c, c), TestColour(33));
  a->close();
  QApplication::processEvents();
  EXPECT_EQ(Previews().size(), 1);
  // Frames removed behind a preview's back: its tick closes it silently.
  b->PreviewFrame = 3;
  window->ScrollFrames->setValue(3);
  window->mnuFrameRemove_Click();
  QPointer<FrmPreview> watch(b);
  EXPECT_FALSE(b->TmrAnimate_Timer());
  QApplication::processEvents();
  EXPECT_TRUE(watch.isNull());
  EXPECT_TRUE(messages.isEmpty());
}

TEST_F(Preview, FrameIsDrawnWithItsOriginAtTheCentre) {
  auto animation = std::make_shared<classGAFAnimation>();
  animation->Frames.Add(MakeFrame(20, 20, 10, 10, 77));
  QPointer<FrmPreview> p = FrmPreview::Open(animation, window.get());
  ASSERT_TRUE(p);
  p->TmrAnimate->stop();
  ASSERT_EQ(p->PreviewWidth, 116);
  for (int tick = 0; tick < 2; ++tick) {  // one frame: shown on every tick
    ASSERT_TRUE(p->TmrAnimate_Timer());
    EXPECT_EQ(At(p, 48, 48), TestColour(77));
    EXPECT_EQ(At(p, 67, 67), TestColour(77));
    EXPECT_EQ(At(p, 47, 48), TestColour(255));
    EXPECT_EQ(At(p, 68, 67), TestColour(255));
  }
  p->close();
}

TEST_F(Preview, AnAnimationWithoutFramesClosesAtItsFirstTick) {
  QPointer<FrmPreview> p = FrmPreview::Open(doc->Animations.Item(3), window.get(), window.get());
  ASSERT_TRUE(p);
  EXPECT_EQ(p->windowTitle(), "Preview - 'gamma'");
  EXPECT_EQ(p->size(), QSize(96, 96));
  for (int i = 0; i < 50 && p; ++i) QTest::qWait(10);  // the real timer's first tick
  EXPECT_TRUE(p.isNull());
  EXPECT_TRUE(messages.isEmpty());
}

// ---------------------------------------------------------------- UFO export

class UfoCommand : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartWithDocument();
    folder = TempFolder("ufo");
    AnswerFileDialogs();
  }
  // Answers the folder question, noting what the command had done by then.
  void AnswerFolder(const QString& text, bool cancel = false) {
    AnswerInputBox(text, cancel, &seen, [this] {
      savedBeforeAsking = QFile::exists(answer + ".gaf");
      controlsDisabled = !window->Toolbar->isEnabled() && !window->ListGAF->isEnabled();
    });
  }
  void ExpectEndedCleanly() {
    EXPECT_FALSE(QFile::exists(answer + ".gaf"));
    ExpectControlsBack();
  }
  HpiReadResult Archive() { return ReadHpi(ReadFile(answer.toStdString())); }

  QString folder;
  InputBoxSeen seen;
  bool savedBeforeAsking = false, controlsDisabled = false;
};

TEST_F(UfoCommand, PacksTheSavedDocumentUnderTheAnsweredFolder) {
  window->State().GAFSaveDir = folder.toStdString();
  answer = folder + "/out/tank.ufo";
  QDir(folder).mkdir("out");
  AnswerFolder("textures");
  window->mnuFileSaveUFO_Click();
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].save);
  EXPECT_EQ(asked[0].filter, "UFO files (*.ufo)|*.ufo");
  EXPECT_EQ(asked[0].defaultSuffix, "ufo");
  EXPECT_EQ(asked[0].folder, folder);
  EXPECT_EQ(seen.prompt, "Enter the subdirectory in the HPI to place the gaf file.");
  EXPECT_EQ(seen.title, "Pack UFO");
  EXPECT_EQ(seen.answer, "textures");
  EXPECT_TRUE(savedBeforeAsking);
  EXPECT_TRUE(controlsDisabled);
  EXPECT_EQ(window->State().GAFSaveDir, (folder + "/out").toStdString());
  const HpiReadResult archive = Archive();
  ASSERT_EQ(archive.error, "");
  ASSERT_EQ(archive.files.size(), 1u);
  EXPECT_EQ(archive.files[0].path, "textures\\tank.gaf");
  const std::string reference = (folder + "/reference.gaf").toStdString();
  ASSERT_TRUE(doc->Save(reference));
  EXPECT_EQ(archive.files[0].bytes, ReadFile(reference));
  EXPECT_TRUE(messages.isEmpty());
  EXPECT_EQ(window->windowTitle(), "Untitled.gaf - Quilmark");
  ExpectEndedCleanly();
}

TEST_F(UfoCommand, CancelsAndFailuresLeaveNoTemporaryFile) {
  const std::string before = window->State().GAFSaveDir;
  window->mnuFileSaveUFO_Click();  // the save dialog cancelled
  EXPECT_EQ(asked.size(), 1);
  EXPECT_EQ(window->State().GAFSaveDir, before);
  EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
  ExpectEndedCleanly();
  // A cancelled question: the archive's root folder, and the name alone.
  answer = folder + "/tank.abc";
  AnswerFolder("", /*cancel=*/true);
  window->mnuFileSaveUFO_Click();
  const HpiReadResult archive = Archive();
  ASSERT_EQ(archive.files.size(), 1u) << archive.error;
  EXPECT_EQ(archive.files[0].path, "tank.gaf");
  ExpectEndedCleanly();
  // An archive that cannot be started.
  answer = folder + "/missing/tank.ufo";
  window->mnuFileSaveUFO_Click();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("could not be exported")) << messages[0].toStdString();
  EXPECT_FALSE(QFile::exists(answer));
  ExpectEndedCleanly();
}

}  // namespace
}  // namespace quilmark::test
