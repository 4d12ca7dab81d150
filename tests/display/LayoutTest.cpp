#include <gtest/gtest.h>

#include "display/Layout.h"

namespace quilmark {
namespace {

TEST(FormResize, DesignSize) {
  MainLayout l;
  ASSERT_TRUE(FormResize(l, MainLayout::DesignWidth, MainLayout::DesignHeight, false));
  EXPECT_EQ(l.ListGAF.Width, 3240);
  EXPECT_EQ(l.ListGAF.Height, 6180);
  EXPECT_EQ(l.PicView.Left, 3285);
  EXPECT_EQ(l.PicView.Width, 7440);
  EXPECT_EQ(l.PicView.Height, 6180);
  EXPECT_EQ(l.PicSplitter.Height, 6180);
  EXPECT_EQ(l.FrameInfo.Height, 6180 - 240);
  EXPECT_EQ(l.ScrollSubframes.Top, 120 + 5940 - 495);
  EXPECT_EQ(l.PicFrame.Width, 7440 - 2460 - 60);
  EXPECT_EQ(l.PicFrame.Height, 5565 - 720 - 60);
  EXPECT_EQ(l.ScrollFrames.Width, 4920 - (3600 - 2460));
  EXPECT_EQ(l.ScrollSubframes.Width, l.ScrollFrames.Width);
  EXPECT_EQ(l.CmdSubframe.Top, 5565 + 60);
}

TEST(FormResize, MinimizedAndTooNarrow) {
  MainLayout l;
  FormResize(l, 10725, 6915, false);
  MainLayout before = l;
  EXPECT_FALSE(FormResize(l, 100, 100, true));
  EXPECT_EQ(l.PicView.Width, before.PicView.Width);
  // Narrower than the bar: the view cannot get a negative width and keeps its own.
  FormResize(l, 3000, 6915, false);
  EXPECT_EQ(l.PicView.Width, 7440);
  EXPECT_EQ(l.ListGAF.Width, 3240);
  // Too low: heights that would be negative keep their old values.
  FormResize(l, 10725, 500, false);
  EXPECT_EQ(l.ListGAF.Height, 6180);
}

TEST(Splitter, DragLimits) {
  MainLayout l;
  SplitterDrag d;
  EXPECT_FALSE(d.Dragging());
  auto e = d.MouseDown(true, 10.0f, l, 10725, 6915);
  EXPECT_TRUE(e.colourDrag);
  EXPECT_EQ(d.SplitterDragX, 10);
  d.MouseMove(-5000.0f, l, 10725, 6915);
  EXPECT_EQ(l.PicSplitter.Left, 1000);
  EXPECT_EQ(l.PicSplitter.Top, 5);
  EXPECT_EQ(l.PicSplitter.Height, 6915 - 10);
  d.MouseMove(90000.0f, l, 10725, 6915);
  EXPECT_EQ(l.PicSplitter.Left, 5362);
  d.MouseMove(-362.0f, l, 10725, 6915);
  EXPECT_EQ(l.PicSplitter.Left, 5000);
  e = d.MouseUp(-362.0f, l, 10725, 6915);  // same x as last: no new placing
  EXPECT_EQ(l.PicSplitter.Left, 5000);
  EXPECT_TRUE(e.colourRest);
  EXPECT_TRUE(e.runLayout);
  EXPECT_FALSE(d.Dragging());
  EXPECT_EQ(l.PicSplitter.Top, l.ListGAF.Top);
  FormResize(l, 10725, 6915, false);
  EXPECT_EQ(l.ListGAF.Width, 5000);
  EXPECT_EQ(l.PicView.Left, 5045);
}

TEST(Splitter, NarrowWindowAndOtherButtons) {
  MainLayout l;
  SplitterDrag d;
  d.MouseDown(true, 0.0f, l, 1800, 3000);
  d.MouseMove(-9000.0f, l, 1800, 3000);
  EXPECT_EQ(l.PicSplitter.Left, 1000);
  d.MouseMove(9000.0f, l, 1800, 3000);
  EXPECT_EQ(l.PicSplitter.Left, 900);  // half the width, below 1000
  // Right button during a drag ends it there.
  auto e = d.MouseDown(false, -400.0f, l, 10725, 6915);
  EXPECT_TRUE(e.runLayout);
  EXPECT_FALSE(d.Dragging());
  EXPECT_EQ(l.PicSplitter.Left, 1000);
  // Movement without a drag does nothing; a right press without one neither.
  d.MouseMove(3000.0f, l, 10725, 6915);
  EXPECT_EQ(l.PicSplitter.Left, 1000);
  e = d.MouseDown(false, 0.0f, l, 10725, 6915);
  EXPECT_FALSE(e.runLayout);
  // Press and release without movement: recoloured and laid out, bar unmoved.
  d.MouseDown(true, 3.0f, l, 10725, 6915);
  e = d.MouseUp(3.0f, l, 10725, 6915);
  EXPECT_TRUE(e.runLayout);
  EXPECT_EQ(l.PicSplitter.Left, 1000);
}

}  // namespace
}  // namespace quilmark
