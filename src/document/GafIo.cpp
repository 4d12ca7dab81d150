#include "document/GafIo.h"

#include "document/RowCode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace quilmark {

namespace {
constexpr size_t kWindow = 1 << 20;
// Deepest chain of subframes inside subframes that is followed.
constexpr size_t kMaxDepth = 32;
// A writer-made file has at least one byte per 120 pixels (compressed
// transparent rows), so 128 pixels per byte admits every honest file; the
// fixed allowance covers small files with sparse rows.
constexpr uint64_t kPixelsPerFileByte = 128;
constexpr uint64_t kPixelAllowance = 64ull << 20;
// Every frame record takes 24 bytes; a frame table entry 8.
constexpr uint64_t kObjectAllowance = 1u << 18;

ssize_t ReadFully(int fd, uint8_t* dst, size_t size, off_t at) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, dst + done, size - done, at + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}
}  // namespace

GafInput::~GafInput() {
  if (fd_ >= 0) ::close(fd_);
}

bool GafInput::OpenFile(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) {
    Fail("cannot open the file: " + std::string(std::strerror(errno)));
    SetBudgets();
    return false;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    Fail("not a regular file");
    ::close(fd_);
    fd_ = -1;
    SetBudgets();
    return false;
  }
  size_ = st.st_size;
  // Row code is decoded straight from the window, which may be read a little past its data.
  window_.resize(kWindow + kRowCodePadding);
  SetBudgets();
  return true;
}

void GafInput::OpenMemory(const uint8_t* data, size_t size, bool padded) {
  memory_ = data;
  memory_padded_ = padded;
  size_ = static_cast<int64_t>(size);
  SetBudgets();
}

void GafInput::SetBudgets() {
  const auto size = static_cast<uint64_t>(size_);
  objects_left_ = kObjectAllowance + size / 8;
  pixels_left_ = kPixelAllowance + size * kPixelsPerFileByte;
}

bool GafInput::Fill(int64_t pos) {
  const size_t want = static_cast<size_t>(std::min<int64_t>(kWindow, size_ - pos));
  const ssize_t got = ReadFully(fd_, window_.data(), want, pos);
  if (got < 0) {
    window_size_ = 0;
    return false;
  }
  window_start_ = pos;
  window_size_ = static_cast<size_t>(got);
  return true;
}

bool GafInput::Read(void* dst, size_t size) {
  if (pos_ < 0 || pos_ > size_ || static_cast<uint64_t>(size_ - pos_) < size) return false;
  if (size == 0) return true;
  if (memory_) {
    std::memcpy(dst, memory_ + pos_, size);
    pos_ += static_cast<int64_t>(size);
    return true;
  }
  const bool in_window =
      pos_ >= window_start_ && pos_ + static_cast<int64_t>(size) <= window_start_ + static_cast<int64_t>(window_size_);
  if (!in_window) {
    if (size >= kWindow / 2) {
      // Large blocks (raw pixels) go straight to their place.
      if (ReadFully(fd_, static_cast<uint8_t*>(dst), size, pos_) != static_cast<ssize_t>(size)) return false;
      pos_ += static_cast<int64_t>(size);
      return true;
    }
    if (!Fill(pos_) || window_size_ < size) return false;
  }
  std::memcpy(dst, window_.data() + (pos_ - window_start_), size);
  pos_ += static_cast<int64_t>(size);
  return true;
}

const uint8_t* GafInput::ReadSpan(size_t size) {
  if (pos_ < 0 || pos_ > size_ || static_cast<uint64_t>(size_ - pos_) < size || size > kWindow / 2) return nullptr;
  const uint8_t* at;
  if (memory_) {
    at = memory_ + pos_;
  } else {
    const bool in_window =
        pos_ >= window_start_ && pos_ + static_cast<int64_t>(size) <= window_start_ + static_cast<int64_t>(window_size_);
    if (!in_window && (!Fill(pos_) || window_size_ < size)) return nullptr;
    at = window_.data() + (pos_ - window_start_);
  }
  pos_ += static_cast<int64_t>(size);
  return at;
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

bool GafInput::ReserveObject() {
  if (objects_left_ == 0) {
    Fail("more frames than the file can hold");
    return false;
  }
  --objects_left_;
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

void GafInput::Fail(const std::string& why) {
  if (report_.complete) {
    report_.complete = false;
    report_.problem = why;
  }
}

}  // namespace quilmark
