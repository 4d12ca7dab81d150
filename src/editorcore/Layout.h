// The main window's geometry in twips: the layout that runs on every resize,
// and the drag of the splitter bar between the animation list and the view.
#pragma once

#include <cstdint>

namespace quilmark {

struct TwipsRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
};

// Twips per pixel at 96 dots per inch; the layout is applied as pixels.
inline constexpr int32_t LayoutTwipsPerPixel = 15;

struct MainLayout {
  // The window's inner area as designed.
  static constexpr int32_t DesignWidth = 10725;
  static constexpr int32_t DesignHeight = 6915;

  int32_t ToolbarHeight = 420;
  int32_t StatusHeight = 315;
  // Window children.
  TwipsRect ListGAF{0, 420, 3240, 6180};
  TwipsRect PicSplitter{3240, 420, 45, 6180};
  TwipsRect PicView{3285, 420, 7440, 6180};
  int32_t PicViewBorder = 0;
  // Children of PicView.
  TwipsRect FrameInfo{120, 120, 2235, 5940};
  TwipsRect CmdFrame{2460, 240, 1035, 375};
  TwipsRect ScrollFrames{3600, 180, 3780, 495};
  TwipsRect PicFrame{2460, 720, 4920, 4785};
  TwipsRect CmdSubframe{2460, 5625, 1035, 375};
  TwipsRect ScrollSubframes{3600, 5565, 3780, 495};
};

// Form_Resize without its last step (the redraw, which the window does): each
// step on its own, a step whose width or height would be negative skipped.
// Nothing happens when minimized. True when the layout ran.
bool FormResize(MainLayout& layout, int32_t innerWidth, int32_t innerHeight, bool minimized);

// Moves the bar to the wanted left edge L within 1000 … innerWidth / 2, at top
// margin, stretched over the window's height less twice the margin.
void PlaceSplitter(MainLayout& layout, int32_t L, int32_t innerWidth, int32_t innerHeight, int16_t margin);

// The splitter's drag state and its three pointer events. x is the pointer's
// position relative to the bar's left edge, in twips.
struct SplitterDrag {
  static constexpr int32_t NoDrag = 0x7FFFFFFF;
  int32_t SplitterDragX = NoDrag;
  int16_t SplitterMargin = 5;
  uint32_t SplitterDragColor = 0x808080;

  bool Dragging() const { return SplitterDragX != NoDrag; }

  // What the window does after an event.
  struct Effect {
    bool colourDrag = false;  // paint the bar SplitterDragColor
    bool colourRest = false;  // paint the bar the button-face colour
    bool runLayout = false;   // run Form_Resize (and redraw)
  };
  Effect MouseDown(bool leftButton, float x, MainLayout& layout, int32_t innerWidth, int32_t innerHeight);
  Effect MouseMove(float x, MainLayout& layout, int32_t innerWidth, int32_t innerHeight);
  Effect MouseUp(float x, MainLayout& layout, int32_t innerWidth, int32_t innerHeight);
};

}  // namespace quilmark
