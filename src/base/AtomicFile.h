// Writing a file so that a failure never destroys the old one: everything goes
// to a temporary file in the target's folder, which replaces the target only
// once it was written whole and flushed. Used for every file the core writes.
//
// The temporary file is named after its target (".walk.gaf.XXXXXX" for
// walk.gaf), so that a leftover of a killed process says what it was, and is
// removed on a termination signal (TemporaryFiles.h). The replaced file's
// permission bits, owner and group are kept where the process may set them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/TemporaryFiles.h"

namespace quilmark {

// Where the name of a file to write comes from.
enum class OutputName {
  // The user named it: a symbolic link there is followed, and the file it
  // leads to is replaced.
  Chosen,
  // The program made it up inside a folder the user chose (an export's or
  // explode's files): a symbolic link there is replaced by the new file,
  // never followed out of the folder.
  MadeUp,
};

// Either way, a target that exists and is not a regular file (a folder, a
// named pipe, a device) is refused ("not a regular file"), never replaced.
class AtomicFile {
 public:
  explicit AtomicFile(std::string target, OutputName name = OutputName::Chosen);
  // A new scratch file that only this process uses: created exclusively at
  // path, never through an existing file or link; when path is taken, at a
  // unique name beside it ("tank.ufo.XXXXXX.gaf" for "tank.ufo.gaf"). It is
  // written in place, stays after Commit for the caller to use, and is
  // removed with this object (or earlier by Remove).
  struct Scratch {};
  AtomicFile(std::string path, Scratch);
  // A file for this user alone: permissions 0600 whatever the umask or the
  // old file had; a name made up as with OutputName::MadeUp.
  struct Private {};
  AtomicFile(std::string target, Private);
  // Discard.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file. False (with Error()) when that is impossible.
  bool Open();
  // Appends bytes: small pieces through a buffer, large ones from where they lie.
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
  // Gives up: the temporary file is removed, the target stays as it was. A
  // scratch file is removed whether it was committed or not.
  void Discard();
  // Removes a scratch file now. False, with why, when it could not be.
  bool Remove(std::string* why = nullptr);

  const std::string& Error() const { return error_; }
  // The target; for a scratch file, where it was made once Open succeeded.
  const std::string& Target() const { return target_; }
  // Records a failure that happened above this layer (the file is discarded).
  void Fail(const std::string& why);

 private:
  bool Flush();
  // Writes what is buffered and then size bytes at data.
  bool FlushWith(const uint8_t* data, size_t size);
  bool SetError(const std::string& what);

  bool OpenTemporary();
  bool OpenScratch();

  std::string target_;
  std::string temp_;
  bool scratch_ = false;
  bool private_ = false;
  OutputName name_ = OutputName::Chosen;
  bool created_ = false;
  TemporaryRegistration registration_;
  int fd_ = -1;
  bool failed_ = false;
  bool committed_ = false;
  uint64_t flushed_ = 0;
  uint64_t written_back_ = 0;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t used_ = 0;
  std::string error_;
};

}  // namespace quilmark
