// Byte access for the GAF reader and writer.
//
// GafInput reads a file (or bytes in memory) at explicit positions, through a
// window so that large files are not held in memory twice, and keeps the
// limits that make hostile files harmless: every read is bounds-checked,
// subframe offsets that loop back are cut off, nesting is bounded, and the
// pixels and objects one file may make are budgeted against its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "document/AtomicFile.h"
#include "document/classGAF.h"

namespace quilmark {

class GafInput {
 public:
  GafInput() = default;
  ~GafInput();
  GafInput(const GafInput&) = delete;
  GafInput& operator=(const GafInput&) = delete;

  bool OpenFile(const std::string& path);
  void OpenMemory(const uint8_t* data, size_t size, bool padded = false);

  int64_t Size() const { return size_; }
  int64_t Position() const { return pos_; }
  void Seek(int64_t pos) { pos_ = pos; }

  // Reads size bytes at the position and moves past them; false (nothing
  // moved) when the bytes are not all there.
  bool Read(void* dst, size_t size);
  // The next size bytes (size ≤ 64 KiB) without copying them out, or nullptr.
  const uint8_t* ReadSpan(size_t size);
  // Whether spans may be read kRowCodePadding bytes past their end.
  bool SpansPadded() const { return memory_ == nullptr || memory_padded_; }

  template <class T>
  bool ReadLE(T& value) {
    uint8_t raw[sizeof(T)];
    if (!Read(raw, sizeof(T))) return false;
    using U = std::make_unsigned_t<T>;
    U v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v = static_cast<U>(v | (static_cast<U>(raw[i]) << (8 * i)));
    value = static_cast<T>(v);
    return true;
  }

  // A frame record at offset is about to be read: false when it is already on
  // the current path (a loop) or nesting is too deep.
  bool EnterRecord(int64_t offset);
  void LeaveRecord() { path_.pop_back(); }
  // Budgets: false once the file has made more objects or pixels than its
  // size can account for.
  bool ReserveObject();
  bool ReservePixels(uint64_t count);

  // Notes that part of the file could not be read.
  void Fail(const std::string& why);
  const LoadReport& Report() const { return report_; }

 private:
  bool Fill(int64_t pos);
  void SetBudgets();

  int fd_ = -1;
  const uint8_t* memory_ = nullptr;
  bool memory_padded_ = false;
  int64_t size_ = 0;
  int64_t pos_ = 0;
  std::vector<uint8_t> window_;
  int64_t window_start_ = 0;
  size_t window_size_ = 0;
  std::vector<int64_t> path_;
  uint64_t objects_left_ = 0;
  uint64_t pixels_left_ = 0;
  LoadReport report_;
};

class GafOutput {
 public:
  explicit GafOutput(AtomicFile& file) : file_(file) {}
  uint64_t Position() const { return file_.Position(); }
  bool Write(const void* data, size_t size) { return file_.Write(data, size); }
  template <class T>
  bool WriteLE(T value) {
    uint8_t raw[sizeof(T)];
    auto v = static_cast<std::make_unsigned_t<T>>(value);
    for (size_t i = 0; i < sizeof(T); ++i) raw[i] = static_cast<uint8_t>(v >> (8 * i));
    return Write(raw, sizeof(T));
  }
  bool WriteAt(uint64_t pos, const void* data, size_t size) { return file_.WriteAt(pos, data, size); }
  uint8_t* Room(size_t size) { return file_.Room(size); }
  void Extend(size_t size) { file_.Extend(size); }
  // Records why the save stops (a limit of the format was passed).
  void Fail(const std::string& why) { file_.Fail(why); }
  std::vector<uint8_t>& Scratch() { return scratch_; }

 private:
  AtomicFile& file_;
  std::vector<uint8_t> scratch_;
};

// Little-endian packing into a byte array (for tables written back in one go).
inline void PutLE32(uint8_t* at, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  at[0] = static_cast<uint8_t>(v);
  at[1] = static_cast<uint8_t>(v >> 8);
  at[2] = static_cast<uint8_t>(v >> 16);
  at[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace quilmark
