// Moving the shown image by hand: a drag in the frame view moves it live, in
// whole image pixels at any zoom, and is one step when it ends; the arrow
// keys nudge it, a run of nudges being one step.
#pragma once

#include <QObject>
#include <memory>

#include "editor/PictureArea.h"
#include "editor/UndoCommands.h"

namespace quilmark {

class HandMover : public QObject {
  Q_OBJECT
 public:
  HandMover(GafDocument& doc, PictureArea& area, QObject* parent);
  ~HandMover() override;

 private:
  void Begin();
  void Drag(QPoint delta);
  void End();
  void Nudge(QPoint delta);

  GafDocument& doc_;
  PictureArea& area_;
  FramePtr image_;                  // the image a drag moves
  std::unique_ptr<MoveStep> live_;  // the drag's move so far, made but not recorded
};

}  // namespace quilmark
