// The palette in view: hovering tells an index and its colour, picking one
// highlights its pixels in the frame view and counts them.
#include <QDockWidget>

#include "EditorTestSupport.h"
#include "editor/PaletteView.h"

namespace quilmark::test {
namespace {

class Palette : public DocumentTest {
 protected:
  PaletteGrid* Grid() { return Find<PaletteGrid>(*window, "PaletteGrid"); }
  QString Line() { return Find<QLabel>(*window, "PaletteLine")->text(); }
  // The middle of an index's cell.
  QPoint CellOf(int index) {
    const int cell = (std::min(Grid()->width(), Grid()->height()) - 1) / 16;
    return QPoint(index % 16 * cell + cell / 2, index / 16 * cell + cell / 2);
  }
  void Mouse(QEvent::Type type, int index) {
    const QPointF at(CellOf(index));
    QMouseEvent event(type, at, Grid()->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Grid(), &event);
  }
  // How many view pixels show the colour.
  int Showing(QRgb colour) {
    const QImage picture = Find<FrameView>(*window, "PicFrame")->grab().toImage();
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) n += (picture.pixel(x, y) | 0xff000000u) == colour;
    return n;
  }
};

TEST_F(Palette, HoverTellsTheIndexAndAPickHighlightsAndCountsItsPixels) {
  // alpha's first frame: 99 pixels of 20 and one clear; one more 20 in its third frame.
  doc->Animations.Item(1)->Frames.Item(3)->Pixels[1] = 20;
  EXPECT_FALSE(Find<QDockWidget>(*window, "PaletteDock")->isVisible());
  const int paneWidth = Find<QWidget>(*window, "PicView")->width();
  Find<QAction>(*window, "mnuViewPalette")->trigger();
  ASSERT_TRUE(Find<QDockWidget>(*window, "PaletteDock")->isVisible());
  QApplication::processEvents();
  // The window grew for the dock: the image pane kept its width.
  EXPECT_NEAR(Find<QWidget>(*window, "PicView")->width(), paneWidth, 8);
  Mouse(QEvent::MouseMove, 20);
  EXPECT_EQ(Line(), "Index 20 (20, 235, 10)");
  Mouse(QEvent::MouseMove, 9);
  EXPECT_EQ(Line(), "Index 9 (9, 246, 4), transparent");
  Find<FrameView>(*window, "PicFrame")->SetZoom(4);
  ASSERT_EQ(Showing(TestColour(20)), 99 * 16);
  // Picked: every pixel of 20 stands out in black and white stripes.
  Mouse(QEvent::MouseButtonPress, 20);
  EXPECT_EQ(Line(), "Index 20 (20, 235, 10): 99 pixels in the frame, 100 in the animation");
  EXPECT_EQ(Showing(TestColour(20)), 0);
  EXPECT_EQ(Showing(qRgb(0, 0, 0)) + Showing(qRgb(255, 255, 255)), 99 * 16);
  // Picked again: let go.
  Mouse(QEvent::MouseButtonPress, 20);
  EXPECT_EQ(Line(), "");
  EXPECT_EQ(Showing(TestColour(20)), 99 * 16);
}

}  // namespace
}  // namespace quilmark::test
