// Lays a dialog's controls out from its design. The design size is the
// dialog's smallest; a larger dialog shares the room it gains among the
// controls: each moves and grows by fixed shares of the extra width and
// height, so that at the design size every control stands exactly at its
// design rectangle.
#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace quilmark {

// A rectangle of the design in twips, as pixels at 15 twips each.
QRect Twips(int left, int top, int width, int height);

class DesignLayout : public QObject {
 public:
  // Shares of the extra width (x, w) and height (y, h) by which a control's
  // left edge and top move and its width and height grow.
  struct Shares {
    double x = 0, y = 0, w = 0, h = 0;
  };

  // Gives dialog its design size as its size and its smallest size.
  DesignLayout(QWidget* dialog, QSize design);

  // Keeps control where it stands now at the design size.
  void Add(QWidget* control, Shares shares);
  // Places control at design, then as Add.
  void Add(QWidget* control, QRect design, Shares shares);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Apply();
  struct Entry {
    QWidget* control;
    QRect design;
    Shares shares;
  };
  QWidget* dialog_;
  QSize design_;
  std::vector<Entry> entries_;
};

}  // namespace quilmark
