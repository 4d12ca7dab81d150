// Writes HPI archives (the game's UFO files) in their simplest valid form: no
// encryption, every directory's entries sorted by name without regard to
// letter case, file contents as zlib chunks of 64 KiB.
//
// Files are named here by their path on disk and read only while the archive
// is written, one chunk at a time, so packing a large file never holds it in
// memory. The archive goes through AtomicFile: the old archive survives every
// failure.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quilmark {

// Where packing stands: bytes are the files' uncompressed bytes.
struct HpiProgress {
  uint64_t bytes_done = 0;
  uint64_t bytes_total = 0;
  uint32_t files_done = 0;
  uint32_t files_total = 0;
};

// Called as packing goes on; returning false stops it (the archive is not written).
using HpiProgressFn = std::function<bool(const HpiProgress&)>;

struct HpiWriteResult {
  bool ok = false;
  bool cancelled = false;  // the progress function asked to stop
  std::string error;       // why it failed; the old archive is untouched then
  explicit operator bool() const { return ok; }
};

// The parts of a path inside an archive: split at "\" and "/", empty parts dropped.
std::vector<std::string> SplitArchivePath(std::string_view path);

// The parts of a path for a file to be put into an archive. False, with why,
// when it holds no name, or a name that is "." or "..", or holds a 0 byte or
// a control character.
bool ArchivePathParts(std::string_view path_in_archive, std::vector<std::string>& parts, std::string* why);

// Names inside an archive compare by their bytes with ASCII letters folded to
// lower case (what the game's case-blind lookup does); < 0, 0, > 0.
int CompareArchiveNames(std::string_view a, std::string_view b);

class HpiWriter {
 public:
  static constexpr uint32_t kChunkSize = 65536;
  // zlib level used for the chunks. On sprite data level 1 leaves archives
  // only about 4% larger than the default level 6 does, and packs about 2.4
  // times faster; archives are written once and read by the game as they are.
  static constexpr int kDefaultLevel = 1;

  explicit HpiWriter(std::string archive_path);

  // Takes on the file at path_on_disk under path_in_archive. False (with
  // Error()) when the path holds no name, the name is taken already (letter
  // case ignored) or clashes with a folder of that name, or the file is not a
  // readable regular file. Nothing is read yet.
  bool AddFile(std::string_view path_in_archive, const std::string& path_on_disk);

  // Writes the archive. compress false stores every file whole (storage 0).
  // level is a zlib level (Z_DEFAULT_COMPRESSION allowed).
  HpiWriteResult Write(const HpiProgressFn& progress = {}, bool compress = true, int level = kDefaultLevel);

  const std::string& Error() const { return error_; }

 private:
  struct File {
    std::vector<std::string> parts;
    std::string disk_path;
  };

  std::string archive_path_;
  std::vector<File> files_;
  std::string error_;
};

}  // namespace quilmark
