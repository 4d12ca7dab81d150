// The open document as the editor sees it: the GAF file, its edit history,
// its file name and clean point, and what the user has selected in it. Every
// change goes through here and is announced; views follow the signals instead
// of being told what to refresh.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <memory>
#include <vector>

#include "document/classGAF.h"

namespace quilmark {

// What the user has selected: an animation and the frame and subframe shown of
// it (numbered from 1; 0 when there is none).
struct Selection {
  AnimationPtr animation;
  int32_t frame = 0;
  int32_t subframe = 0;
};

class GafDocument : public QObject {
  Q_OBJECT

 public:
  explicit GafDocument(QObject* parent = nullptr);

  // The model itself, for reading; changes go through the operations below.
  const classGAF& Gaf() const { return *gaf_; }
  std::shared_ptr<classGAF> SharedGaf() const { return gaf_; }
  QUndoStack& History() { return history_; }

  const QString& FileName() const { return fileName_; }
  bool IsModified() const { return !history_.isClean(); }
  const Selection& Selected() const { return selection_; }

  // Replaces the whole document (New, Open, a recovered copy): the history
  // is cleared and the new document is clean.
  void Reset(std::shared_ptr<classGAF> gaf, const QString& fileName);
  // After a save under fileName: this state is the clean one.
  void MarkSaved(const QString& fileName);

  void Select(Selection selection);

  // One undoable step; pushing it runs its redo(), which makes the change.
  void Do(QUndoCommand* step);

  // Called by the steps from redo() and undo(): the change, then the news.
  void ReplaceAnimations(const std::vector<KeyedCollection<classGAFAnimation>::Entry>& entries);
  void ReplaceFrames(const AnimationPtr& owner, Collection<classGAFFrame>& frames, const std::vector<FramePtr>& items);
  void TouchImage(const FramePtr& image);

 signals:
  void animationsChanged();
  void framesChanged(const AnimationPtr& animation);
  void imageChanged(const FramePtr& image);
  void selectionChanged(const Selection& selection);
  void documentReset();
  void fileNameChanged(const QString& fileName);
  void modifiedChanged(bool modified);

 private:
  std::shared_ptr<classGAF> gaf_;
  QUndoStack history_;
  QString fileName_;
  Selection selection_;
};

}  // namespace quilmark
