#include "display/EditorState.h"

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

EditorState& Editor() {
  static EditorState state;
  return state;
}

std::string StripPath(const std::string& path) {
  const auto pos = path.rfind('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string GetFolder(const std::string& path) {
  const auto pos = path.rfind('/');
  return pos == std::string::npos ? path : path.substr(0, pos);
}

std::string GetDrive(const std::string& path) {
  if (!path.empty() && path[0] == '/') return "/";
  return path.substr(0, 3);
}

std::string TitleFor(const std::string& currentFileName) {
  if (currentFileName.empty()) return "Quilmark";
  return StripPath(currentFileName) + " - Quilmark";
}

}  // namespace quilmark
