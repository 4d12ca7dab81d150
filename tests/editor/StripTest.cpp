#include <QClipboard>
#include <QDockWidget>
#include <QMimeData>
#include <QScrollBar>

#include "DialogTestSupport.h"
#include "editorcore/FrameClipboard.h"

namespace quilmark::test {
namespace {

class FrameStripTest : public DocumentTest {
 protected:
  AnimationPtr Alpha() const { return doc->Animations.Item(1); }
  // An animation of count frames, frame n filled with index n % 200 + 20,
  // shown at its first frame.
  AnimationPtr ShowLong(int count) {
    auto animation = AddAnimation(*doc, "long");
    for (int n = 1; n <= count; ++n) animation->Frames.Add(MakeFrame(8, 8, 0, 0, uint8_t(n % 200 + 20)));
    window->ResetView();
    window->Document().Select({animation, 1, 0});
    return animation;
  }
  // Frames as a file of one animation saves them: equal bytes, equal frames.
  static std::vector<uint8_t> SavedFrames(const std::vector<FramePtr>& frames) {
    classGAF saved;
    AddAnimation(saved, "frames", frames);
    return SaveToBytes(saved);
  }
  int Shown() const { return window->State().CurrentFrame; }
};

TEST_F(FrameStripTest, ClicksSelectAsInAFileListAndTheSliderAndTheStripFollowEachOther) {
  ShowLong(12);
  struct Click {
    int index;
    Qt::KeyboardModifiers modifiers;
    std::vector<int> selected;
    int shown;
  };
  const Click clicks[] = {
      {3, {}, {4}, 4},
      {6, Qt::ShiftModifier, {4, 5, 6, 7}, 7},
      {9, Qt::ControlModifier, {4, 5, 6, 7, 10}, 10},
      {4, Qt::ControlModifier, {4, 6, 7, 10}, 10},
      // Taking the shown frame out shows another selected one.
      {9, Qt::ControlModifier, {4, 6, 7}, 4},
      // The anchor is the frame last clicked with Ctrl, selected or not.
      {1, Qt::ShiftModifier | Qt::ControlModifier, {2, 3, 4, 5, 6, 7, 8, 9, 10}, 2},
      {7, {}, {8}, 8},
  };
  for (const Click& click : clicks) {
    ClickFrame(click.index, click.modifiers);
    EXPECT_EQ(StripSelection(), click.selected) << click.index;
    EXPECT_EQ(Slider("ScrollFrames")->value(), click.shown) << click.index;
  }
  StripKey(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(StripSelection().size(), 12u);
  StripKey(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(StripSelection(), (std::vector<int>{8, 9}));
  // The slider selects one frame in the strip and brings it into view.
  Slider("ScrollFrames")->setValue(12);
  EXPECT_EQ(StripSelection(), std::vector<int>{12});
  EXPECT_TRUE(Strip()->viewport()->rect().contains(Strip()->CellRect(0, 11)));
  // The second row shows the shown frame's subframes; a click shows one.
  window->Document().Select({Alpha(), 2, 0});
  ClickFrame(1, {}, 1);
  EXPECT_EQ(window->State().CurrentSubframe, 2);
  EXPECT_EQ(Slider("ScrollSubframes")->value(), 2);
}

TEST_F(FrameStripTest, ADragMovesTheSelectedFramesInOneStepAndEscapeGivesItUp) {
  const AnimationPtr animation = ShowLong(12);
  const std::vector<FramePtr> before = animation->Frames.Items();
  const std::vector<uint8_t> saved = SaveToBytes(*doc);
  ClickFrame(1);
  ClickFrame(2, Qt::ShiftModifier);
  ClickFrame(5, Qt::ControlModifier);
  DragFrame(2, 9);
  // 2, 3 and 6 go, in their order, before what was frame 10.
  std::vector<FramePtr> expected;
  for (int n : {1, 4, 5, 7, 8, 9, 2, 3, 6, 10, 11, 12}) expected.push_back(before[size_t(n - 1)]);
  EXPECT_EQ(animation->Frames.Items(), expected);
  EXPECT_EQ(StripSelection(), (std::vector<int>{7, 8, 9}));
  EXPECT_EQ(Find<QAction>(*window, "mnuEditUndo")->text(), "&Undo Move Frames");
  window->Document().Undo();
  EXPECT_EQ(SaveToBytes(*doc), saved);
  EXPECT_EQ(animation->Frames.Items(), before);

  // Escape during a drag: nothing moves, nothing is recorded.
  const int steps = window->Document().History().count();
  QWidget* port = Strip()->viewport();
  QTest::mousePress(port, Qt::LeftButton, {}, Strip()->CellRect(0, 0).center());
  QTest::mouseMove(port, Strip()->CellRect(0, 4).center());
  QTest::keyClick(Strip(), Qt::Key_Escape);
  QTest::mouseRelease(port, Qt::LeftButton, {}, Strip()->CellRect(0, 4).center());
  EXPECT_EQ(animation->Frames.Items(), before);
  EXPECT_EQ(window->Document().History().count(), steps);
}

TEST_F(FrameStripTest, DeleteOnTheStripRemovesItsFramesNotTheSequence) {
  ClickFrame(0);
  ClickFrame(2, Qt::ShiftModifier);
  StripKey(Qt::Key_Delete);
  EXPECT_EQ(Alpha()->Frames.Count(), 0);
  EXPECT_EQ(doc->Animations.Count(), 3);
  EXPECT_EQ(Find<QAction>(*window, "mnuEditUndo")->text(), "&Undo Remove Frames");
}

TEST_F(FrameStripTest, BulkEditsReachTheSubframesThatAreDrawn) {
  StripKey(Qt::Key_A, Qt::ControlModifier);
  Find<QAction>(*window, "StripCompress")->trigger();
  const FramePtr withSubframes = Alpha()->Frames.Item(3);
  EXPECT_TRUE(Alpha()->Frames.Item(1)->Compressed());
  EXPECT_FALSE(withSubframes->Compressed());
  EXPECT_TRUE(withSubframes->Subframes.Item(1)->Compressed());
  // A shift moves a frame and its subframes alike.
  WhenModal("FrmShift", [](QWidget* d) {
    d->findChild<QSpinBox*>("ShiftAcross")->setValue(2);
    static_cast<QDialog*>(d)->accept();
  });
  Find<QAction>(*window, "StripShift")->trigger();
  EXPECT_EQ(withSubframes->PositionX(), -2);
  EXPECT_EQ(withSubframes->Subframes.Item(1)->PositionX(), -1);
  EXPECT_EQ(window->Document().History().count(), 2);
}

TEST_F(FrameStripTest, FramesPassBetweenAnimationsAndWindowsThroughTheClipboardByteForByte) {
  ClickFrame(1);
  ClickFrame(2, Qt::ShiftModifier);
  StripKey(Qt::Key_C, Qt::ControlModifier);
  const std::vector<FramePtr> copied = {Alpha()->Frames.Item(2), Alpha()->Frames.Item(3)};
  // Other programs get the first frame composed: the box of its subframes
  // (6 x 6 at 2, 2 and 8 x 4 at 7, 3), the corner no subframe covers clear.
  const QImage picture = QImage::fromData(QGuiApplication::clipboard()->mimeData()->data("image/png"), "PNG");
  EXPECT_EQ(picture.size(), QSize(11, 7));
  EXPECT_EQ(QList<QRgb>({picture.pixel(0, 0), picture.pixel(10, 6), QRgb(qAlpha(picture.pixel(10, 0)))}),
            QList<QRgb>({TestColour(50), TestColour(40), 0}));

  // Into another animation of the same window, after its shown frame.
  ClickRow(1);
  StripKey(Qt::Key_V, Qt::ControlModifier);
  const AnimationPtr beta = doc->Animations.Item(2);
  ASSERT_EQ(beta->Frames.Count(), 3);
  EXPECT_EQ(SavedFrames({beta->Frames.Item(2), beta->Frames.Item(3)}), SavedFrames(copied));
  EXPECT_EQ(StripSelection(), (std::vector<int>{2, 3}));
  EXPECT_EQ(Shown(), 2);

  // Into a second window, as from another editor.
  FrmQuilmark other(FrmQuilmark::Options{WriteTestPalette(), {}});
  other.MessageHook = [](const QString&, const QString&, MessageIcon) {};
  ASSERT_TRUE(other.InitializeWindow());
  auto second = std::make_shared<classGAF>();
  AddAnimation(*second, "other", {MakeFrame(3, 3, 0, 0, 90)});
  other.Document().Reset(second, "Other.gaf");
  other.show();
  auto* strip = other.findChild<FrameStrip*>("FrameStrip");
  strip->setFocus();
  QTest::keyClick(strip, Qt::Key_V, Qt::ControlModifier);
  const AnimationPtr into = second->Animations.Item(1);
  ASSERT_EQ(into->Frames.Count(), 3);
  EXPECT_EQ(SavedFrames({into->Frames.Item(2), into->Frames.Item(3)}), SavedFrames(copied));
  other.Document().Undo();
  EXPECT_EQ(into->Frames.Count(), 1);
  other.Document().History().setClean();
  other.close();

  // Damaged frames on the clipboard are refused with a note.
  auto* damaged = new QMimeData;
  damaged->setData(kFramesMimeType, QByteArray("\x00\x01\x01\x00\x05\x00\x00\x00", 8));
  QGuiApplication::clipboard()->setMimeData(damaged);
  const int steps = window->Document().History().count();
  StripKey(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(window->Document().History().count(), steps);
  const QString note = Find<QStatusBar>(*window, "Status")->currentMessage();
  EXPECT_TRUE(note.startsWith("The clipboard's frames cannot be pasted: ")) << note.toStdString();
}

TEST_F(FrameStripTest, ThumbnailsShowTheGameColoursAndAreMadeOnlyForFramesInView) {
  // alpha's first frame: 10 x 10 of index 20 but a transparent corner pixel,
  // four times enlarged, in the middle of its cell.
  const QImage strip = Strip()->viewport()->grab().toImage();
  const QPoint corner = Strip()->CellRect(0, 0).topLeft() + QPoint(6, 3);
  EXPECT_EQ(strip.pixel(corner + QPoint(5, 5)), TestColour(20));
  EXPECT_EQ(strip.pixel(corner + QPoint(39, 39)), TestColour(20));
  const QRgb checker = strip.pixel(corner + QPoint(1, 1));
  EXPECT_TRUE(checker == 0xffe8e8e8u || checker == 0xffc8c8c8u) << std::hex << checker;

  const AnimationPtr animation = ShowLong(30000);
  const size_t inView = size_t(Strip()->viewport()->width() / (FrameStrip::kThumbnail + 12) + 2);
  Strip()->viewport()->repaint();
  EXPECT_LE(Strip()->KeptThumbnails(), inView + 3);
  Slider("ScrollFrames")->setValue(30000);
  Strip()->viewport()->repaint();
  EXPECT_EQ(Strip()->horizontalScrollBar()->value(), Strip()->horizontalScrollBar()->maximum());
  EXPECT_LE(Strip()->KeptThumbnails(), 2 * inView + 3);
  // A changed image is drawn again.
  ReplaceIndex(*window, 30000 % 200 + 20, 7, FrmReplaceIndex::Frame);
  Strip()->viewport()->repaint();
  const QImage after = Strip()->viewport()->grab().toImage();
  EXPECT_EQ(after.pixel(Strip()->CellRect(0, 29999).topLeft() + QPoint(6 + 20, 3 + 20)), TestColour(7));
}

TEST_F(FrameStripTest, TheViewMenuHidesTheStripAndTheWindowGivesBackItsRoom) {
  QDockWidget* dock = Find<QDockWidget>(*window, "FrameStripDock");
  EXPECT_TRUE(dock->isVisible());
  const int pane = Find<QWidget>(*window, "PicView")->height(), height = window->height();
  Find<QAction>(*window, "mnuViewStrip")->trigger();
  EXPECT_FALSE(dock->isVisible());
  EXPECT_LT(window->height(), height - dock->height() / 2);
  QTest::qWait(20);
  EXPECT_NEAR(Find<QWidget>(*window, "PicView")->height(), pane, 8);
  window->close();
  EXPECT_FALSE(StoredSettings()->value("View/FrameStrip").toBool());
  Start();
  EXPECT_FALSE(Find<QDockWidget>(*window, "FrameStripDock")->isVisible());
}

}  // namespace
}  // namespace quilmark::test
