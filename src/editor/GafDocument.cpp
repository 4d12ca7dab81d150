#include "editor/GafDocument.h"

#include <algorithm>

namespace quilmark {

GafDocument::GafDocument(QObject* parent) : QObject(parent) {
  state_.CurrentFileName = "Untitled.gaf";
  connect(&history_, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

Selection GafDocument::Selected() const {
  return {state_.CurrentAnimation, state_.CurrentFrame, state_.CurrentSubframe};
}

bool GafDocument::Holds(const AnimationPtr& animation) const {
  return animation && state_.CurrentGAF->Animations.IndexOf(animation.get()) != 0;
}

bool GafDocument::Shows(const FramePtr& image) const {
  if (!Holds(state_.CurrentAnimation)) return false;
  const FramePtr frame = state_.CurrentAnimation->Frames.Item(state_.CurrentFrame);
  return frame && (frame == image || frame->Subframes.IndexOf(image.get()) != 0);
}

void GafDocument::Reset(std::shared_ptr<classGAF> gaf, const std::string& fileName, Saved saved) {
  state_.CurrentGAF = gaf ? std::move(gaf) : std::make_shared<classGAF>();
  history_.clear();
  if (saved == Saved::Never) history_.resetClean();
  state_.CurrentFileName = fileName;
  AnimationPtr first = state_.CurrentGAF->Animations.Item(1);
  state_.CurrentAnimation = first ? first : std::make_shared<classGAFAnimation>();
  state_.CurrentFrame = 0;
  state_.CurrentSubframe = 0;
  // A frame of the document before is no reference for this one.
  state_.View.Reference.reset();
  emit documentReset();
  emit fileNameChanged();
}

void GafDocument::MarkSaved(const std::string& fileName) {
  history_.setClean();
  if (fileName == state_.CurrentFileName) return;
  state_.CurrentFileName = fileName;
  emit fileNameChanged();
}

void GafDocument::Select(Selection selection) {
  if (!Holds(selection.animation)) {
    selection.animation = state_.CurrentGAF->Animations.Item(1);
    if (!selection.animation) selection = {std::make_shared<classGAFAnimation>(), 0, 0};
  }
  const int32_t frames = selection.animation->Frames.Count();
  selection.frame = frames == 0 ? 0 : std::clamp(selection.frame, 1, frames);
  const FramePtr frame = selection.animation->Frames.Item(selection.frame);
  const int32_t subframes = frame ? frame->Subframes.Count() : 0;
  selection.subframe = std::clamp(selection.subframe, 0, subframes);
  state_.CurrentAnimation = std::move(selection.animation);
  state_.CurrentFrame = selection.frame;
  state_.CurrentSubframe = selection.subframe;
  emit selectionChanged();
}

void GafDocument::Revisit(const Selection& place) {
  if (!(Selected() == place)) Select(place);
}

void GafDocument::Do(QUndoCommand* step) {
  if (!step) return;
  if (replaying_) return delete step;
  history_.push(step);
}

void GafDocument::Undo() {
  replaying_ = true;
  history_.undo();
  replaying_ = false;
}

void GafDocument::Redo() {
  replaying_ = true;
  history_.redo();
  replaying_ = false;
}

void GafDocument::ReplaceAnimations(const AnimationEntries& entries) {
  (void)state_.CurrentGAF->Animations.Assign(entries);
  emit animationsChanged();
}

void GafDocument::RenameAnimation(const AnimationPtr& animation, const std::string& name,
                                  const AnimationEntries& entries) {
  const std::string old = std::exchange(animation->Name, name);
  (void)state_.CurrentGAF->Animations.Assign(entries);
  emit animationRenamed(animation, old);
}

void GafDocument::SetAnimated(const AnimationPtr& animation, bool animated) {
  animation->Animated = animated;
  emit animationChanged(animation);
}

void GafDocument::ReplaceFrames(const AnimationPtr& animation, Collection<classGAFFrame>& frames,
                                const std::vector<FramePtr>& items) {
  frames.Assign(items);
  emit animationChanged(animation);
}

void GafDocument::TouchImages(const std::vector<FramePtr>& images) { emit imagesChanged(images); }

}  // namespace quilmark
