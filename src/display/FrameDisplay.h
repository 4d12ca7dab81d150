// Putting the selected animation, frame or subframe on the main window, and
// composing a frame from its subframes on any surface.
//
// The display code reaches the window only through FrameControls, which the
// main window implements (and the tests implement without a window). Filling
// the controls is display only: an implementation must not let the values it
// is given flow back into the document.
#pragma once

#include <cstdint>
#include <string>

#include "display/classFastWin.h"
#include "editorcore/EditorState.h"

namespace quilmark {

class FrameControls {
 public:
  virtual ~FrameControls() = default;

  // Sliders. A value outside the slider's range is refused (the old one stays).
  virtual void SetScrollFramesEnabled(bool enabled) = 0;
  virtual void SetScrollFramesMax(int32_t max) = 0;
  virtual void SetScrollFramesValue(int32_t value) = 0;
  virtual void SetScrollSubframesEnabled(bool enabled) = 0;
  virtual void SetScrollSubframesMax(int32_t max) = 0;
  virtual void SetScrollSubframesValue(int32_t value) = 0;

  // "Frame Information". The up-down values also rewrite their text boxes.
  virtual void SetTxtWidth(const std::string& text) = 0;
  virtual void SetTxtHeight(const std::string& text) = 0;
  virtual void SetTxtFPS(const std::string& text) = 0;
  virtual void SetScrollXPosValue(int32_t value) = 0;
  virtual void SetScrollYPosValue(int32_t value) = 0;
  virtual void SetScrollFPSValue(int32_t value) = 0;
  virtual void SetCompressedValue(bool checked) = 0;
  virtual void SetCompressedEnabled(bool enabled) = 0;
  // The three up-downs and the five text boxes together.
  virtual void SetEditorsEnabled(bool enabled) = 0;
  virtual void SetCmdFrameEnabled(bool enabled) = 0;
  virtual void SetCmdSubframeEnabled(bool enabled) = 0;

  // The frame view PicFrame.
  virtual int32_t PictureWidth() const = 0;
  virtual int32_t PictureHeight() const = 0;
  // Its picture becomes empty: only the background shows.
  virtual void ClearPicture() = 0;
  // The device the main surface is shown on.
  virtual SurfaceScreen& PictureScreen() = 0;
  // The view's zoom in percent: 25, 50 (every second or fourth pixel shown),
  // 100, or 200 to 1600 (each pixel repeated).
  virtual int32_t PictureZoom() const { return 100; }
  // How far the view is scrolled from where the picture is placed: the
  // picture moves left and up by it.
  virtual int32_t PictureScrollX() const { return 0; }
  virtual int32_t PictureScrollY() const { return 0; }
  // Called before an image is placed, so that the view can fit its scrolling
  // to the image.
  virtual void PrepareFor(const classGAFFrame& /*image*/) {}
  // What was shown becomes the view's lasting picture.
  virtual void KeepPicture() = 0;
  // The main surface.
  virtual classFastWin& Surface() = 0;
};

// Selects frame SelectFrame of the animation and shows it, or the empty state.
void DisplayAnimation(classGAFAnimation& animation, FrameControls& controls, EditorState& state,
                      int32_t SelectFrame = 1);
// Shows a frame's values and picture; for a frame (Subframe false) also selects
// subframe SelectSubframe and shows it instead when there is one.
void DisplayFrame(classGAFFrame& frame, FrameControls& controls, EditorState& state, bool Subframe = false,
                  int32_t SelectSubframe = 1);
// Draws the image alone in the frame view, index 9 painted in colour 255,
// sized by the view's zoom (pixels repeated or dropped, never blended) and
// moved by its scrolling.
void DisplayPicture(const classGAFFrame& frame, FrameControls& controls, const EditorState& state);
// Where DisplayPicture puts the image's top-left corner in a view of
// viewWidth x viewHeight pixels at the given zoom (percent), before scrolling:
// the origin, or the image's centre when centerInView, on the view's centre.
// At 100% a coordinate that does not fit in 16 bits is 0.
struct PicturePlace {
  int32_t left = 0;
  int32_t top = 0;
};
PicturePlace PicturePlacement(const classGAFFrame& frame, int32_t viewWidth, int32_t viewHeight, bool centerInView,
                              int32_t zoom = 100);
// The same for an image of width x height whose origin is at (x, y).
struct ImageGeometry {
  int32_t width = 0, height = 0, x = 0, y = 0;
  static ImageGeometry Of(const classGAFFrame& frame);
};
PicturePlace PicturePlacement(const ImageGeometry& image, int32_t viewWidth, int32_t viewHeight, bool centerInView,
                              int32_t zoom = 100);
// The size an image of width x height takes in the view at zoom (percent).
struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
};
PictureSize ZoomedSize(int32_t width, int32_t height, int32_t zoom);
// The views' zoom steps in percent: 25, 50, 100, 200, 300, 400, 600, 800,
// 1200 and 1600. The step steps away from zoom (in when positive, out when
// negative), held within 25..1600.
int32_t StepZoom(int32_t zoom, int steps);
constexpr int32_t kMinZoom = 25, kMaxZoom = 1600;
// The zoom (percent) a view at zoom shows at on a screen of ratio device
// pixels to a view pixel, in device pixels: every image pixel a whole square
// of as many device pixels across as zoom times ratio comes nearest to
// (halves going up); from under three quarters of one, every second image
// pixel, and from under three eighths every fourth. So every zoom step still
// shows larger than the one below it, up to kMaxDeviceZoom.
int32_t DeviceZoom(int32_t zoom, double ratio);
constexpr int32_t kMaxDeviceZoom = kMaxZoom * 4;

// Composes the frame, or all its subframes in order, with its origin at (x, y).
void DrawImage(const classGAFFrame& frame, classFastWin& surface, int32_t x, int32_t y);

}  // namespace quilmark
