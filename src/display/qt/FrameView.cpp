#include "display/qt/FrameView.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace quilmark {

QRgb PaletteColour(const Palette& palette, int index) {
  const PaletteEntry& e = palette[static_cast<size_t>(index & 255)];
  return qRgb(e.Red, e.Green, e.Blue);
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

FrameView::FrameView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void FrameView::SetBackground(QColor colour) {
  background_ = colour;
  ClearPicture();
}

void FrameView::ClearPicture() {
  if (picture_.size() != size() || picture_.isNull()) picture_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
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
  QPainter painter(&picture_);
  if (stretch) {
    // Rows and columns are dropped or repeated, never blended.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QRect(destLeft, destTop, destWidth, destHeight), source,
                      QRect(srcLeft, srcTop, srcWidth, srcHeight));
  } else {
    painter.drawImage(QPoint(destLeft, destTop), source, QRect(srcLeft, srcTop, destWidth, destHeight));
  }
  ++transfers_;
  update(QRect(destLeft, destTop, destWidth, destHeight));
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
  painter.drawImage(event->rect(), picture_, event->rect());
}

void FrameView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (picture_.size() != size()) ClearPicture();
}

}  // namespace quilmark
