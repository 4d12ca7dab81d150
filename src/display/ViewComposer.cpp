#include "display/ViewComposer.h"

#include <algorithm>

namespace quilmark {
namespace {

int32_t FloorDiv(int64_t a, int64_t b) { return static_cast<int32_t>(a >= 0 ? a / b : -((-a + b - 1) / b)); }

uint32_t Rgb(const PaletteEntry& e) { return 0xff000000u | uint32_t{e.Red} << 16 | uint32_t{e.Green} << 8 | e.Blue; }

// a laid over b at weight 0..256, two channels at a time.
inline uint32_t Blend(uint32_t a, uint32_t b, uint32_t weight) {
  const uint32_t rb = ((a & 0xff00ffu) * weight + (b & 0xff00ffu) * (256 - weight)) >> 8 & 0xff00ffu;
  const uint32_t g = ((a & 0x00ff00u) * weight + (b & 0x00ff00u) * (256 - weight)) >> 8 & 0x00ff00u;
  return 0xff000000u | rb | g;
}

// a laid over b at weight percent, channel by channel.
uint32_t Mix(uint32_t a, uint32_t b, int32_t weight) {
  uint32_t out = 0xff000000u;
  for (int shift : {16, 8, 0}) {
    const int32_t ca = (a >> shift) & 255, cb = (b >> shift) & 255;
    out |= static_cast<uint32_t>(cb + (ca - cb) * weight / 100) << shift;
  }
  return out;
}

class Composer {
 public:
  Composer(uint32_t* pixels, int32_t stride, const ViewFrame& view, const Palette& palette)
      : pixels_(pixels), stride_(stride), view_(view) {
    for (int i = 0; i < 256; ++i) colours_[i] = Rgb(palette[static_cast<size_t>(i)]);
  }

  int32_t Scaled(int32_t n) const { return ZoomedOffset(n, view_.zoom); }

  // The view rectangle an image takes when its origin is at (ox, oy).
  struct Box {
    int32_t left, top, right, bottom;  // right and bottom past the end
  };
  Box BoxOf(const classGAFFrame& image, int32_t ox, int32_t oy) const {
    const PictureSize size = ZoomedSize(std::min(image.Width(), 1024), std::min(image.Height(), 1024), view_.zoom);
    const int32_t left = ox - Scaled(image.PositionX()), top = oy - Scaled(image.PositionY());
    return {left, top, left + size.width, top + size.height};
  }

  void Fill(uint32_t colour) {
    for (int32_t y = 0; y < view_.height; ++y) std::fill_n(pixels_ + int64_t{y} * stride_, view_.width, colour);
  }

  // Light grey squares of 8 view pixels within box.
  void Checker(const Box& box) {
    ForEach(box, [](uint32_t& pixel, int32_t x, int32_t y) {
      pixel = ((x >> 3) + (y >> 3)) & 1 ? 0xffc8c8c8u : 0xffe8e8e8u;
    });
  }

  // The image's pixels but index 9, tinted and laid over at opacity (100: as
  // they are).
  void Image(const classGAFFrame& image, int32_t ox, int32_t oy, uint32_t tint, int32_t opacity,
             int32_t highlight = -1) {
    const Box box = BoxOf(image, ox, oy);
    const int32_t width = image.Width();
    const uint8_t* const data = image.Pixels.data();
    if (!data) return;
    // The layer's colours, tinted, once.
    uint32_t colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = tint ? Mix(tint | 0xff000000u, colours_[i], 50) : colours_[i];
    const int32_t weight = std::clamp(opacity, 0, 100) * 256 / 100;
    const int32_t rows = std::min(image.Height(), 1024), columns = std::min(width, 1024);
    const int32_t x0 = std::max(0, box.left), x1 = std::min(view_.width, box.right);
    if (x0 >= x1) return;
    std::vector<int32_t> source(static_cast<size_t>(x1 - x0));
    for (int32_t x = x0; x < x1; ++x)
      source[static_cast<size_t>(x - x0)] = std::min(columns - 1, ImageOffset(x - box.left, view_.zoom));
    ForEachRow(box, [&](uint32_t* row, int32_t, int32_t, int32_t y) {
      const int32_t v = std::min(rows - 1, ImageOffset(y - box.top, view_.zoom));
      const uint8_t* line = data + int64_t{v} * width;
      for (int32_t x = x0; x < x1; ++x) {
        const uint8_t index = line[source[static_cast<size_t>(x - x0)]];
        if (index == highlight) {
          row[x] = ((x + y) >> 1) & 1 ? 0xffffffffu : 0xff000000u;
          continue;
        }
        if (index == TransparentIndex) continue;
        row[x] = weight >= 256 ? colours[index] : Blend(colours[index], row[x], weight);
      }
    });
  }

  // Lines between the pixels of the image grid that has a corner at (ox, oy).
  void Grid(int32_t ox, int32_t oy) {
    const int32_t step = view_.zoom / 100;
    const auto on = [step](int32_t n, int32_t o) { return ((n - o) % step + step) % step == 0; };
    const uint32_t weight = 35 * 256 / 100;
    std::vector<int32_t> lines;
    for (int32_t x = 0; x < view_.width; ++x)
      if (on(x, ox)) lines.push_back(x);
    for (int32_t y = 0; y < view_.height; ++y) {
      uint32_t* row = pixels_ + int64_t{y} * stride_;
      if (on(y, oy)) {
        for (int32_t x = 0; x < view_.width; ++x) row[x] = Blend(0xff808080u, row[x], weight);
      } else {
        for (int32_t x : lines) row[x] = Blend(0xff808080u, row[x], weight);
      }
    }
  }

  // A one-pixel crosshair through (ox, oy), in black and white dashes that
  // show on any colour.
  void Crosshair(int32_t ox, int32_t oy) {
    const auto dash = [](int32_t n) { return (n >> 2) & 1 ? 0xffffffffu : 0xff000000u; };
    if (oy >= 0 && oy < view_.height)
      for (int32_t x = 0; x < view_.width; ++x) pixels_[int64_t{oy} * stride_ + x] = dash(x);
    if (ox >= 0 && ox < view_.width)
      for (int32_t y = 0; y < view_.height; ++y) pixels_[int64_t{y} * stride_ + ox] = dash(y);
  }

 private:
  template <typename Each>
  void ForEachRow(const Box& box, Each each) {
    const int32_t x0 = std::max(0, box.left), x1 = std::min(view_.width, box.right);
    const int32_t y0 = std::max(0, box.top), y1 = std::min(view_.height, box.bottom);
    if (x0 >= x1) return;
    for (int32_t y = y0; y < y1; ++y) each(pixels_ + int64_t{y} * stride_, x0, x1, y);
  }
  template <typename Each>
  void ForEach(const Box& box, Each each) {
    ForEachRow(box, [&](uint32_t* row, int32_t x0, int32_t x1, int32_t y) {
      for (int32_t x = x0; x < x1; ++x) each(row[x], x, y);
    });
  }

  uint32_t* pixels_;
  int32_t stride_;
  ViewFrame view_;
  uint32_t colours_[256];
};

// The images the shown one stands for: its subframes when composed.
std::vector<const classGAFFrame*> Parts(const classGAFFrame& image, bool composed) {
  std::vector<const classGAFFrame*> parts;
  if (composed && !image.Subframes.IsEmpty()) {
    for (const FramePtr& sub : image.Subframes)
      if (sub) parts.push_back(sub.get());
  } else {
    parts.push_back(&image);
  }
  return parts;
}

}  // namespace

int32_t ZoomedOffset(int32_t n, int32_t zoom) { return FloorDiv(int64_t{n} * zoom, 100); }

int32_t ImageOffset(int32_t view, int32_t zoom) { return FloorDiv(int64_t{view} * 100, zoom); }

void ComposeView(uint32_t* pixels, int32_t stride, const ViewFrame& view, const Palette& palette, uint32_t background,
                 const classGAFFrame& shown, const ViewLayers& layers) {
  if (!pixels || view.width <= 0 || view.height <= 0) return;
  Composer composer(pixels, stride, view, palette);
  const int32_t ox = view.originX, oy = view.originY;
  composer.Fill(background | 0xff000000u);
  const std::vector<const classGAFFrame*> parts = Parts(shown, layers.composed);
  if (layers.checkerboard)
    for (const classGAFFrame* part : parts) {
      const auto box = composer.BoxOf(*part, ox, oy);
      composer.Checker(box);
    }
  for (const ViewLayers::Underlay& under : layers.under)
    if (under.image) composer.Image(*under.image, ox, oy, under.tint, under.opacity);
  for (const classGAFFrame* part : parts) composer.Image(*part, ox, oy, 0, 100, layers.highlight);
  if (layers.grid && view.zoom >= 400) composer.Grid(ox, oy);
  if (layers.origin) composer.Crosshair(ox, oy);
}

}  // namespace quilmark
