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
  auto shown = [&w, this] {
    return QString("%1.%2 %3 w%4 x%5%6")
        .arg(w.State().CurrentFrame)
        .arg(w.State().CurrentSubframe)
        .arg(QString(Slider("ScrollSubframes")->isEnabled() ? "on" : "off"), Box("TxtWidth")->text(),
             Box("TxtXPos")->text(), QString(Find<QCheckBox>(w, "chkCompressed")->isChecked() ? " compressed" : ""));
  };
  for (const auto& [frame, subframe, expected] :
       {std::tuple{2, 0, "2.1 on w6 x2"}, {2, 2, "2.2 on w8 x7 compressed"}, {3, 0, "3.1 off w3 x1"},
        {1, 0, "1.0 off w10 x5"}}) {
    Slider("ScrollFrames")->setValue(frame);
    if (subframe) Slider("ScrollSubframes")->setValue(subframe);
    EXPECT_EQ(shown(), expected);
  }
  EXPECT_EQ(QStringList({Props(1), Props(2), Props(2, 2)}), QStringList({"5,5 fps3", "1,1 fps4 c", "7,3 fps6 c"}));
}

TEST_F(FrameEditing, TypedValuesAreReadClampedAndShown) {
  FrmQuilmark& w = *window;
  classGAFFrame& f = FrameAt(1);
  auto stored = [&f] { return QList<int>({f.PositionX(), f.PositionY(), f.FPS}); };  // as the boxes
  for (const auto& [box, text, field, expected] :
       {std::tuple{Box("TxtXPos"), "5000", 0, 1024}, {Box("TxtXPos"), "1E400", 0, 0}, {Box("TxtYPos"), "12abc", 1, 12},
        {Box("TxtYPos"), "-5000", 1, -1024}, {Box("TxtFPS"), "40000", 2, 32000}, {Box("TxtFPS"), "3.5", 2, 4}}) {
    Type(box, "7");
    Type(box, text);
    EXPECT_EQ(stored()[field], expected) << text;
    EXPECT_EQ(box->text(), QString::number(expected)) << text;
  }
  // The picture follows: origin (0, 0) on the view's centre (its 319 rows
  // have their middle at 159.5, shown at 160); pixel 0 holds 9, painted 255.
  Type(Box("TxtYPos"), "0");
  const int cx = Find<FrameView>(w, "PicFrame")->width() / 2, cy = 160;
  EXPECT_EQ(ViewPixel(cx, cy), TestColour(255));
  EXPECT_EQ(ViewPixel(cx + 1, cy), TestColour(20));
  EXPECT_EQ(ViewPixel(cx - 1, cy + 1), TestColour(255));
  // Centred in view: the 10 x 10 image's middle goes there instead.
  Find<QAction>(w, "mnuViewCenter")->trigger();
  EXPECT_EQ(ViewPixel(cx, cy), TestColour(20));
  EXPECT_EQ(ViewPixel(cx - 6, cy), TestColour(255));
  EXPECT_EQ(ViewPixel(cx + 6, cy), TestColour(255));
}

TEST_F(FrameEditing, ArrowsStepAndEditsLandOnTheSubframe) {
  FrmQuilmark& w = *window;
  Slider("ScrollFrames")->setValue(2);
  Slider("ScrollSubframes")->setValue(2);
  QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  QTest::mouseClick(Arrows("ScrollYPos")->DownButton(), Qt::LeftButton);
  EXPECT_EQ(Box("TxtXPos")->text(), "8");
  EXPECT_EQ(Props(2, 2), "8,2 fps6 c");
  // Frame rate steps by 100 from the number shown: a number typed and not yet
  // left is applied first.
  Type(Box("TxtFPS"), "250", false);
  QTest::mouseClick(Arrows("ScrollFPS")->UpButton(), Qt::LeftButton);
  QTest::mouseClick(Find<QCheckBox>(w, "chkCompressed"), Qt::LeftButton);
  Type(Box("TxtXPos"), "-20");
  EXPECT_EQ(Props(2, 2), "-20,2 fps350");
  // The frame and the other subframe are untouched.
  EXPECT_EQ(Props(2), "1,1 fps4 c");
  EXPECT_EQ(Props(2, 1), "2,2 fps5");
}

TEST_F(FrameEditing, EditsCompareWithTheShownImageNotWithTheLastOne) {
  auto click = [](UpDown* upDown, int direction) {
    QTest::mouseClick(direction > 0 ? upDown->UpButton() : upDown->DownButton(), Qt::LeftButton);
  };
  // 105 typed on frame 1; frame 2 shows its subframe's 5, one step up is 105
  // again, and it is stored.
  Type(Box("TxtFPS"), "105");
  Slider("ScrollFrames")->setValue(2);
  ASSERT_EQ(Box("TxtFPS")->text(), "5");
  click(Arrows("ScrollFPS"), 1);
  EXPECT_EQ(FrameAt(2, 1).FPS, 105);
  // The same value typed on the next image is stored too.
  Slider("ScrollSubframes")->setValue(2);
  Type(Box("TxtFPS"), "105");
  EXPECT_EQ(FrameAt(2, 2).FPS, 105);
  EXPECT_EQ(Box("TxtFPS")->text(), "105");
  // X and Y of an image stored beyond the boxes' limits: a step goes to the
  // nearest limit, from either side; passing through the box changes nothing.
  ASSERT_TRUE(FrameAt(3, 1).SetPositionX(2000) && FrameAt(3, 1).SetPositionY(-3000));
  Slider("ScrollFrames")->setValue(3);
  ASSERT_EQ(Box("TxtXPos")->text() + " " + Box("TxtYPos")->text(), "2000 -3000");
  Box("TxtXPos")->setFocus();
  List()->setFocus();
  EXPECT_EQ(Props(3, 1), "2000,-3000 fps7");
  click(Arrows("ScrollXPos"), -1);
  click(Arrows("ScrollYPos"), 1);
  EXPECT_EQ(Props(3, 1), "1024,-1024 fps7");
  EXPECT_EQ(Box("TxtXPos")->text() + " " + Box("TxtYPos")->text(), "1024 -1024");
  ASSERT_TRUE(FrameAt(3, 1).SetPositionX(-2000));
  Slider("ScrollFrames")->setValue(1);
  Slider("ScrollFrames")->setValue(3);
  Type(Box("TxtXPos"), "-1024");  // what the up-down held last; the image holds -2000
  EXPECT_EQ(FrameAt(3, 1).PositionX(), -1024);
}

TEST_F(FrameEditing, ATypedNumberIsAppliedBeforeWhateverComesNext) {
  FrmQuilmark& w = *window;
  // Before an arrow click on its own up-down.
  Type(Box("TxtXPos"), "200", false);
  QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  EXPECT_EQ(Props(1), "201,5 fps3");
  // A click on the picture or on the pane leaves the box.
  Type(Box("TxtYPos"), "-40", false);
  QTest::mouseClick(Find<FrameView>(w, "PicFrame"), Qt::LeftButton);
  EXPECT_EQ(Props(1), "201,-40 fps3");
  Type(Box("TxtFPS"), "900", false);
  QTest::mouseClick(Find<QWidget>(w, "PicView"), Qt::LeftButton, {},
                    QPoint(2, Find<QWidget>(w, "PicView")->height() - 2));
  EXPECT_EQ(Props(1), "201,-40 fps900");
  // Before a frame change that takes no focus, on the image it was typed for.
  Type(Box("TxtXPos"), "33", false);
  Slider("ScrollFrames")->setValue(2);
  EXPECT_EQ(Props(1), "33,-40 fps900");
  EXPECT_EQ(Props(2, 1), "2,2 fps5");
  // Before a save through the menu's key, into the saved file.
  Type(Box("TxtYPos"), "77", false);
  answer = TempFolder("typed") + "/typed.gaf";
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(Box("TxtYPos"), Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(asked.size(), 1);
  classGAF saved;
  ASSERT_TRUE(saved.Load(answer.toStdString()).complete);
  EXPECT_EQ(saved.Animations.Item(1)->Frames.Item(2)->Subframes.Item(1)->PositionY(), 77);
  EXPECT_EQ(Box("TxtYPos")->text(), "77");
}

TEST_F(FrameEditing, TheFrameButtonPopsItsMenuUpAtItsTopRightCorner) {
  FrmQuilmark& w = *window;
  QTest::mouseClick(Find<QPushButton>(w, "CmdFrame"), Qt::LeftButton);
  EXPECT_TRUE(Find<QMenu>(w, "mnuFrame")->isVisible());
  EXPECT_EQ(Find<QMenu>(w, "mnuFrame")->pos(),
            Find<QPushButton>(w, "CmdFrame")->mapToGlobal(QPoint(Find<QPushButton>(w, "CmdFrame")->width(), 0)));
  Find<QMenu>(w, "mnuFrame")->hide();
}

}  // namespace
}  // namespace quilmark::test
