// Putting one file into an existing archive: the file goes in under a path
// (replacing the entry of that path, letter case ignored), and every other
// file keeps its stored bytes as they are — its chunk table and chunks, or
// its whole bytes, copied unchanged, never recompressed — with only its
// offset changed in the new directory. The archive is replaced atomically.
//
// An encrypted archive is written plain unless asked to keep its key: its
// bytes are decrypted as they are copied (decryption is a per-byte transform,
// so stored chunks stay the same bytes) and, with the key kept, encrypted
// again at their new positions.
#pragma once

#include <string>
#include <string_view>

namespace quilmark {

struct HpiUpdateResult {
  bool ok = false;
  bool replaced = false;        // an entry of that path was there before
  std::string path_in_archive;  // the file's path in the archive, as it is spelled there
  std::string error;            // why it failed; the archive is untouched then
  std::string warning;          // what went wrong beside an update that stands
  explicit operator bool() const { return ok; }
};

// Puts the file at file_path into the archive at archive_path under
// path_in_archive ("\" or "/" between folders), as zlib chunks like the
// archive writer's. Refused, leaving the archive as it was, when it is no
// archive, its directory could not be read whole (what was left out would be
// lost), an entry's stored bytes do not lie within it, or the path needs a
// folder where the archive has a file or names a folder.
HpiUpdateResult ReplaceEntry(const std::string& archive_path, std::string_view path_in_archive,
                             const std::string& file_path, bool keep_key);

}  // namespace quilmark
