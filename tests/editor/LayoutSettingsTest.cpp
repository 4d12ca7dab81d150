#include "EditorTestSupport.h"

namespace quilmark::test {
namespace {

using LayoutSettings = EditorTest;

TEST_F(LayoutSettings, DesignSizeLayout) {
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.Client->size(), QSize(715, 461));
  EXPECT_EQ(w.ListGAF->geometry(), QRect(0, 28, 216, 412));
  EXPECT_EQ(w.PicSplitter->geometry(), QRect(216, 28, 3, 412));
  EXPECT_EQ(w.PicView->geometry(), QRect(219, 28, 496, 412));
  EXPECT_EQ(w.FrameInfo->geometry(), QRect(8, 8, 149, 396));
  EXPECT_EQ(w.PicFrame->geometry(), QRect(164, 48, 328, 319));
  EXPECT_EQ(w.ScrollFrames->geometry(), QRect(240, 12, 252, 33));
  EXPECT_EQ(w.ScrollSubframes->geometry(), QRect(240, 371, 252, 33));
  EXPECT_EQ(w.CmdSubframe->geometry(), QRect(164, 375, 69, 25));
  EXPECT_EQ(w.CmdFrame->geometry(), QRect(164, 16, 69, 25));
  EXPECT_EQ(w.TxtXPos->geometry(), QRect(64, 80, 53, 21));
  EXPECT_EQ(w.ScrollFPS->geometry(), QRect(120, 136, 16, 21));
  EXPECT_EQ(w.chkCompressed->geometry(), QRect(4, 164, 73, 17));
  EXPECT_EQ(w.Geometry().PicView.Width, 7440);
}

TEST_F(LayoutSettings, SplitterDragWithMouse) {
  FrmQuilmark& w = Start();
  QWidget* bar = w.PicSplitter;
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 100));
  EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
  QMouseEvent move(QEvent::MouseMove, QPointF(-500, 100), bar->mapToGlobal(QPointF(-500, 100)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
  EXPECT_EQ(w.Geometry().PicSplitter.Left, 1000);
  EXPECT_EQ(bar->x(), 67);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-500 + 216 - 67, 100));
  EXPECT_FALSE(w.Splitter().Dragging());
  EXPECT_EQ(w.ListGAF->width(), 67);
  EXPECT_EQ(w.PicView->x(), 70);
  EXPECT_NE(bar->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
  // Past the middle: half the inner width.
  w.PicSplitter_MouseDown(Qt::LeftButton, 0);
  w.PicSplitter_MouseMove(2000);
  w.PicSplitter_MouseDown(Qt::RightButton, 2000);  // the right button ends it
  EXPECT_FALSE(w.Splitter().Dragging());
  EXPECT_EQ(w.Geometry().PicSplitter.Left, 715 * 15 / 2);
  EXPECT_EQ(w.ListGAF->width(), 357);
}

TEST_F(LayoutSettings, SettingsRoundTrip) {
  {
    FrmQuilmark& w = Start();
    w.move(40, 30);
    w.resize(800, 560);
    w.PicSplitter_MouseDown(Qt::LeftButton, 0);
    w.PicSplitter_MouseUp(40);  // 600 twips to the right
    EXPECT_EQ(w.Geometry().PicSplitter.Left, 3840);
    w.State().GAFLoadDir = "/load/here";
    w.State().GAFSaveDir = "/save/there";
    w.State().BMPLoadDir = "/bitmaps";
    w.close();
    window.reset();
  }
  {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
    EXPECT_EQ(s.value("Startup/Width").toString(), "12000");
    EXPECT_EQ(s.value("Startup/Height").toString(), "8400");
    EXPECT_EQ(s.value("Startup/SliderLeft").toString(), "3840");
    EXPECT_EQ(s.value("Startup/WindowState").toString(), "0");
    EXPECT_EQ(s.value("Locations/GAFLoadDir").toString(), "/load/here");
  }
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.size(), QSize(800, 560));
  EXPECT_EQ(w.Geometry().PicSplitter.Left, 3840);
  EXPECT_EQ(w.ListGAF->width(), 256);
  EXPECT_EQ(w.State().GAFLoadDir, "/load/here");
  EXPECT_EQ(w.State().GAFSaveDir, "/save/there");
  EXPECT_EQ(w.State().BMPLoadDir, "/bitmaps");
}

TEST_F(LayoutSettings, GarbageAndZeroSettingsAreIgnored) {
  {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
    s.setValue("Startup/Width", "banana");
    s.setValue("Startup/Height", "1E400");
    s.setValue("Startup/SliderLeft", "0");
    s.setValue("Startup/WindowState", "7");
    s.setValue("Startup/Left", "&H10");
    s.sync();
  }
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.Client->size(), QSize(715, 461));
  EXPECT_EQ(w.Geometry().PicSplitter.Left, 3240);
  EXPECT_FALSE(w.isMinimized());
  EXPECT_FALSE(w.isMaximized());
}

TEST_F(LayoutSettings, MaximisedKeepsNormalPlacement) {
  {
    QSettings s(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
    s.setValue("Startup/Width", "9000");
    s.sync();
  }
  FrmQuilmark& w = Start();
  w.showMaximized();
  QApplication::processEvents();
  w.close();
  window.reset();
  QSettings s(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
  EXPECT_EQ(s.value("Startup/WindowState").toString(), "2");
  EXPECT_EQ(s.value("Startup/Width").toString(), "9000");
}

}  // namespace
}  // namespace quilmark::test
