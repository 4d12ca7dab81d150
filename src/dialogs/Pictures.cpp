#include "dialogs/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace quilmark {
namespace {

// Each picture is drawn on a 16 x 16 grid and scaled to the size asked for.
QPixmap Draw(int size, int number) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 16.0, size / 16.0);
  const QPen outline(QColor(40, 40, 40), 1.0);
  p.setPen(outline);
  switch (number) {
    case 1: {  // new: a sheet with a folded corner
      QPainterPath sheet;
      sheet.moveTo(3.5, 1.5);
      sheet.lineTo(10.5, 1.5);
      sheet.lineTo(13.5, 4.5);
      sheet.lineTo(13.5, 14.5);
      sheet.lineTo(3.5, 14.5);
      sheet.closeSubpath();
      p.setBrush(Qt::white);
      p.drawPath(sheet);
      p.drawPolyline(QPolygonF({{10.5, 1.5}, {10.5, 4.5}, {13.5, 4.5}}));
      break;
    }
    case 2: {  // open: a folder
      p.setBrush(QColor(240, 200, 80));
      p.drawRect(QRectF(1.5, 4.5, 13, 9));
      p.drawRect(QRectF(1.5, 2.5, 5, 2));
      p.setBrush(QColor(250, 225, 130));
      p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.0, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
      break;
    }
    case 3: {  // save: a disk
      p.setBrush(QColor(60, 90, 170));
      p.drawRect(QRectF(1.5, 1.5, 13, 13));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4.5, 1.5, 7, 5));
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(QRectF(4.5, 9.5, 7, 5));
      break;
    }
    case 4: {  // create sequence: a frame with a plus
      p.setBrush(QColor(230, 240, 255));
      p.drawRect(QRectF(1.5, 3.5, 10, 10));
      p.setPen(QPen(QColor(0, 140, 0), 2.0));
      p.drawLine(QPointF(12.5, 1.0), QPointF(12.5, 7.0));
      p.drawLine(QPointF(9.5, 4.0), QPointF(15.5, 4.0));
      break;
    }
    case 5:    // import sequence: an arrow into a strip
    case 6: {  // export sequence: an arrow out of a strip
      p.setBrush(QColor(90, 90, 90));
      p.drawRect(QRectF(8.5, 1.5, 6, 13));
      p.setBrush(Qt::white);
      for (int i = 0; i < 3; ++i) p.drawRect(QRectF(9.5, 2.5 + i * 4, 4, 3));
      p.setPen(QPen(QColor(200, 40, 40), 2.0));
      p.setBrush(QColor(200, 40, 40));
      if (number == 5) {
        p.drawLine(QPointF(1.0, 8.0), QPointF(5.0, 8.0));
        p.drawPolygon(QPolygonF({{5.0, 5.5}, {7.5, 8.0}, {5.0, 10.5}}));
      } else {
        p.drawLine(QPointF(3.0, 8.0), QPointF(7.0, 8.0));
        p.drawPolygon(QPolygonF({{3.0, 5.5}, {0.5, 8.0}, {3.0, 10.5}}));
      }
      break;
    }
    case 7: {  // preview: a play triangle
      p.setBrush(QColor(0, 150, 60));
      p.drawPolygon(QPolygonF({{3.5, 2.0}, {14.0, 8.0}, {3.5, 14.0}}));
      break;
    }
    default: {  // the program: a film strip of three frames
      p.setBrush(QColor(50, 50, 60));
      p.drawRoundedRect(QRectF(0.5, 2.5, 15, 11), 1.5, 1.5);
      const QColor frames[] = {QColor(230, 90, 60), QColor(250, 200, 70), QColor(80, 170, 230)};
      for (int i = 0; i < 3; ++i) {
        p.setBrush(frames[i]);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(1.5 + i * 4.7, 4.5, 3.8, 7));
      }
      p.setBrush(Qt::white);
      for (int i = 0; i < 5; ++i) {
        p.drawRect(QRectF(1.5 + i * 3, 3.0, 1.2, 1.0));
        p.drawRect(QRectF(1.5 + i * 3, 12.0, 1.2, 1.0));
      }
      break;
    }
  }
  return pixmap;
}

}  // namespace

QIcon ToolbarPicture(int number) {
  if (number < 1 || number > 7) return {};
  QIcon icon;
  for (int size : {16, 24, 32}) icon.addPixmap(Draw(size, number));
  return icon;
}

QPixmap ProgramPixmap(int size) { return Draw(size, 0); }

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) icon.addPixmap(ProgramPixmap(size));
  return icon;
}

}  // namespace quilmark
