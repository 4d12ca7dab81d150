// Recovery copies: what an editor keeps of a document with unsaved changes, so
// that a crash, a kill or a lost session costs at most the last few seconds.
//
// They lie in the user's state folder ($XDG_STATE_HOME/quilmark/recovery, by
// default ~/.local/state/quilmark/recovery; the folder 0700, the files 0600),
// never beside the user's own files. Each running editor has a copy of its own
// under an id of its own:
//   <id>.gaf   the bytes a save of the document would write
//   <id>.info  which file the document belongs to, when and by which process
//              the copy was written
//   <id>.lock  held locked by the editor that owns the copy while it runs
// The lock, not the process number, tells whether the owner still runs: the
// system lets go of it when a process ends, however it ends, and a process
// number may be given to another process later.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/classGAF.h"

namespace quilmark {

struct RecoveryInfo {
  std::string file;  // the document's own path (where a save goes), 8-bit
  int64_t saved = 0;  // when the copy was written, seconds since 1970
  int64_t pid = 0;    // the process that wrote it
};

// The sidecar's text: a first line "quilmark-recovery 1", then one "key value"
// line each, the file's bytes below 0x21, 0x7F and "%" written as %XX.
std::string FormatRecoveryInfo(const RecoveryInfo& info);
// Nothing for text that is not such a sidecar or lacks a field.
std::optional<RecoveryInfo> ParseRecoveryInfo(std::string_view text);

// The folder of the recovery copies; empty when no home folder is known.
std::string RecoveryFolder();

class RecoveryCopy {
 public:
  // A copy of this process's own under a new id; nothing is written before
  // the first Write.
  static std::unique_ptr<RecoveryCopy> Create(std::string folder);
  // The copies whose editors no longer run, newest first. Each is held locked
  // by this process while the object lives, so that no other editor offers
  // it at the same time. Leftovers of such editors that are no copy (a piece
  // without the other, a half-written temporary file) are removed on the way.
  static std::vector<std::unique_ptr<RecoveryCopy>> Left(const std::string& folder);

  // Lets go of the lock; the files stay.
  ~RecoveryCopy();
  RecoveryCopy(const RecoveryCopy&) = delete;
  RecoveryCopy& operator=(const RecoveryCopy&) = delete;

  // Writes the document, then the sidecar, each replacing its old version
  // only once written whole; the first write makes the folder and takes the
  // lock. May run on another thread than the one that made the object, but
  // not beside another call on the same object.
  SaveResult Write(const classGAF& doc, const RecoveryInfo& info);
  // Removes the files: the sidecar first, so that a copy is never offered
  // half gone, the lock last.
  void Remove();

  const std::string& Id() const { return id_; }
  std::string DocumentPath() const { return Path(".gaf"); }
  // As read (Left) or as last written.
  const RecoveryInfo& Info() const { return info_; }

 private:
  RecoveryCopy(std::string folder, std::string id) : folder_(std::move(folder)), id_(std::move(id)) {}
  std::string Path(const char* extension) const { return folder_ + "/" + id_ + extension; }
  // Opens and locks <id>.lock; false when another process holds it.
  bool Lock();

  std::string folder_;
  std::string id_;
  RecoveryInfo info_;
  int lock_ = -1;
};

}  // namespace quilmark
