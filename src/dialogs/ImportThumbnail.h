// The picture area of the import dialogs: the file highlighted in the file
// list, as the import will make it. Its pixels in game colours, transparent
// ones (index 9 and, with "white as transparent", index 255) as a
// checkerboard, on the colour the frame view paints behind images; a large
// picture reduced to fit with its thin lines kept, a small one shown at the
// largest whole zoom that fits, both without blending colours. A file the
// import would refuse shows nothing, without a message.
#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <cstdint>
#include <vector>

class QCheckBox;

namespace quilmark {

class FileList;

// The colour the frame view of owner (a window that holds one) paints as its
// background; without one, game colour 255, which the frame view starts with.
QColor ViewBackground(const QWidget* owner);

// The size a picture of the given size is shown at in an area: scaled down to
// fit when it is larger, keeping its proportions (no side below 1), else
// enlarged by the largest whole factor that fits.
QSize ThumbnailSize(QSize picture, QSize area);

// The colour of the checkerboard that stands for transparent pixels at a
// point of the picture: squares of 8 pixels, light and mid grey, the top left
// one light.
QRgb CheckerColour(QPoint at);

class ImportThumbnail : public QFrame {
  Q_OBJECT
 public:
  // Follows the highlighted line of files and the check box white.
  ImportThumbnail(FileList* files, QCheckBox* white, QColor background, QWidget* parent);

  // Reads the file (only it) and shows it; "" or an unreadable file: nothing.
  void ShowFile(const QString& path);
  void SetWhiteAsTransparent(bool white);
  // The picture as painted, centred in the area; null when nothing is shown.
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Render();
  QColor background_;
  bool white_ = false;
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;  // game indices, as read
  QImage picture_;
};

}  // namespace quilmark
