#include "EditorTestSupport.h"

namespace quilmark::test {
namespace {

class FrameEditing : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    StartWithDocument();
  }
  classGAFFrame& FrameAt(int i) { return *doc->Animations.Item(1)->Frames.Item(i); }
  classGAFFrame& SubframeAt(int i, int s) { return *FrameAt(i).Subframes.Item(s); }
  // Types into a text box and moves the focus away.
  void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    window->ListGAF->setFocus();
    QApplication::processEvents();
  }
};

TEST_F(FrameEditing, FirstFrameShownWithOriginOnViewCentre) {
  FrmQuilmark& w = *window;
  EXPECT_EQ(w.State().CurrentFrame, 1);
  EXPECT_EQ(w.ScrollFrames->maximum(), 3);
  EXPECT_FALSE(w.ScrollSubframes->isEnabled());
  EXPECT_EQ(QStringList({w.TxtWidth->text(), w.TxtXPos->text(), w.TxtFPS->text()}), QStringList({"10", "5", "3"}));
  const int cx = w.PicFrame->width() / 2, cy = w.PicFrame->height() / 2;
  // 10x10 at position (5,5): top-left at centre - 5; its pixel 0 holds 9,
  // painted 255; the rest index 20; around it the background.
  EXPECT_EQ(ViewPixel(cx - 5, cy - 5), TestColour(255));
  EXPECT_EQ(ViewPixel(cx - 4, cy - 5), TestColour(20));
  EXPECT_EQ(ViewPixel(cx + 4, cy + 4), TestColour(20));
  EXPECT_EQ(ViewPixel(cx + 5, cy + 4), TestColour(255));
  // Centred in view puts the image's middle there whatever its origin.
  ASSERT_TRUE(FrameAt(1).SetPositionX(0));
  w.mnuViewCenter->trigger();
  EXPECT_TRUE(w.State().CenterInView);
  EXPECT_EQ(ViewPixel(cx - 4, cy - 5), TestColour(20));
  w.mnuViewCenter->trigger();
  EXPECT_EQ(ViewPixel(cx - 1, cy - 5), TestColour(255));
  EXPECT_EQ(ViewPixel(cx + 1, cy - 5), TestColour(20));
}

TEST_F(FrameEditing, SlidersBrowseFramesAndSubframesWithoutMovingThem) {
  FrmQuilmark& w = *window;
  const struct {
    int frame, subframe;  // slider values set; subframe 0: leave it
    int shownSubframe;
    bool subSliderOn;
    const char *width, *x;
    bool compressed;
  } steps[] = {{2, 0, 1, true, "6", "2", false}, {2, 2, 2, true, "8", "7", true},
               {3, 0, 1, false, "3", "1", false}, {1, 0, 0, false, "10", "5", false}};
  for (const auto& s : steps) {
    w.ScrollFrames->setValue(s.frame);
    if (s.subframe) w.ScrollSubframes->setValue(s.subframe);
    EXPECT_EQ(w.State().CurrentFrame, s.frame);
    EXPECT_EQ(w.State().CurrentSubframe, s.shownSubframe) << s.frame;
    EXPECT_EQ(w.ScrollSubframes->isEnabled(), s.subSliderOn) << s.frame;
    EXPECT_EQ(w.ScrollSubframes->maximum(), 2);
    EXPECT_EQ(w.TxtWidth->text(), s.width);
    EXPECT_EQ(w.TxtXPos->text(), s.x);
    EXPECT_EQ(w.chkCompressed->isChecked(), s.compressed) << s.frame;
  }
  EXPECT_EQ(FrameAt(1).PositionX(), 5);
  EXPECT_EQ(FrameAt(2).PositionX(), 1);
  EXPECT_EQ(SubframeAt(2, 1).PositionX(), 2);
  EXPECT_EQ(SubframeAt(2, 2).PositionY(), 3);
}

TEST_F(FrameEditing, TypedValuesAreReadClampedAndRounded) {
  FrmQuilmark& w = *window;
  classGAFFrame& f = FrameAt(1);
  const struct {
    QLineEdit* box;
    const char* text;
    std::function<int()> stored;
    int expected;
  } cases[] = {{w.TxtXPos, "5000", [&] { return f.PositionX(); }, 1024},
               {w.TxtXPos, "-5000", [&] { return f.PositionX(); }, -1024},
               {w.TxtXPos, "1E400", [&] { return f.PositionX(); }, 0},
               {w.TxtYPos, "12abc", [&] { return f.PositionY(); }, 12},
               {w.TxtYPos, "abc", [&] { return f.PositionY(); }, 0},
               {w.TxtFPS, "40000", [&] { return int(f.FPS); }, 32000},
               {w.TxtFPS, "-3", [&] { return int(f.FPS); }, 0},
               {w.TxtFPS, "2.5", [&] { return int(f.FPS); }, 2},
               {w.TxtFPS, "3.5", [&] { return int(f.FPS); }, 4}};
  for (const auto& c : cases) {
    Type(c.box, "7");
    Type(c.box, c.text);
    EXPECT_EQ(c.stored(), c.expected) << c.text;
    EXPECT_EQ(c.box->text(), QString::number(c.expected)) << c.text;
  }
  // The picture follows: origin (0, 0) on the centre; the view is 319 high,
  // its middle 159.5 rounds to 160.
  Type(w.TxtXPos, "0");
  Type(w.TxtYPos, "0");
  ASSERT_EQ(w.PicFrame->height(), 319);
  const int cx = w.PicFrame->width() / 2, cy = 160;
  EXPECT_EQ(ViewPixel(cx, cy), TestColour(255));  // pixel 0 holds 9
  EXPECT_EQ(ViewPixel(cx + 1, cy), TestColour(20));
  EXPECT_EQ(ViewPixel(cx - 1, cy + 1), TestColour(255));
}

TEST_F(FrameEditing, ArrowsStepAndEditsLandOnTheSubframe) {
  FrmQuilmark& w = *window;
  w.ScrollFrames->setValue(2);
  w.ScrollSubframes->setValue(2);
  QTest::mouseClick(w.ScrollXPos->UpButton(), Qt::LeftButton);
  QTest::mouseClick(w.ScrollYPos->DownButton(), Qt::LeftButton);
  EXPECT_EQ(SubframeAt(2, 2).PositionX(), 8);
  EXPECT_EQ(SubframeAt(2, 2).PositionY(), 2);
  EXPECT_EQ(w.TxtXPos->text(), "8");
  // Frame rate steps by 100 from the number shown.
  w.TxtFPS->setText("250");
  QTest::mouseClick(w.ScrollFPS->UpButton(), Qt::LeftButton);
  EXPECT_EQ(SubframeAt(2, 2).FPS, 350);
  EXPECT_EQ(w.TxtFPS->text(), "350");
  QTest::mouseClick(w.chkCompressed, Qt::LeftButton);
  EXPECT_FALSE(SubframeAt(2, 2).Compressed());
  Type(w.TxtXPos, "-20");
  EXPECT_EQ(SubframeAt(2, 2).PositionX(), -20);
  // The frame and the other subframe are untouched.
  EXPECT_EQ(FrameAt(2).PositionX(), 1);
  EXPECT_EQ(FrameAt(2).FPS, 4);
  EXPECT_TRUE(FrameAt(2).Compressed());
  EXPECT_EQ(SubframeAt(2, 1).PositionX(), 2);
}

TEST_F(FrameEditing, OneFrameAndEmptyAnimations) {
  FrmQuilmark& w = *window;
  ClickRow(1);
  EXPECT_FALSE(w.ScrollFrames->isEnabled());
  EXPECT_EQ(w.ScrollFrames->maximum(), 2);
  ClickRow(2);
  EXPECT_TRUE(w.CmdFrame->isEnabled());
  EXPECT_FALSE(w.CmdSubframe->isEnabled() || w.TxtXPos->isEnabled() || w.ScrollXPos->isEnabled() ||
               w.chkCompressed->isEnabled());
  EXPECT_EQ(w.TxtWidth->text(), "0");
  EXPECT_EQ(w.State().CurrentSubframe, 0);
  EXPECT_EQ(ViewPixel(w.PicFrame->width() / 2 + 3, w.PicFrame->height() / 2 + 2), TestColour(255));
}

TEST_F(FrameEditing, MenuButtonsPopUpTheirMenus) {
  FrmQuilmark& w = *window;
  QTest::mouseClick(w.CmdFrame, Qt::LeftButton);
  EXPECT_TRUE(w.mnuFrame->isVisible());
  EXPECT_EQ(w.mnuFrame->pos(), w.CmdFrame->mapToGlobal(QPoint(w.CmdFrame->width(), 0)));
  w.mnuFrame->hide();
  QTest::mouseClick(w.CmdSubframe, Qt::LeftButton);
  EXPECT_TRUE(w.mnuSubframe->isVisible());
  w.mnuSubframe->hide();
}

}  // namespace
}  // namespace quilmark::test
