#include "base/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quilmark {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool InputFile::Open(const std::string& path) {
  if (path.empty()) {
    error_ = "no file name given";
    return false;
  }
  // O_NONBLOCK: opening a named pipe with no writer returns at once instead of
  // waiting for one. It is cleared again before anything is read.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) {
    error_ = errno == ENOENT ? std::string("no such file") : std::string(std::strerror(errno));
    return false;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    error_ = std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    error_ = "a folder, not a file";
  } else if (!S_ISREG(st.st_mode)) {
    error_ = "not a regular file";
  } else {
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    size_ = st.st_size;
    return true;
  }
  ::close(fd_);
  fd_ = -1;
  return false;
}

int64_t InputFile::ReadAt(void* dst, size_t size, int64_t offset) {
  auto* bytes = static_cast<uint8_t*>(dst);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, bytes + done, size - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      return -1;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

}  // namespace quilmark
