// The preview window: plays one animation, ten frames a second, on a surface
// of its own. Every use opens a new, independent window owned by the main
// window; it keeps the very animation object, so edits show at the next tick.
#pragma once

#include <QMargins>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "display/classFastWin.h"
#include "display/qt/FrameView.h"
#include <QImage>
#include "document/classGAFAnimation.h"

namespace quilmark {

class MessageSink;

// The preview's picture box. Its picture is made once, at the surface's size;
// showing converts the surface's indices to colours row by row straight into
// it (no allocation), and painting copies it to the window: at 1x to the
// top-left corner, enlarged with the surface's centre on the box's centre.
// Each surface pixel is a whole square of device pixels (Times() across).
class PreviewCanvas : public ZoomedView, public SurfaceScreen {
  Q_OBJECT
 public:
  explicit PreviewCanvas(QWidget* parent = nullptr);
  // Makes the picture (width x height, all colour) and the colour table.
  void Prepare(int width, int height, const Palette& palette, QRgb colour);
  const QImage& Picture() const { return picture_; }
  // How many device pixels across a surface pixel is painted: at 1x as many
  // whole ones as the screen's scale holds, so that the surface still fits
  // the window; enlarged, the view's device zoom.
  int Times() const;
  void PutSurface(const classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth,
                  int32_t destHeight, int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight,
                  bool stretch) override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
  QRgb colours_[256] = {};
  QRgb background_ = 0;
};

// A tool window of its owner's: a transient of the owner's window, so kept
// above it and left out of the taskbar, placed by the window manager clear of
// other windows (a dialog would be centred on the owner, each new preview on
// the last), and not modal. Its outer size, frame included, is the surface's
// size; the user may resize it, the canvas then filling the client area.
class FrmPreview : public QWidget {
  Q_OBJECT
 public:
  // The window deletes itself when closed, and closes with its owner.
  FrmPreview(AnimationPtr animation, QWidget* owner, MessageSink* messages = nullptr);
  ~FrmPreview() override;

  // A new window shown without modality and set up; null once it has closed
  // (set-up failed, or its first ticks did).
  static QPointer<FrmPreview> Open(AnimationPtr animation, QWidget* owner, MessageSink* messages = nullptr);

  // Set-up, then shown; false when the surface could not be made (the window
  // then closes).
  bool Form_Load();
  // The canvas takes the whole client area.
  void Form_Resize();
  // One frame shown and the counter advanced; a tick that cannot show its
  // frame closes the window and yields false.
  bool TmrAnimate_Timer();

  // The surface size for an animation: the largest image plus 96, rounded down
  // to a multiple of 4.
  static int32_t SurfaceSide(int32_t largest);

  AnimationPtr PreviewAnimation;
  int32_t PreviewWidth = 0;
  int32_t PreviewHeight = 0;
  classFastWin PreviewSurface;
  std::vector<uint8_t> PreviewBackground;
  int32_t PreviewFrame = 1;

  PreviewCanvas* Canvas;
  QTimer* TmrAnimate;
  // The title: "Preview - 'name'", the zoom added while enlarged.
  QString Caption() const;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Gives the client area the surface's size less the frame. The window
  // manager's frame is known only once it has framed the window, so this runs
  // again whenever the frame's margins change, as long as the user has not
  // resized the window since.
  void FitOuterSize();

  MessageSink* messages_;
  bool fitted_ = false;
  QMargins fittedMargins_;
  QSize fittedClient_;
};

}  // namespace quilmark
