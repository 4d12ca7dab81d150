// The open document as the editor sees it: the GAF file, its edit history,
// its file name and clean point, and what the user has selected in it. Every
// change goes through here and is announced; views follow the signals instead
// of being told what to refresh.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <memory>
#include <vector>

#include "editorcore/EditorState.h"

namespace quilmark {

// What the user has selected: an animation and the frame and subframe shown of
// it (numbered from 1; 0 when there is none).
struct Selection {
  AnimationPtr animation;
  int32_t frame = 0;
  int32_t subframe = 0;
  bool operator==(const Selection&) const = default;
};

class GafDocument : public QObject {
  Q_OBJECT

 public:
  using AnimationEntries = std::vector<KeyedCollection<classGAFAnimation>::Entry>;

  explicit GafDocument(QObject* parent = nullptr);

  // The model, the selection and the remembered folders, for reading and for
  // the display code; document changes go through the operations below.
  EditorState& State() { return state_; }
  const EditorState& State() const { return state_; }
  const classGAF& Gaf() const { return *state_.CurrentGAF; }
  std::shared_ptr<classGAF> SharedGaf() const { return state_.CurrentGAF; }
  QUndoStack& History() { return history_; }

  // The file's name as bytes ("Untitled.gaf" for a new document).
  const std::string& FileName() const { return state_.CurrentFileName; }
  bool IsModified() const { return !history_.isClean(); }
  Selection Selected() const;
  // Whether animation is one of the document's.
  bool Holds(const AnimationPtr& animation) const;
  // Whether image is the selected frame or one of its subframes.
  bool Shows(const FramePtr& image) const;

  // Replaces the whole document (New, Open, a recovered copy): the history is
  // cleared, the first animation is selected, and the document is clean, or
  // without a clean point when it holds changes never saved to fileName.
  enum class Saved { Yes, Never };
  void Reset(std::shared_ptr<classGAF> gaf, const std::string& fileName, Saved saved = Saved::Yes);
  // After a save under fileName: this state is the clean one.
  void MarkSaved(const std::string& fileName);

  // Selects an animation (the first when it is not the document's) and a frame
  // and subframe of it, brought into range.
  void Select(Selection selection);
  // Selects place unless it is selected already (a step acting on what is
  // shown redraws once, through the news of its change).
  void Revisit(const Selection& place);

  // One undoable step; pushing it runs its redo(), which makes the change.
  // Nothing is recorded while a step is undone or redone.
  void Do(QUndoCommand* step);
  void Undo();
  void Redo();

  // Called by the steps from redo() and undo(): the change, then the news.
  void ReplaceAnimations(const AnimationEntries& entries);
  void RenameAnimation(const AnimationPtr& animation, const std::string& name, const AnimationEntries& entries);
  void SetAnimated(const AnimationPtr& animation, bool animated);
  // The frames of animation, or the subframes of one of its frames.
  void ReplaceFrames(const AnimationPtr& animation, Collection<classGAFFrame>& frames,
                     const std::vector<FramePtr>& items);
  // After an image's fields were written.
  void TouchImages(const std::vector<FramePtr>& images);

 signals:
  void animationsChanged();
  // An animation's flag, frames or subframes.
  void animationChanged(const AnimationPtr& animation);
  // An animation's name: it left the collection and came back under the new.
  void animationRenamed(const AnimationPtr& animation, const std::string& oldName);
  void imagesChanged(const std::vector<FramePtr>& images);
  void selectionChanged();
  void documentReset();
  void fileNameChanged();
  void modifiedChanged(bool modified);

 private:
  EditorState state_;
  QUndoStack history_;
  bool replaying_ = false;
};

}  // namespace quilmark
