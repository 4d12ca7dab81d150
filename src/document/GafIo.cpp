#include "document/GafIo.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "document/RowCode.h"

namespace quilmark {

namespace {
// Deepest chain of subframes inside subframes that is followed.
constexpr size_t kMaxDepth = 32;
// Every pixel costs memory and the time to set it, whatever the file spent on
// it: the row code's longest reach per byte is a skip code of 127 transparent
// pixels, so a writer-made file, however transparent, holds fewer than 128
// pixels per byte. 128 per byte of the file beyond a fixed 64 MiB admit every
// such file and bound what any file can make: a 10 MB file stays within about
// 1.4 GB, whether by empty rows of 2 bytes each or by many frames sharing one
// frame's data.
constexpr uint64_t kPixelsPerFileByte = 128;
constexpr uint64_t kPixelAllowance = 64ull << 20;
// Row code is read as spans; a row holds at most 32767 bytes.
constexpr size_t kMaxSpan = size_t{64} << 10;
// Room for the first problem, so that noting it when memory has run out does
// not need more.
constexpr size_t kProblemRoom = 256;
}  // namespace

GafInput::GafInput(ReadPlan plan) : plan_(plan) {
  plan_.first_block = std::max<size_t>(plan_.first_block, 1);
  plan_.largest_block = std::max(plan_.largest_block, plan_.first_block);
  report_.problem.reserve(kProblemRoom);
}

bool GafInput::OpenFile(const std::string& path) {
  const bool opened = file_.Open(path);
  if (!opened) {
    report_.opened = false;
    Fail(file_.Error());
  }
  size_ = opened ? file_.Size() : 0;
  examine_left_ = GafExamineBudget(static_cast<uint64_t>(size_));
  pixels_left_ = kPixelAllowance + static_cast<uint64_t>(size_) * kPixelsPerFileByte;
  return opened;
}

void GafInput::OpenMemory(const uint8_t* data, size_t size, bool padded) {
  memory_ = data;
  memory_padded_ = padded;
  size_ = static_cast<int64_t>(size);
  UseLast(memory_, 0, size_);
  examine_left_ = GafExamineBudget(size);
  pixels_left_ = kPixelAllowance + size * kPixelsPerFileByte;
}

bool GafInput::InBounds(size_t size) const {
  return pos_ >= 0 && pos_ <= size_ && static_cast<uint64_t>(size_ - pos_) >= size;
}

bool GafInput::ReadFile(void* dst, size_t size, int64_t at, size_t* got) {
  const int64_t n = file_.ReadAt(dst, size, at);
  if (n < 0) {
    Fail("cannot read the file: " + file_.Error());
    return false;
  }
  bytes_read_ += static_cast<uint64_t>(n);
  ++reads_;
  *got = static_cast<size_t>(n);
  return true;
}

bool GafInput::ReadWholeInstead(uint64_t amount) {
  if (plan_.whole_file_after == 0 || bytes_read_ + amount <= plan_.whole_file_after * static_cast<uint64_t>(size_))
    return false;
  plan_.whole_file_after = 0;  // tried once, whatever comes of it
  const auto size = static_cast<size_t>(size_);
  std::unique_ptr<uint8_t[]> whole(new (std::nothrow) uint8_t[size + kRowCodePadding]);
  if (!whole) return false;  // reading goes on in blocks
  size_t got = 0;
  if (!ReadFile(whole.get(), size, 0, &got) || got != size) return false;
  std::memset(whole.get() + size, 0, kRowCodePadding);
  whole_ = std::move(whole);
  memory_ = whole_.get();
  memory_padded_ = true;
  UseLast(memory_, 0, size_);
  for (Block& b : blocks_) b = Block{};
  return true;
}

size_t GafInput::HeldFrom(const uint8_t** at) const {
  size_t held = 0;
  for (const Block& b : blocks_) {
    const int64_t b_end = b.start + static_cast<int64_t>(b.size);
    if (pos_ >= b.start && pos_ < b_end && static_cast<size_t>(b_end - pos_) > held) {
      held = static_cast<size_t>(b_end - pos_);
      *at = b.bytes.get() + (pos_ - b.start);
    }
  }
  return held;
}

const uint8_t* GafInput::Locate(size_t size) {
  if (memory_) return memory_ + pos_;
  const int64_t end = pos_ + static_cast<int64_t>(size);
  Block* reading_on = nullptr;
  Block* oldest = &blocks_[0];
  for (Block& b : blocks_) {
    const int64_t b_end = b.start + static_cast<int64_t>(b.size);
    if (b.size > 0 && pos_ >= b.start && end <= b_end) {
      b.last_use = ++clock_;
      UseLast(b.bytes.get(), b.start, b_end);
      return b.bytes.get() + (pos_ - b.start);
    }
    if (b.size > 0 && pos_ >= b.start && pos_ <= b_end + static_cast<int64_t>(b.next_read)) reading_on = &b;
    if (b.last_use < oldest->last_use) oldest = &b;
  }
  Block& b = reading_on ? *reading_on : *oldest;
  // Every file is read from its start first, and a writer-made one on from
  // there: that read is as large as any.
  const size_t block = reading_on ? reading_on->next_read : bytes_read_ == 0 ? plan_.largest_block : plan_.first_block;
  const auto amount = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(std::max(block, size)), size_ - pos_));
  // Reading on, what the block holds from the position on is kept, and only
  // what follows it is read.
  const int64_t b_end = b.start + static_cast<int64_t>(b.size);
  const size_t kept = reading_on && pos_ < b_end ? static_cast<size_t>(b_end - pos_) : 0;
  if (ReadWholeInstead(amount - kept)) return memory_ + pos_;
  // Row code is decoded straight from the block, which may be read a little
  // past its data. A buffer holds the largest block, or the whole file when
  // that is smaller, so that it is had once per load.
  if (b.capacity < amount + kRowCodePadding) {
    const size_t capacity =
        std::max(amount, std::min(plan_.largest_block, static_cast<size_t>(size_))) + kRowCodePadding;
    auto bytes = std::make_unique_for_overwrite<uint8_t[]>(capacity);
    if (kept > 0) std::memcpy(bytes.get(), b.bytes.get() + (pos_ - b.start), kept);
    b.bytes = std::move(bytes);
    b.capacity = capacity;
  } else if (kept > 0) {
    std::memmove(b.bytes.get(), b.bytes.get() + (pos_ - b.start), kept);
  }
  size_t got = 0;
  const bool read = ReadFile(b.bytes.get() + kept, amount - kept, pos_ + static_cast<int64_t>(kept), &got);
  got += kept;
  // Row code may be decoded a little past its end; what lies there is fixed.
  if (read) std::memset(b.bytes.get() + got, 0, kRowCodePadding);
  b.start = pos_;
  b.size = read ? got : 0;
  b.next_read = std::min(2 * block, plan_.largest_block);
  b.last_use = ++clock_;
  UseLast(b.bytes.get(), b.start, b.start + static_cast<int64_t>(b.size));
  return read && got >= size ? b.bytes.get() : nullptr;
}

bool GafInput::ReadElsewhere(void* dst, size_t size) {
  if (!InBounds(size)) return false;
  if (size == 0) return true;
  const uint8_t* at = nullptr;
  const size_t held = memory_ ? 0 : std::min(HeldFrom(&at), size);
  if (!memory_ && size - held >= plan_.largest_block / 2 && !ReadWholeInstead(size - held)) {
    // Large spans (raw pixels) go straight to their place, after what a
    // block already holds of them.
    auto* bytes = static_cast<uint8_t*>(dst);
    if (held > 0) std::memcpy(bytes, at, held);
    size_t got = 0;
    if (!ReadFile(bytes + held, size - held, pos_ + static_cast<int64_t>(held), &got) || got != size - held)
      return false;
  } else {
    at = Locate(size);
    if (!at) return false;
    std::memcpy(dst, at, size);
  }
  pos_ += static_cast<int64_t>(size);
  return true;
}

const uint8_t* GafInput::SpanElsewhere(size_t size) {
  if (!InBounds(size) || size > kMaxSpan) return nullptr;
  return Locate(size);
}

bool GafInput::EnterRecord(int64_t offset) {
  if (path_.size() >= kMaxDepth) {
    Fail("subframes nested too deeply");
    return false;
  }
  if (std::find(path_.begin(), path_.end(), offset) != path_.end()) {
    Fail("a subframe refers back to its own frame");
    return false;
  }
  path_.push_back(offset);
  return true;
}

bool GafInput::Examine(uint64_t bytes) {
  if (bytes > examine_left_) {
    examine_left_ = 0;
    Fail("the file refers to more frames than it can hold");
    return false;
  }
  examine_left_ -= bytes;
  return true;
}

bool GafInput::ReservePixels(uint64_t count) {
  if (count > pixels_left_) {
    Fail("frame sizes larger than the file can hold");
    return false;
  }
  pixels_left_ -= count;
  return true;
}

bool GafInput::MakePixels(size_t count, FramePixels& into) {
  // A new block is made for what the rest of the file is likely to hold: at
  // first as many pixels as the file has bytes (a file of raw images holds
  // about that many), later the pixels per byte so far for the bytes still
  // ahead, and an eighth more; never more than the file may still make.
  double expected = static_cast<double>(size_);
  if (arena_.Taken() > 0 && pos_ > 0 && pos_ < size_) {
    const double per_byte = static_cast<double>(arena_.Taken()) / static_cast<double>(pos_);
    expected = per_byte * static_cast<double>(size_ - pos_) * 1.125;
  }
  const double most = static_cast<double>(pixels_left_) + static_cast<double>(count);
  const auto block = static_cast<size_t>(std::min(expected + static_cast<double>(count), most));
  if (arena_.Take(count, block, into)) return true;
  Fail("not enough memory for a frame's pixels");
  return false;
}

bool GafInput::BlankPixels(size_t count, FramePixels& into) {
  if (count > blank_.size()) {
    if (!ReservePixels(count)) return false;
    try {
      blank_ = std::vector<uint8_t>(count, TransparentIndex);
    } catch (const std::bad_alloc&) {
      Fail("not enough memory for a frame's pixels");
      return false;
    }
  }
  into = blank_.SharePart(count);
  return true;
}

void GafInput::Fail(std::string_view why) {
  if (report_.complete) {
    report_.complete = false;
    report_.problem.assign(why);
  }
}

}  // namespace quilmark
