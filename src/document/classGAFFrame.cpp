#include "document/classGAFFrame.h"

#include <limits>
#include <utility>

namespace quilmark {

namespace {
bool Fits16(int32_t value) {
  return value >= std::numeric_limits<int16_t>::min() && value <= std::numeric_limits<int16_t>::max();
}
}  // namespace

void classGAFFrame::ResizePixels() {
  const int64_t count = static_cast<int64_t>(width_) * height_;
  Pixels.resize(count > 0 ? static_cast<size_t>(count) : 0, 0);
}

void classGAFFrame::SetWidth(int32_t value) {
  if (Fits16(value)) width_ = static_cast<int16_t>(value);
  ResizePixels();
}

void classGAFFrame::SetHeight(int32_t value) {
  if (Fits16(value)) height_ = static_cast<int16_t>(value);
  ResizePixels();
}

bool classGAFFrame::SetImage(int32_t width, int32_t height, std::vector<uint8_t>&& pixels) {
  if (width < 0 || height < 0 || width > kMaxFrameSide || height > kMaxFrameSide) return false;
  if (pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height)) return false;
  width_ = static_cast<int16_t>(width);
  height_ = static_cast<int16_t>(height);
  Pixels = std::move(pixels);
  return true;
}

void classGAFFrame::CopyImage(std::span<const uint8_t> Buffer) { Pixels.assign(Buffer.begin(), Buffer.end()); }

bool classGAFFrame::SetPositionX(int32_t value) {
  if (!Fits16(value)) return false;
  position_x_ = static_cast<int16_t>(value);
  return true;
}

bool classGAFFrame::SetPositionY(int32_t value) {
  if (!Fits16(value)) return false;
  position_y_ = static_cast<int16_t>(value);
  return true;
}

std::shared_ptr<classGAFFrame> classGAFFrame::SharedCopy() {
  auto copy = std::make_shared<classGAFFrame>();
  copy->FPS = FPS;
  copy->width_ = width_;
  copy->height_ = height_;
  copy->position_x_ = position_x_;
  copy->position_y_ = position_y_;
  copy->compressed_ = compressed_;
  copy->transparent_index_ = transparent_index_;
  copy->subframe_count_ = subframe_count_;
  copy->reserved1_ = reserved1_;
  copy->reserved2_ = reserved2_;
  copy->data_offset_ = data_offset_;
  for (const auto& sub : Subframes) copy->Subframes.Add(sub->SharedCopy());
  copy->Pixels = Pixels.Share();
  return copy;
}

void classGAFFrame::Initialize() {
  Pixels.assign(1, 0);
  Subframes = Collection<classGAFFrame>();
}

}  // namespace quilmark
