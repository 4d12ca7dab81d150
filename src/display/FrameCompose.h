// A frame as one picture of palette indices: its own image, or its subframes
// drawn over one another in order (as the frame view and the preview draw
// them), on transparent pixels, over the box that holds them all.
#pragma once

#include <cstdint>
#include <vector>

#include "document/classGAFFrame.h"

namespace quilmark {

struct ComposedImage {
  // The box's top-left corner about the frame's origin (an image at position
  // X, Y starts at -X, -Y), and its size.
  int32_t left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> pixels;  // width × height, top row first; 9 where nothing is drawn
  bool Empty() const { return width <= 0 || height <= 0; }
};

// The box the frame's drawn images take about its origin, without composing
// them (width 0 when nothing is drawn).
ComposedImage BoxOf(const classGAFFrame& frame);

// Draws the frame's images (not their transparent pixels) onto a canvas of
// box's size whose top-left corner is at box's left and top about the origin;
// what falls outside is cut off.
void DrawIndices(const classGAFFrame& frame, uint8_t* canvas, const ComposedImage& box);

// Empty when nothing is drawn or the box would exceed maxPixels (subframes
// placed far apart make a box of billions of pixels).
ComposedImage ComposeIndices(const classGAFFrame& frame, int64_t maxPixels = int64_t{1} << 26);

// The picture scaled to fit a side × side box: up by the largest whole step
// that fits, or down (to the nearest pixel) until the longer side is side.
// left and top stay those of the picture unscaled.
ComposedImage ScaledToFit(const ComposedImage& image, int32_t side);

// The frame composed and scaled to fit side × side; a frame without
// subframes is scaled from its own pixels, never copied whole first.
ComposedImage ThumbnailOf(const classGAFFrame& frame, int32_t side);

}  // namespace quilmark
