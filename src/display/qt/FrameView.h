// The Qt side of the drawing surface: the surface's memory seen as an indexed
// QImage with the game palette as colour table, and the frame view widget that
// surfaces are shown in.
#pragma once

#include <QAction>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <array>
#include <optional>

#include "display/FrameCompose.h"
#include "display/classFastWin.h"

class QPainter;

namespace quilmark {

// An Indexed8 image over the surface's own pixel memory (no copy), its colour
// table the surface's palette. Null for a surface without memory.
QImage SurfaceImage(const classFastWin& surface);
// The colour of palette index i as Qt sees it.
QRgb PaletteColour(const Palette& palette, int index);
// A composed picture (a thumbnail) in the game's colours, its transparent
// pixels as a checkerboard of 4-pixel squares.
QImage CheckeredPicture(const ComposedImage& image);
// The same for the frame composed and scaled to fit side x side view pixels,
// made in the device pixels of a screen of scale ratio (the picture carries
// the ratio, so that it is painted one to one); null for a frame of no pixels.
QImage CheckeredThumbnail(const classGAFFrame& frame, int side, double ratio);

// Draws the source part of image onto the target rectangle, in device pixels
// from painter's top-left corner. Every image pixel lands on whole device
// pixels whatever the screen's scaling: a target of the source's size, or a
// whole multiple of it, shows each image pixel as one device pixel, or a
// square of them.
void DrawOnDevicePixels(QPainter& painter, const QImage& image, QRect target, QRect source);

// A view that shows its picture zoomed, from 25% (or a larger least zoom) to
// 1600%. Ctrl + mouse wheel steps the zoom about the point under the pointer;
// the owner redraws on ZoomChanged. Other wheel turns go on to the parent.
//
// On a scaled screen (a device pixel ratio other than 1) the picture is drawn
// in device pixels at DeviceZoomPercent(), so that every image pixel is a
// whole square of them.
class ZoomedView : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
  // How many times the picture is enlarged; 1 also when it is reduced.
  int Zoom() const { return std::max(1, percent_ / 100); }
  int ZoomPercent() const { return percent_; }
  // The zoom on the screen's device pixels, and the same for whole times.
  int DeviceZoomPercent() const;
  int DeviceZoom() const { return std::max(1, DeviceZoomPercent() / 100); }
  // The view's size in device pixels, and the device pixel a point of the
  // view falls in.
  QSize DeviceSize() const;
  QPoint DevicePoint(QPointF at) const;
  // The view's area that covers a rectangle of device pixels, and the device
  // pixels that a view's area covers.
  QRect ViewRect(QRect device) const;
  QRect DeviceRect(QRect view) const;
  void SetZoom(int times) { SetZoomPercent(times * 100); }
  // Held within the least zoom and 1600%; ZoomChanged when it changes.
  // anchor is the view point whose picture pixel is to stay under it; the
  // view's centre when there is none.
  void SetZoomPercent(int percent, std::optional<QPoint> anchor = std::nullopt);
  void SetLeastZoomPercent(int percent);
  // steps zoom steps in (positive) or out (negative).
  void ZoomBy(int steps, std::optional<QPoint> anchor = std::nullopt);
  // "400%", "50%".
  QString ZoomText() const;
  // The zoom before the last change, and the point that change kept still.
  int PreviousZoomPercent() const { return previous_; }
  QPoint ZoomAnchor() const { return anchor_; }
 signals:
  void ZoomChanged(int percent);
  // The view went to a screen of another scale (device pixels to a view
  // pixel); previous is the one it was on. A frame view makes its picture
  // anew at the new size; the owner draws in it again.
  void ScaleChanged(double previous);

 protected:
  bool event(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  int percent_ = 100, previous_ = 100, least_ = 25;
  double ratio_ = 0;  // the scale last seen; 0 before the first
  QPoint anchor_;
  int wheelTurn_ = 0;  // of a notch, from fine wheels
};

// "Zoom &In" (Ctrl+= and Ctrl++), "Zoom &Out" (Ctrl+-) and "&Actual Size"
// (Ctrl+0) for view, their keys working anywhere in window.
std::array<QAction*, 3> ZoomActions(QWidget* window, ZoomedView* view);

// The same keys read from a key event, for a window whose owner's shortcuts
// stay live while it is active (a tool window): it takes them as its own by
// accepting their shortcut override, then acts on the key press. True when
// the event was a zoom key.
bool HandleZoomKey(QEvent* event, ZoomedView* view);

// A picture area that keeps what was shown in it until it is cleared. Showing
// is one block transfer from the surface's indexed image into the kept
// picture; painting the widget is one more into the window. The kept picture
// is made again only when the widget changes size. Its pixels are the
// screen's device pixels (DeviceSize()), and so are the coordinates that
// surfaces are shown at.
class FrameView : public ZoomedView, public SurfaceScreen {
  Q_OBJECT
 public:
  explicit FrameView(QWidget* parent = nullptr);

  // Background outside the image.
  void SetBackground(QColor colour);
  QColor Background() const { return background_; }
  // Its picture becomes empty.
  void ClearPicture();
  // The lasting picture, as painted (device size).
  const QImage& Picture() const { return picture_; }
  // The same, to be drawn on (update() shows what was drawn).
  QImage& PictureToDraw() { return picture_; }

  void PutSurface(const classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth, int32_t destHeight,
                  int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight, bool stretch) override;
  void GetSurface(classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth, int32_t destHeight,
                  int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight, bool stretch) override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  const QImage& ImageOf(const classFastWin& surface);
  // A stretched transfer: each picture pixel takes the surface pixel it
  // falls on, only the part inside the picture being written.
  void PutStretched(const classFastWin& surface, QRect dest, QRect src);

  QImage picture_;
  QColor background_{Qt::black};
  // The indexed image of the last surface shown, made once per surface.
  QImage surfaceImage_;
  const uint8_t* surfaceBits_ = nullptr;
};

}  // namespace quilmark
