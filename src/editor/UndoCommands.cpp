#include "editor/UndoCommands.h"

namespace quilmark {

DocumentStep::DocumentStep(EditView& view, const QString& text, Change change, EditPlace before, EditPlace after,
                           bool rowsChanged)
    : QUndoCommand(text),
      view_(view),
      change_(std::move(change)),
      before_(std::move(before)),
      after_(std::move(after)),
      rowsChanged_(rowsChanged) {}

void DocumentStep::undo() {
  change_.undo();
  view_.ShowPlace(before_, rowsChanged_);
}

void DocumentStep::redo() {
  // Pushed once done: the first redo is the change itself, already made.
  if (std::exchange(done_, false)) return;
  change_.redo();
  view_.ShowPlace(after_, rowsChanged_);
}

FieldStep::FieldStep(EditView& view, EditPlace place, FramePtr image, Field field, int32_t from, int32_t to,
                     bool arrow)
    : QUndoCommand(Name(field)),
      view_(view),
      place_(std::move(place)),
      image_(std::move(image)),
      field_(field),
      from_(from),
      to_(to),
      arrow_(arrow) {}

QString FieldStep::Name(Field field) {
  switch (field) {
    case X:
      return "X Position";
    case Y:
      return "Y Position";
    case Fps:
      break;
  }
  return "Framerate";
}

int32_t FieldStep::Value(const classGAFFrame& image, Field field) {
  switch (field) {
    case X:
      return image.PositionX();
    case Y:
      return image.PositionY();
    case Fps:
      break;
  }
  return image.FPS;
}

void FieldStep::Set(classGAFFrame& image, Field field, int32_t value) {
  if (field == X) (void)image.SetPositionX(value);
  if (field == Y) (void)image.SetPositionY(value);
  if (field == Fps) image.FPS = value;
}

void FieldStep::Write(int32_t value) {
  Set(*image_, field_, value);
  view_.ShowPlace(place_, false);
}

void FieldStep::undo() { Write(from_); }

void FieldStep::redo() {
  if (std::exchange(done_, false)) return;
  Write(to_);
}

bool FieldStep::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const FieldStep*>(other);
  if (!next || !arrow_ || !next->arrow_ || next->image_ != image_ || next->field_ != field_) return false;
  to_ = next->to_;
  setObsolete(to_ == from_);
  return true;
}

DocumentStep* AnimationsStep(EditView& view, const QString& text, std::shared_ptr<classGAF> doc,
                             std::vector<KeyedCollection<classGAFAnimation>::Entry> before, EditPlace placeBefore,
                             EditPlace placeAfter) {
  auto after = doc->Animations.Entries();
  return new DocumentStep(view, text,
                          {[doc, before] { (void)doc->Animations.Assign(before); },
                           [doc, after] { (void)doc->Animations.Assign(after); }},
                          std::move(placeBefore), std::move(placeAfter), true);
}

DocumentStep* RenameStep(EditView& view, std::shared_ptr<classGAF> doc, AnimationPtr animation, std::string oldName,
                         std::vector<KeyedCollection<classGAFAnimation>::Entry> before, EditPlace place) {
  auto after = doc->Animations.Entries();
  std::string newName = animation->Name;
  return new DocumentStep(view, "Rename",
                          {[doc, animation, before, oldName] {
                             animation->Name = oldName;
                             (void)doc->Animations.Assign(before);
                           },
                           [doc, animation, after, newName] {
                             animation->Name = newName;
                             (void)doc->Animations.Assign(after);
                           }},
                          place, place, true);
}

DocumentStep* FramesStep(EditView& view, const QString& text, std::shared_ptr<void> owner,
                         Collection<classGAFFrame>& frames, std::vector<FramePtr> before, EditPlace placeBefore,
                         EditPlace placeAfter) {
  std::vector<FramePtr> after = frames.Items();
  Collection<classGAFFrame>* held = &frames;
  return new DocumentStep(view, text,
                          {[owner, held, before] { held->Assign(before); },
                           [owner, held, after] { held->Assign(after); }},
                          std::move(placeBefore), std::move(placeAfter), false);
}

CompressedBytes CompressedBytes::Of(std::vector<FramePtr> images) {
  CompressedBytes of{std::move(images), {}};
  for (const FramePtr& image : of.images) of.bytes.push_back(image->CompressedByte());
  return of;
}

void CompressedBytes::PutBack() const {
  for (size_t i = 0; i < images.size(); ++i) images[i]->SetCompressedByte(bytes[i]);
}

DocumentStep* CompressedStep(EditView& view, const QString& text, CompressedBytes before, EditPlace place) {
  CompressedBytes after = CompressedBytes::Of(before.images);
  if (after.bytes == before.bytes) return nullptr;
  return new DocumentStep(view, text, {[before] { before.PutBack(); }, [after] { after.PutBack(); }}, place, place,
                          false);
}

}  // namespace quilmark
