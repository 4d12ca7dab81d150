// The preview window as a window: owned by the main window, sized from the
// outside edge of its frame, and resizable with the canvas filling it.
#include <QWindow>

#include "EditorTestSupport.h"
#include "display/qt/FrmPreview.h"

// Sizes in failure messages as sizes.
inline void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << " x " << s.height(); }
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << r.width() << " x " << r.height() << " at (" << r.x() << ", " << r.y() << ")";
}

namespace quilmark::test {
namespace {

using Preview = DocumentTest;

// A preview of the given animation (1-based), held still: its timer stopped
// and its window exposed.
QPointer<FrmPreview> OpenStill(classGAF& doc, int animation, QWidget* owner) {
  QPointer<FrmPreview> p = FrmPreview::Open(doc.Animations.Item(animation), owner);
  if (!p) return p;
  p->TmrAnimate->stop();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(p.data()));
  return p;
}

QSize ClientSize(const FrmPreview& p, QSize outer) {
  const QMargins m = p.windowHandle()->frameMargins();
  return QSize(outer.width() - m.left() - m.right(), outer.height() - m.top() - m.bottom());
}

// F5 and the menu each open a preview of the current animation.
TEST_F(Preview, EachIsAnOwnedModelessWindowPlayingOnItsOwnAndClosedWithTheMainWindow) {
  List()->setFocus();
  QTest::keyClick(List(), Qt::Key_F5);
  window->mnuImagesPreview_Click();
  QList<FrmPreview*> open = window->findChildren<FrmPreview*>();
  ASSERT_EQ(open.size(), 2);
  FrmPreview *a = open[0], *b = open[1];
  EXPECT_EQ(a->windowTitle(), "Preview - 'alpha'");
  for (FrmPreview* p : open) {
    QWindow* handle = p->windowHandle();
    ASSERT_TRUE(handle);
    EXPECT_TRUE(p->isWindow() && !p->isModal() && p->TmrAnimate->isActive());
    // A transient of the main window, of a kind that window managers keep
    // above its owner and leave out of the taskbar (WM_TRANSIENT_FOR on X11,
    // an owned window elsewhere).
    EXPECT_EQ(handle->transientParent(), window->windowHandle());
    EXPECT_TRUE(handle->type() == Qt::Dialog || handle->type() == Qt::Tool) << handle->type();
    EXPECT_TRUE(handle->flags() & Qt::WindowTitleHint);
    EXPECT_EQ(handle->modality(), Qt::NonModal);
    p->TmrAnimate->stop();
  }
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(a->TmrAnimate_Timer());
  ASSERT_TRUE(b->TmrAnimate_Timer());
  EXPECT_EQ(QList<int>({a->PreviewFrame, b->PreviewFrame}), QList<int>({1, 2}));  // three frames: 1, 2, 3, 1 ...
  // Edits in the main window show at the next tick.
  auto& pixels = doc->Animations.Item(1)->Frames.Item(1)->Pixels;
  std::fill(pixels.begin(), pixels.end(), 33);
  ASSERT_TRUE(a->TmrAnimate_Timer());
  EXPECT_EQ(a->Canvas->Picture().pixel(52, 52), TestColour(33));
  // Frames removed behind a preview's back: its tick closes it silently.
  b->PreviewFrame = 3;
  Slider("ScrollFrames")->setValue(3);
  window->mnuFrameRemove_Click();
  EXPECT_FALSE(b->TmrAnimate_Timer());
  QApplication::processEvents();
  EXPECT_EQ(window->findChildren<FrmPreview*>(), QList<FrmPreview*>({a}));
  // An animation without frames: closed at the real timer's first tick.
  QPointer<FrmPreview> empty = FrmPreview::Open(doc->Animations.Item(3), window.get(), window.get());
  ASSERT_TRUE(empty);
  for (int i = 0; i < 50 && empty; ++i) QTest::qWait(10);
  EXPECT_TRUE(empty.isNull());
  EXPECT_TRUE(messages.isEmpty());
  // The main window goes on taking input while one plays, and takes it along
  // when it closes.
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ClickRow(1);
  EXPECT_EQ(window->State().CurrentAnimation->Name, "beta");
  const QPointer<FrmPreview> left = a;
  window->Document().History().setClean();  // no question about the removed frame
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(left.isNull());
}

TEST_F(Preview, OuterSizeIsTheSurfaceSizeAndTheCanvasGetsTheClientArea) {
  // A frameless owner tells nothing about the preview's own frame: its
  // margins are learnt once the preview is shown.
  QWidget frameless(nullptr, Qt::Window | Qt::FramelessWindowHint);
  frameless.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frameless));
  // alpha: largest image 10 x 10; beta: 12 x 6; gamma: no frames.
  for (const auto& [animation, outer] :
       {std::pair{1, QSize(104, 104)}, {2, QSize(108, 100)}, {3, QSize(96, 96)}}) {
    for (QWidget* owner : {static_cast<QWidget*>(window.get()), &frameless}) {
      QPointer<FrmPreview> p = OpenStill(*doc, animation, owner);
      ASSERT_TRUE(p);
      QCoreApplication::processEvents();
      EXPECT_EQ(QSize(p->PreviewWidth, p->PreviewHeight), outer);
      EXPECT_EQ(p->frameGeometry().size(), outer) << animation;
      EXPECT_EQ(p->size(), ClientSize(*p, outer)) << animation;
      EXPECT_EQ(p->Canvas->geometry(), p->rect()) << animation;
      p->close();
    }
  }
}

TEST_F(Preview, ResizingMakesTheCanvasFillTheClientAreaWhileTheSurfaceKeepsItsSize) {
  QPointer<FrmPreview> p = OpenStill(*doc, 1, window.get());
  ASSERT_TRUE(p);
  for (const QSize& size : {QSize(230, 170), QSize(60, 40)}) {
    p->resize(size);
    QCoreApplication::processEvents();
    // Moving the window afterwards keeps the user's size.
    p->move(p->pos() + QPoint(7, 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(p->size(), size);
    EXPECT_EQ(p->Canvas->geometry(), QRect(QPoint(0, 0), size));
  }
  // Beyond the surface, a larger window shows the blank colour.
  p->resize(230, 170);
  QCoreApplication::processEvents();
  EXPECT_EQ(p->Canvas->grab().toImage().pixel(200, 150), TestColour(255));
  // The picture stays at the surface's size, the frame at its centre: the
  // 10 x 10 image with origin (5, 5) from (47, 47), its first pixel clear.
  ASSERT_TRUE(p->TmrAnimate_Timer());
  const QImage& picture = p->Canvas->Picture();
  EXPECT_EQ(picture.size(), QSize(104, 104));
  EXPECT_EQ(QList<QRgb>({picture.pixel(47, 47), picture.pixel(48, 47), picture.pixel(56, 56), picture.pixel(57, 57)}),
            QList<QRgb>({TestColour(255), TestColour(20), TestColour(20), TestColour(255)}));
}

}  // namespace
}  // namespace quilmark::test
