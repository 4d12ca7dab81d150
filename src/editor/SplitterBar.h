// The bar between the animation list and the image pane; it reports its
// pointer events, and the window's layout moves it.
#pragma once

#include <QWidget>

namespace quilmark {

class SplitterBar : public QWidget {
  Q_OBJECT
 public:
  explicit SplitterBar(QWidget* parent = nullptr);
  void SetColour(QColor colour);
 signals:
  void Pressed(Qt::MouseButton button, double x);
  void Moved(double x);
  void Released(double x);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace quilmark
