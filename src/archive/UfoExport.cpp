#include "archive/UfoExport.h"

#include "archive/modHPIUtil.h"
#include "base/AtomicFile.h"
#include "document/classGAF.h"

namespace quilmark {

namespace {

// Releases an archive handle that was not packed.
class HandleGuard {
 public:
  explicit HandleGuard(int32_t handle) : handle_(handle) {}
  ~HandleGuard() {
    if (handle_ != 0) HPIDiscardArchive(handle_);
  }
  HandleGuard(const HandleGuard&) = delete;
  HandleGuard& operator=(const HandleGuard&) = delete;
  // The handle is handed on to a call that releases it.
  int32_t get() const { return handle_; }
  int32_t Release() {
    const int32_t h = handle_;
    handle_ = 0;
    return h;
  }

 private:
  int32_t handle_;
};

// Removes the temporary GAF file on every ending, and says so when it cannot.
class TemporaryFileGuard {
 public:
  TemporaryFileGuard(AtomicFile& file, UfoExportResult& result) : file_(file), result_(result) {}
  ~TemporaryFileGuard() {
    std::string why;
    if (!file_.Remove(&why))
      result_.warning = "the temporary file " + file_.Target() + " could not be removed: " + why;
  }
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

 private:
  AtomicFile& file_;
  UfoExportResult& result_;
};

}  // namespace

std::string UfoTemporaryPath(const std::string& archive_path) { return archive_path + ".gaf"; }

std::string UfoPathInArchive(const std::string& folder, const std::string& archive_path) {
  const size_t slash = archive_path.rfind('/');
  const std::string name = slash == std::string::npos ? archive_path : archive_path.substr(slash + 1);
  const std::string stem = name.size() >= 3 ? name.substr(0, name.size() - 3) : std::string();
  return folder + "\\" + stem + "gaf";
}

namespace {

// The export's steps; the guards' endings have run when this returns.
void RunExport(const classGAF& doc, const std::string& archive_path, UfoExportUi& ui, UfoExportResult& result) {
  // The temporary file is this export's own: created afresh, never an existing
  // file or link, at a unique name beside the usual one when that is taken
  // (the archive's own name plus ".gaf" may well be the document being packed).
  AtomicFile temporary(UfoTemporaryPath(archive_path), AtomicFile::Scratch{});
  // Declared before the handle so that the file goes only after the handle was released.
  TemporaryFileGuard temporary_guard(temporary, result);
  const int32_t created = HPICreate(archive_path, [&result, &ui](int32_t bytes_done, int32_t bytes_total,
                                                                 int32_t files_done, int32_t files_total, int32_t,
                                                                 int32_t, int32_t, int32_t) -> int32_t {
    if (ui.PackProgress(static_cast<uint64_t>(bytes_done), static_cast<uint64_t>(bytes_total),
                        static_cast<uint32_t>(files_done), static_cast<uint32_t>(files_total)))
      return 0;
    result.cancelled = true;
    return 1;
  });
  if (created == 0) {
    result.error = "the archive cannot be written: " + HPILastError();
    return;
  }
  HandleGuard handle(created);
  ui.ShowBusyPointer();

  const SaveResult saved = doc.Save(temporary, ui.SaveProgress());
  if (!saved) {
    result.error = "the document could not be saved as " + temporary.Target() + ": " + saved.error;
    return;
  }

  const std::optional<std::string> answer =
      ui.AskArchiveFolder(kUfoFolderPrompt, kUfoFolderTitle, kUfoDefaultFolder);
  result.path_in_archive = UfoPathInArchive(answer.value_or(std::string()), archive_path);

  if (HPIAddFile(handle.get(), result.path_in_archive, temporary.Target()) == 0) {
    result.error = "\"" + result.path_in_archive + "\" could not be added to the archive: " + HPILastError();
    return;
  }
  if (HPIPackArchive(handle.Release(), 1) == 0) {
    result.error = result.cancelled ? std::string("packing was cancelled") : HPILastError();
    return;
  }
  result.ok = true;
}

}  // namespace

UfoExportResult ExportUfo(const classGAF& doc, const std::string& archive_path, UfoExportUi& ui) {
  UfoExportResult result;
  RunExport(doc, archive_path, ui, result);
  return result;
}

}  // namespace quilmark
