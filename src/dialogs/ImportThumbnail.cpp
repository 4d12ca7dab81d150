#include "dialogs/ImportThumbnail.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <algorithm>

#include "dialogs/FileBrowser.h"
#include "display/qt/FrameView.h"
#include "document/classGAFFrame.h"
#include "images/ImageFile.h"

namespace quilmark {

namespace {

// One index per cell of a picture reduced to size `to`. Every pixel falls in
// the block of exactly one cell, so no pixel is skipped as a pick of the
// nearest pixel skips most lines. A cell shows its block's ground, the most
// common opaque colour when opaque pixels fill at least half of the block,
// else transparent; but a colour with as many pixels as a line across the
// block has (its shorter side) stands out: of those, the one farthest from
// the ground's colour, over a transparent ground the most common. So a line
// one pixel thin survives any reduction, a lone pixel that makes no line is
// not blown up to a cell, and outlines lean to the opaque side. Blending
// (area averaging) would fade such a line to nothing and smear transparency
// into the colours.
std::vector<uint8_t> Reduce(const std::vector<uint8_t>& pixels, QSize from, QSize to, const QList<QRgb>& colours) {
  const auto clear = [&](int index) { return qAlpha(colours[index]) == 0; };
  const auto distance = [&](int a, int b) {
    const QRgb x = colours[a], y = colours[b];
    const int r = qRed(x) - qRed(y), g = qGreen(x) - qGreen(y), l = qBlue(x) - qBlue(y);
    return r * r + g * g + l * l;
  };
  const auto edge = [](int cell, int source, int cells) { return int(int64_t{cell} * source / cells); };
  std::vector<uint8_t> cells(size_t(to.width()) * size_t(to.height()));
  std::vector<int64_t> counts(256);
  std::vector<int> found;
  for (int cy = 0; cy < to.height(); ++cy) {
    const int top = edge(cy, from.height(), to.height()), bottom = edge(cy + 1, from.height(), to.height());
    for (int cx = 0; cx < to.width(); ++cx) {
      const int left = edge(cx, from.width(), to.width()), right = edge(cx + 1, from.width(), to.width());
      found.clear();
      int64_t opaque = 0;
      for (int y = top; y < bottom; ++y) {
        const uint8_t* row = pixels.data() + size_t(y) * size_t(from.width());
        for (int x = left; x < right; ++x)
          if (counts[row[x]]++ == 0) found.push_back(row[x]);
      }
      std::sort(found.begin(), found.end());  // ties go to the lower index
      int ground = TransparentIndex;
      for (int index : found) {
        if (clear(index)) continue;
        opaque += counts[index];
        if (ground == TransparentIndex || counts[index] > counts[ground]) ground = index;
      }
      if (2 * opaque < int64_t{right - left} * (bottom - top)) ground = TransparentIndex;
      const int64_t line = std::min(right - left, bottom - top);
      int shown = ground;
      int64_t best = 0;
      for (int index : found) {
        if (clear(index) || index == ground || counts[index] < line) continue;
        const int64_t standing = ground == TransparentIndex ? counts[index] : distance(index, ground);
        if (standing > best) shown = index, best = standing;
      }
      cells[size_t(cy) * size_t(to.width()) + size_t(cx)] = uint8_t(shown);
      for (int index : found) counts[index] = 0;
    }
  }
  return cells;
}

}  // namespace

QRgb CheckerColour(QPoint at) { return (at.x() / 8 + at.y() / 8) % 2 ? qRgb(153, 153, 153) : qRgb(204, 204, 204); }

QColor ViewBackground(const QWidget* owner) {
  if (const FrameView* view = owner ? owner->findChild<FrameView*>() : nullptr) return view->Background();
  return QColor(PaletteColour(GamePalette, 255));
}

QSize ThumbnailSize(QSize picture, QSize area) {
  if (picture.isEmpty() || area.isEmpty()) return {};
  if (picture.width() <= area.width() && picture.height() <= area.height()) {
    const int zoom = std::min(area.width() / picture.width(), area.height() / picture.height());
    return picture * zoom;
  }
  return picture.scaled(area, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

ImportThumbnail::ImportThumbnail(FileList* files, QCheckBox* white, QColor background, QWidget* parent)
    : QFrame(parent), background_(background), white_(white->isChecked()) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  connect(files, &FileList::Highlighted, this, &ImportThumbnail::ShowFile);
  connect(white, &QCheckBox::toggled, this, &ImportThumbnail::SetWhiteAsTransparent);
}

void ImportThumbnail::ShowFile(const QString& path) {
  LoadedBitmap bitmap;
  // A file of no pixels comes to an empty size below and shows nothing, as
  // one that cannot be read. A file larger than any sprite (an 8192 x 8192
  // bitmap) is not read at all, so that moving through a folder never stalls.
  constexpr qint64 kLargestShown = qint64{64} << 20;
  const bool read = !path.isEmpty() && QFileInfo(path).size() <= kLargestShown &&
                    ReadImage(QFile::encodeName(path).toStdString(), bitmap);
  width_ = read ? bitmap.BMPInfoHeader.Width : 0;
  height_ = read ? bitmap.BMPInfoHeader.Height : 0;
  pixels_ = read ? std::move(bitmap.BMPPixels) : std::vector<uint8_t>();
  Render();
}

void ImportThumbnail::SetWhiteAsTransparent(bool white) {
  white_ = white;
  Render();
}

void ImportThumbnail::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  Render();
}

void ImportThumbnail::Render() {
  picture_ = QImage();
  // Made on the screen's own pixels, so that a scaled screen shows every
  // pixel of the file as whole ones.
  const double ratio = devicePixelRatioF();
  const QSize size = ThumbnailSize(QSize(width_, height_), contentsRect().size() * ratio);
  if (!size.isEmpty()) {
    // The import stores white as index 9, when asked to, and index 9 is not
    // drawn: both come down to the colour table.
    QList<QRgb> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = PaletteColour(GamePalette, i);
    colours[TransparentIndex] = qRgba(0, 0, 0, 0);
    if (white_) colours[255] = qRgba(0, 0, 0, 0);
    std::vector<uint8_t> reduced;
    const bool reducing = size.width() < width_ || size.height() < height_;
    if (reducing) reduced = Reduce(pixels_, QSize(width_, height_), size, colours);
    QImage indices(reducing ? reduced.data() : pixels_.data(), reducing ? size.width() : width_,
                   reducing ? size.height() : height_, reducing ? size.width() : width_, QImage::Format_Indexed8);
    indices.setColorTable(colours);
    // A whole zoom repeats each pixel, without blending.
    const QImage cells = indices.convertToFormat(QImage::Format_ARGB32).scaled(size, Qt::IgnoreAspectRatio,
                                                                               Qt::FastTransformation);
    picture_ = QImage(size, QImage::Format_RGB32);
    QPainter painter(&picture_);
    for (int y = 0; y < size.height(); y += 8)
      for (int x = 0; x < size.width(); x += 8) painter.fillRect(x, y, 8, 8, CheckerColour(QPoint(x, y)));
    painter.drawImage(0, 0, cells);
    painter.end();
    picture_.setDevicePixelRatio(ratio);
  }
  update();
}

void ImportThumbnail::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect();
  painter.fillRect(area, background_);
  if (!picture_.isNull()) {
    QRectF place(QPointF(), picture_.deviceIndependentSize());
    place.moveCenter(QRectF(area).center());
    painter.drawImage(place.topLeft(), picture_);
  }
}

}  // namespace quilmark
