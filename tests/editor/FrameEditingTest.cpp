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
  // Types into a text box and moves the focus away.
  void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    window->ListGAF->setFocus();
    QApplication::processEvents();
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
  // Frame rate steps by 100 from the number shown.
  w.TxtFPS->setText("250");
  QTest::mouseClick(w.ScrollFPS->UpButton(), Qt::LeftButton);
  QTest::mouseClick(w.chkCompressed, Qt::LeftButton);
  Type(w.TxtXPos, "-20");
  EXPECT_EQ(Props(2, 2), "-20,2 fps350");
  // The frame and the other subframe are untouched.
  EXPECT_EQ(Props(2), "1,1 fps4 c");
  EXPECT_EQ(Props(2, 1), "2,2 fps5");
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
