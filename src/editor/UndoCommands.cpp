#include "editor/UndoCommands.h"

#include <algorithm>
#include <utility>

namespace quilmark {

DocumentStep::DocumentStep(GafDocument& doc, const QString& text, Change change, Selection before, Selection after)
    : QUndoCommand(text), doc_(doc), change_(std::move(change)), before_(std::move(before)), after_(std::move(after)) {}

void DocumentStep::undo() {
  change_.undo();
  doc_.Select(before_);
}

void DocumentStep::redo() {
  change_.redo();
  doc_.Select(after_);
}

FieldStep::FieldStep(GafDocument& doc, FramePtr image, Field field, int32_t to, bool arrow)
    : QUndoCommand(Name(field)),
      doc_(doc),
      place_(doc.Selected()),
      image_(std::move(image)),
      field_(field),
      from_(Value(*image_, field)),
      to_(to),
      arrow_(arrow) {
  // What the image can hold: a position beyond the file's range is not taken.
  classGAFFrame probe;
  Set(probe, field_, from_);
  Set(probe, field_, to_);
  to_ = Value(probe, field_);
}

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
  doc_.Revisit(place_);
  doc_.TouchImages({image_});
}

void FieldStep::undo() { Write(from_); }

void FieldStep::redo() { Write(to_); }

bool FieldStep::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const FieldStep*>(other);
  if (!next || !arrow_ || !next->arrow_ || next->image_ != image_ || next->field_ != field_) return false;
  to_ = next->to_;
  setObsolete(to_ == from_);
  return true;
}

DocumentStep* FieldValuesStep(GafDocument& doc, const QString& text, const std::vector<FramePtr>& images,
                              FieldStep::Field field, int32_t value) {
  struct Value {
    FramePtr image;
    int32_t from, to;
  };
  std::vector<Value> values;
  for (const FramePtr& image : images) {
    // What the image can hold, as FieldStep takes it.
    const int32_t from = FieldStep::Value(*image, field);
    classGAFFrame probe;
    FieldStep::Set(probe, field, from);
    FieldStep::Set(probe, field, value);
    const int32_t to = FieldStep::Value(probe, field);
    if (from != to) values.push_back({image, from, to});
  }
  if (values.empty()) return nullptr;
  const auto put = [&doc, values, field](bool after) {
    std::vector<FramePtr> touched;
    for (const Value& each : values) {
      FieldStep::Set(*each.image, field, after ? each.to : each.from);
      touched.push_back(each.image);
    }
    doc.TouchImages(touched);
  };
  return new DocumentStep(doc, text, {[put] { put(false); }, [put] { put(true); }}, doc.Selected(), doc.Selected());
}

DocumentStep* AnimationsStep(GafDocument& doc, const QString& text, GafDocument::AnimationEntries after,
                             Selection placeAfter) {
  GafDocument::AnimationEntries before = doc.Gaf().Animations.Entries();
  return new DocumentStep(doc, text,
                          {[&doc, before] { doc.ReplaceAnimations(before); },
                           [&doc, after = std::move(after)] { doc.ReplaceAnimations(after); }},
                          doc.Selected(), std::move(placeAfter));
}

DocumentStep* RenameStep(GafDocument& doc, const AnimationPtr& animation, const std::string& name) {
  GafDocument::AnimationEntries before = doc.Gaf().Animations.Entries();
  // The collection's keys do not change: the animation leaves it and comes
  // back under its new name, as its last.
  GafDocument::AnimationEntries after;
  for (const auto& entry : before)
    if (entry.item != animation) after.push_back(entry);
  after.push_back({name, animation});
  Selection place = doc.Selected();
  place.animation = animation;
  return new DocumentStep(
      doc, "Rename",
      {[&doc, animation, before, oldName = animation->Name] { doc.RenameAnimation(animation, oldName, before); },
       [&doc, animation, after, name] { doc.RenameAnimation(animation, name, after); }},
      place, place);
}

DocumentStep* AnimateStep(GafDocument& doc, const AnimationPtr& animation) {
  const bool before = animation->Animated;
  return new DocumentStep(doc, "Animate",
                          {[&doc, animation, before] { doc.SetAnimated(animation, before); },
                           [&doc, animation, before] { doc.SetAnimated(animation, !before); }},
                          doc.Selected(), doc.Selected());
}

DocumentStep* FramesStep(GafDocument& doc, const QString& text, const AnimationPtr& animation,
                         std::shared_ptr<void> owner, Collection<classGAFFrame>& frames, std::vector<FramePtr> after,
                         Selection placeAfter) {
  std::vector<FramePtr> before = frames.Items();
  Collection<classGAFFrame>* held = &frames;
  return new DocumentStep(
      doc, text,
      {[&doc, animation, owner, held, before] { doc.ReplaceFrames(animation, *held, before); },
       [&doc, animation, owner, held, after = std::move(after)] { doc.ReplaceFrames(animation, *held, after); }},
      doc.Selected(), std::move(placeAfter));
}

ReverseFramesStep::ReverseFramesStep(GafDocument& doc, AnimationPtr animation)
    : QUndoCommand("Reverse Frames"), doc_(doc), animation_(std::move(animation)) {}

void ReverseFramesStep::redo() {
  std::vector<FramePtr> frames = animation_->Frames.Items();
  std::reverse(frames.begin(), frames.end());
  Selection place = doc_.Selected();
  const bool shown = place.animation == animation_;
  doc_.ReplaceFrames(animation_, animation_->Frames, frames);
  if (!shown) return;
  place.frame = static_cast<int32_t>(frames.size()) + 1 - place.frame;
  doc_.Select(place);
}

namespace {
// value moved by delta, stopping at the limit it would pass.
int32_t MovedWithin(int32_t value, int32_t delta, int32_t limit) {
  const int64_t moved = int64_t{value} + delta;
  if (delta > 0) return static_cast<int32_t>(std::min<int64_t>(moved, std::max(value, limit)));
  if (delta < 0) return static_cast<int32_t>(std::max<int64_t>(moved, std::min(value, -limit)));
  return value;
}
}  // namespace

MoveStep::MoveStep(GafDocument& doc, const QString& text, std::vector<Move> moves, bool nudge)
    : QUndoCommand(text), doc_(doc), place_(doc.Selected()), moves_(std::move(moves)), nudge_(nudge) {}

MoveStep* MoveStep::By(GafDocument& doc, const QString& text, const std::vector<FramePtr>& images, int32_t dx,
                       int32_t dy, bool nudge) {
  std::vector<Move> moves;
  for (const FramePtr& image : images) {
    const int32_t x = image->PositionX(), y = image->PositionY();
    // The content moves right as the origin offset goes down.
    const Move move{image, x, y, MovedWithin(x, -dx, kLimit), MovedWithin(y, -dy, kLimit)};
    if (move.toX != x || move.toY != y) moves.push_back(move);
  }
  return moves.empty() ? nullptr : new MoveStep(doc, text, std::move(moves), nudge);
}

void MoveStep::Put(bool after) {
  std::vector<FramePtr> images;
  for (const Move& move : moves_) {
    (void)move.image->SetPositionX(after ? move.toX : move.fromX);
    (void)move.image->SetPositionY(after ? move.toY : move.fromY);
    images.push_back(move.image);
  }
  doc_.Revisit(place_);
  doc_.TouchImages(images);
}

void MoveStep::undo() { Put(false); }
void MoveStep::redo() { Put(true); }

bool MoveStep::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const MoveStep*>(other);
  if (!next || !nudge_ || !next->nudge_ || moves_.size() != 1 || next->moves_.size() != 1 ||
      next->moves_[0].image != moves_[0].image)
    return false;
  moves_[0].toX = next->moves_[0].toX;
  moves_[0].toY = next->moves_[0].toY;
  setObsolete(moves_[0].toX == moves_[0].fromX && moves_[0].toY == moves_[0].fromY);
  return true;
}

ReplaceIndexStep::ReplaceIndexStep(GafDocument& doc, std::vector<Places> places, uint8_t from, uint8_t to)
    : QUndoCommand("Replace Index"),
      doc_(doc),
      place_(doc.Selected()),
      places_(std::move(places)),
      from_(from),
      to_(to) {}

ReplaceIndexStep* ReplaceIndexStep::Make(GafDocument& doc, const std::vector<FramePtr>& images, uint8_t from,
                                         uint8_t to) {
  if (from == to) return nullptr;
  std::vector<Places> places;
  for (const FramePtr& image : images) {
    const auto& pixels = std::as_const(image->Pixels);
    Places found{image, {}};
    for (size_t i = 0; i < pixels.size(); ++i)
      if (pixels[i] == from) found.at.push_back(static_cast<uint32_t>(i));
    if (!found.at.empty()) places.push_back(std::move(found));
  }
  return places.empty() ? nullptr : new ReplaceIndexStep(doc, std::move(places), from, to);
}

void ReplaceIndexStep::Put(uint8_t index) {
  std::vector<FramePtr> images;
  for (const Places& places : places_) {
    uint8_t* pixels = places.image->Pixels.data();
    for (uint32_t at : places.at) pixels[at] = index;
    images.push_back(places.image);
  }
  doc_.Revisit(place_);
  doc_.TouchImages(images);
}

std::vector<FramePtr> ImagesOf(const std::vector<FramePtr>& frames, bool withFrames) {
  std::vector<FramePtr> images;
  for (const FramePtr& frame : frames) {
    if (withFrames || frame->Subframes.IsEmpty()) images.push_back(frame);
    for (const FramePtr& sub : frame->Subframes) images.push_back(sub);
  }
  return images;
}

CompressedBytes CompressedBytes::Of(std::vector<FramePtr> images) {
  CompressedBytes of{std::move(images), {}};
  for (const FramePtr& image : of.images) of.bytes.push_back(image->CompressedByte());
  return of;
}

void CompressedBytes::PutBack() const {
  for (size_t i = 0; i < images.size(); ++i) images[i]->SetCompressedByte(bytes[i]);
}

DocumentStep* CompressedStep(GafDocument& doc, const QString& text, CompressedBytes before, CompressedBytes after) {
  if (after.bytes == before.bytes) return nullptr;
  return new DocumentStep(doc, text,
                          {[&doc, before] {
                             before.PutBack();
                             doc.TouchImages(before.images);
                           },
                           [&doc, after] {
                             after.PutBack();
                             doc.TouchImages(after.images);
                           }},
                          doc.Selected(), doc.Selected());
}

}  // namespace quilmark
