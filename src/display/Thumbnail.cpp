#include "display/Thumbnail.h"

#include "document/classGAF.h"

namespace quilmark {

bool MakeThumbnail(GafInput& in, int32_t side, ComposedImage& out, std::string* why, const ThumbnailLimits& limits) {
  const auto refuse = [why](const std::string& reason) {
    if (why) *why = reason;
    return false;
  };
  if (side < 1 || side > kThumbnailMaxSide) return refuse("the size must be 1 to " + std::to_string(kThumbnailMaxSide));
  if (!in.Report().opened) return refuse(in.Report().problem);
  if (in.Size() > limits.fileBytes)
    return refuse("the file holds " + std::to_string(in.Size()) + " bytes, more than the " +
                  std::to_string(limits.fileBytes) + " bytes a thumbnail is made of");
  in.LimitPixels(limits.loadPixels);
  classGAF doc;
  const LoadReport report = doc.Load(in);
  if (!report.opened) return refuse(report.problem);
  const AnimationPtr animation = doc.Animations.Item(1);
  const FramePtr frame = animation ? animation->Frames.Item(1) : nullptr;
  if (!frame) {
    const std::string what = animation ? "its first animation has no frame" : "it holds no animation";
    return refuse(report.complete ? what : what + " that could be read: " + report.problem);
  }
  // A frame with subframes is composed in the box that holds them all; one
  // without is scaled from its own pixels, whatever its size.
  if (!frame->Subframes.IsEmpty()) {
    const ComposedImage box = BoxOf(*frame);
    if (int64_t{box.width} * box.height > limits.composedPixels)
      return refuse("the first frame's images lie " + std::to_string(box.width) + " x " + std::to_string(box.height) +
                    " pixels apart, too far for a thumbnail");
  }
  out = ThumbnailOf(*frame, side);
  return out.Empty() ? refuse("the first frame has no pixels") : true;
}

}  // namespace quilmark
