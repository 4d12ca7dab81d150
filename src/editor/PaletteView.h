// The palette in view: the game palette's 256 colours in a 16 × 16 grid, index
// 9 marked transparent. Hovering tells an index and its colour; a click
// picks an index (again: lets it go), which the frame view then highlights.
#pragma once

#include <QLabel>
#include <QWidget>

#include "editor/GafDocument.h"

namespace quilmark {

class PaletteGrid : public QWidget {
  Q_OBJECT
 public:
  explicit PaletteGrid(QWidget* parent);
  QSize sizeHint() const override { return {16 * 14 + 1, 16 * 14 + 1}; }
  // The index at a point of the grid, -1 outside it.
  int IndexAt(QPoint at) const;
  void SetPicked(int index);

 signals:
  void Hovered(int index);
  void Picked(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int Cell() const;
  int picked_ = -1;
};

// The grid with a line under it: the hovered index, or the picked one with
// how many pixels of the shown frame and of its animation hold it.
class PaletteView : public QWidget {
  Q_OBJECT
 public:
  PaletteView(GafDocument& doc, QWidget* parent);
  // The picked index (-1: none) and its counts told again (the frame or the
  // document changed); counted only while the view is shown.
  void Refresh();

 signals:
  // The index to highlight in the frame view, -1 for none.
  void HighlightChanged(int index);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QString Describe(int index) const;
  GafDocument& doc_;
  PaletteGrid* grid_;
  QLabel* line_;
  QString picked_;  // the picked index's line, shown again when the pointer leaves the grid
};

}  // namespace quilmark
