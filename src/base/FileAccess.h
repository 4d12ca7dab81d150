// Opening files that come from outside for reading. A path may name a named
// pipe, a device or a folder as easily as a file; opening such a thing could
// block for ever or read without end, so only regular files are read, and the
// open itself never waits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quilmark {

// Whether path names a folder (following links).
bool IsFolder(const std::string& path);

// An open regular file, closed with the object.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens path for reading when it is a regular file. False, with Error()
  // saying why in words ("no such file", "not a regular file", …), otherwise.
  bool Open(const std::string& path);

  int fd() const { return fd_; }
  int64_t Size() const { return size_; }
  const std::string& Error() const { return error_; }

  // Reads size bytes at offset (fewer only at the end of the file). The count
  // read, or -1 on a read error (Error() says which).
  int64_t ReadAt(void* dst, size_t size, int64_t offset);

 private:
  int fd_ = -1;
  int64_t size_ = 0;
  std::string error_;
};

}  // namespace quilmark
