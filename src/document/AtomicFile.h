// Writing a file so that a failure never destroys the old one: everything goes
// to a temporary file in the target's folder, which replaces the target only
// once it was written whole and flushed. Used for every file the core writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quilmark {

class AtomicFile {
 public:
  explicit AtomicFile(std::string target);
  // Removes the temporary file unless Commit succeeded.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file. False (with Error()) when that is impossible.
  bool Open();
  // Appends bytes (buffered).
  bool Write(const void* data, size_t size);
  // Overwrites bytes already written at pos (pos + size ≤ Position()).
  bool WriteAt(uint64_t pos, const void* data, size_t size);
  uint64_t Position() const { return flushed_ + used_; }
  // Room for up to size bytes (at most kRoomLimit) at the end of the file, to be
  // filled in place and then kept with Extend. Null after a failure.
  static constexpr size_t kRoomLimit = size_t{1} << 19;
  uint8_t* Room(size_t size);
  // Keeps the first size bytes of the last Room.
  void Extend(size_t size) { used_ += size; }

  // Flushes, syncs and renames the temporary file over the target.
  bool Commit();
  // Gives up: the temporary file is removed, the target stays as it was.
  void Discard();

  const std::string& Error() const { return error_; }
  const std::string& Target() const { return target_; }
  // Records a failure that happened above this layer (the file is discarded).
  void Fail(const std::string& why);

 private:
  bool Flush();
  bool SetError(const std::string& what);

  std::string target_;
  std::string temp_;
  int fd_ = -1;
  bool failed_ = false;
  bool committed_ = false;
  uint64_t flushed_ = 0;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t used_ = 0;
  std::string error_;
};

}  // namespace quilmark
