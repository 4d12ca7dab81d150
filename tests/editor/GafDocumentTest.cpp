// The document object: what it announces when the document is replaced,
// saved, selected in and changed by an undoable step.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "../document/TestSupport.h"
#include "editor/UndoCommands.h"

namespace quilmark {
namespace {

TEST(GafDocument, StepsChangeInRedoAndEveryChangeIsAnnounced) {
  GafDocument doc;
  auto gaf = std::make_shared<classGAF>();
  const FramePtr a = test::MakeFrame(1, 1, {1}), b = test::MakeFrame(1, 1, {2}), c = test::MakeFrame(1, 1, {3});
  const AnimationPtr walk = test::AddAnimation(*gaf, "walk", {a, b, c});
  QSignalSpy reset(&doc, &GafDocument::documentReset), changed(&doc, &GafDocument::animationChanged),
      modified(&doc, &GafDocument::modifiedChanged), selected(&doc, &GafDocument::selectionChanged);
  doc.Reset(gaf, "walk.gaf");
  EXPECT_EQ(std::tuple(reset.count(), doc.Selected().animation, doc.IsModified()), std::tuple(1, walk, false));

  // Reverse Frames: the order turns, the shown frame stays shown, and undo
  // brings both back.
  doc.Select({walk, 1, 0});
  doc.Do(new ReverseFramesStep(doc, walk));
  EXPECT_EQ(walk->Frames.Items(), std::vector<FramePtr>({c, b, a}));
  EXPECT_EQ(std::tuple(doc.Selected().frame, changed.count(), doc.IsModified(), modified.count()),
            std::tuple(3, 1, true, 1));
  EXPECT_EQ(doc.History().undoText(), "Reverse Frames");
  doc.Undo();
  EXPECT_EQ(walk->Frames.Items(), std::vector<FramePtr>({a, b, c}));
  EXPECT_EQ(std::tuple(doc.Selected().frame, changed.count(), doc.IsModified(), modified.count()),
            std::tuple(1, 2, false, 2));

  // A save makes the present state the clean one; a selection out of range is
  // brought back into the document.
  doc.Redo();
  doc.MarkSaved("other.gaf");
  EXPECT_EQ(std::tuple(doc.IsModified(), doc.FileName()), std::tuple(false, std::string("other.gaf")));
  doc.Select({walk, 9, 4});
  EXPECT_EQ(std::tuple(doc.Selected().frame, doc.Selected().subframe), std::tuple(3, 0));
  doc.Select({std::make_shared<classGAFAnimation>(), 1, 0});
  EXPECT_EQ(doc.Selected().animation, walk);
  // A recovered document holds changes never saved.
  doc.Reset(gaf, "walk.gaf", GafDocument::Saved::Never);
  EXPECT_TRUE(doc.IsModified() && doc.History().count() == 0);
}

}  // namespace
}  // namespace quilmark
