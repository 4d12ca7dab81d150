// The Qt side of the drawing surface: the surface's memory seen as an indexed
// QImage with the game palette as colour table, and the frame view widget that
// surfaces are shown in.
#pragma once

#include <QImage>
#include <QWidget>

#include "display/classFastWin.h"

namespace quilmark {

// An Indexed8 image over the surface's own pixel memory (no copy), its colour
// table the surface's palette. Null for a surface without memory.
QImage SurfaceImage(const classFastWin& surface);
// The colour of palette index i as Qt sees it.
QRgb PaletteColour(const Palette& palette, int index);

// A picture area that keeps what was shown in it until it is cleared. Showing
// is one block transfer from the surface's indexed image into the kept
// picture; painting the widget is one more into the window. The kept picture
// is made again only when the widget changes size.
class FrameView : public QWidget, public SurfaceScreen {
  Q_OBJECT
 public:
  explicit FrameView(QWidget* parent = nullptr);

  // Background outside the image.
  void SetBackground(QColor colour);
  QColor Background() const { return background_; }
  // Its picture becomes empty.
  void ClearPicture();
  // The lasting picture, as painted (view size).
  const QImage& Picture() const { return picture_; }

  void PutSurface(const classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth,
                  int32_t destHeight, int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight,
                  bool stretch) override;
  void GetSurface(classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth, int32_t destHeight,
                  int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight, bool stretch) override;

  // Transfers made since construction (for measuring).
  int Transfers() const { return transfers_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  const QImage& ImageOf(const classFastWin& surface);

  QImage picture_;
  QColor background_{Qt::black};
  // The indexed image of the last surface shown, made once per surface.
  QImage surfaceImage_;
  const uint8_t* surfaceBits_ = nullptr;
  int transfers_ = 0;
};

}  // namespace quilmark
