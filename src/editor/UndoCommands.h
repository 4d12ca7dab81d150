// The editor's undoable steps. Each is made after its change was done (the
// first redo does nothing) and keeps the objects it touched, never copies of
// their pixels: undo and redo put the document's own objects back.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <vector>

#include "document/classGAF.h"

namespace quilmark {

// What the user sees: an animation and the frame and subframe shown of it.
struct EditPlace {
  AnimationPtr animation;
  int32_t frame = 0;
  int32_t subframe = 0;
};

// The window that shows a step's result.
class EditView {
 public:
  virtual ~EditView() = default;
  // Shows place; rebuilds the list when its rows changed, else refreshes its
  // cells.
  virtual void ShowPlace(const EditPlace& place, bool rowsChanged) = 0;
};

// A change made by two actions on the document, one for each direction.
class DocumentStep : public QUndoCommand {
 public:
  struct Change {
    std::function<void()> undo, redo;
  };
  DocumentStep(EditView& view, const QString& text, Change change, EditPlace before, EditPlace after,
               bool rowsChanged);
  void undo() override;
  void redo() override;

 private:
  EditView& view_;
  Change change_;
  EditPlace before_, after_;
  bool rowsChanged_;
  bool done_ = true;
};

// The X position, Y position or frame rate of one image. Arrow steps on the
// same field of the same image in a row merge into one step.
class FieldStep : public QUndoCommand {
 public:
  enum Field { X, Y, Fps };
  FieldStep(EditView& view, EditPlace place, FramePtr image, Field field, int32_t from, int32_t to, bool arrow);
  void undo() override;
  void redo() override;
  int id() const override { return 1; }
  bool mergeWith(const QUndoCommand* other) override;

  static QString Name(Field field);
  // The field of an image, read and written.
  static int32_t Value(const classGAFFrame& image, Field field);
  static void Set(classGAFFrame& image, Field field, int32_t value);

 private:
  void Write(int32_t value);
  EditView& view_;
  EditPlace place_;
  FramePtr image_;
  Field field_;
  int32_t from_, to_;
  bool arrow_;
  bool done_ = true;
};

// Steps for the document's operations, from what was before and after them.
// The collections' items, the images' stored compressed bytes.
DocumentStep* AnimationsStep(EditView& view, const QString& text, std::shared_ptr<classGAF> doc,
                             std::vector<KeyedCollection<classGAFAnimation>::Entry> before, EditPlace placeBefore,
                             EditPlace placeAfter);
DocumentStep* RenameStep(EditView& view, std::shared_ptr<classGAF> doc, AnimationPtr animation, std::string oldName,
                         std::vector<KeyedCollection<classGAFAnimation>::Entry> before, EditPlace place);
// The frames of an animation, or the subframes of a frame (owner keeps the
// collection alive).
DocumentStep* FramesStep(EditView& view, const QString& text, std::shared_ptr<void> owner,
                         Collection<classGAFFrame>& frames, std::vector<FramePtr> before, EditPlace placeBefore,
                         EditPlace placeAfter);

// The stored compressed byte of each image, before and after.
struct CompressedBytes {
  std::vector<FramePtr> images;
  std::vector<uint8_t> bytes;
  static CompressedBytes Of(std::vector<FramePtr> images);
  void PutBack() const;
};
// Null when no byte changed.
DocumentStep* CompressedStep(EditView& view, const QString& text, CompressedBytes before, EditPlace place);

}  // namespace quilmark
