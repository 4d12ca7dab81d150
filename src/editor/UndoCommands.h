// The editor's undoable steps. Each makes its change in redo() and takes it
// back in undo(), through the document, which announces what changed; then it
// selects what the user saw when the step was made. Steps keep the objects
// they touch, never copies of their pixels.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <vector>

#include "editor/GafDocument.h"

namespace quilmark {

// A change made by two actions on the document, one for each direction.
class DocumentStep : public QUndoCommand {
 public:
  struct Change {
    std::function<void()> undo, redo;
  };
  DocumentStep(GafDocument& doc, const QString& text, Change change, Selection before, Selection after);
  void undo() override;
  void redo() override;

 private:
  GafDocument& doc_;
  Change change_;
  Selection before_, after_;
};

// The X position, Y position or frame rate of one image. Arrow steps on the
// same field of the same image in a row merge into one step.
class FieldStep : public QUndoCommand {
 public:
  enum Field { X, Y, Fps };
  FieldStep(GafDocument& doc, FramePtr image, Field field, int32_t to, bool arrow);
  void undo() override;
  void redo() override;
  int id() const override { return 1; }
  bool mergeWith(const QUndoCommand* other) override;
  // Whether the step changes nothing (a value the image cannot take).
  bool Idle() const { return from_ == to_; }

  static QString Name(Field field);
  // The field of an image, read and written (a position is kept within what
  // the file can hold).
  static int32_t Value(const classGAFFrame& image, Field field);
  static void Set(classGAFFrame& image, Field field, int32_t value);

 private:
  void Write(int32_t value);
  GafDocument& doc_;
  Selection place_;
  FramePtr image_;
  Field field_;
  int32_t from_, to_;
  bool arrow_;
};

// One field of every image set to value; null when none changes.
DocumentStep* FieldValuesStep(GafDocument& doc, const QString& text, const std::vector<FramePtr>& images,
                              FieldStep::Field field, int32_t value);

// The animations of the document, as entries (name and animation) before and
// after.
DocumentStep* AnimationsStep(GafDocument& doc, const QString& text, GafDocument::AnimationEntries after,
                             Selection placeAfter);
DocumentStep* RenameStep(GafDocument& doc, const AnimationPtr& animation, const std::string& name);
DocumentStep* AnimateStep(GafDocument& doc, const AnimationPtr& animation);
// The frames of animation, or the subframes of one of its frames (owner keeps
// the collection alive).
DocumentStep* FramesStep(GafDocument& doc, const QString& text, const AnimationPtr& animation,
                         std::shared_ptr<void> owner, Collection<classGAFFrame>& frames, std::vector<FramePtr> after,
                         Selection placeAfter);

// The frames of an animation in the opposite order; the shown frame stays
// shown.
class ReverseFramesStep : public QUndoCommand {
 public:
  ReverseFramesStep(GafDocument& doc, AnimationPtr animation);
  void undo() override { redo(); }
  void redo() override;

 private:
  GafDocument& doc_;
  AnimationPtr animation_;
};

// Images moved: their X and Y positions before and after. Nudges of one
// image in a row merge into one step.
class MoveStep : public QUndoCommand {
 public:
  struct Move {
    FramePtr image;
    int32_t fromX, fromY, toX, toY;
  };
  // The positions' limits for a move; a position beyond them stays where it
  // is rather than jump to the limit.
  static constexpr int32_t kLimit = 1024;
  // Each image moved by dx, dy (the image's content moves right and down for
  // positive values, so its origin offsets go down), held within the limits.
  // Null when nothing would move.
  static MoveStep* By(GafDocument& doc, const QString& text, const std::vector<FramePtr>& images, int32_t dx,
                      int32_t dy, bool nudge = false);
  void undo() override;
  void redo() override;
  int id() const override { return 2; }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  MoveStep(GafDocument& doc, const QString& text, std::vector<Move> moves, bool nudge);
  void Put(bool after);
  GafDocument& doc_;
  Selection place_;
  std::vector<Move> moves_;
  bool nudge_;
};

// One palette index put in place of another in images' pixels. The step
// keeps where the index stood, never copies of the pixels.
class ReplaceIndexStep : public QUndoCommand {
 public:
  // Null when no pixel of the images holds from.
  static ReplaceIndexStep* Make(GafDocument& doc, const std::vector<FramePtr>& images, uint8_t from, uint8_t to);
  void undo() override { Put(from_); }
  void redo() override { Put(to_); }

 private:
  struct Places {
    FramePtr image;
    std::vector<uint32_t> at;
  };
  ReplaceIndexStep(GafDocument& doc, std::vector<Places> places, uint8_t from, uint8_t to);
  void Put(uint8_t index);
  GafDocument& doc_;
  Selection place_;
  std::vector<Places> places_;
  uint8_t from_, to_;
};

// Every image of the frames, in order: each frame's own image (with
// withFrames, or when it has no subframes) followed by its subframes.
std::vector<FramePtr> ImagesOf(const std::vector<FramePtr>& frames, bool withFrames = true);

// The stored compressed byte of each image.
struct CompressedBytes {
  std::vector<FramePtr> images;
  std::vector<uint8_t> bytes;
  static CompressedBytes Of(std::vector<FramePtr> images);
  void PutBack() const;
};
// Null when no byte changed.
DocumentStep* CompressedStep(GafDocument& doc, const QString& text, CompressedBytes before, CompressedBytes after);

}  // namespace quilmark
