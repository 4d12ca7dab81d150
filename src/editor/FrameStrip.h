// The frame strip: a thumbnail of every frame of the shown animation in a
// row, numbered, the shown frame framed and the selected ones marked; under
// it, the shown frame's subframes. Clicks select (Shift and Ctrl add), a drag
// moves the selected frames, and the keys and the context menu act on them.
// Only the thumbnails in view are made, and they are kept until their image
// changes, so that an animation of any length opens at once.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QMenu>
#include <unordered_map>
#include <unordered_set>

#include "editor/GafDocument.h"

namespace quilmark {

class StripActions;

class FrameStrip : public QAbstractScrollArea {
  Q_OBJECT
 public:
  static constexpr int kThumbnail = 40;  // the side of a thumbnail's box
  FrameStrip(GafDocument& doc, StripActions& actions, QWidget* parent);

  // The selected frames of the shown animation, in its order, and a mark per
  // frame.
  std::vector<FramePtr> SelectedFrames() const;
  std::vector<bool> SelectedMarks() const;
  void SelectAll();
  // Selects these frames of the shown animation (after a paste or a move).
  void SelectFrames(const std::vector<FramePtr>& frames);
  // A cell in the viewport: row 0 holds the frames, row 1 the subframes.
  QRect CellRect(int row, int index) const;
  // The thumbnails made so far and kept.
  size_t KeptThumbnails() const { return thumbnails_.size(); }
  // Every thumbnail made again when next drawn.
  void ForgetThumbnails() { thumbnails_.clear(); }
  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Thumbnail {
    std::weak_ptr<classGAFFrame> image;
    QImage picture;
    double ratio = 1;  // the screen's scale it was made for
  };
  // The document's selection, followed: another animation starts afresh, a
  // shown frame outside the selection becomes the selection.
  void Follow();
  void FramesChanged(const AnimationPtr& animation);
  void ImagesChanged(const std::vector<FramePtr>& images);
  void UpdateRange();
  void ScrollToShow(int index);
  int Count() const;
  int FrameAt(QPoint at) const;     // -1 outside the frames
  int SubframeAt(QPoint at) const;  // -1 outside the subframes
  int GapAt(QPoint at) const;       // 0 … Count()
  void Click(int index, Qt::KeyboardModifiers modifiers);
  void Show(int index);  // the frame at index (0-based) shown in the document
  const QImage& Picture(const FramePtr& image);
  void DrawCell(QPainter& painter, const QRect& cell, const FramePtr& image, int number, bool shown, bool selected);

  GafDocument& doc_;
  StripActions& actions_;
  QMenu* menu_;  // the selected frames' commands
  AnimationPtr animation_;
  std::unordered_set<const classGAFFrame*> selected_;
  FramePtr anchor_;
  std::unordered_map<const classGAFFrame*, Thumbnail> thumbnails_;
  QPoint pressAt_;
  int pressed_ = -1;  // the frame pressed, while the button is down
  bool dragging_ = false;
  int gap_ = -1;  // where a drag would put the frames
};

}  // namespace quilmark
