// The pixels of one frame: palette indices, row-major, top row first.
//
// They lie either in a buffer of the frame's own or in a stretch of a block
// that loading shares out among the frames of a file (PixelArena.h). A
// stretch belongs to one frame alone, and each frame in a block keeps the
// block alive, so the block goes when its last frame goes, and no frame ever
// frees what another one uses. Writing pixels in place stays in the frame's
// stretch; whatever changes their number gives the frame a buffer of its own,
// and a copy always has one.
//
// Share hands out a second view of the same bytes for a reader on another
// thread (the editor's recovery copy is written from such views while the
// user goes on editing). Both views are then read-only in place: the first
// write through either, or any change of size, gives that view a buffer of
// its own first, so the reader never sees a byte change under it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace quilmark {

class FramePixels {
 public:
  using value_type = uint8_t;
  using size_type = size_t;
  using iterator = uint8_t*;
  using const_iterator = const uint8_t*;

  FramePixels() = default;
  // size bytes at stretch, which points into a block and keeps it alive.
  FramePixels(std::shared_ptr<uint8_t> stretch, size_t size) noexcept
      : stretch_(std::move(stretch)), data_(stretch_.get()), size_(size) {}

  FramePixels(const FramePixels& other) { Own(std::vector<uint8_t>(other.begin(), other.end())); }
  FramePixels(FramePixels&& other) noexcept { *this = std::move(other); }
  FramePixels& operator=(const FramePixels& other) {
    if (this != &other) Own(std::vector<uint8_t>(other.begin(), other.end()));
    return *this;
  }
  FramePixels& operator=(FramePixels&& other) noexcept {
    if (this != &other) {
      own_ = std::move(other.own_);
      stretch_ = std::move(other.stretch_);
      data_ = stretch_ ? other.data_ : own_.data();
      size_ = other.size_;
      shared_ = other.shared_;
      other.Own({});
    }
    return *this;
  }
  // Takes the vector's buffer as the frame's own, without copying it.
  FramePixels& operator=(std::vector<uint8_t>&& own) noexcept {
    Own(std::move(own));
    return *this;
  }
  FramePixels& operator=(const std::vector<uint8_t>& values) { return *this = std::vector<uint8_t>(values); }
  FramePixels& operator=(std::initializer_list<uint8_t> values) { return *this = std::vector<uint8_t>(values); }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  uint8_t* data() { return Writable(); }
  const uint8_t* data() const { return data_; }
  uint8_t& operator[](size_t i) { return Writable()[i]; }
  const uint8_t& operator[](size_t i) const { return data_[i]; }
  uint8_t* begin() { return Writable(); }
  uint8_t* end() { return Writable() + size_; }
  const uint8_t* begin() const { return data_; }
  const uint8_t* end() const { return data_ + size_; }

  // As std::vector's: the first bytes stay, new ones are value.
  void resize(size_t count, uint8_t value = 0) {
    if (count == size_) return;
    if (!stretch_) {
      own_.resize(count, value);
      data_ = own_.data();
      size_ = own_.size();
      return;
    }
    std::vector<uint8_t> grown(count, value);
    std::memcpy(grown.data(), data_, std::min(count, size_));
    Own(std::move(grown));
  }
  void assign(size_t count, uint8_t value) {
    if (count == size_ && !shared_) {
      if (size_ > 0) std::memset(data_, value, size_);
    } else {
      Own(std::vector<uint8_t>(count, value));
    }
  }
  template <class It>
  void assign(It first, It last) {
    Own(std::vector<uint8_t>(first, last));
  }

  // Whether the pixels lie in a block shared with other frames.
  bool InBlock() const { return stretch_ != nullptr; }

  // A view of the same bytes that keeps them alive (see above). A buffer of
  // the frame's own becomes a block of one frame on the way, without a copy.
  FramePixels Share() {
    if (size_ == 0) return {};
    if (!stretch_) {
      auto block = std::make_shared<std::vector<uint8_t>>(std::move(own_));
      stretch_ = std::shared_ptr<uint8_t>(block, block->data());
      own_ = {};
    }
    shared_ = true;
    FramePixels view(stretch_, size_);
    view.shared_ = true;
    return view;
  }
  // A view of the first count bytes alone, read-only in place as Share's.
  FramePixels SharePart(size_t count) {
    FramePixels view = Share();
    view.size_ = std::min(count, view.size_);
    return view;
  }

  explicit operator std::vector<uint8_t>() const { return std::vector<uint8_t>(begin(), end()); }

  friend bool operator==(const FramePixels& a, const FramePixels& b) { return Equal(a, b.data_, b.size_); }
  friend bool operator==(const FramePixels& a, const std::vector<uint8_t>& b) { return Equal(a, b.data(), b.size()); }

 private:
  static bool Equal(const FramePixels& a, const uint8_t* b, size_t size) {
    return a.size_ == size && (size == 0 || std::memcmp(a.data_, b, size) == 0);
  }
  void Own(std::vector<uint8_t>&& own) noexcept {
    own_ = std::move(own);
    stretch_.reset();
    data_ = own_.data();
    size_ = own_.size();
    shared_ = false;
  }
  // The bytes, to be written: shared ones are first copied into a buffer of
  // this view's own.
  uint8_t* Writable() {
    if (shared_) Own(std::vector<uint8_t>(data_, data_ + size_));
    return data_;
  }

  std::vector<uint8_t> own_;
  std::shared_ptr<uint8_t> stretch_;
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  bool shared_ = false;  // another view reads the same bytes (Share)
};

}  // namespace quilmark
