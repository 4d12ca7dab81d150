#include "base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
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
// Pieces of this size and more (a frame's raw pixels) are written from where
// they lie rather than copied into the buffer first.
constexpr size_t kWriteFromPlace = 64 << 10;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// name cut to at most room bytes, never inside a UTF-8 character.
std::string Cut(const std::string& name, size_t room) {
  if (name.size() <= room) return name;
  size_t end = room;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

// Creates a file from a mkstemps pattern: prefix, six X, suffix.
int CreateUnique(const std::string& prefix, const std::string& suffix, std::string& path) {
  std::string pattern = prefix + "XXXXXX" + suffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemps(name.data(), static_cast<int>(suffix.size()));
  if (fd >= 0) path = name.data();
  return fd;
}

// Appends the pieces in order, in one call when the system takes them all.
bool AppendAll(int fd, iovec* pieces, int count) {
  while (count > 0) {
    const ssize_t n = ::writev(fd, pieces, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    auto done = static_cast<size_t>(n);
    for (; count > 0 && done >= pieces->iov_len; ++pieces, --count) done -= pieces->iov_len;
    if (count > 0) {
      pieces->iov_base = static_cast<uint8_t*>(pieces->iov_base) + done;
      pieces->iov_len -= done;
    }
  }
  return true;
}

bool WriteAllAt(int fd, const uint8_t* data, size_t size, off_t at) {
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, data, size, at);
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

AtomicFile::AtomicFile(std::string path, Scratch) : target_(std::move(path)), scratch_(true) {}

AtomicFile::AtomicFile(std::string target, Private)
    : target_(std::move(target)), private_(true), name_(OutputName::MadeUp) {}

AtomicFile::AtomicFile(std::string target, OutputName name) : target_(std::move(target)), name_(name) {
  // Writing through a symbolic link the user named replaces the file it
  // points at, not the link.
  struct stat st {};
  if (name_ == OutputName::Chosen && ::lstat(target_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(target_.c_str(), resolved)) target_ = resolved;
  }
}

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
  if (!(scratch_ ? OpenScratch() : OpenTemporary())) return false;
  buffer_ = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
  return true;
}

bool AtomicFile::OpenTemporary() {
  // What is there now: the file a link leads to for a chosen name, the
  // entry itself for a made-up one, whose link is simply replaced.
  struct stat st {};
  const bool exists = (name_ == OutputName::Chosen ? ::stat(target_.c_str(), &st) : ::lstat(target_.c_str(), &st)) == 0;
  const bool link = exists && S_ISLNK(st.st_mode);
  if (exists && !link && !S_ISREG(st.st_mode)) {
    Fail("not a regular file");
    return false;
  }
  const std::string folder = FolderOf(target_);
  // "." + name + "." + six characters must fit one file name.
  fd_ = CreateUnique(folder + "/." + Cut(NameOf(target_), NAME_MAX - 8) + ".", "", temp_);
  if (fd_ < 0) return SetError("cannot create a file in " + folder);
  registration_.Register(temp_);
  // The new file gets the old one's permissions, owner and group, or the usual
  // permissions for a new file. Ownership is kept where the process may.
  mode_t mode;
  if (private_) {
    // The umask is not asked here: asking changes it for the whole process
    // for a moment, and a private file is written beside other threads.
    ::fchmod(fd_, 0600);
    return true;
  }
  if (exists && !link) {
    if (::fchown(fd_, st.st_uid, st.st_gid) != 0) (void)!::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
  return true;
}

bool AtomicFile::OpenScratch() {
  fd_ = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ < 0 && (errno == EEXIST || errno == ENAMETOOLONG)) {
    // Something else has the name: a unique one beside it, with the same extension.
    const std::string name = NameOf(target_);
    const size_t dot = name.rfind('.');
    const std::string suffix = dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
    const std::string stem = name.substr(0, name.size() - suffix.size());
    const size_t room = NAME_MAX > suffix.size() + 7 ? NAME_MAX - suffix.size() - 7 : 0;
    fd_ = CreateUnique(FolderOf(target_) + "/" + Cut(stem, room) + ".", suffix, target_);
  }
  if (fd_ < 0) return SetError("the file cannot be created");
  created_ = true;
  registration_.Register(target_);
  return true;
}

bool AtomicFile::Flush() { return FlushWith(nullptr, 0); }

bool AtomicFile::FlushWith(const uint8_t* data, size_t size) {
  if (failed_ || fd_ < 0) return false;
  if (used_ + size == 0) return true;
  iovec pieces[2] = {{buffer_.get(), used_}, {const_cast<uint8_t*>(data), size}};
  if (!AppendAll(fd_, pieces, 2)) return SetError("writing failed");
  flushed_ += used_ + size;
  used_ = 0;
  // Start writing back each MiB now, so that the final flush before the
  // rename has little left to wait for.
  if (flushed_ - written_back_ >= kBufferSize) {
    ::sync_file_range(fd_, static_cast<off_t>(written_back_), static_cast<off_t>(flushed_ - written_back_),
                      SYNC_FILE_RANGE_WRITE);
    written_back_ = flushed_;
  }
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
  if (size >= kWriteFromPlace) return FlushWith(bytes, size);
  if (used_ + size > kBufferSize && !Flush()) return false;
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
  if (on_disk > 0 && !WriteAllAt(fd_, bytes, on_disk, static_cast<off_t>(pos)))
    return SetError("writing failed");
  if (on_disk < size) std::memcpy(buffer_.get() + (pos + on_disk - flushed_), bytes + on_disk, size - on_disk);
  return true;
}

bool AtomicFile::Commit() {
  if (failed_ || fd_ < 0) return false;
  if (!Flush()) return false;
  if (::fsync(fd_) != 0) return SetError("flushing to disk failed");
  if (::close(fd_) != 0) {
    fd_ = -1;
    return SetError("closing the file failed");
  }
  fd_ = -1;
  committed_ = true;
  if (scratch_) return true;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) {
    committed_ = false;
    return SetError("the old file cannot be replaced");
  }
  registration_.Release();
  temp_.clear();
  return true;
}

void AtomicFile::Discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (scratch_) {
    Remove();
    return;
  }
  if (!committed_ && !temp_.empty()) {
    ::unlink(temp_.c_str());
    registration_.Release();
    temp_.clear();
  }
}

bool AtomicFile::Remove(std::string* why) {
  if (!created_) return true;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  const bool removed = ::unlink(target_.c_str()) == 0 || errno == ENOENT;
  if (!removed && why) *why = std::strerror(errno);
  created_ = false;
  registration_.Release();
  return removed;
}

AtomicFile::~AtomicFile() { Discard(); }

}  // namespace quilmark
