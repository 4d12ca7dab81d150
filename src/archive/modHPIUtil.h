// The archive library's calls, in the form the UFO export uses them: a handle
// per archive being put together, files added by their path on disk, then one
// call that packs and releases the handle. They stand over HpiWriter.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quilmark {

// Called while an archive is packed with: bytes done, bytes total, files done,
// files total (bytes are the files' uncompressed bytes), then four zeros.
// Returning 0 lets packing go on; any other value stops it, and the archive is
// then not written.
using HPICallback = std::function<int32_t(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)>;

// Starts an archive at archive_path. A non-zero handle, or 0 when the archive
// cannot be started (its folder does not exist or cannot be written, or the
// path names a folder). Nothing is written yet.
int32_t HPICreate(const std::string& archive_path, HPICallback callback = {});

// Takes on the file at path_on_disk under path_in_archive ("\" or "/"
// separate folders). Non-zero when taken on; 0 for an unknown handle, a file
// that does not exist or cannot be read, or a path already taken (letter case
// ignored).
int32_t HPIAddFile(int32_t handle, const std::string& path_in_archive, const std::string& path_on_disk);

// Writes the archive (to a temporary file renamed over archive_path at the
// end), calling the callback as it goes, and releases the handle whatever
// happens. compress 1 stores files as zlib chunks, 0 stores them whole.
// Non-zero on success; on failure the old archive is untouched.
int32_t HPIPackArchive(int32_t handle, int32_t compress);

// Releases a handle without writing anything. Non-zero when it was held.
int32_t HPIDiscardArchive(int32_t handle);

// Why the last call above that failed on this thread failed.
std::string HPILastError();

}  // namespace quilmark
