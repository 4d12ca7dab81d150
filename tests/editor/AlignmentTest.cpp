// The frame view as an aligning workspace: scrolling and panning over a large
// image, zoom about the pointer, reduced zooms and zoom to fit.
#include <QScrollBar>
#include <QWheelEvent>

#include "EditorTestSupport.h"
#include "dialogs/FrmShift.h"
#include "display/qt/FrmPreview.h"

namespace quilmark::test {
namespace {

// Whether two colours differ by at most slack in each channel.
bool Near(QRgb a, QRgb b, int slack) {
  return std::abs(qRed(a) - qRed(b)) <= slack && std::abs(qGreen(a) - qGreen(b)) <= slack &&
         std::abs(qBlue(a) - qBlue(b)) <= slack;
}

// The rectangle of the picture showing colour (a mixed colour may be off by
// slack in a channel from its exact mix).
QRect Where(const QImage& picture, QRgb colour, int slack = 0) {
  QRect box;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (Near(picture.pixel(x, y), colour, slack)) box |= QRect(x, y, 1, 1);
  return box;
}

class Alignment : public DocumentTest {
 protected:
  // A 700 x 500 frame with its origin at its top-left corner: index 20, each
  // corner pixel its own index (201 top-left, 202 top-right, 203 bottom-left,
  // 204 bottom-right), and a 4 x 4 block of 77 at (40, 30).
  void ShowLargeFrame() {
    auto frame = MakeFrame(700, 500, 0, 0, 20);
    frame->Pixels[0] = 201;
    frame->Pixels[699] = 202;
    frame->Pixels[499 * 700] = 203;
    frame->Pixels[499 * 700 + 699] = 204;
    for (int y = 30; y < 34; ++y)
      for (int x = 40; x < 44; ++x) frame->Pixels[size_t(y * 700 + x)] = 77;
    auto animation = doc->Animations.Item(1);
    animation->Frames.Clear();
    animation->Frames.Add(frame);
    window->ResetView();
  }
  // Three 4 x 4 frames of 30, 40 and 50: the first left of the origin, the
  // second, shown, at it, the third right of it.
  void ShowThreeFrames() {
    const auto animation = doc->Animations.Item(1);
    animation->Frames.Clear();
    for (const auto& [x, index] : {std::pair{20, 30}, {0, 40}, {-20, 50}})
      animation->Frames.Add(MakeFrame(4, 4, x, 0, index));
    window->ResetView();
    Slider("ScrollFrames")->setValue(2);
  }
  FrameView* View() { return Find<FrameView>(*window, "PicFrame"); }
  QScrollBar* Bar(const char* name) { return Find<QScrollBar>(*window, name); }
  QImage Shown() { return View()->grab().toImage(); }
  void Wheel(QPoint at, QPoint turn, Qt::KeyboardModifiers modifiers) {
    QWheelEvent wheel(at, View()->mapToGlobal(QPointF(at)), QPoint(), turn, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(View(), &wheel);
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), View()->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(View(), &event);
  }
};

TEST_F(Alignment, ScrollBarsWheelAndPanReachEveryCornerOfALargeImageAt8x) {
  ShowLargeFrame();
  QScrollBar *across = Bar("PicScrollAcross"), *down = Bar("PicScrollDown");
  View()->SetZoom(8);
  ASSERT_TRUE(across->isVisible() && down->isVisible());
  // Each corner pixel shows whole (8 x 8), a quarter of the view from the
  // view's far edge, when the bars are at that end.
  const QSize view = View()->size();
  const struct {
    bool right, bottom;
    QRgb colour;
  } corners[] = {{false, false, TestColour(201)},
                 {true, false, TestColour(202)},
                 {false, true, TestColour(203)},
                 {true, true, TestColour(204)}};
  for (const auto& corner : corners) {
    across->setValue(corner.right ? across->maximum() : across->minimum());
    down->setValue(corner.bottom ? down->maximum() : down->minimum());
    const QRect at = Where(Shown(), corner.colour);
    EXPECT_EQ(at.size(), QSize(8, 8)) << corner.right << corner.bottom;
    EXPECT_EQ(corner.right ? at.right() + 1 : view.width() - at.left(), view.width() / 4) << at.x();
    EXPECT_EQ(corner.bottom ? at.bottom() + 1 : view.height() - at.top(), view.height() / 4) << at.y();
  }
  // The wheel scrolls down, Shift+wheel across; a middle-button drag and a
  // drag with Space held pull the picture along with the pointer.
  across->setValue(1000);
  down->setValue(1000);
  Wheel(QPoint(50, 50), QPoint(0, -120), Qt::NoModifier);
  EXPECT_EQ(std::pair(across->value(), down->value()), std::pair(1000, 1048));
  Wheel(QPoint(50, 50), QPoint(0, 240), Qt::ShiftModifier);
  EXPECT_EQ(std::pair(across->value(), down->value()), std::pair(904, 1048));
  Mouse(QEvent::MouseButtonPress, QPoint(100, 100), Qt::MiddleButton, Qt::MiddleButton);
  Mouse(QEvent::MouseMove, QPoint(60, 130), Qt::NoButton, Qt::MiddleButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(60, 130), Qt::MiddleButton, Qt::NoButton);
  EXPECT_EQ(std::pair(across->value(), down->value()), std::pair(944, 1018));
  View()->setFocus();
  QTest::keyPress(View(), Qt::Key_Space);
  Mouse(QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, QPoint(110, 90), Qt::NoButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(110, 90), Qt::LeftButton, Qt::NoButton);
  QTest::keyRelease(View(), Qt::Key_Space);
  EXPECT_EQ(std::pair(across->value(), down->value()), std::pair(934, 1028));
  // What is scrolled to stays while another zoom is chosen by key: the
  // view's middle keeps its pixel.
  const QRgb middle = Shown().pixel(view.width() / 2, view.height() / 2);
  QTest::keyClick(window.get(), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(Shown().pixel(View()->width() / 2, View()->height() / 2), middle);
}

TEST_F(Alignment, TheWheelZoomsAboutThePointerDownToAQuarterAndFitShowsTheWholeImage) {
  ShowLargeFrame();
  View()->SetZoom(2);
  // The pointer on the marked block: each Ctrl+wheel step, in and out to a
  // half, leaves the block under it while the picture is larger than the view.
  const QPoint pointer = Where(Shown(), TestColour(77)).center();
  for (const auto& [turn, zoom] : {std::pair{120, 300}, {120, 400}, {-360, 100}, {-120, 50}}) {
    Wheel(pointer, QPoint(0, turn), Qt::ControlModifier);
    ASSERT_EQ(View()->ZoomPercent(), zoom);
    const QRect block = Where(Shown(), TestColour(77));
    EXPECT_TRUE(block.adjusted(-1, -1, 1, 1).contains(pointer)) << zoom << ": " << block.x() << "," << block.y();
  }
  // Halved and quartered, every second or fourth pixel shows: the 4 x 4
  // block is 2 x 2, then 1 x 1.
  EXPECT_EQ(Where(Shown(), TestColour(77)).size(), QSize(2, 2));
  Wheel(pointer, QPoint(0, -120), Qt::ControlModifier);
  EXPECT_EQ(Where(Shown(), TestColour(77)).size(), QSize(1, 1));
  // Fit: the largest step at which the whole image shows, all of it in view.
  Find<QAction>(*window, "ZoomFit")->trigger();
  EXPECT_EQ(View()->ZoomPercent(), 25);
  const QRect whole = Where(Shown(), TestColour(20)) | Where(Shown(), TestColour(201));
  EXPECT_EQ(whole.size(), QSize(175, 125));
  EXPECT_TRUE(View()->rect().contains(whole));
  // A small image fits enlarged.
  auto small = MakeFrame(10, 10, 5, 5, 20);
  doc->Animations.Item(1)->Frames.Add(small);
  Find<QSlider>(*window, "ScrollFrames")->setValue(2);
  Find<QAction>(*window, "ZoomFit")->trigger();
  EXPECT_EQ(View()->ZoomPercent(), 1600);
  EXPECT_EQ(Where(Shown(), TestColour(20)).size(), QSize(160, 160));
}

TEST_F(Alignment, ADragAndArrowKeysMoveTheShownImageLiveAsOneStepEachWithinTheLimits) {
  const auto position = [this] {
    const FramePtr image = window->State().GetSelectedFrame();
    return std::pair(image->PositionX(), image->PositionY());
  };
  // alpha's first frame, 10 x 10 with its origin at (5, 5).
  View()->SetZoom(2);
  ASSERT_EQ(position(), std::pair(5, 5));
  // 10 screen pixels right and 6 up at 2x: the image moves 5 right and 3 up,
  // while the drag goes on.
  Mouse(QEvent::MouseButtonPress, QPoint(100, 100), Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, QPoint(104, 100), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(position(), std::pair(3, 5));
  Mouse(QEvent::MouseMove, QPoint(110, 94), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(position(), std::pair(0, 8));
  Mouse(QEvent::MouseButtonRelease, QPoint(110, 94), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Box("TxtXPos")->text() + " " + Box("TxtYPos")->text(), "0 8");
  EXPECT_EQ(window->Document().History().count(), 1);
  window->mnuEditUndo_Click();
  EXPECT_EQ(position(), std::pair(5, 5));
  // Arrows nudge by one, with Shift by eight; a run of nudges is one step.
  View()->setFocus();
  for (const auto& [key, modifiers] : {std::pair{Qt::Key_Right, Qt::NoModifier},
                                       {Qt::Key_Right, Qt::NoModifier},
                                       {Qt::Key_Down, Qt::ShiftModifier},
                                       {Qt::Key_Left, Qt::NoModifier}})
    QTest::keyClick(View(), key, modifiers);
  EXPECT_EQ(position(), std::pair(4, -3));
  window->mnuEditUndo_Click();
  EXPECT_EQ(position(), std::pair(5, 5));
  // A move stops at the limit it would pass; a position beyond it moves only
  // back towards it.
  ASSERT_TRUE(window->State().GetSelectedFrame()->SetPositionX(-1020));
  ASSERT_TRUE(window->State().GetSelectedFrame()->SetPositionY(2000));
  QTest::keyClick(View(), Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(View(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(position(), std::pair(-1024, 1992));
  QTest::keyClick(View(), Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(position(), std::pair(-1024, 1992));
}

TEST_F(Alignment, ShiftAllFramesMovesEveryFrameOrSubframeAsOneStepByteForByte) {
  const auto save = [this](const char* name) {
    const QString path = TempFolder("shift") + "/" + name;
    EXPECT_TRUE(doc->Save(Bytes(path)));
    return FileBytes(path);
  };
  const auto positions = [](const Collection<classGAFFrame>& images) {
    std::vector<std::pair<int, int>> all;
    for (const FramePtr& image : images) all.emplace_back(image->PositionX(), image->PositionY());
    return all;
  };
  const QByteArray before = save("before.gaf");
  const auto shift = [](int across, int down) {
    WhenModal("FrmShift", [=](QWidget* w) {
      w->findChild<QSpinBox*>("ShiftAcross")->setValue(across);
      w->findChild<QSpinBox*>("ShiftDown")->setValue(down);
      static_cast<QDialog*>(w)->accept();
    });
  };
  // Every frame of alpha moves 3 right and 2 up.
  shift(3, -2);
  window->mnuImagesShiftAll_Click();
  const AnimationPtr alpha = doc->Animations.Item(1);
  EXPECT_EQ(positions(alpha->Frames), (std::vector<std::pair<int, int>>{{2, 7}, {-2, 3}, {-3, 2}}));
  EXPECT_EQ(Find<QAction>(*window, "mnuEditUndo")->text(), "&Undo Shift All Frames");
  const QByteArray shifted = save("shifted.gaf");
  window->mnuEditUndo_Click();
  EXPECT_EQ(save("undone.gaf"), before);
  window->mnuEditRedo_Click();
  EXPECT_EQ(save("redone.gaf"), shifted);
  // A subframe shown: the frame's subframes move, the frames stay.
  Slider("ScrollFrames")->setValue(2);
  Slider("ScrollSubframes")->setValue(2);
  shift(-1, 0);
  window->mnuImagesShiftAll_Click();
  EXPECT_EQ(positions(alpha->Frames.Item(2)->Subframes), (std::vector<std::pair<int, int>>{{3, 2}, {8, 3}}));
  EXPECT_EQ(positions(alpha->Frames), (std::vector<std::pair<int, int>>{{2, 7}, {-2, 3}, {-3, 2}}));
}

// Channel by channel, a over b at weight percent.
QRgb Over(QRgb a, QRgb b, int weight) {
  const auto channel = [&](int (*part)(QRgb)) { return part(b) + (part(a) - part(b)) * weight / 100; };
  return qRgb(channel(qRed), channel(qGreen), channel(qBlue));
}

TEST_F(Alignment, OriginGridAndCheckerboardArePaintedOverTheImageWhereTheyBelong) {
  // A 10 x 10 frame of 20 with its origin at (5, 5) and pixel (0, 0) clear.
  auto frame = MakeFrame(10, 10, 5, 5, 20);
  frame->Pixels[0] = 9;
  doc->Animations.Item(1)->Frames.Clear();
  doc->Animations.Item(1)->Frames.Add(frame);
  window->ResetView();
  View()->SetZoom(4);
  // At 4x the image is 40 x 40 view pixels, its origin 20 in from its corner.
  ASSERT_EQ(Where(Shown(), TestColour(20)).size(), QSize(40, 40));
  const QPoint origin = Where(Shown(), TestColour(20)).topLeft() + QPoint(20, 20);
  for (const char* name : {"mnuViewOrigin", "mnuViewGrid", "mnuViewChecker"}) Find<QAction>(*window, name)->trigger();
  const QImage shown = Shown();
  // The crosshair: black and white dashes of 4 along the origin's row and
  // column, across the whole view.
  for (int y : {0, 3, 4, 7, View()->height() - 1})
    EXPECT_EQ(shown.pixel(origin.x(), y) | 0xff000000u, (y >> 2) & 1 ? 0xffffffffu : 0xff000000u) << y;
  EXPECT_EQ(shown.pixel(0, origin.y()) | 0xff000000u, 0xff000000u);
  // The grid: a line every 4 view pixels from the origin, mixed over the image.
  const QPoint inside = origin + QPoint(6, 6);  // within an image pixel
  EXPECT_EQ(shown.pixel(inside) | 0xff000000u, TestColour(20));
  EXPECT_TRUE(Near(shown.pixel(origin + QPoint(8, 6)), Over(qRgb(128, 128, 128), TestColour(20), 35), 1));
  // The checkerboard under the clear pixel, the image's top-left 4 x 4.
  const QRgb clear = shown.pixel(origin - QPoint(20 - 1, 20 - 1)) | 0xff000000u;
  EXPECT_TRUE(clear == qRgb(0xc8, 0xc8, 0xc8) || clear == qRgb(0xe8, 0xe8, 0xe8)) << std::hex << clear;
}

TEST_F(Alignment, OnionSkinDrawsTheNeighboursTintedAtTheirOwnPlacesAndAReferenceUnderEveryFrame) {
  ShowThreeFrames();
  const QPoint origin = Where(Shown(), TestColour(40)).topLeft();
  EXPECT_TRUE(Where(Shown(), TestColour(30)).isEmpty());
  Find<QAction>(*window, "mnuViewOnion")->trigger();
  const QRgb background = TestColour(255);
  // Before in red, after in blue, half tint each, at 40% over the background.
  const QRgb before = Over(Over(qRgb(0xff, 0x40, 0x40), TestColour(30), 50), background, 40);
  const QRgb after = Over(Over(qRgb(0x40, 0x80, 0xff), TestColour(50), 50), background, 40);
  EXPECT_EQ(Where(Shown(), before, 2), QRect(origin - QPoint(20, 0), QSize(4, 4)));
  EXPECT_EQ(Where(Shown(), after, 2), QRect(origin + QPoint(20, 0), QSize(4, 4)));
  EXPECT_EQ(Where(Shown(), TestColour(40)), QRect(origin, QSize(4, 4)));
  // F3 switches it off; the first frame pinned as reference shows under the
  // third, in green.
  QTest::keyClick(window.get(), Qt::Key_F3);
  EXPECT_TRUE(Where(Shown(), before, 2).isEmpty());
  Slider("ScrollFrames")->setValue(1);
  Find<QAction>(*window, "mnuFramePin")->trigger();
  Slider("ScrollFrames")->setValue(3);
  const QRgb reference = Over(Over(qRgb(0x40, 0xc0, 0x60), TestColour(30), 50), background, 40);
  EXPECT_EQ(Where(Shown(), reference, 2), QRect(origin - QPoint(20, 0), QSize(4, 4)));
}

TEST_F(Alignment, OnionSettingsAndTheViewSwitchesLastToTheNextStart) {
  ShowThreeFrames();
  Find<QAction>(*window, "mnuViewOnion")->trigger();
  Find<QAction>(*window, "mnuViewOrigin")->trigger();
  const QRect previous = Where(Shown(), TestColour(40)).translated(-20, 0);
  EXPECT_FALSE(Near(Shown().pixel(previous.center()), TestColour(255), 2));
  // No frame before: the previous frame is gone, the next stays.
  WhenModal("FrmOnion", [](QWidget* w) {
    w->findChild<QSpinBox*>("OnionBefore")->setValue(0);
    static_cast<QDialog*>(w)->accept();
  });
  Find<QAction>(*window, "mnuViewOnionSettings")->trigger();
  EXPECT_TRUE(Near(Shown().pixel(previous.center()), TestColour(255), 0));
  EXPECT_FALSE(Near(Shown().pixel(previous.center() + QPoint(40, 0)), TestColour(255), 2));
  window->Document().History().setClean();
  window->close();
  Start();
  EXPECT_TRUE(Find<QAction>(*window, "mnuViewOnion")->isChecked() &&
              Find<QAction>(*window, "mnuViewOrigin")->isChecked());
  EXPECT_FALSE(Find<QAction>(*window, "mnuViewGrid")->isChecked());
  EXPECT_EQ(std::tuple(window->State().View.OnionBefore, window->State().View.OnionAfter), std::tuple(0, 1));
}

TEST_F(Alignment, TheSlidersShowTheirNumbersAndTheStatusBarWhatIsUnderThePointer) {
  const auto numbers = [this] {
    return Find<QLabel>(*window, "LblFrameNumber")->text() + "|" + Find<QLabel>(*window, "LblSubframeNumber")->text();
  };
  EXPECT_EQ(numbers(), "Frame 1 of 3|");
  Slider("ScrollFrames")->setValue(2);
  Slider("ScrollSubframes")->setValue(2);
  EXPECT_EQ(numbers(), "Frame 2 of 3|Subframe 2 of 2");
  // A 10 x 10 frame of 20, its origin at (5, 5), its first pixel 77.
  auto frame = MakeFrame(10, 10, 5, 5, 20);
  frame->Pixels[0] = 77;
  doc->Animations.Item(1)->Frames.Clear();
  doc->Animations.Item(1)->Frames.Add(frame);
  window->ResetView();
  View()->SetZoom(2);
  const QPoint corner = Where(Shown(), TestColour(77)).topLeft();
  const auto under = [&](QPoint at) {
    Mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    return Find<QLabel>(*window, "StatusPointer")->text();
  };
  EXPECT_EQ(under(corner + QPoint(1, 1)), QString::fromUtf8("x \u22125, y \u22125: index 77 (77, 178, 38)"));
  EXPECT_EQ(under(corner + QPoint(18, 12)), "x 4, y 1: index 20 (20, 235, 10)");
  EXPECT_EQ(under(corner + QPoint(40, 0)), QString::fromUtf8("x 15, y \u22125"));
}

TEST_F(Alignment, TheComposedFrameIsThePreviewsPicture) {
  // alpha's second frame has two subframes, the second half clear.
  Find<QAction>(*window, "mnuViewComposed")->trigger();
  Slider("ScrollFrames")->setValue(2);
  QPointer<FrmPreview> preview = FrmPreview::Open(doc->Animations.Item(1), window.get());
  ASSERT_TRUE(preview);
  preview->TmrAnimate->stop();
  ASSERT_TRUE(preview->TmrAnimate_Timer() && preview->TmrAnimate_Timer());
  const auto drawn = [](const QImage& picture) {
    QRect box;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x)
        if ((picture.pixel(x, y) | 0xff000000u) != TestColour(255)) box |= QRect(x, y, 1, 1);
    return picture.copy(box).convertToFormat(QImage::Format_RGB32);
  };
  const QImage composed = drawn(Shown()), previewed = drawn(preview->Canvas->Picture());
  ASSERT_FALSE(composed.isNull());
  EXPECT_EQ(composed.size(), previewed.size());
  EXPECT_EQ(composed, previewed);
  preview->close();
}

}  // namespace
}  // namespace quilmark::test
