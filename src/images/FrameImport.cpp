// Frames, subframes and animations built from BMP and PNG files.
#include <memory>
#include <new>
#include <set>
#include <utility>

#include "base/Latin1.h"
#include "document/Collection.h"
#include "base/PathNames.h"
#include "images/FrameImages.h"
#include "images/ImageFile.h"
#include "images/modBmp.h"

namespace quilmark {

namespace {

// One import call from start to end: the message goes out once per file that
// cannot be read, however often the batch names that file, and a file's
// colours that are not all game colours are listed once.
class ImportRun {
 public:
  ImportRun(MessageSink* messages, ImportReport* report) : messages_(messages), report_(report) {}

  void Read(const std::string& file, const ColourMapping& mapping) {
    if (!report_) return;
    ++report_->read;
    report_->mapping += mapping;
    if (!mapping.Exact() && inexact_.insert(file).second) report_->inexactFiles.push_back({file, mapping});
  }
  void Failed(const std::string& file, const std::string& why) {
    if (!failed_.insert(file).second) return;
    if (messages_) messages_->ShowMessage(kBmpLoadError);
    if (report_) {
      report_->failedFiles.push_back(file);
      report_->reasons.push_back(why);
    }
  }

 private:
  MessageSink* messages_;
  ImportReport* report_;
  std::set<std::string> failed_;
  std::set<std::string> inexact_;
};

bool ImportFrameInto(classGAFFrame& frame, const std::string& file, const ImportOptions& o, ImportRun& run) {
  frame.Initialize();
  LoadedBitmap bitmap;
  std::string why;
  // The reader refuses what a frame cannot hold (sides beyond 16 bits) and
  // what the heap cannot; the frame takes its pixels as they are.
  if (!ReadImage(file, bitmap, &why, o.dither ? ColourMatch::Dither : ColourMatch::Nearest)) {
    run.Failed(file, why);
    return false;
  }
  if (!frame.SetImage(bitmap.BMPInfoHeader.Width, bitmap.BMPInfoHeader.Height, std::move(bitmap.BMPPixels))) {
    run.Failed(file, "cannot become a frame");
    return false;
  }
  if (o.center) {
    // Both fit 16 bits, being at most half of a 16-bit size.
    (void)frame.SetPositionX(CenterOf(frame.Width()));
    (void)frame.SetPositionY(CenterOf(frame.Height()));
  }
  if (o.white)
    for (uint8_t& p : frame.Pixels)
      if (p == 255) p = TransparentIndex;
  frame.SetCompressed(o.compress);
  run.Read(file, bitmap.Mapping);
  return true;
}

bool ImportListInto(classGAFFrame& frame, const classFrameList& list, const ImportOptions& o, ImportRun& run) {
  frame.Initialize();
  if (list.FrameCount() < 2) return ImportFrameInto(frame, list.Name, o, run);
  // The frame's own image is never stored compressed.
  ImportOptions own = o;
  own.compress = false;
  bool ok = ImportFrameInto(frame, list.Name, own, run);
  for (const std::string& path : list.GetFrames()) {
    auto sub = std::make_shared<classGAFFrame>();
    ok = ImportFrameInto(*sub, path, o, run) && ok;
    frame.Subframes.Add(sub);
  }
  return ok;
}

bool ImportSubframeInto(classGAFFrame& frame, const std::string& file, const ImportOptions& o, ImportRun& run) {
  if (frame.Subframes.IsEmpty()) {
    auto first = std::make_shared<classGAFFrame>();
    try {
      first->SetWidth(frame.Width());
      first->SetHeight(frame.Height());
      first->CopyImage(std::as_const(frame.Pixels));
    } catch (const std::bad_alloc&) {
      // No room for the copy of the frame's own image: the bitmap is not
      // added either, and the frame stays as it was.
      run.Failed(file, kOutOfMemory);
      return false;
    }
    (void)first->SetPositionX(frame.PositionX());
    (void)first->SetPositionY(frame.PositionY());
    first->FPS = frame.FPS;
    frame.Subframes.Add(first);
  }
  auto sub = std::make_shared<classGAFFrame>();
  const bool ok = ImportFrameInto(*sub, file, o, run);
  frame.Subframes.Add(sub);
  return ok;
}

bool ImportListsInto(classGAFAnimation& animation, const std::vector<classFrameList>& lists, const ImportOptions& o,
                     ImportRun& run) {
  animation.Animated = true;
  for (const classFrameList& list : lists) {
    if (list.Name.empty()) continue;
    if (animation.Name.empty()) {
      // The animation is named after its first file, without the extension;
      // names are 8-bit text, file names UTF-8.
      const std::string file = Utf8ToLatin1(StripPath(list.Name));
      if (file.size() < 4) return false;
      // As a file keeps it, so that what is compared is what is saved.
      animation.Name = StoredName(file.substr(0, file.size() - 4));
    }
    auto frame = std::make_shared<classGAFFrame>();
    ImportListInto(*frame, list, o, run);
    animation.Frames.Add(frame);
  }
  return true;
}

}  // namespace

int32_t CenterOf(int32_t size) {
  const int32_t half = size / 2;
  if (size % 2 == 0) return half;
  // An odd size lies halfway between half and half + 1 (or half - 1 below 0).
  const int32_t other = size > 0 ? half + 1 : half - 1;
  return half % 2 == 0 ? half : other;
}

bool ImportFrame(classGAFFrame& frame, const std::string& Filename, bool Center, bool WhiteBG, bool Compress,
                 MessageSink* messages, ImportReport* report) {
  ImportRun run(messages, report);
  return ImportFrameInto(frame, Filename, ImportOptions{Center, WhiteBG, Compress, false}, run);
}

bool ImportSequence(classGAFFrame& frame, const classFrameList& FileList, bool Center, bool WhiteBG, bool Compress,
                    MessageSink* messages, ImportReport* report) {
  ImportRun run(messages, report);
  return ImportListInto(frame, FileList, ImportOptions{Center, WhiteBG, Compress, false}, run);
}

bool ImportSubframe(classGAFFrame& frame, const std::string& Filename, bool Center, bool WhiteBG, bool Compress,
                    MessageSink* messages, ImportReport* report) {
  ImportRun run(messages, report);
  return ImportSubframeInto(frame, Filename, ImportOptions{Center, WhiteBG, Compress, false}, run);
}

bool ImportSequence(classGAFAnimation& animation, const std::vector<classFrameList>& FileList, bool Center,
                    bool WhiteBG, bool Compress, MessageSink* messages, ImportReport* report) {
  ImportRun run(messages, report);
  return ImportListsInto(animation, FileList, ImportOptions{Center, WhiteBG, Compress, false}, run);
}

bool ImportFrames(classGAFAnimation& animation, const std::vector<std::string>& Files, bool Center, bool WhiteBG,
                  bool Subframes, bool Compress, int32_t currentFrame, AnimationDisplay* display,
                  MessageSink* messages, ImportReport* report) {
  return ImportFrames(animation, Files, ImportOptions{Center, WhiteBG, Compress, false}, Subframes, currentFrame,
                      display, messages, report);
}

bool ImportFrames(classGAFAnimation& animation, const std::vector<std::string>& Files, const ImportOptions& o,
                  bool Subframes, int32_t currentFrame, AnimationDisplay* display, MessageSink* messages,
                  ImportReport* report) {
  ImportRun run(messages, report);
  for (const std::string& file : Files) {
    if (Subframes) {
      const FramePtr frame = animation.Frames.Item(currentFrame);
      if (!frame) return false;
      ImportSubframeInto(*frame, file, o, run);
    } else {
      auto frame = std::make_shared<classGAFFrame>();
      ImportFrameInto(*frame, file, o, run);
      animation.Frames.Add(frame);
    }
  }
  if (display) display->DisplayAnimation(animation);
  return true;
}

bool ImportSequence(classGAF& doc, const std::vector<classFrameList>& Images, bool Center, bool WhiteBG,
                    bool Compress, MessageSink* messages, ImportReport* report) {
  return ImportSequence(doc, Images, ImportOptions{Center, WhiteBG, Compress, false}, messages, report);
}

bool ImportSequence(classGAF& doc, const std::vector<classFrameList>& Images, const ImportOptions& options,
                    MessageSink* messages, ImportReport* report) {
  auto animation = std::make_shared<classGAFAnimation>();
  ImportRun run(messages, report);
  ImportListsInto(*animation, Images, options, run);
  if (animation->Name.empty()) return false;
  // A name that is taken is refused by the collection; the new animation is dropped.
  return doc.Animations.Add(animation, animation->Name);
}

}  // namespace quilmark
