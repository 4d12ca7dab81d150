#include "EditorTestSupport.h"

namespace quilmark::test {
namespace {

class FrameEditing : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Start();
    doc = MakeDocument();
    UseDocument(doc);
  }
  classGAFAnimation& Alpha() { return *doc->Animations.Item(1); }
  classGAFFrame& FrameAt(int i) { return *Alpha().Frames.Item(i); }
  // Types into a text box and moves the focus away.
  void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    window->ListGAF->setFocus();
    QApplication::processEvents();
  }
  std::shared_ptr<classGAF> doc;
};

TEST_F(FrameEditing, FirstFrameShownWithOriginOnViewCentre) {
  FrmQuilmark& w = *window;
  EXPECT_EQ(w.State().CurrentFrame, 1);
  EXPECT_EQ(w.State().CurrentSubframe, 0);
  EXPECT_TRUE(w.ScrollFrames->isEnabled());
  EXPECT_EQ(w.ScrollFrames->maximum(), 3);
  EXPECT_FALSE(w.ScrollSubframes->isEnabled());
  EXPECT_EQ(w.ScrollSubframes->maximum(), 2);
  EXPECT_EQ(w.TxtWidth->text(), "10");
  EXPECT_EQ(w.TxtXPos->text(), "5");
  EXPECT_EQ(w.TxtFPS->text(), "3");
  const int cx = w.PicFrame->width() / 2, cy = w.PicFrame->height() / 2;
  // 10x10 at position (5,5): top-left at centre - 5; its pixel 0 holds 9,
  // painted in colour 255; the rest index 20.
  EXPECT_EQ(ViewPixel(cx - 5, cy - 5), TestColour(255));
  EXPECT_EQ(ViewPixel(cx - 4, cy - 5), TestColour(20));
  EXPECT_EQ(ViewPixel(cx + 4, cy + 4), TestColour(20));
  EXPECT_EQ(ViewPixel(cx + 5, cy + 4), TestColour(255));  // background
  EXPECT_EQ(ViewPixel(cx - 6, cy), TestColour(255));

  // Centred in view: the image's middle on the view's middle; same here as
  // its origin is its middle, so move the origin first.
  ASSERT_TRUE(FrameAt(1).SetPositionX(0));
  w.mnuViewCenter->trigger();
  EXPECT_TRUE(w.State().CenterInView);
  EXPECT_EQ(ViewPixel(cx - 4, cy - 5), TestColour(20));
  w.mnuViewCenter->trigger();
  EXPECT_FALSE(w.State().CenterInView);
  EXPECT_EQ(ViewPixel(cx - 1, cy - 5), TestColour(255));  // left of the image now
  EXPECT_EQ(ViewPixel(cx + 1, cy - 5), TestColour(20));
}

TEST_F(FrameEditing, FrameSliderShowsSubframesWithoutMovingThem) {
  FrmQuilmark& w = *window;
  w.ScrollFrames->setValue(2);
  EXPECT_EQ(w.State().CurrentFrame, 2);
  EXPECT_EQ(w.State().CurrentSubframe, 1);
  EXPECT_TRUE(w.ScrollSubframes->isEnabled());
  EXPECT_EQ(w.ScrollSubframes->maximum(), 2);
  EXPECT_EQ(w.TxtWidth->text(), "6");
  EXPECT_EQ(w.TxtXPos->text(), "2");
  EXPECT_EQ(w.chkCompressed->isChecked(), false);
  w.ScrollSubframes->setValue(2);
  EXPECT_EQ(w.State().CurrentSubframe, 2);
  EXPECT_EQ(w.TxtWidth->text(), "8");
  EXPECT_EQ(w.TxtYPos->text(), "3");
  EXPECT_TRUE(w.chkCompressed->isChecked());
  // Moving back shows frame 3 (one subframe): slider off, max 2, subframe 1.
  w.ScrollFrames->setValue(3);
  EXPECT_EQ(w.State().CurrentSubframe, 1);
  EXPECT_FALSE(w.ScrollSubframes->isEnabled());
  EXPECT_EQ(w.ScrollSubframes->maximum(), 2);
  EXPECT_EQ(w.TxtWidth->text(), "3");
  w.ScrollFrames->setValue(1);
  // No position in the document changed by browsing.
  EXPECT_EQ(FrameAt(1).PositionX(), 5);
  EXPECT_EQ(FrameAt(2).PositionX(), 1);
  EXPECT_EQ(FrameAt(2).Subframes.Item(1)->PositionX(), 2);
  EXPECT_EQ(FrameAt(2).Subframes.Item(2)->PositionX(), 7);
  EXPECT_EQ(FrameAt(2).Subframes.Item(2)->PositionY(), 3);
  EXPECT_EQ(FrameAt(3).Subframes.Item(1)->PositionX(), 1);
}

TEST_F(FrameEditing, TypedValuesClampReadAndRound) {
  FrmQuilmark& w = *window;
  Type(w.TxtXPos, "5000");
  EXPECT_EQ(FrameAt(1).PositionX(), 1024);
  EXPECT_EQ(w.TxtXPos->text(), "1024");
  Type(w.TxtXPos, "-5000");
  EXPECT_EQ(FrameAt(1).PositionX(), -1024);
  Type(w.TxtYPos, "12abc");
  EXPECT_EQ(FrameAt(1).PositionY(), 12);
  EXPECT_EQ(w.TxtYPos->text(), "12");
  Type(w.TxtYPos, "abc");
  EXPECT_EQ(FrameAt(1).PositionY(), 0);
  Type(w.TxtFPS, "40000");
  EXPECT_EQ(FrameAt(1).FPS, 32000);
  Type(w.TxtFPS, "-3");
  EXPECT_EQ(FrameAt(1).FPS, 0);
  Type(w.TxtFPS, "2.5");
  EXPECT_EQ(FrameAt(1).FPS, 2);
  Type(w.TxtFPS, "3.5");
  EXPECT_EQ(FrameAt(1).FPS, 4);
  Type(w.TxtFPS, "1E400");
  EXPECT_EQ(FrameAt(1).FPS, 0);
  Type(w.TxtXPos, "7");
  Type(w.TxtXPos, "1E400");
  EXPECT_EQ(FrameAt(1).PositionX(), 0);
  // The picture follows the new position: origin (0, y) on the centre.
  Type(w.TxtYPos, "0");
  // The view is 319 high: its middle 159.5 rounds to 160.
  ASSERT_EQ(w.PicFrame->height(), 319);
  const int cx = w.PicFrame->width() / 2, cy = 160;
  EXPECT_EQ(ViewPixel(cx + 1, cy), TestColour(20));
  EXPECT_EQ(ViewPixel(cx, cy), TestColour(255));  // pixel 0 holds 9
  EXPECT_EQ(ViewPixel(cx, cy + 1), TestColour(20));
  EXPECT_EQ(ViewPixel(cx - 1, cy + 1), TestColour(255));
  EXPECT_EQ(ViewPixel(cx + 1, cy - 1), TestColour(255));
}

TEST_F(FrameEditing, ArrowsStepAndEditsLandOnTheSubframe) {
  FrmQuilmark& w = *window;
  w.ScrollFrames->setValue(2);
  w.ScrollSubframes->setValue(2);
  QTest::mouseClick(w.ScrollXPos->UpButton(), Qt::LeftButton);
  EXPECT_EQ(FrameAt(2).Subframes.Item(2)->PositionX(), 8);
  EXPECT_EQ(FrameAt(2).PositionX(), 1);
  EXPECT_EQ(w.TxtXPos->text(), "8");
  QTest::mouseClick(w.ScrollYPos->DownButton(), Qt::LeftButton);
  EXPECT_EQ(FrameAt(2).Subframes.Item(2)->PositionY(), 2);
  // Frame rate steps by 100 from the number shown.
  w.TxtFPS->setText("250");
  QTest::mouseClick(w.ScrollFPS->UpButton(), Qt::LeftButton);
  EXPECT_EQ(FrameAt(2).Subframes.Item(2)->FPS, 350);
  EXPECT_EQ(w.TxtFPS->text(), "350");
  EXPECT_EQ(FrameAt(2).FPS, 4);
  // Compressed check box writes the subframe's flag.
  QTest::mouseClick(w.chkCompressed, Qt::LeftButton);
  EXPECT_FALSE(FrameAt(2).Subframes.Item(2)->Compressed());
  EXPECT_TRUE(FrameAt(2).Compressed());
  Type(w.TxtXPos, "-20");
  EXPECT_EQ(FrameAt(2).Subframes.Item(2)->PositionX(), -20);
  EXPECT_EQ(FrameAt(2).Subframes.Item(1)->PositionX(), 2);
}

TEST_F(FrameEditing, OneFrameAnimationAndEmptyAnimation) {
  FrmQuilmark& w = *window;
  w.State().CurrentAnimation = doc->Animations.Item(2);
  w.RefreshView();
  EXPECT_FALSE(w.ScrollFrames->isEnabled());
  EXPECT_EQ(w.ScrollFrames->maximum(), 2);
  EXPECT_EQ(w.TxtWidth->text(), "12");
  w.State().CurrentAnimation = doc->Animations.Item(3);
  w.RefreshView();
  EXPECT_FALSE(w.TxtXPos->isEnabled());
  EXPECT_FALSE(w.ScrollXPos->isEnabled());
  EXPECT_FALSE(w.chkCompressed->isEnabled());
  EXPECT_EQ(w.State().CurrentSubframe, 0);
  const int cx = w.PicFrame->width() / 2, cy = w.PicFrame->height() / 2;
  EXPECT_EQ(ViewPixel(cx + 3, cy + 2), TestColour(255));  // cleared
}

TEST_F(FrameEditing, MenuButtonsPopUpTheirMenus) {
  FrmQuilmark& w = *window;
  QTest::mouseClick(w.CmdFrame, Qt::LeftButton);
  EXPECT_TRUE(w.mnuFrame->isVisible());
  const QPoint corner = w.CmdFrame->mapToGlobal(QPoint(w.CmdFrame->width(), 0));
  EXPECT_EQ(w.mnuFrame->pos(), corner);
  w.mnuFrame->hide();
  QTest::mouseClick(w.CmdSubframe, Qt::LeftButton);
  EXPECT_TRUE(w.mnuSubframe->isVisible());
  w.mnuSubframe->hide();
}

TEST_F(FrameEditing, DisabledPaneDuringLongCommands) {
  FrmQuilmark& w = *window;
  w.EnableControls(false);
  EXPECT_FALSE(w.Toolbar->isEnabled());
  EXPECT_FALSE(w.ListGAF->isEnabled());
  EXPECT_FALSE(w.PicView->isEnabled());
  EXPECT_TRUE(w.mnuFile->isEnabled());
  w.EnableControls(true);
  EXPECT_TRUE(w.PicView->isEnabled());
}

}  // namespace
}  // namespace quilmark::test
