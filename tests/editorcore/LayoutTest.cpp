#include <gtest/gtest.h>

#include "editorcore/Layout.h"

namespace quilmark {
namespace {

using Twips = std::vector<int32_t>;

// Every rectangle of the layout, in one list.
Twips All(const MainLayout& l) {
  Twips out;
  for (const TwipsRect* r : {&l.ListGAF, &l.PicSplitter, &l.PicView, &l.FrameInfo, &l.CmdFrame, &l.ScrollFrames,
                             &l.PicFrame, &l.CmdSubframe, &l.ScrollSubframes})
    out.insert(out.end(), {r->Left, r->Top, r->Width, r->Height});
  return out;
}

TEST(FormResize, DesignSizeKeepsTheDesignAndExtraSpaceGoesToTheView) {
  MainLayout l;
  ASSERT_TRUE(FormResize(l, MainLayout::DesignWidth, MainLayout::DesignHeight, false));
  EXPECT_EQ(All(l), All(MainLayout{}));
  // 150 twips wider and 90 higher: the list keeps its width, the view and what fills it grow, the bottom row moves.
  ASSERT_TRUE(FormResize(l, MainLayout::DesignWidth + 150, MainLayout::DesignHeight + 90, false));
  EXPECT_EQ((Twips{l.ListGAF.Width, l.PicView.Width, l.PicFrame.Width, l.ScrollSubframes.Width, l.ListGAF.Height,
                   l.FrameInfo.Height, l.PicFrame.Height, l.ScrollSubframes.Top, l.CmdSubframe.Top}),
            (Twips{3240, 7590, 5070, 3930, 6270, 6030, 4875, 5655, 5715}));
}

TEST(FormResize, MinimizedTooNarrowOrTooLowKeepsOldValues) {
  MainLayout l;
  EXPECT_FALSE(FormResize(l, 100, 100, true));
  EXPECT_EQ(All(l), All(MainLayout{}));
  // Narrower than the bar: the view cannot get a negative width and keeps its own.
  FormResize(l, 3000, 6915, false);
  EXPECT_EQ(std::make_pair(l.PicView.Width, l.ListGAF.Width), std::make_pair(7440, 3240));
  // Too low: heights that would be negative keep their old values.
  FormResize(l, 10725, 500, false);
  EXPECT_EQ(l.ListGAF.Height, 6180);
}

TEST(Splitter, DragStaysWithinAThousandAndHalfTheWidth) {
  // {window width, pointer x, bar left}; the narrow window's half is below 1000 and wins.
  for (const auto& [width, x, left] : {std::tuple{10725, -5000.0f, 1000}, {10725, 90000.0f, 5362},
                                       {1800, -9000.0f, 1000}, {1800, 9000.0f, 900}}) {
    MainLayout l;
    SplitterDrag d;
    EXPECT_TRUE(d.MouseDown(true, 10.0f, l, width, 6915).colourDrag);
    d.MouseMove(x, l, width, 6915);
    EXPECT_EQ((Twips{l.PicSplitter.Left, l.PicSplitter.Top, l.PicSplitter.Height}), (Twips{left, 5, 6915 - 10}))
        << width << " " << x;
  }
}

TEST(Splitter, ReleaseAndOtherButtons) {
  MainLayout l;
  SplitterDrag d;
  EXPECT_FALSE(d.Dragging());
  d.MouseDown(true, 10.0f, l, 10725, 6915);
  d.MouseMove(1760.0f, l, 10725, 6915);  // 3240 + 1760
  const auto e = d.MouseUp(1760.0f, l, 10725, 6915);  // same x as last: no new placing
  EXPECT_EQ(std::make_tuple(l.PicSplitter.Left, e.colourRest, e.runLayout, d.Dragging()),
            std::make_tuple(5000, true, true, false));
  EXPECT_EQ(l.PicSplitter.Top, l.ListGAF.Top);
  FormResize(l, 10725, 6915, false);
  EXPECT_EQ(std::make_pair(l.ListGAF.Width, l.PicView.Left), std::make_pair(5000, 5045));
  // The right button during a drag ends it there.
  d.MouseDown(true, 0.0f, l, 10725, 6915);
  EXPECT_TRUE(d.MouseDown(false, -4000.0f, l, 10725, 6915).runLayout);
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
