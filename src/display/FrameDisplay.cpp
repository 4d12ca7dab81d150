#include "display/FrameDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>

namespace quilmark {

void DisplayAnimation(classGAFAnimation& animation, FrameControls& controls, EditorState& state, int32_t SelectFrame) {
  const int count = animation.Frames.Count();
  if (count > 1) {
    controls.SetScrollFramesEnabled(true);
    controls.SetScrollFramesMax(count);
  } else {
    controls.SetScrollFramesEnabled(false);
    controls.SetScrollFramesMax(2);
  }
  state.CurrentFrame = SelectFrame;
  controls.SetScrollFramesValue(SelectFrame);
  if (FramePtr frame = animation.Frames.Item(state.CurrentFrame)) DisplayFrame(*frame, controls, state);

  if (count == 0) {
    state.CurrentSubframe = 0;
    controls.SetScrollSubframesValue(1);
    controls.SetScrollSubframesMax(2);
    controls.SetScrollSubframesEnabled(false);
    controls.ClearPicture();
    controls.SetTxtWidth("0");
    controls.SetTxtHeight("0");
    controls.SetScrollFPSValue(0);
    controls.SetScrollXPosValue(0);
    controls.SetScrollYPosValue(0);
    controls.SetCompressedValue(false);
    controls.SetCompressedEnabled(false);
    controls.SetCmdFrameEnabled(!animation.Name.empty());
    controls.SetCmdSubframeEnabled(false);
    controls.SetEditorsEnabled(false);
  } else {
    controls.SetCmdFrameEnabled(true);
    controls.SetCmdSubframeEnabled(true);
    controls.SetEditorsEnabled(true);
    controls.SetCompressedEnabled(true);
  }
}

void DisplayFrame(classGAFFrame& frame, FrameControls& controls, EditorState& state, bool Subframe,
                  int32_t SelectSubframe) {
  controls.SetTxtWidth(std::to_string(frame.Width()));
  controls.SetTxtHeight(std::to_string(frame.Height()));
  controls.SetTxtFPS(std::to_string(frame.FPS));
  controls.SetScrollXPosValue(frame.PositionX());
  controls.SetScrollYPosValue(frame.PositionY());
  controls.SetCompressedValue(frame.Compressed());
  DisplayPicture(frame, controls, state);
  if (Subframe) return;

  const int count = frame.Subframes.Count();
  if (count > 1) {
    controls.SetScrollSubframesMax(count);
    controls.SetScrollSubframesEnabled(true);
  } else {
    controls.SetScrollSubframesMax(2);
    controls.SetScrollSubframesEnabled(false);
  }
  state.CurrentSubframe = SelectSubframe;
  controls.SetScrollSubframesValue(SelectSubframe);
  if (FramePtr sub = frame.Subframes.Item(state.CurrentSubframe)) DisplayFrame(*sub, controls, state, true);
  if (count == 0) state.CurrentSubframe = 0;
}

namespace {

// value rounded half to even into 16 bits; empty when it does not fit.
std::optional<int32_t> Round16(double value) {
  const double r = std::nearbyint(value);
  if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max())) return std::nullopt;
  return static_cast<int32_t>(r);
}

}  // namespace

ImageGeometry ImageGeometry::Of(const classGAFFrame& frame) {
  return {frame.Width(), frame.Height(), frame.PositionX(), frame.PositionY()};
}

PicturePlace PicturePlacement(const classGAFFrame& frame, int32_t viewWidth, int32_t viewHeight, bool centerInView,
                              int32_t zoom) {
  return PicturePlacement(ImageGeometry::Of(frame), viewWidth, viewHeight, centerInView, zoom);
}

PicturePlace PicturePlacement(const ImageGeometry& image, int32_t viewWidth, int32_t viewHeight, bool centerInView,
                              int32_t zoom) {
  PicturePlace place;
  const double halfW = viewWidth / 2.0;
  const double halfH = viewHeight / 2.0;
  zoom = std::clamp(zoom, kMinZoom, kMaxDeviceZoom);
  const double z = zoom / 100.0;
  const double left = centerInView ? halfW - z * image.width / 2.0 : halfW - z * image.x;
  const double top = centerInView ? halfH - z * image.height / 2.0 : halfH - z * image.y;
  if (zoom == 100) {
    // A corner that does not fit leaves that coordinate at 0.
    if (auto l = Round16(left)) place.left = *l;
    if (auto t = Round16(top)) place.top = *t;
    return place;
  }
  // Zoomed, every corner fits: an image 32767 pixels away times 64 is far
  // inside 32 bits.
  place.left = static_cast<int32_t>(std::floor(left));
  place.top = static_cast<int32_t>(std::floor(top));
  return place;
}

void DisplayPicture(const classGAFFrame& frame, FrameControls& controls, const EditorState& state) {
  controls.PrepareFor(frame);
  const int32_t zoom = std::clamp(controls.PictureZoom(), kMinZoom, kMaxDeviceZoom);
  PicturePlace place =
      PicturePlacement(frame, controls.PictureWidth(), controls.PictureHeight(), state.CenterInView, zoom);
  place.left -= controls.PictureScrollX();
  place.top -= controls.PictureScrollY();
  controls.ClearPicture();
  classFastWin& surface = controls.Surface();
  surface.ClearTileDraw(0, 0, frame.Width(), frame.Height(), frame.Pixels, TransparentIndex, 255, 0);
  // Only the part of the image that the surface holds is shown.
  const int32_t w = std::min(frame.Width(), surface.BmpWidth);
  const int32_t h = std::min(frame.Height(), std::abs(surface.BmpHeight));
  if (w > 0 && h > 0) {
    if (zoom == 100) {
      surface.Show(controls.PictureScreen(), place.left, place.top, w, h, 0, 0, 1, 1, false);
    } else {
      const PictureSize size = ZoomedSize(w, h, zoom);
      surface.Show(controls.PictureScreen(), place.left, place.top, size.width, size.height, 0, 0, w, h, true);
    }
  }
  controls.KeepPicture();
}

PictureSize ZoomedSize(int32_t width, int32_t height, int32_t zoom) {
  zoom = std::clamp(zoom, kMinZoom, kMaxDeviceZoom);
  // Reduced, a part pixel still shows: the size rounds up.
  auto scaled = [zoom](int32_t n) { return n <= 0 ? 0 : static_cast<int32_t>((int64_t{n} * zoom + 99) / 100); };
  return {scaled(width), scaled(height)};
}

int32_t StepZoom(int32_t zoom, int steps) {
  static constexpr int32_t kSteps[] = {25, 50, 100, 200, 300, 400, 600, 800, 1200, 1600};
  constexpr int last = static_cast<int>(std::size(kSteps)) - 1;
  // The step at or below zoom, so that an odd zoom steps onto the list.
  int at = 0;
  while (at < last && kSteps[at + 1] <= zoom) ++at;
  if (steps < 0 && kSteps[at] < zoom) ++at;
  return kSteps[std::clamp(at + steps, 0, last)];
}

int32_t DeviceZoom(int32_t zoom, double ratio) {
  if (!(ratio > 0)) ratio = 1;
  const double times = std::clamp(zoom, kMinZoom, kMaxZoom) / 100.0 * ratio;
  if (times < 0.375) return 25;
  if (times < 0.75) return 50;
  return static_cast<int32_t>(std::min<double>(std::floor(times + 0.5) * 100, kMaxDeviceZoom));
}

void DrawImage(const classGAFFrame& frame, classFastWin& surface, int32_t x, int32_t y) {
  if (!frame.Subframes.IsEmpty()) {
    for (const auto& sub : frame.Subframes)
      if (sub) DrawImage(*sub, surface, x, y);
    return;
  }
  surface.ClearTileDraw(x - frame.PositionX(), y - frame.PositionY(), frame.Width(), frame.Height(), frame.Pixels,
                        TransparentIndex, 255, 1);
}

}  // namespace quilmark
