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
  const QSize size = ThumbnailSize(QSize(width_, height_), contentsRect().size());
  if (!size.isEmpty()) {
    // The import stores white as index 9 and the view paints index 9 in its
    // background colour: both come down to the colour table.
    QList<QRgb> colours(256);
    for (int i = 0; i < 256; ++i) colours[i] = PaletteColour(GamePalette, i);
    colours[TransparentIndex] = background_.rgb();
    if (white_) colours[255] = background_.rgb();
    QImage indices(pixels_.data(), width_, height_, width_, QImage::Format_Indexed8);
    indices.setColorTable(colours);
    picture_ = indices.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                   .convertToFormat(QImage::Format_RGB32);
  }
  update();
}

void ImportThumbnail::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect();
  painter.fillRect(area, background_);
  if (!picture_.isNull()) {
    QRect place(QPoint(), picture_.size());
    place.moveCenter(area.center());
    painter.drawImage(place.topLeft(), picture_);
  }
}

}  // namespace quilmark
