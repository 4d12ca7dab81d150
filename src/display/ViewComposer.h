// The frame view's picture when more than the image is shown: frames under it
// (the onion skin and a reference frame), tinted and translucent; the image
// itself, or its subframes composed; transparent pixels as a checkerboard; a
// grid between pixels; the origin's crosshair. Composed in colours, straight
// into the view's 32-bit picture, in one pass a layer.
#pragma once

#include <cstdint>
#include <vector>

#include "display/FrameDisplay.h"
#include "images/GamePalette.h"

namespace quilmark {

struct ViewLayers {
  // A frame drawn under the shown image, placed by its own position about the
  // same origin, its colours mixed half with tint and laid over what is below
  // at opacity percent.
  struct Underlay {
    const classGAFFrame* image;
    uint32_t tint;  // 0xRRGGBB
    int32_t opacity;
  };
  std::vector<Underlay> under;  // farthest first
  bool origin = false, grid = false, checkerboard = false, composed = false;
  // The shown image's pixels of this index stand out in black and white
  // stripes; -1: none.
  int32_t highlight = -1;
};

// Where the view stands: its size, its zoom in percent, and the view pixel
// whose top-left corner is the images' origin (scrolled as shown).
struct ViewFrame {
  int32_t width = 0, height = 0, zoom = 100;
  int32_t originX = 0, originY = 0;
};
// The view offset of image coordinate n from the origin at zoom (percent),
// and the image coordinate a view offset falls in (both rounding down).
int32_t ZoomedOffset(int32_t n, int32_t zoom);
int32_t ImageOffset(int32_t view, int32_t zoom);

// Composes into pixels (0xffRRGGBB, stride pixels a row): background, the
// underlays, the shown image (a frame's subframes when composed), then the
// grid (from 400%) and the origin's crosshair. Every image is placed by its
// own position about the origin.
void ComposeView(uint32_t* pixels, int32_t stride, const ViewFrame& view, const Palette& palette, uint32_t background,
                 const classGAFFrame& shown, const ViewLayers& layers);

}  // namespace quilmark
