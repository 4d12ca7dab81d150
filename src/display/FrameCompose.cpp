#include "display/FrameCompose.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace quilmark {
namespace {

bool Drawable(const classGAFFrame& image) {
  return image.Width() > 0 && image.Height() > 0 && image.Pixels.data() &&
         image.Pixels.size() >= static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height());
}

// Every image drawn for frame: the frame itself, or the leaves of its
// subframes in drawing order.
void Leaves(const classGAFFrame& frame, std::vector<const classGAFFrame*>& out, int depth = 0) {
  if (frame.Subframes.IsEmpty() || depth > 8) {
    out.push_back(&frame);
    return;
  }
  for (const FramePtr& sub : frame.Subframes)
    if (sub) Leaves(*sub, out, depth + 1);
}

}  // namespace

ComposedImage BoxOf(const classGAFFrame& frame) {
  std::vector<const classGAFFrame*> leaves;
  Leaves(frame, leaves);
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  for (const classGAFFrame* leaf : leaves) {
    if (!Drawable(*leaf)) continue;
    left = std::min<int64_t>(left, -leaf->PositionX());
    top = std::min<int64_t>(top, -leaf->PositionY());
    right = std::max<int64_t>(right, int64_t{-leaf->PositionX()} + leaf->Width());
    bottom = std::max<int64_t>(bottom, int64_t{-leaf->PositionY()} + leaf->Height());
  }
  ComposedImage box;
  if (left >= right || top >= bottom) return box;
  // Positions and sizes are 16-bit: every side fits 32 bits.
  box.left = static_cast<int32_t>(left);
  box.top = static_cast<int32_t>(top);
  box.width = static_cast<int32_t>(right - left);
  box.height = static_cast<int32_t>(bottom - top);
  return box;
}

void DrawIndices(const classGAFFrame& frame, uint8_t* canvas, const ComposedImage& box) {
  std::vector<const classGAFFrame*> leaves;
  Leaves(frame, leaves);
  for (const classGAFFrame* leaf : leaves) {
    if (!Drawable(*leaf)) continue;
    // The leaf's rectangle on the canvas, cut to it.
    const int64_t x0 = int64_t{-leaf->PositionX()} - box.left, y0 = int64_t{-leaf->PositionY()} - box.top;
    const int64_t from_x = std::max<int64_t>(0, -x0), to_x = std::min<int64_t>(leaf->Width(), box.width - x0);
    const int64_t from_y = std::max<int64_t>(0, -y0), to_y = std::min<int64_t>(leaf->Height(), box.height - y0);
    for (int64_t y = from_y; y < to_y; ++y) {
      const uint8_t* from = leaf->Pixels.data() + y * leaf->Width();
      uint8_t* to = canvas + (y0 + y) * box.width + x0;
      for (int64_t x = from_x; x < to_x; ++x)
        if (from[x] != TransparentIndex) to[x] = from[x];
    }
  }
}

ComposedImage ComposeIndices(const classGAFFrame& frame, int64_t maxPixels) {
  ComposedImage out = BoxOf(frame);
  if (out.Empty() || int64_t{out.width} * out.height > maxPixels) return {};
  out.pixels.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), TransparentIndex);
  DrawIndices(frame, out.pixels.data(), out);
  return out;
}

namespace {

// width × height pixels at pixels scaled as ScaledToFit says.
ComposedImage Scaled(const uint8_t* pixels, int32_t left, int32_t top, int32_t width, int32_t height, int32_t side) {
  ComposedImage out{left, top, 0, 0, {}};
  if (width <= 0 || height <= 0 || side <= 0) return out;
  const int32_t longer = std::max(width, height);
  if (longer <= side) {
    const int32_t step = side / longer;
    out.width = width * step;
    out.height = height * step;
  } else {
    out.width = std::max<int32_t>(1, static_cast<int32_t>(int64_t{width} * side / longer));
    out.height = std::max<int32_t>(1, static_cast<int32_t>(int64_t{height} * side / longer));
  }
  out.pixels.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  std::vector<size_t> columns(static_cast<size_t>(out.width));
  for (int32_t x = 0; x < out.width; ++x) columns[static_cast<size_t>(x)] = int64_t{x} * width / out.width;
  for (int32_t y = 0; y < out.height; ++y) {
    const uint8_t* from =
        pixels + static_cast<size_t>(int64_t{y} * height / out.height) * static_cast<size_t>(width);
    uint8_t* to = out.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(out.width);
    for (int32_t x = 0; x < out.width; ++x) to[x] = from[columns[static_cast<size_t>(x)]];
  }
  return out;
}

}  // namespace

ComposedImage ScaledToFit(const ComposedImage& image, int32_t side) {
  if (image.Empty()) return {image.left, image.top, 0, 0, {}};
  return Scaled(image.pixels.data(), image.left, image.top, image.width, image.height, side);
}

ComposedImage ThumbnailOf(const classGAFFrame& frame, int32_t side) {
  if (!frame.Subframes.IsEmpty()) return ScaledToFit(ComposeIndices(frame), side);
  if (!Drawable(frame)) return {};
  return Scaled(frame.Pixels.data(), -frame.PositionX(), -frame.PositionY(), frame.Width(), frame.Height(), side);
}

}  // namespace quilmark
