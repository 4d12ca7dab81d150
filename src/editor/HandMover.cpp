#include "editor/HandMover.h"

namespace quilmark {

HandMover::HandMover(GafDocument& doc, PictureArea& area, QObject* parent) : QObject(parent), doc_(doc), area_(area) {
  connect(&area_, &PictureArea::DragBegun, this, &HandMover::Begin);
  connect(&area_, &PictureArea::Dragged, this, &HandMover::Drag);
  connect(&area_, &PictureArea::DragEnded, this, &HandMover::End);
  connect(&area_, &PictureArea::Nudged, this, &HandMover::Nudge);
}

HandMover::~HandMover() = default;

void HandMover::Begin() {
  const FramePtr image = doc_.State().GetSelectedFrame();
  // Only an image of the document is moved.
  image_ = doc_.Shows(image) ? image : nullptr;
  live_.reset();
}

void HandMover::Drag(QPoint delta) {
  if (!image_) return;
  // View pixels to whole image pixels, towards zero.
  const int zoom = area_.Picture().DeviceZoomPercent();
  const int32_t dx = delta.x() * 100 / zoom, dy = delta.y() * 100 / zoom;
  if (live_) live_->undo();
  live_.reset(MoveStep::By(doc_, "Move", {image_}, dx, dy));
  if (live_) live_->redo();
}

void HandMover::End() {
  if (!image_ || !live_) return;
  // The step makes the move again as it is recorded.
  live_->undo();
  doc_.Do(live_.release());
  image_ = nullptr;
}

void HandMover::Nudge(QPoint delta) {
  const FramePtr image = doc_.State().GetSelectedFrame();
  if (doc_.Shows(image)) doc_.Do(MoveStep::By(doc_, "Move", {image}, delta.x(), delta.y(), true));
}

}  // namespace quilmark
