// The frame view and the preview on a scaled screen. ctest runs these at the
// scales 1.25, 1.5 and 2 (QT_SCALE_FACTOR), and with the other tests at 1.
// What is checked is the window's device pixels: every image pixel a whole,
// even square of them, the squares edge to edge, and the pointer meeting the
// pixel it is on.
#include <QScreen>
#include <QSet>
#include <QWindow>

#include "EditorTestSupport.h"
#include "dialogs/FrmImportFrame.h"
#include "dialogs/FrmOpenArchive.h"
#include "dialogs/ImportThumbnail.h"
#include "display/FrameDisplay.h"
#include "display/qt/FrmPreview.h"
#include "editor/FramePane.h"
#include "editor/FrameStrip.h"
#include "images/modBmp.h"

namespace quilmark::test {
namespace {

// The scale the test was started at.
double Scale() {
  bool ok = false;
  const double scale = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&ok);
  return ok ? scale : 1;
}

// A 7 x 5 image with its origin at (3, 2), each pixel its own index from 100,
// so that each pixel's square can be told from its neighbours'.
constexpr int kWidth = 7, kHeight = 5, kFirst = 100;
FramePtr PatternFrame() {
  FramePtr frame = MakeFrame(kWidth, kHeight, 3, 2, 0);
  for (int i = 0; i < kWidth * kHeight; ++i) frame->Pixels[static_cast<size_t>(i)] = uint8_t(kFirst + i);
  return frame;
}
QRgb PatternColour(int x, int y) { return TestColour(kFirst + y * kWidth + x); }

// Where shot shows the pattern, each pixel a times x times square: the device
// pixel the pattern's corner is on. Fails unless every square is whole and
// even, the squares lie edge to edge, and nothing else shows their colours.
// times 0: squares of whatever side the pattern shows at.
::testing::AssertionResult ShowsInSquares(const QImage& shot, int times, QPoint* corner = nullptr) {
  QSet<QRgb> colours;
  for (int i = 0; i < kWidth * kHeight; ++i) colours.insert(TestColour(kFirst + i));
  QRect all;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x)
      if (colours.contains(shot.pixel(x, y) | 0xff000000u)) all |= QRect(x, y, 1, 1);
  if (times == 0) times = std::max(1, all.width() / kWidth);
  if (all.size() != QSize(kWidth, kHeight) * times)
    return ::testing::AssertionFailure() << "the pattern covers " << all.width() << " x " << all.height()
                                         << " device pixels at " << times << " times";
  for (int y = 0; y < all.height(); ++y)
    for (int x = 0; x < all.width(); ++x)
      if ((shot.pixel(all.x() + x, all.y() + y) | 0xff000000u) != PatternColour(x / times, y / times))
        return ::testing::AssertionFailure() << "device pixel (" << x << ", " << y << ") of the pattern is not pixel ("
                                             << x / times << ", " << y / times << ")'s";
  if (corner) *corner = all.topLeft();
  return ::testing::AssertionSuccess();
}

class HiDpi : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    auto animation = doc->Animations.Item(1);
    animation->Frames.Clear();
    animation->Frames.Add(PatternFrame());
    window->ResetView();
  }
  FrameView* View() { return Find<FrameView>(*window, "PicFrame"); }
  // A mouse event at a point of the view, given straight to the area that
  // takes it: an event passed on from the view would have its point rounded
  // to a whole view pixel, which a screen's own events are not.
  void Mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
    auto* area = Find<PictureArea>(*window, "PicArea");
    QMouseEvent event(type, View()->mapTo(area, at), View()->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(area, &event);
  }
  // The window's device pixels under the view (the strip shows the pattern
  // too), from one before its edges to one beyond.
  QImage InWindow() {
    const double ratio = View()->devicePixelRatioF();
    const QRectF view(QPointF(View()->mapTo(window.get(), QPoint(0, 0))) * ratio, QSizeF(View()->size()) * ratio);
    return window->grab().toImage().copy(view.toAlignedRect().adjusted(-1, -1, 1, 1));
  }
  // The middle of device pixel at of the view, as a point of the view.
  QPointF ViewPoint(QPoint at) { return (QPointF(at) + QPointF(0.5, 0.5)) / View()->devicePixelRatioF(); }
};

TEST_F(HiDpi, EveryZoomShowsEachPixelAsAWholeSquareOfDevicePixelsPlainAndComposed) {
  ASSERT_DOUBLE_EQ(View()->devicePixelRatioF(), Scale());
  for (const bool composed : {false, true}) {
    // The checkerboard has the picture composed in colours; without it the
    // surface is stretched into the picture.
    window->State().View.Checkerboard = composed;
    for (const int zoom : {100, 200, 300, 400, 800}) {
      View()->SetZoomPercent(zoom);
      window->ResetView();
      const int times = View()->DeviceZoom();
      EXPECT_EQ(times * 100, DeviceZoom(zoom, Scale()));
      // In the window as the screen gets it, the view's offset included, and
      // in the view alone.
      EXPECT_TRUE(ShowsInSquares(InWindow(), times)) << zoom << "% composed " << composed;
      EXPECT_TRUE(ShowsInSquares(View()->grab().toImage(), times)) << zoom << "% composed " << composed;
    }
  }
}

TEST_F(HiDpi, ThePointerMeetsThePixelItIsOnAndADragCarriesThatPixelAlong) {
  QString pointer;
  QObject::connect(Find<FramePane>(*window, "PicView"), &FramePane::PointerInfo,
                   [&](const QString& text) { pointer = text; });
  View()->SetZoomPercent(300);
  const int times = View()->DeviceZoom();
  QPoint corner;
  ASSERT_TRUE(ShowsInSquares(View()->grab().toImage(), times, &corner));
  // Over the last device pixel of pixel (4, 1)'s square: x 1, y −1 from the
  // origin at (3, 2), index 100 + 7 + 4.
  const QPoint last = corner + QPoint(5 * times - 1, 2 * times - 1);
  Mouse(QEvent::MouseMove, ViewPoint(last), Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(pointer, QString::fromUtf8("x 1, y \u22121: index 111 (111, 144, 55)"));
  // A drag of 13 x 8 device pixels from pixel (2, 3)'s first device pixel:
  // whole image pixels follow, so that pixel's square still holds the pointer
  // or lies less than one square behind it.
  const QPoint from = corner + QPoint(2 * times, 3 * times), to = from + QPoint(13, 8);
  Mouse(QEvent::MouseButtonPress, ViewPoint(from), Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, ViewPoint(to), Qt::NoButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, ViewPoint(to), Qt::LeftButton, Qt::NoButton);
  const FramePtr image = window->State().GetSelectedFrame();
  EXPECT_EQ(std::pair(image->PositionX(), image->PositionY()), std::pair(3 - 13 / times, 2 - 8 / times));
  ASSERT_TRUE(ShowsInSquares(View()->grab().toImage(), times, &corner));
  const QPoint square = corner + QPoint(2 * times, 3 * times);
  EXPECT_TRUE(QRect(square, QSize(2 * times, 2 * times)).contains(to)) << square.x() << "," << square.y();
}

TEST_F(HiDpi, TheStripsThumbnailIsMadeOnTheScreensPixelsFillingItsBox) {
  const QImage shot = Strip()->viewport()->grab().toImage();
  // The 7 x 5 pattern scaled by whole steps to fit a box 40 view pixels wide.
  const int box = int(FrameStrip::kThumbnail * Scale()), times = box / kWidth;
  EXPECT_TRUE(ShowsInSquares(shot, times));
}

TEST_F(HiDpi, TheImportAndArchiveDialogsThumbnailsAreMadeOnTheScreensPixels) {
  const QString folder = TempFolder("hidpi"), file = folder + "/pattern.bmp";
  ASSERT_TRUE(WriteBMP(Bytes(file), PatternFrame()->Pixels, GamePalette, kWidth, kHeight, true));
  FrmImportFrame import(window.get(), Bytes(folder));
  import.show();
  auto* thumbnail = import.findChild<ImportThumbnail*>();
  // An area 149 view pixels wide: the pattern 21 times, which is no whole
  // number of device pixels at 1.25 or 1.5.
  thumbnail->resize(149 + thumbnail->width() - thumbnail->contentsRect().width(), 200);
  thumbnail->ShowFile(file);
  EXPECT_TRUE(ShowsInSquares(thumbnail->grab().toImage(), 0));
  // The pattern as the only GAF file of an archive.
  classGAF gaf;
  AddAnimation(gaf, "pattern", {PatternFrame()});
  const std::vector<uint8_t> bytes = SaveToBytes(gaf);
  ArchiveListing listing{{{"units\\pattern.gaf", bytes.size()}},
                         [bytes](const std::string&, std::vector<uint8_t>& out, std::string*) {
                           out = bytes;
                           return true;
                         }};
  FrmOpenArchive archive(window.get(), "pattern.ufo", listing);
  archive.show();
  auto* tree = archive.findChild<QTreeWidget*>("ArchiveTree");
  tree->setCurrentItem(tree->findItems("pattern.gaf", Qt::MatchExactly | Qt::MatchRecursive).value(0));
  ASSERT_FALSE(archive.Thumbnail().isNull());
  EXPECT_TRUE(ShowsInSquares(archive.findChild<QLabel*>("ArchiveThumbnail")->grab().toImage(), 0));
}

TEST_F(HiDpi, ThePreviewShowsEachPixelAsAWholeSquareAtEveryZoom) {
  QPointer<FrmPreview> preview = FrmPreview::Open(doc->Animations.Item(1), window.get());
  ASSERT_TRUE(preview);
  preview->TmrAnimate->stop();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(preview.data()));
  ASSERT_TRUE(preview->TmrAnimate_Timer());
  ASSERT_DOUBLE_EQ(preview->Canvas->devicePixelRatioF(), Scale());
  for (const int zoom : {1, 2, 3}) {
    preview->Canvas->SetZoom(zoom);
    const int times = preview->Canvas->Times();
    // At 1x as many whole device pixels as the scale holds, so that the
    // surface fits the window sized for it; enlarged, the device zoom.
    EXPECT_EQ(times, zoom == 1 ? int(Scale()) : DeviceZoom(zoom * 100, Scale()) / 100);
    EXPECT_TRUE(ShowsInSquares(preview->grab().toImage(), times)) << zoom << "x";
    EXPECT_TRUE(ShowsInSquares(preview->Canvas->grab().toImage(), times)) << zoom << "x";
  }
  preview->close();
}

// Run by ctest on two screens, the second at 1.5 (two-screens.json): a window
// taken from one to the other is drawn at once in the new screen's pixels.
using HiDpiScreens = HiDpi;

TEST_F(HiDpiScreens, AWindowTakenToAScreenOfAnotherScaleDrawsInItsPixels) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  ASSERT_EQ(screens.size(), 2);
  View()->SetZoomPercent(300);
  for (QScreen* screen : {screens[1], screens[0], screens[1]}) {
    window->windowHandle()->setScreen(screen);
    window->move(screen->geometry().topLeft() + QPoint(20, 20));
    QApplication::processEvents();
    const double ratio = screen->devicePixelRatio();
    ASSERT_DOUBLE_EQ(View()->devicePixelRatioF(), ratio);
    EXPECT_TRUE(ShowsInSquares(InWindow(), DeviceZoom(300, ratio) / 100)) << ratio;
    EXPECT_TRUE(ShowsInSquares(Strip()->viewport()->grab().toImage(), int(FrameStrip::kThumbnail * ratio) / kWidth))
        << ratio;
  }
}

}  // namespace
}  // namespace quilmark::test
