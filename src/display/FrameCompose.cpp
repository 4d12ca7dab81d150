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

ComposedImage ComposeIndices(const classGAFFrame& frame, int64_t maxPixels) {
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
  ComposedImage out;
  if (left >= right || top >= bottom || (right - left) * (bottom - top) > maxPixels) return out;
  out.left = static_cast<int32_t>(left);
  out.top = static_cast<int32_t>(top);
  out.width = static_cast<int32_t>(right - left);
  out.height = static_cast<int32_t>(bottom - top);
  out.pixels.assign(static_cast<size_t>(out.width) * static_cast<size_t>(out.height), TransparentIndex);
  for (const classGAFFrame* leaf : leaves) {
    const uint8_t* data = leaf->Pixels.data();
    if (!Drawable(*leaf)) continue;
    const int64_t x0 = -leaf->PositionX() - left, y0 = -leaf->PositionY() - top;
    for (int32_t y = 0; y < leaf->Height(); ++y) {
      const uint8_t* from = data + static_cast<size_t>(y) * static_cast<size_t>(leaf->Width());
      uint8_t* to = out.pixels.data() + static_cast<size_t>(y0 + y) * static_cast<size_t>(out.width) + x0;
      for (int32_t x = 0; x < leaf->Width(); ++x)
        if (from[x] != TransparentIndex) to[x] = from[x];
    }
  }
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
