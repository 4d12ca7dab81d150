#include "EditorTestSupport.h"

namespace quilmark::test {
namespace {

using LayoutSettings = EditorTest;

std::unique_ptr<QSettings> Stored() {
  return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark");
}

TEST_F(LayoutSettings, DesignSizeAndSplitterDrag) {
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.Client->size(), QSize(715, 461));
  EXPECT_EQ(w.ListGAF->geometry(), QRect(0, 28, 216, 412));
  EXPECT_EQ(w.PicView->geometry(), QRect(219, 28, 496, 412));
  EXPECT_EQ(w.PicFrame->geometry(), QRect(164, 48, 328, 319));
  EXPECT_EQ(w.ScrollSubframes->geometry(), QRect(240, 371, 252, 33));
  // A drag with the mouse: the bar turns grey, stops at its lower limit and
  // lays the window out again on release.
  QWidget* bar = w.PicSplitter;
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 100));
  EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
  QMouseEvent move(QEvent::MouseMove, QPointF(-500, 100), bar->mapToGlobal(QPointF(-500, 100)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
  EXPECT_EQ(bar->x(), 67);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-500 + 216 - 67, 100));
  EXPECT_FALSE(w.Splitter().Dragging());
  EXPECT_EQ(w.ListGAF->width(), 67);
  EXPECT_EQ(w.PicView->x(), 70);
  EXPECT_NE(bar->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
  // The right button ends a drag where it is.
  w.PicSplitter_MouseDown(Qt::LeftButton, 0);
  w.PicSplitter_MouseMove(2000);
  w.PicSplitter_MouseDown(Qt::RightButton, 2000);
  EXPECT_FALSE(w.Splitter().Dragging());
  EXPECT_EQ(w.ListGAF->width(), 357);
}

TEST_F(LayoutSettings, SettingsRoundTrip) {
  FrmQuilmark& first = Start();
  first.move(40, 30);
  first.resize(800, 560);
  first.PicSplitter_MouseDown(Qt::LeftButton, 0);
  first.PicSplitter_MouseUp(40);  // 600 twips to the right
  first.State().GAFLoadDir = "/load/here";
  first.State().GAFSaveDir = "/save/there";
  first.State().BMPLoadDir = "/bitmaps";
  first.close();
  for (const auto& [key, value] : {std::pair{"Width", "12000"}, {"Height", "8400"}, {"SliderLeft", "3840"},
                                   {"WindowState", "0"}})
    EXPECT_EQ(Stored()->value(QString("Startup/") + key).toString(), value) << key;
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.size(), QSize(800, 560));
  EXPECT_EQ(w.ListGAF->width(), 256);
  EXPECT_EQ(w.State().GAFLoadDir, "/load/here");
  EXPECT_EQ(w.State().GAFSaveDir, "/save/there");
  EXPECT_EQ(w.State().BMPLoadDir, "/bitmaps");
  // Maximised: the state is stored, the normal placement kept.
  w.showMaximized();
  QApplication::processEvents();
  w.close();
  EXPECT_EQ(Stored()->value("Startup/WindowState").toString(), "2");
  EXPECT_EQ(Stored()->value("Startup/Width").toString(), "12000");
}

TEST_F(LayoutSettings, GarbageAndZeroSettingsAreIgnored) {
  for (const auto& [key, value] : {std::pair{"Width", "banana"}, {"Height", "1E400"}, {"SliderLeft", "0"},
                                   {"WindowState", "7"}, {"Left", "&H10"}})
    Stored()->setValue(QString("Startup/") + key, value);
  FrmQuilmark& w = Start();
  EXPECT_EQ(w.Client->size(), QSize(715, 461));
  EXPECT_EQ(w.Geometry().PicSplitter.Left, 3240);
  EXPECT_FALSE(w.isMinimized() || w.isMaximized());
}

}  // namespace
}  // namespace quilmark::test
