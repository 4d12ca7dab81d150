#include "editorcore/FrameClipboard.h"

#include "base/AtomicFile.h"
#include "base/FileAccess.h"

namespace quilmark {

bool FramesToBytes(const std::vector<FramePtr>& frames, const std::string& folder, std::vector<uint8_t>& bytes,
                   std::string* why) {
  classGAF copy;
  auto animation = std::make_shared<classGAFAnimation>();
  animation->Name = "Frames";
  // Copies, so that the document's frames are not shared with a second
  // collection; their pixels are shared, not copied.
  for (const FramePtr& frame : frames) animation->Frames.Add(frame->SharedCopy());
  copy.Animations.Add(animation, animation->Name);
  AtomicFile file(folder + "/quilmark-frames.gaf", AtomicFile::Scratch{});
  const SaveResult saved = copy.Save(file);
  if (!saved) {
    if (why) *why = saved.error;
    return false;
  }
  InputFile in;
  if (!in.Open(file.Target())) {
    if (why) *why = in.Error();
    return false;
  }
  bytes.resize(static_cast<size_t>(in.Size()));
  if (in.ReadAt(bytes.data(), bytes.size(), 0) != in.Size()) {
    if (why) *why = "the copy could not be read back";
    return false;
  }
  return true;
}

std::vector<FramePtr> FramesFromBytes(const uint8_t* data, size_t size, std::string* why) {
  classGAF doc;
  const LoadReport report = doc.LoadBytes(data, size);
  const AnimationPtr animation = doc.Animations.Item(1);
  if (!report.complete || !animation || animation->Frames.IsEmpty()) {
    if (why) *why = report.complete ? "no frames" : report.problem;
    return {};
  }
  return animation->Frames.Items();
}

}  // namespace quilmark
