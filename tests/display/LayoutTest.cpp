#include <gtest/gtest.h>

#include "display/Layout.h"

namespace quilmark {
namespace {

using Twips = std::vector<int32_t>;

TEST(FormResize, DesignSize) {
  MainLayout l;
  ASSERT_TRUE(FormResize(l, MainLayout::DesignWidth, MainLayout::DesignHeight, false));
  EXPECT_EQ((Twips{l.ListGAF.Width, l.ListGAF.Height, l.PicView.Left, l.PicView.Width, l.PicView.Height}),
            (Twips{3240, 6180, 3285, 7440, 6180}));
  EXPECT_EQ((Twips{l.PicSplitter.Height, l.FrameInfo.Height, l.ScrollSubframes.Top, l.CmdSubframe.Top}),
            (Twips{6180, 6180 - 240, 120 + 5940 - 495, 5565 + 60}));
  EXPECT_EQ((Twips{l.PicFrame.Width, l.PicFrame.Height, l.ScrollFrames.Width, l.ScrollSubframes.Width}),
            (Twips{7440 - 2460 - 60, 5565 - 720 - 60, 4920 - (3600 - 2460), 4920 - (3600 - 2460)}));
}

TEST(FormResize, MinimizedTooNarrowOrTooLowKeepsOldValues) {
  MainLayout l;
  FormResize(l, 10725, 6915, false);
  EXPECT_FALSE(FormResize(l, 100, 100, true));
  EXPECT_EQ(l.PicView.Width, 7440);
  // Narrower than the bar: the view cannot get a negative width and keeps its own.
  FormResize(l, 3000, 6915, false);
  EXPECT_EQ(std::make_pair(l.PicView.Width, l.ListGAF.Width), std::make_pair(7440, 3240));
  // Too low: heights that would be negative keep their old values.
  FormResize(l, 10725, 500, false);
  EXPECT_EQ(l.ListGAF.Height, 6180);
}

TEST(Splitter, DragLimits) {
  MainLayout l;
  SplitterDrag d;
  EXPECT_FALSE(d.Dragging());
  EXPECT_TRUE(d.MouseDown(true, 10.0f, l, 10725, 6915).colourDrag);
  EXPECT_EQ(d.SplitterDragX, 10);
  d.MouseMove(-5000.0f, l, 10725, 6915);
  EXPECT_EQ((Twips{l.PicSplitter.Left, l.PicSplitter.Top, l.PicSplitter.Height}), (Twips{1000, 5, 6915 - 10}));
  // {x, bar left}: at least 1000, at most half the width
  for (const auto& [x, left] : {std::pair{90000.0f, 5362}, {-362.0f, 5000}}) {
    d.MouseMove(x, l, 10725, 6915);
    EXPECT_EQ(l.PicSplitter.Left, left) << x;
  }
  const auto e = d.MouseUp(-362.0f, l, 10725, 6915);  // same x as last: no new placing
  EXPECT_EQ(std::make_tuple(l.PicSplitter.Left, e.colourRest, e.runLayout, d.Dragging()),
            std::make_tuple(5000, true, true, false));
  EXPECT_EQ(l.PicSplitter.Top, l.ListGAF.Top);
  FormResize(l, 10725, 6915, false);
  EXPECT_EQ(std::make_pair(l.ListGAF.Width, l.PicView.Left), std::make_pair(5000, 5045));
}

TEST(Splitter, NarrowWindowAndOtherButtons) {
  MainLayout l;
  SplitterDrag d;
  d.MouseDown(true, 0.0f, l, 1800, 3000);
  d.MouseMove(-9000.0f, l, 1800, 3000);
  EXPECT_EQ(l.PicSplitter.Left, 1000);
  d.MouseMove(9000.0f, l, 1800, 3000);
  EXPECT_EQ(l.PicSplitter.Left, 900);  // half the width, below 1000
  // The right button during a drag ends it there.
  EXPECT_TRUE(d.MouseDown(false, -400.0f, l, 10725, 6915).runLayout);
  EXPECT_FALSE(d.Dragging());
  EXPECT_EQ(l.PicSplitter.Left, 1000);
  // Movement without a drag does nothing; a right press without one neither.
  d.MouseMove(3000.0f, l, 10725, 6915);
  EXPECT_EQ(l.PicSplitter.Left, 1000);
  EXPECT_FALSE(d.MouseDown(false, 0.0f, l, 10725, 6915).runLayout);
  // Press and release without movement: recoloured and laid out, bar unmoved.
  d.MouseDown(true, 3.0f, l, 10725, 6915);
  EXPECT_TRUE(d.MouseUp(3.0f, l, 10725, 6915).runLayout);
  EXPECT_EQ(l.PicSplitter.Left, 1000);
}

}  // namespace
}  // namespace quilmark
