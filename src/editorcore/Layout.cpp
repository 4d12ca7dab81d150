#include "editorcore/Layout.h"

#include <cmath>

namespace quilmark {

bool FormResize(MainLayout& l, int32_t innerWidth, int32_t innerHeight, bool minimized) {
  if (minimized) return false;
  // Each assignment is its own step: a negative size is refused and the
  // control keeps what it had.
  auto setSize = [](int32_t& field, int64_t value) {
    if (value >= 0 && value <= INT32_MAX) field = static_cast<int32_t>(value);
  };
  auto setPos = [](int32_t& field, int64_t value) {
    if (value >= INT32_MIN && value <= INT32_MAX) field = static_cast<int32_t>(value);
  };
  setSize(l.ListGAF.Width, l.PicSplitter.Left);                                                  // 1
  setSize(l.ListGAF.Height, int64_t{innerHeight} - l.ListGAF.Top - l.StatusHeight);              // 2
  setPos(l.PicView.Left, int64_t{l.PicSplitter.Left} + l.PicSplitter.Width);                     // 3
  setSize(l.PicView.Width, int64_t{innerWidth} - l.PicView.Left);                                // 4
  setSize(l.PicView.Height, l.ListGAF.Height);                                                   // 5
  setSize(l.PicSplitter.Height, l.ListGAF.Height);                                               // 6
  const int64_t viewInnerW = int64_t{l.PicView.Width} - 2 * l.PicViewBorder;
  const int64_t viewInnerH = int64_t{l.PicView.Height} - 2 * l.PicViewBorder;
  setSize(l.FrameInfo.Height, viewInnerH - 2 * l.FrameInfo.Top);                                 // 7
  setPos(l.ScrollSubframes.Top, int64_t{l.FrameInfo.Top} + l.FrameInfo.Height - l.ScrollSubframes.Height);  // 8
  setSize(l.PicFrame.Width, viewInnerW - l.PicFrame.Left - 60);                                  // 9
  setSize(l.PicFrame.Height, int64_t{l.ScrollSubframes.Top} - l.PicFrame.Top - 60);              // 10
  setSize(l.ScrollFrames.Width, int64_t{l.PicFrame.Width} - (l.ScrollFrames.Left - l.PicFrame.Left));  // 11
  setSize(l.ScrollSubframes.Width, l.ScrollFrames.Width);                                        // 12
  setPos(l.CmdSubframe.Top, int64_t{l.ScrollSubframes.Top} + 60);                                // 13
  return true;
}

void PlaceSplitter(MainLayout& l, int32_t L, int32_t innerWidth, int32_t innerHeight, int16_t margin) {
  const int32_t half = innerWidth / 2 - ((innerWidth < 0 && innerWidth % 2) ? 1 : 0);
  int32_t left;
  if (L >= 1000)
    left = L <= half ? L : half;
  else
    left = 1000;
  l.PicSplitter.Left = left;
  l.PicSplitter.Top = margin;
  l.PicSplitter.Width = 45;
  const int64_t h = int64_t{innerHeight} - 2 * margin;
  if (h >= 0) l.PicSplitter.Height = static_cast<int32_t>(h);
}

namespace {

int32_t RoundX(float x) {
  const double r = std::nearbyint(static_cast<double>(x));
  if (!(r > INT32_MIN && r < INT32_MAX)) return x < 0 ? INT32_MIN : INT32_MAX - 1;
  return static_cast<int32_t>(r);
}

}  // namespace

SplitterDrag::Effect SplitterDrag::MouseDown(bool leftButton, float x, MainLayout& layout, int32_t innerWidth,
                                             int32_t innerHeight) {
  Effect e;
  if (leftButton) {
    e.colourDrag = true;
    SplitterDragX = RoundX(x);
    return e;
  }
  if (Dragging()) e = MouseUp(x, layout, innerWidth, innerHeight);
  SplitterDragX = NoDrag;
  return e;
}

SplitterDrag::Effect SplitterDrag::MouseMove(float x, MainLayout& layout, int32_t innerWidth, int32_t innerHeight) {
  Effect e;
  if (!Dragging() || RoundX(x) == SplitterDragX) return e;
  PlaceSplitter(layout, static_cast<int32_t>(std::lround(layout.PicSplitter.Left + static_cast<double>(x))),
                innerWidth, innerHeight, SplitterMargin);
  SplitterDragX = RoundX(x);
  return e;
}

SplitterDrag::Effect SplitterDrag::MouseUp(float x, MainLayout& layout, int32_t innerWidth, int32_t innerHeight) {
  Effect e;
  if (!Dragging()) return e;
  if (RoundX(x) != SplitterDragX)
    PlaceSplitter(layout, static_cast<int32_t>(std::lround(layout.PicSplitter.Left + static_cast<double>(x))),
                  innerWidth, innerHeight, SplitterMargin);
  SplitterDragX = NoDrag;
  // At rest the bar lines up with the list again instead of keeping the
  // drag's top margin.
  layout.PicSplitter.Top = layout.ListGAF.Top;
  e.colourRest = true;
  e.runLayout = true;
  return e;
}

}  // namespace quilmark
