// The document object: what it announces when the document is replaced,
// saved, selected in and changed by an undoable step.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "../document/TestSupport.h"
#include "editor/GafDocument.h"

namespace quilmark {
namespace {

// A step that replaces an animation's frames, made in redo() as every step is.
class ReplaceFramesStep : public QUndoCommand {
 public:
  ReplaceFramesStep(GafDocument& doc, AnimationPtr animation, std::vector<FramePtr> after)
      : doc_(doc), animation_(std::move(animation)), before_(animation_->Frames.Items()), after_(std::move(after)) {}
  void redo() override { doc_.ReplaceFrames(animation_, animation_->Frames, after_); }
  void undo() override { doc_.ReplaceFrames(animation_, animation_->Frames, before_); }

 private:
  GafDocument& doc_;
  AnimationPtr animation_;
  std::vector<FramePtr> before_, after_;
};

TEST(GafDocument, StepsChangeInRedoAndEveryChangeIsAnnounced) {
  GafDocument doc;
  auto gaf = std::make_shared<classGAF>();
  const AnimationPtr walk = test::AddAnimation(*gaf, "walk", {test::MakeFrame(1, 1, {1}), test::MakeFrame(1, 1, {2})});
  QSignalSpy reset(&doc, &GafDocument::documentReset), frames(&doc, &GafDocument::framesChanged),
      modified(&doc, &GafDocument::modifiedChanged), selected(&doc, &GafDocument::selectionChanged);
  doc.Reset(gaf, "walk.gaf");
  EXPECT_EQ(std::tuple(reset.count(), doc.Selected().animation, doc.Selected().frame, doc.IsModified()),
            std::tuple(1, walk, 1, false));

  const std::vector<FramePtr> reversed{walk->Frames.Item(2), walk->Frames.Item(1)};
  const std::vector<FramePtr> original = walk->Frames.Items();
  doc.Do(new ReplaceFramesStep(doc, walk, reversed));
  EXPECT_EQ(walk->Frames.Items(), reversed);
  EXPECT_EQ(std::tuple(frames.count(), doc.IsModified(), modified.count()), std::tuple(1, true, 1));
  doc.History().undo();
  EXPECT_EQ(walk->Frames.Items(), original);
  EXPECT_EQ(std::tuple(frames.count(), doc.IsModified(), modified.count()), std::tuple(2, false, 2));

  // A save makes the present state the clean one; a selection out of range is
  // brought back into the animation.
  doc.History().redo();
  doc.MarkSaved("other.gaf");
  EXPECT_EQ(std::tuple(doc.IsModified(), doc.FileName()), std::tuple(false, QString("other.gaf")));
  doc.Select({walk, 9, 0});
  EXPECT_EQ(doc.Selected().frame, 2);
  doc.Select({std::make_shared<classGAFAnimation>(), 1, 0});
  EXPECT_EQ(doc.Selected().animation, walk);
  EXPECT_EQ(selected.count(), 3);
}

}  // namespace
}  // namespace quilmark
