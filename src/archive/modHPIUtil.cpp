#include "archive/modHPIUtil.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "archive/HpiWriter.h"

namespace quilmark {

namespace {

struct Archive {
  HpiWriter writer;
  HPICallback callback;
};

std::mutex g_mutex;
std::map<int32_t, std::shared_ptr<Archive>> g_archives;
thread_local std::string g_last_error;

int32_t Fail(const std::string& why) {
  g_last_error = why;
  return 0;
}

std::shared_ptr<Archive> Find(int32_t handle) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto it = g_archives.find(handle);
  return it == g_archives.end() ? nullptr : it->second;
}

std::shared_ptr<Archive> Take(int32_t handle) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const auto it = g_archives.find(handle);
  if (it == g_archives.end()) return nullptr;
  std::shared_ptr<Archive> archive = it->second;
  g_archives.erase(it);
  return archive;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int32_t Clamp(uint64_t v) { return static_cast<int32_t>(std::min<uint64_t>(v, INT32_MAX)); }

}  // namespace

int32_t HPICreate(const std::string& archive_path, HPICallback callback) {
  if (archive_path.empty() || archive_path.back() == '/') return Fail("no archive file name given");
  const std::string folder = FolderOf(archive_path);
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return Fail("the folder " + folder + ": " + std::strerror(errno));
  if (!S_ISDIR(st.st_mode)) return Fail(folder + " is not a folder");
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return Fail("the folder " + folder + ": " + std::strerror(errno));
  if (::stat(archive_path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return Fail("a folder has that name");

  auto archive = std::make_shared<Archive>(Archive{HpiWriter(archive_path), std::move(callback)});
  std::lock_guard<std::mutex> lock(g_mutex);
  // Handles are the smallest positive numbers not in use.
  int32_t handle = 1;
  for (const auto& [held, _] : g_archives) {
    if (held != handle) break;
    ++handle;
  }
  g_archives.emplace(handle, std::move(archive));
  return handle;
}

int32_t HPIAddFile(int32_t handle, const std::string& path_in_archive, const std::string& path_on_disk) {
  const std::shared_ptr<Archive> archive = Find(handle);
  if (!archive) return Fail("no archive has that handle");
  if (!archive->writer.AddFile(path_in_archive, path_on_disk)) return Fail(archive->writer.Error());
  return 1;
}

int32_t HPIPackArchive(int32_t handle, int32_t compress) {
  const std::shared_ptr<Archive> archive = Take(handle);
  if (!archive) return Fail("no archive has that handle");
  HpiProgressFn progress;
  if (archive->callback) {
    progress = [&archive](const HpiProgress& p) {
      return archive->callback(Clamp(p.bytes_done), Clamp(p.bytes_total), Clamp(p.files_done), Clamp(p.files_total),
                               0, 0, 0, 0) == 0;
    };
  }
  const HpiWriteResult result = archive->writer.Write(progress, compress != 0);
  if (!result) return Fail(result.error);
  return 1;
}

int32_t HPIDiscardArchive(int32_t handle) {
  if (!Take(handle)) return Fail("no archive has that handle");
  return 1;
}

std::string HPILastError() { return g_last_error; }

}  // namespace quilmark
