#include "document/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace quilmark {

namespace {
constexpr size_t kBufferSize = 1 << 20;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, const uint8_t* data, size_t size, off_t at, bool positioned) {
  while (size > 0) {
    const ssize_t n = positioned ? ::pwrite(fd, data, size, at) : ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
    at += n;
  }
  return true;
}
}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
  // Writing through a symbolic link replaces the file it points at, not the link.
  struct stat st {};
  if (::lstat(target_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(target_.c_str(), resolved)) target_ = resolved;
  }
}

AtomicFile::~AtomicFile() { Discard(); }

bool AtomicFile::SetError(const std::string& what) {
  if (!failed_) {
    failed_ = true;
    error_ = what + ": " + std::strerror(errno);
  }
  return false;
}

void AtomicFile::Fail(const std::string& why) {
  if (!failed_) {
    failed_ = true;
    error_ = why;
  }
}

bool AtomicFile::Open() {
  if (target_.empty()) {
    Fail("no file name given");
    return false;
  }
  std::string pattern = FolderOf(target_) + "/.quilmark-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) return SetError("cannot create a file in " + FolderOf(target_));
  temp_ = name.data();
  // The new file gets the old one's permissions, or the usual ones for a new file.
  struct stat st {};
  mode_t mode;
  if (::stat(target_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
  buffer_ = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
  return true;
}

bool AtomicFile::Flush() {
  if (failed_ || fd_ < 0) return false;
  if (used_ == 0) return true;
  if (!WriteAll(fd_, buffer_.get(), used_, 0, false)) return SetError("cannot write " + target_);
  // Start writing back now, so that the final flush before the rename has
  // little left to wait for.
  ::sync_file_range(fd_, static_cast<off_t>(flushed_), static_cast<off_t>(used_), SYNC_FILE_RANGE_WRITE);
  flushed_ += used_;
  used_ = 0;
  return true;
}

uint8_t* AtomicFile::Room(size_t size) {
  if (failed_ || fd_ < 0 || size > kRoomLimit) return nullptr;
  if (used_ + size > kBufferSize && !Flush()) return nullptr;
  return buffer_.get() + used_;
}

bool AtomicFile::Write(const void* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  if (size == 0) return true;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (used_ + size > kBufferSize) {
    if (!Flush()) return false;
    if (size >= kBufferSize) {
      if (!WriteAll(fd_, bytes, size, 0, false)) return SetError("cannot write " + target_);
      flushed_ += size;
      return true;
    }
  }
  std::memcpy(buffer_.get() + used_, bytes, size);
  used_ += size;
  return true;
}

bool AtomicFile::WriteAt(uint64_t pos, const void* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  if (pos + size > Position()) {
    Fail("internal error: patch beyond the written data");
    return false;
  }
  const auto* bytes = static_cast<const uint8_t*>(data);
  // The part that lies in the unflushed buffer is patched there, the rest on disk.
  size_t on_disk = 0;
  if (pos < flushed_) on_disk = static_cast<size_t>(std::min<uint64_t>(size, flushed_ - pos));
  if (on_disk > 0 && !WriteAll(fd_, bytes, on_disk, static_cast<off_t>(pos), true))
    return SetError("cannot write " + target_);
  if (on_disk < size) std::memcpy(buffer_.get() + (pos + on_disk - flushed_), bytes + on_disk, size - on_disk);
  return true;
}

bool AtomicFile::Commit() {
  if (failed_ || fd_ < 0) return false;
  if (!Flush()) return false;
  if (::fsync(fd_) != 0) return SetError("cannot flush " + target_);
  if (::close(fd_) != 0) {
    fd_ = -1;
    return SetError("cannot close " + target_);
  }
  fd_ = -1;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return SetError("cannot replace " + target_);
  committed_ = true;
  temp_.clear();
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!committed_ && !temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

}  // namespace quilmark
