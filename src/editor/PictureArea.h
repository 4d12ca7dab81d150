// The frame view with its scroll bars. The view scrolls over the picture's
// extent: the image wherever its position puts it, and the origin. A scroll
// bar shows only while that extent is larger than the view, and then moves
// the picture until a quarter of the view still shows it; a picture that fits
// stays where it is placed. The wheel scrolls (Shift+wheel across), and a
// middle-button drag or Space+drag pans. A left-button drag and the arrow
// keys are reported for the image to be moved.
//
// View pixels, here and in what it reports, are the screen's device pixels,
// as the picture's are: on a scaled screen a wheel notch or a drag covers
// more of them.
#pragma once

#include <QScrollBar>
#include <functional>

#include "display/qt/FrameView.h"

namespace quilmark {

class PictureArea : public QWidget {
  Q_OBJECT
 public:
  explicit PictureArea(QWidget* parent);

  FrameView& Picture() { return *picture_; }
  // How far the view is scrolled from the unscrolled placement, in view pixels.
  QPoint Scroll() const { return scroll_; }
  // A new scroll position, held within the bars' ranges at the next fit.
  void SetScroll(QPoint scroll);
  // Fits the bars to an extent: extent(view size) is the picture's rectangle
  // in view pixels, unscrolled, for a view of that size. The picture takes
  // what the bars leave.
  void Fit(const std::function<QRect(QSize)>& extent);

 signals:
  // The user scrolled or panned: the picture is to be drawn again.
  void Scrolled();
  // A left-button drag: begun, moved by delta view pixels from where it
  // began, ended.
  void DragBegun();
  void Dragged(QPoint delta);
  void DragEnded();
  // An arrow key (Shift: 8 pixels at a time), in image pixels.
  void Nudged(QPoint delta);
  // The pointer over the picture, in its pixels; (-1, -1) when it left.
  void Hovered(QPoint at);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;
  // The picture's wheel turns without Ctrl scroll the area.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ScrollBy(QPoint delta);
  // The view pixels one wheel notch scrolls.
  int Notch() const;
  void FromBars();

  FrameView* picture_;
  QScrollBar* across_;
  QScrollBar* down_;
  QPoint scroll_;
  std::function<QRect(QSize)> extent_;
  bool spaceHeld_ = false;
  bool panning_ = false, dragging_ = false;
  QPointF panFrom_, dragFrom_;
  int wheelTurn_[2] = {0, 0};  // of a notch, from fine wheels: across, down
};

}  // namespace quilmark
