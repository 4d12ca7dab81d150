#include "editor/GafDocument.h"

#include <algorithm>

namespace quilmark {

GafDocument::GafDocument(QObject* parent) : QObject(parent), gaf_(std::make_shared<classGAF>()) {
  connect(&history_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

void GafDocument::Reset(std::shared_ptr<classGAF> gaf, const QString& fileName) {
  const bool wasModified = IsModified();
  gaf_ = gaf ? std::move(gaf) : std::make_shared<classGAF>();
  history_.clear();
  history_.setClean();
  fileName_ = fileName;
  selection_ = {gaf_->Animations.Item(1), gaf_->Animations.Item(1) ? 1 : 0, 0};
  emit documentReset();
  emit fileNameChanged(fileName_);
  if (wasModified) emit modifiedChanged(false);
  emit selectionChanged(selection_);
}

void GafDocument::MarkSaved(const QString& fileName) {
  history_.setClean();
  if (fileName == fileName_) return;
  fileName_ = fileName;
  emit fileNameChanged(fileName_);
}

void GafDocument::Select(Selection selection) {
  // An animation no longer in the document selects the first.
  if (!selection.animation || gaf_->Animations.IndexOf(selection.animation.get()) == 0)
    selection = {gaf_->Animations.Item(1), 1, 0};
  const int32_t frames = selection.animation ? selection.animation->Frames.Count() : 0;
  selection.frame = frames == 0 ? 0 : std::clamp(selection.frame, 1, frames);
  selection_ = std::move(selection);
  emit selectionChanged(selection_);
}

void GafDocument::Do(QUndoCommand* step) {
  if (step) history_.push(step);
}

void GafDocument::ReplaceAnimations(const std::vector<KeyedCollection<classGAFAnimation>::Entry>& entries) {
  (void)gaf_->Animations.Assign(entries);
  emit animationsChanged();
}

void GafDocument::ReplaceFrames(const AnimationPtr& owner, Collection<classGAFFrame>& frames,
                                const std::vector<FramePtr>& items) {
  frames.Assign(items);
  emit framesChanged(owner);
}

void GafDocument::TouchImage(const FramePtr& image) { emit imageChanged(image); }

}  // namespace quilmark
