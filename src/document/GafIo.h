// Byte access for the GAF reader and writer.
//
// GafInput reads a file (or bytes in memory) at explicit positions and keeps
// the limits that make hostile files harmless: every read is bounds-checked,
// subframe offsets that loop back are cut off, nesting is bounded, and the
// pixels and the records and tables one file may make the reader go through
// are budgeted against its size.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "base/AtomicFile.h"
#include "base/FileAccess.h"
#include "document/GafLayout.h"
#include "document/PixelArena.h"
#include "document/classGAF.h"

namespace quilmark {

// The reader may go through twice the file's bytes in records and tables (a
// writer-made file is gone through once), with a floor for small files. Every
// reference followed is charged, also one then cut off as a loop or as nested
// too deeply, so neither what a file yields nor the work of reading it can
// outgrow the file.
inline constexpr uint64_t kExaminedPerFileByte = 2;
inline constexpr uint64_t kExaminedFloor = 4096 * gaf::kRecordSize;
inline uint64_t GafExamineBudget(uint64_t file_size) { return kExaminedFloor + kExaminedPerFileByte * file_size; }
// The most frames and subframes a file of this size can yield.
inline uint64_t GafMaxRecords(uint64_t file_size) { return GafExamineBudget(file_size) / gaf::kRecordSize; }

// How a file is read. The first read, at the file's start, is of the largest
// block. Frame records, their tables and their data may lie anywhere in the
// file, so a read that jumps away reads only a small block;
// reading on from a block doubles the next read, up to the largest, so that a
// writer-made file still streams in big blocks. Blocks of a few places are
// kept, for readers that go back and forth between tables and records. Once
// the reads add up to whole_file_after times the file's size (a layout made to
// defeat the blocks), the file is read whole into memory, so that no layout
// costs more than a few times its size in reads.
struct ReadPlan {
  size_t first_block = size_t{4} << 10;
  size_t largest_block = size_t{1} << 20;
  uint64_t whole_file_after = 2;  // 0: never
};

class GafInput {
 public:
  explicit GafInput(ReadPlan plan = {});
  GafInput(const GafInput&) = delete;
  GafInput& operator=(const GafInput&) = delete;

  // Opens a regular file; false, with the reason in the report, for anything
  // else (a folder, a pipe, a device) or when it cannot be opened.
  bool OpenFile(const std::string& path);
  void OpenMemory(const uint8_t* data, size_t size, bool padded = false);

  int64_t Size() const { return size_; }
  int64_t Position() const { return pos_; }
  void Seek(int64_t pos) { pos_ = pos; }
  // Bytes read from the file so far, and the reads that took them (0 for
  // bytes in memory).
  uint64_t BytesRead() const { return bytes_read_; }
  uint64_t Reads() const { return reads_; }

  // Reads size bytes at the position and moves past them; false (nothing
  // moved) when the bytes are not all there.
  bool Read(void* dst, size_t size) {
    if (const uint8_t* at = InLastBlock(size)) {
      // An empty read may come with no buffer at all.
      if (size > 0) std::memcpy(dst, at, size);
      pos_ += static_cast<int64_t>(size);
      return true;
    }
    return ReadElsewhere(dst, size);
  }
  // The next size bytes (size ≤ 64 KiB) without copying them out, or nullptr.
  // Valid until the next read.
  const uint8_t* ReadSpan(size_t size) {
    const uint8_t* at = InLastBlock(size);
    if (!at) at = SpanElsewhere(size);
    if (at) pos_ += static_cast<int64_t>(size);
    return at;
  }
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
  // Budgets: false once the file has made the reader go through more records
  // and tables, or make more pixels, than its size can account for.
  bool Examine(uint64_t bytes);
  bool ReservePixels(uint64_t count);
  // Lowers the pixels the file may make to at most most (after opening it),
  // for a reader that wants less memory than the file's size allows.
  void LimitPixels(uint64_t most) { pixels_left_ = std::min(pixels_left_, most); }
  // Memory for the count pixels of a frame just reserved, shared out of the
  // load's blocks (their bytes unset). False, with the reason noted, when it
  // cannot be had.
  bool MakePixels(size_t count, FramePixels& into);
  // The image of a frame with subframes: count transparent pixels that the
  // file does not store. All such frames share one read-only block, which a
  // write to any of them copies first; a block is reserved as it is made.
  bool BlankPixels(size_t count, FramePixels& into);

  // Notes that part of the file could not be read; the first reason is kept.
  // Does not allocate for reasons of ordinary length.
  void Fail(std::string_view why);
  // Notes that the file is something else than a GAF file, so nothing of it
  // was read (as for a file that could not be opened).
  void Refuse(std::string_view why) {
    Fail(why);
    report_.opened = false;
  }
  const LoadReport& Report() const { return report_; }
  LoadReport TakeReport() { return std::move(report_); }

 private:
  // A block of the file held in memory. Its buffer has kRowCodePadding bytes
  // of room behind the data.
  struct Block {
    std::unique_ptr<uint8_t[]> bytes;
    size_t capacity = 0;
    int64_t start = 0;
    size_t size = 0;
    size_t next_read = 0;  // reading on from here reads this much
    uint64_t last_use = 0;
  };

  // Most reads fall where the last one did: the bytes there, or nullptr.
  const uint8_t* InLastBlock(size_t size) const {
    if (pos_ < last_start_ || pos_ > last_end_ || static_cast<uint64_t>(last_end_ - pos_) < size) return nullptr;
    return last_bytes_ + (pos_ - last_start_);
  }
  bool ReadElsewhere(void* dst, size_t size);
  const uint8_t* SpanElsewhere(size_t size);
  void UseLast(const uint8_t* bytes, int64_t start, int64_t end) {
    last_bytes_ = bytes;
    last_start_ = start;
    last_end_ = end;
  }
  bool InBounds(size_t size) const;
  // How many bytes from the position on a block holds (the most any one
  // holds), with where they are.
  size_t HeldFrom(const uint8_t** at) const;
  // [pos_, pos_ + size) in memory, read from the file when needed; nullptr
  // when it cannot be read.
  const uint8_t* Locate(size_t size);
  // Whether a read of amount bytes stays within the plan; when it does not,
  // the file is read whole (true when that has happened).
  bool ReadWholeInstead(uint64_t amount);
  bool ReadFile(void* dst, size_t size, int64_t at, size_t* got);

  ReadPlan plan_;
  InputFile file_;
  const uint8_t* memory_ = nullptr;
  bool memory_padded_ = false;
  std::unique_ptr<uint8_t[]> whole_;
  std::array<Block, 4> blocks_;
  uint64_t clock_ = 0;
  const uint8_t* last_bytes_ = nullptr;
  int64_t last_start_ = 0;
  int64_t last_end_ = 0;
  uint64_t bytes_read_ = 0;
  uint64_t reads_ = 0;
  int64_t size_ = 0;
  int64_t pos_ = 0;
  std::vector<int64_t> path_;
  uint64_t examine_left_ = 0;
  uint64_t pixels_left_ = 0;
  PixelArena arena_;
  FramePixels blank_;
  LoadReport report_;
};

class GafOutput {
 public:
  explicit GafOutput(AtomicFile& file) : file_(file) {}
  uint64_t Position() const { return file_.Position(); }
  bool Write(const void* data, size_t size) { return file_.Write(data, size); }
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

}  // namespace quilmark
