#include "editor/PictureArea.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <cmath>

namespace quilmark {
namespace {
// View pixels one wheel notch scrolls.
constexpr int kNotch = 48;
}  // namespace

PictureArea::PictureArea(QWidget* parent) : QWidget(parent) {
  setObjectName("PicArea");
  picture_ = new FrameView(this);
  picture_->setObjectName("PicFrame");
  across_ = new QScrollBar(Qt::Horizontal, this);
  across_->setObjectName("PicScrollAcross");
  down_ = new QScrollBar(Qt::Vertical, this);
  down_->setObjectName("PicScrollDown");
  picture_->installEventFilter(this);
  // Moves without a button are reported too, on the picture and here.
  picture_->setMouseTracking(true);
  setMouseTracking(true);
  for (QScrollBar* bar : {across_, down_}) {
    bar->hide();
    bar->setRange(0, 0);
    connect(bar, &QScrollBar::valueChanged, this, &PictureArea::FromBars);
  }
}

int PictureArea::Notch() const { return static_cast<int>(std::lround(kNotch * devicePixelRatioF())); }

void PictureArea::SetScroll(QPoint scroll) {
  scroll_ = scroll;
  QSignalBlocker blockAcross(across_), blockDown(down_);
  across_->setValue(scroll.x());
  down_->setValue(scroll.y());
}

void PictureArea::Fit(const std::function<QRect(QSize)>& extent) {
  extent_ = extent;
  const int barW = down_->sizeHint().width(), barH = across_->sizeHint().height();
  // A bar takes room from the view, which may call for the other bar.
  bool across = false, down = false;
  QSize view = size();
  QRect shown;
  QSize device;
  for (int pass = 0; pass < 3; ++pass) {
    view = size() - QSize(down ? barW : 0, across ? barH : 0);
    device = view * devicePixelRatioF();
    shown = extent(device);
    across = shown.left() < 0 || shown.left() + shown.width() > device.width();
    down = shown.top() < 0 || shown.top() + shown.height() > device.height();
  }
  view = size() - QSize(down ? barW : 0, across ? barH : 0);
  device = view * devicePixelRatioF();
  shown = extent(device);
  picture_->setGeometry(QRect(QPoint(0, 0), view.expandedTo(QSize(1, 1))));
  across_->setGeometry(0, view.height(), view.width(), barH);
  down_->setGeometry(view.width(), 0, barW, view.height());
  {
    QSignalBlocker blockAcross(across_), blockDown(down_);
    // The picture can be moved until a quarter of the view still shows it.
    const auto range = [](QScrollBar* bar, bool shownBar, int from, int length, int view) {
      if (!shownBar) return bar->setRange(0, 0);
      bar->setRange(std::min(0, from - (view - view / 4)), std::max(0, from + length - view / 4));
    };
    range(across_, across, shown.left(), shown.width(), device.width());
    range(down_, down, shown.top(), shown.height(), device.height());
    across_->setPageStep(std::max(1, device.width()));
    down_->setPageStep(std::max(1, device.height()));
    across_->setSingleStep(Notch() / 3);
    down_->setSingleStep(Notch() / 3);
    across_->setValue(scroll_.x());
    down_->setValue(scroll_.y());
  }
  across_->setVisible(across);
  down_->setVisible(down);
  scroll_ = {across_->value(), down_->value()};
}

void PictureArea::FromBars() {
  scroll_ = {across_->value(), down_->value()};
  emit Scrolled();
}

void PictureArea::ScrollBy(QPoint delta) {
  if (delta.isNull()) return;
  SetScroll(scroll_ + delta);
  // The bars hold the value within their ranges.
  scroll_ = {across_->value(), down_->value()};
  emit Scrolled();
}

void PictureArea::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (extent_) {
    Fit(extent_);
  } else {
    picture_->setGeometry(rect());
  }
}

void PictureArea::wheelEvent(QWheelEvent* event) {
  // Shift turns the wheel across, whichever way the system reports it.
  const QPoint turn = event->angleDelta();
  const bool across = event->modifiers() & Qt::ShiftModifier;
  const int delta = across && turn.y() == 0 ? turn.x() : turn.y();
  int& part = wheelTurn_[across ? 0 : 1];
  part += delta;
  const int notches = part / 120;
  part -= notches * 120;
  const QPoint step = across ? QPoint(-notches * Notch(), 0) : QPoint(0, -notches * Notch());
  ScrollBy(step);
  event->accept();
}

bool PictureArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picture_ && event->type() == QEvent::Wheel &&
      !(static_cast<QWheelEvent*>(event)->modifiers() & Qt::ControlModifier)) {
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void PictureArea::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_)) {
    panning_ = true;
    panFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
    event->accept();
    return;
  }
  if (event->button() == Qt::LeftButton && !panning_) {
    dragging_ = true;
    dragFrom_ = event->position();
    emit DragBegun();
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void PictureArea::mouseMoveEvent(QMouseEvent* event) {
  const QPointF over = picture_->mapFrom(this, event->position());
  emit Hovered(QRectF(picture_->rect()).contains(over) ? picture_->DevicePoint(over) : QPoint(-1, -1));
  const QPointF at = event->position();
  if (dragging_) {
    emit Dragged(picture_->DevicePoint(at) - picture_->DevicePoint(dragFrom_));
    event->accept();
    return;
  }
  if (!panning_) return QWidget::mouseMoveEvent(event);
  // The picture follows the pointer.
  ScrollBy(picture_->DevicePoint(panFrom_) - picture_->DevicePoint(at));
  panFrom_ = at;
  event->accept();
}

void PictureArea::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_ && event->button() == Qt::LeftButton) {
    dragging_ = false;
    emit DragEnded();
    event->accept();
    return;
  }
  if (!panning_) return QWidget::mouseReleaseEvent(event);
  panning_ = false;
  setCursor(spaceHeld_ ? Qt::OpenHandCursor : Qt::ArrowCursor);
  event->accept();
}

void PictureArea::leaveEvent(QEvent* event) {
  emit Hovered(QPoint(-1, -1));
  QWidget::leaveEvent(event);
}

void PictureArea::keyPressEvent(QKeyEvent* event) {
  const int step = event->modifiers() & Qt::ShiftModifier ? 8 : 1;
  const QPoint arrows[] = {{-step, 0}, {0, -step}, {step, 0}, {0, step}};  // Left, Up, Right, Down
  if (event->key() >= Qt::Key_Left && event->key() <= Qt::Key_Down) {
    emit Nudged(arrows[event->key() - Qt::Key_Left]);
    event->accept();
    return;
  }
  if (event->key() != Qt::Key_Space) return QWidget::keyPressEvent(event);
  if (!event->isAutoRepeat()) {
    spaceHeld_ = true;
    if (!panning_) setCursor(Qt::OpenHandCursor);
  }
  event->accept();
}

void PictureArea::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space) return QWidget::keyReleaseEvent(event);
  if (!event->isAutoRepeat()) {
    spaceHeld_ = false;
    if (!panning_) setCursor(Qt::ArrowCursor);
  }
  event->accept();
}

}  // namespace quilmark
