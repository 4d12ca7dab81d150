#include "editorcore/EditorState.h"

namespace quilmark {

FramePtr EditorState::GetSelectedFrame() const {
  auto fresh = std::make_shared<classGAFFrame>();
  fresh->Initialize();
  if (CurrentFrame <= 0 || !CurrentAnimation) return fresh;
  FramePtr frame = CurrentAnimation->Frames.Item(CurrentFrame);
  if (!frame) return fresh;
  if (CurrentSubframe == 0) return frame;
  FramePtr sub = frame->Subframes.Item(CurrentSubframe);
  return sub ? sub : fresh;
}

std::string TitleFor(const std::string& currentFileName) {
  if (currentFileName.empty()) return "Quilmark";
  return StripPath(currentFileName) + " - Quilmark";
}

}  // namespace quilmark
