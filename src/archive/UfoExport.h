// Packing the open document into a UFO archive: the document is saved as a GAF
// file beside the archive, that file is added under a folder the user names,
// the archive is packed, and the GAF file is removed again, on every ending.
//
// The save dialog, the remembered folder and enabling the window's controls
// around the export stay with the caller; this is the part between them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quilmark {

class classGAF;
class ProgressSink;

inline constexpr const char* kUfoFolderPrompt = "Enter the subdirectory in the HPI to place the gaf file.";
inline constexpr const char* kUfoFolderTitle = "Pack UFO";
inline constexpr const char* kUfoDefaultFolder = "textures";

// What the export asks of the window above it.
class UfoExportUi {
 public:
  virtual ~UfoExportUi() = default;
  // The input box for the folder inside the archive. nullopt when the user
  // cancelled it; the export then goes on with an empty folder.
  virtual std::optional<std::string> AskArchiveFolder(const std::string& prompt, const std::string& title,
                                                      const std::string& default_answer) = 0;
  // Shows the busy pointer once the archive has been started.
  virtual void ShowBusyPointer() {}
  // The progress display for saving the temporary GAF file; none by default.
  virtual ProgressSink* SaveProgress() { return nullptr; }
  // Called while the archive is packed; lets pending window messages run.
  // Returning false stops packing: the export then ends cancelled.
  virtual bool PackProgress(uint64_t bytes_done, uint64_t bytes_total, uint32_t files_done, uint32_t files_total) {
    (void)bytes_done, (void)bytes_total, (void)files_done, (void)files_total;
    return true;
  }
};

struct UfoExportResult {
  bool ok = false;
  bool cancelled = false;       // packing was stopped through PackProgress
  std::string error;            // why it failed; an old archive is untouched then
  std::string warning;          // a problem that did not spoil the archive (the temporary file stayed)
  std::string path_in_archive;  // where the document went, once known
  explicit operator bool() const { return ok; }
};

// The temporary GAF file: the archive path with ".gaf" appended. When that name
// is taken (by the document being packed, say), the export uses a unique name
// beside it instead and never touches what is there.
std::string UfoTemporaryPath(const std::string& archive_path);

// folder, a backslash, and the archive's file name with its last three
// characters replaced by "gaf" (tank.ufo gives tank.gaf). A name of fewer than
// three characters becomes "gaf".
std::string UfoPathInArchive(const std::string& folder, const std::string& archive_path);

// Exports doc to the archive at archive_path. The document itself is not
// changed; it is written only to the temporary file.
UfoExportResult ExportUfo(const classGAF& doc, const std::string& archive_path, UfoExportUi& ui);

}  // namespace quilmark
