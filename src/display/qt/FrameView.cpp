#include "display/qt/FrameView.h"

#include <QKeyEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "display/FrameDisplay.h"

namespace quilmark {

QRgb PaletteColour(const Palette& palette, int index) {
  const PaletteEntry& e = palette[static_cast<size_t>(index & 255)];
  return qRgb(e.Red, e.Green, e.Blue);
}

QImage CheckeredPicture(const ComposedImage& image) {
  QImage out(image.width, image.height, QImage::Format_RGB32);
  QRgb colours[256];
  for (int i = 0; i < 256; ++i) colours[i] = PaletteColour(GamePalette, i);
  for (int y = 0; y < image.height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    const uint8_t* from = image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width);
    for (int x = 0; x < image.width; ++x)
      row[x] = from[x] != TransparentIndex ? colours[from[x]] : ((x >> 2) + (y >> 2)) & 1 ? 0xffc8c8c8u : 0xffe8e8e8u;
  }
  return out;
}

QImage CheckeredThumbnail(const classGAFFrame& frame, int side, double ratio) {
  const ComposedImage scaled = ThumbnailOf(frame, static_cast<int32_t>(side * ratio));
  if (scaled.Empty()) return {};
  QImage picture = CheckeredPicture(scaled);
  picture.setDevicePixelRatio(ratio);
  return picture;
}

QImage SurfaceImage(const classFastWin& surface) {
  if (!surface.addrBits || surface.BmpWidth <= 0) return {};
  const int rows = std::abs(surface.BmpHeight);
  QImage image(surface.addrBits, surface.BmpWidth, rows, surface.BmpWidth, QImage::Format_Indexed8);
  QList<QRgb> table(256);
  for (int i = 0; i < 256; ++i) table[i] = PaletteColour(surface.ColourTable(), i);
  image.setColorTable(table);
  return image;
}

void DrawOnDevicePixels(QPainter& painter, const QImage& image, QRect target, QRect source) {
  // The painter maps the widget's points to device pixels by the screen's
  // scale and the widget's offset in the window. Drawn through the inverse
  // of that scale, the image is only moved (by whole device pixels: the
  // offset is rounded) or enlarged whole times, so it is never blended or
  // unevenly repeated.
  const double ratio = painter.deviceTransform().m11() > 0 ? painter.deviceTransform().m11() : 1;
  painter.save();
  painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.drawImage(target, image, source);
  painter.restore();
}

int ZoomedView::DeviceZoomPercent() const { return quilmark::DeviceZoom(percent_, devicePixelRatioF()); }

QSize ZoomedView::DeviceSize() const { return size() * devicePixelRatioF(); }

QPoint ZoomedView::DevicePoint(QPointF at) const {
  const double ratio = devicePixelRatioF();
  return {static_cast<int>(std::floor(at.x() * ratio)), static_cast<int>(std::floor(at.y() * ratio))};
}

QRect ZoomedView::ViewRect(QRect device) const {
  const double ratio = devicePixelRatioF();
  return QRectF(device.x() / ratio, device.y() / ratio, device.width() / ratio, device.height() / ratio)
      .toAlignedRect();
}

QRect ZoomedView::DeviceRect(QRect view) const {
  const double ratio = devicePixelRatioF();
  return QRectF(view.x() * ratio, view.y() * ratio, view.width() * ratio, view.height() * ratio).toAlignedRect();
}

void ZoomedView::SetZoomPercent(int percent, std::optional<QPoint> anchor) {
  percent = std::clamp(percent, least_, kMaxZoom);
  if (percent == percent_) return;
  previous_ = std::exchange(percent_, percent);
  anchor_ = anchor.value_or(QPoint(width() / 2, height() / 2));
  emit ZoomChanged(percent_);
}

void ZoomedView::SetLeastZoomPercent(int percent) {
  least_ = std::clamp(percent, kMinZoom, kMaxZoom);
  SetZoomPercent(percent_);
}

void ZoomedView::ZoomBy(int steps, std::optional<QPoint> anchor) { SetZoomPercent(StepZoom(percent_, steps), anchor); }

QString ZoomedView::ZoomText() const { return QString("%1%").arg(percent_); }

bool ZoomedView::event(QEvent* event) {
  if (event->type() == QEvent::ScreenChangeInternal) {
    const double was = std::exchange(ratio_, devicePixelRatioF());
    if (was != 0 && was != ratio_) emit ScaleChanged(was);
  } else if (ratio_ == 0 && event->type() == QEvent::Show) {
    ratio_ = devicePixelRatioF();
  }
  return QWidget::event(event);
}

void ZoomedView::wheelEvent(QWheelEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) {
    event->ignore();
    return;
  }
  // A notch is 120; fine wheels send parts of one.
  wheelTurn_ += event->angleDelta().y();
  const int notches = wheelTurn_ / 120;
  wheelTurn_ -= notches * 120;
  if (notches != 0) ZoomBy(notches, event->position().toPoint());
  event->accept();
}

std::array<QAction*, 3> ZoomActions(QWidget* window, ZoomedView* view) {
  auto make = [&](const QString& caption, const QList<QKeySequence>& keys, const char* name) {
    auto* action = new QAction(caption, window);
    action->setObjectName(name);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(action);
    return action;
  };
  QAction* in = make("Zoom &In", {QKeySequence("Ctrl+="), QKeySequence("Ctrl++")}, "ZoomIn");
  QAction* out = make("Zoom &Out", {QKeySequence("Ctrl+-")}, "ZoomOut");
  QAction* actual = make("&Actual Size", {QKeySequence("Ctrl+0")}, "ZoomActual");
  QObject::connect(in, &QAction::triggered, view, [view] { view->ZoomBy(1); });
  QObject::connect(out, &QAction::triggered, view, [view] { view->ZoomBy(-1); });
  QObject::connect(actual, &QAction::triggered, view, [view] { view->SetZoom(1); });
  return {in, out, actual};
}

bool HandleZoomKey(QEvent* event, ZoomedView* view) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers others = key->modifiers() & (Qt::AltModifier | Qt::MetaModifier);
  if (!(key->modifiers() & Qt::ControlModifier) || others) return false;
  int steps = 0;
  switch (key->key()) {
    case Qt::Key_Equal:
    case Qt::Key_Plus:
      steps = 1;
      break;
    case Qt::Key_Minus:
      steps = -1;
      break;
    case Qt::Key_0:
      break;
    default:
      return false;
  }
  event->accept();
  if (event->type() == QEvent::KeyPress) {
    if (steps == 0) {
      view->SetZoom(1);
    } else {
      view->ZoomBy(steps);
    }
  }
  return true;
}

FrameView::FrameView(QWidget* parent) : ZoomedView(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // On a screen of another scale the picture is made anew in its pixels,
  // before the owner draws again.
  connect(this, &ZoomedView::ScaleChanged, this, &FrameView::ClearPicture);
}

void FrameView::SetBackground(QColor colour) {
  background_ = colour;
  ClearPicture();
}

void FrameView::ClearPicture() {
  const QSize device = DeviceSize().expandedTo(QSize(1, 1));
  if (picture_.size() != device || picture_.isNull()) picture_ = QImage(device, QImage::Format_RGB32);
  picture_.fill(background_);
  update();
}

const QImage& FrameView::ImageOf(const classFastWin& surface) {
  if (surfaceBits_ != surface.addrBits || surfaceImage_.width() != surface.BmpWidth) {
    surfaceImage_ = SurfaceImage(surface);
    surfaceBits_ = surface.addrBits;
  }
  return surfaceImage_;
}

void FrameView::PutSurface(const classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth,
                           int32_t destHeight, int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight,
                           bool stretch) {
  const QImage& source = ImageOf(surface);
  if (source.isNull() || picture_.isNull()) return;
  if (stretch) {
    PutStretched(surface, QRect(destLeft, destTop, destWidth, destHeight), QRect(srcLeft, srcTop, srcWidth, srcHeight));
  } else {
    QPainter painter(&picture_);
    painter.drawImage(QPoint(destLeft, destTop), source, QRect(srcLeft, srcTop, destWidth, destHeight));
  }
  update(ViewRect(QRect(destLeft, destTop, destWidth, destHeight)));
}

void FrameView::PutStretched(const classFastWin& surface, QRect dest, QRect src) {
  // Rows and columns are dropped or repeated, never blended.
  if (dest.width() <= 0 || dest.height() <= 0 || src.width() <= 0 || src.height() <= 0) return;
  src &= QRect(0, 0, surface.BmpWidth, std::abs(surface.BmpHeight));
  const QRect shown = dest & picture_.rect();
  if (src.isEmpty() || shown.isEmpty()) return;
  QRgb colours[256];
  for (int i = 0; i < 256; ++i) colours[i] = PaletteColour(surface.ColourTable(), i);
  // The source column of each shown picture column, worked out once.
  std::vector<int> sourceX(static_cast<size_t>(shown.width()));
  for (int x = 0; x < shown.width(); ++x) {
    const int64_t along = static_cast<int64_t>(shown.left() + x - dest.left()) * src.width() / dest.width();
    sourceX[static_cast<size_t>(x)] = src.left() + static_cast<int>(std::min<int64_t>(along, src.width() - 1));
  }
  int lastRow = -1;
  for (int y = 0; y < shown.height(); ++y) {
    const int64_t down = static_cast<int64_t>(shown.top() + y - dest.top()) * src.height() / dest.height();
    const int sy = src.top() + static_cast<int>(std::min<int64_t>(down, src.height() - 1));
    auto* to = reinterpret_cast<QRgb*>(picture_.scanLine(shown.top() + y)) + shown.left();
    // An enlarged row repeats the one above it.
    if (sy == lastRow) {
      std::copy_n(reinterpret_cast<const QRgb*>(picture_.constScanLine(shown.top() + y - 1)) + shown.left(),
                  shown.width(), to);
      continue;
    }
    lastRow = sy;
    const uint8_t* from = surface.addrBits + static_cast<size_t>(sy) * static_cast<size_t>(surface.BmpWidth);
    for (int x = 0; x < shown.width();) {
      // A run of columns showing one source pixel takes its colour once.
      const int sx = sourceX[static_cast<size_t>(x)];
      const QRgb colour = colours[from[sx]];
      do to[x++] = colour;
      while (x < shown.width() && sourceX[static_cast<size_t>(x)] == sx);
    }
  }
}

void FrameView::GetSurface(classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth,
                           int32_t destHeight, int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight,
                           bool stretch) {
  // The view holds colours, not indices: each colour read back becomes the
  // nearest palette index.
  if (!surface.addrBits || picture_.isNull()) return;
  const int w = stretch ? srcWidth : destWidth, h = stretch ? srcHeight : destHeight;
  const QImage part = picture_.copy(srcLeft, srcTop, w, h).scaled(destWidth, destHeight);
  const QImage indexed = part.convertToFormat(QImage::Format_Indexed8, ImageOf(surface).colorTable());
  std::vector<uint8_t> block(static_cast<size_t>(destWidth) * static_cast<size_t>(std::max(0, destHeight)));
  for (int y = 0; y < indexed.height(); ++y)
    std::copy(indexed.constScanLine(y), indexed.constScanLine(y) + destWidth, block.begin() + y * destWidth);
  surface.TileDraw(destLeft, destTop, destWidth, destHeight, block);
}

void FrameView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (picture_.isNull()) {
    painter.fillRect(event->rect(), background_);
    return;
  }
  // Where the view's edges fall between device pixels, the picture may
  // leave part of one uncovered.
  if (devicePixelRatioF() != std::floor(devicePixelRatioF())) painter.fillRect(event->rect(), background_);
  const QRect part = DeviceRect(event->rect()) & picture_.rect();
  DrawOnDevicePixels(painter, picture_, part, part);
}

void FrameView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (picture_.size() != DeviceSize()) ClearPicture();
}

}  // namespace quilmark
