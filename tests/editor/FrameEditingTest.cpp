#include "EditorTestSupport.h"

namespace quilmark::test {
namespace {

class FrameEditing : public DocumentTest {
 protected:
  classGAFFrame& FrameAt(int i, int s = 0) {
    classGAFFrame& f = *doc->Animations.Item(1)->Frames.Item(i);
    return s ? *f.Subframes.Item(s) : f;
  }
  // A frame's position, frame rate and compressed flag.
  QString Props(int i, int s = 0) {
    const classGAFFrame& f = FrameAt(i, s);
    return QString("%1,%2 fps%3%4").arg(f.PositionX()).arg(f.PositionY()).arg(f.FPS).arg(f.Compressed() ? " c" : "");
  }
};

TEST_F(FrameEditing, SlidersBrowseFramesAndSubframesWithoutMovingThem) {
  FrmQuilmark& w = *window;
  // What is shown: frame.subframe, the subframe slider, width, x, compressed.
  auto shown = [&w] {
    return QString("%1.%2 %3 w%4 x%5%6")
        .arg(w.State().CurrentFrame)
        .arg(w.State().CurrentSubframe)
        .arg(QString(w.ScrollSubframes->isEnabled() ? "on" : "off"), w.TxtWidth->text(), w.TxtXPos->text(),
             QString(w.chkCompressed->isChecked() ? " compressed" : ""));
  };
  for (const auto& [frame, subframe, expected] :
       {std::tuple{2, 0, "2.1 on w6 x2"}, {2, 2, "2.2 on w8 x7 compressed"}, {3, 0, "3.1 off w3 x1"},
        {1, 0, "1.0 off w10 x5"}}) {
    w.ScrollFrames->setValue(frame);
    if (subframe) w.ScrollSubframes->setValue(subframe);
    EXPECT_EQ(shown(), expected);
  }
  EXPECT_EQ(QStringList({Props(1), Props(2), Props(2, 2)}), QStringList({"5,5 fps3", "1,1 fps4 c", "7,3 fps6 c"}));
}

TEST_F(FrameEditing, TypedValuesAreReadClampedAndShown) {
  FrmQuilmark& w = *window;
  classGAFFrame& f = FrameAt(1);
  auto stored = [&f] { return QList<int>({f.PositionX(), f.PositionY(), f.FPS}); };  // as the boxes
  for (const auto& [box, text, field, expected] :
       {std::tuple{w.TxtXPos, "5000", 0, 1024}, {w.TxtXPos, "1E400", 0, 0}, {w.TxtYPos, "12abc", 1, 12},
        {w.TxtYPos, "-5000", 1, -1024}, {w.TxtFPS, "40000", 2, 32000}, {w.TxtFPS, "3.5", 2, 4}}) {
    Type(box, "7");
    Type(box, text);
    EXPECT_EQ(stored()[field], expected) << text;
    EXPECT_EQ(box->text(), QString::number(expected)) << text;
  }
  // The picture follows: origin (0, 0) on the view's centre (its 319 rows
  // have their middle at 159.5, shown at 160); pixel 0 holds 9, painted 255.
  Type(w.TxtYPos, "0");
  const int cx = w.PicFrame->width() / 2, cy = 160;
  EXPECT_EQ(ViewPixel(cx, cy), TestColour(255));
  EXPECT_EQ(ViewPixel(cx + 1, cy), TestColour(20));
  EXPECT_EQ(ViewPixel(cx - 1, cy + 1), TestColour(255));
  // Centred in view: the 10 x 10 image's middle goes there instead.
  w.mnuViewCenter->trigger();
  EXPECT_EQ(ViewPixel(cx, cy), TestColour(20));
  EXPECT_EQ(ViewPixel(cx - 6, cy), TestColour(255));
  EXPECT_EQ(ViewPixel(cx + 6, cy), TestColour(255));
}

TEST_F(FrameEditing, ArrowsStepAndEditsLandOnTheSubframe) {
  FrmQuilmark& w = *window;
  w.ScrollFrames->setValue(2);
  w.ScrollSubframes->setValue(2);
  QTest::mouseClick(w.ScrollXPos->UpButton(), Qt::LeftButton);
  QTest::mouseClick(w.ScrollYPos->DownButton(), Qt::LeftButton);
  EXPECT_EQ(w.TxtXPos->text(), "8");
  EXPECT_EQ(Props(2, 2), "8,2 fps6 c");
  // Frame rate steps by 100 from the number shown: a number typed and not yet
  // left is applied first.
  Type(w.TxtFPS, "250", false);
  QTest::mouseClick(w.ScrollFPS->UpButton(), Qt::LeftButton);
  QTest::mouseClick(w.chkCompressed, Qt::LeftButton);
  Type(w.TxtXPos, "-20");
  EXPECT_EQ(Props(2, 2), "-20,2 fps350");
  // The frame and the other subframe are untouched.
  EXPECT_EQ(Props(2), "1,1 fps4 c");
  EXPECT_EQ(Props(2, 1), "2,2 fps5");
}

TEST_F(FrameEditing, EditsCompareWithTheShownImageNotWithTheLastOne) {
  FrmQuilmark& w = *window;
  auto click = [](UpDown* upDown, int direction) {
    QTest::mouseClick(direction > 0 ? upDown->UpButton() : upDown->DownButton(), Qt::LeftButton);
  };
  // 105 typed on frame 1; frame 2 shows its subframe's 5, one step up is 105
  // again, and it is stored.
  Type(w.TxtFPS, "105");
  w.ScrollFrames->setValue(2);
  ASSERT_EQ(w.TxtFPS->text(), "5");
  click(w.ScrollFPS, 1);
  EXPECT_EQ(FrameAt(2, 1).FPS, 105);
  // The same value typed on the next image is stored too.
  w.ScrollSubframes->setValue(2);
  Type(w.TxtFPS, "105");
  EXPECT_EQ(FrameAt(2, 2).FPS, 105);
  EXPECT_EQ(w.TxtFPS->text(), "105");
  // X and Y of an image stored beyond the boxes' limits: a step goes to the
  // nearest limit, from either side; passing through the box changes nothing.
  ASSERT_TRUE(FrameAt(3, 1).SetPositionX(2000) && FrameAt(3, 1).SetPositionY(-3000));
  w.ScrollFrames->setValue(3);
  ASSERT_EQ(w.TxtXPos->text() + " " + w.TxtYPos->text(), "2000 -3000");
  w.TxtXPos->setFocus();
  w.ListGAF->setFocus();
  EXPECT_EQ(Props(3, 1), "2000,-3000 fps7");
  click(w.ScrollXPos, -1);
  click(w.ScrollYPos, 1);
  EXPECT_EQ(Props(3, 1), "1024,-1024 fps7");
  EXPECT_EQ(w.TxtXPos->text() + " " + w.TxtYPos->text(), "1024 -1024");
  ASSERT_TRUE(FrameAt(3, 1).SetPositionX(-2000));
  w.ScrollFrames->setValue(1);
  w.ScrollFrames->setValue(3);
  Type(w.TxtXPos, "-1024");  // what the up-down held last; the image holds -2000
  EXPECT_EQ(FrameAt(3, 1).PositionX(), -1024);
}

TEST_F(FrameEditing, ATypedNumberIsAppliedBeforeWhateverComesNext) {
  FrmQuilmark& w = *window;
  // Before an arrow click on its own up-down.
  Type(w.TxtXPos, "200", false);
  QTest::mouseClick(w.ScrollXPos->UpButton(), Qt::LeftButton);
  EXPECT_EQ(Props(1), "201,5 fps3");
  // A click on the picture or on the pane leaves the box.
  Type(w.TxtYPos, "-40", false);
  QTest::mouseClick(w.PicFrame, Qt::LeftButton);
  EXPECT_EQ(Props(1), "201,-40 fps3");
  Type(w.TxtFPS, "900", false);
  QTest::mouseClick(w.PicView, Qt::LeftButton, {}, QPoint(2, w.PicView->height() - 2));
  EXPECT_EQ(Props(1), "201,-40 fps900");
  // Before a frame change that takes no focus, on the image it was typed for.
  Type(w.TxtXPos, "33", false);
  w.ScrollFrames->setValue(2);
  EXPECT_EQ(Props(1), "33,-40 fps900");
  EXPECT_EQ(Props(2, 1), "2,2 fps5");
  // Before a save through the menu's key, into the saved file.
  Type(w.TxtYPos, "77", false);
  answer = TempFolder("typed") + "/typed.gaf";
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(w.TxtYPos, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(asked.size(), 1);
  classGAF saved;
  ASSERT_TRUE(saved.Load(answer.toStdString()).complete);
  EXPECT_EQ(saved.Animations.Item(1)->Frames.Item(2)->Subframes.Item(1)->PositionY(), 77);
  EXPECT_EQ(w.TxtYPos->text(), "77");
}

TEST_F(FrameEditing, TheFrameButtonPopsItsMenuUpAtItsTopRightCorner) {
  FrmQuilmark& w = *window;
  QTest::mouseClick(w.CmdFrame, Qt::LeftButton);
  EXPECT_TRUE(w.mnuFrame->isVisible());
  EXPECT_EQ(w.mnuFrame->pos(), w.CmdFrame->mapToGlobal(QPoint(w.CmdFrame->width(), 0)));
  w.mnuFrame->hide();
}

}  // namespace
}  // namespace quilmark::test
