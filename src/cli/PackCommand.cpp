// pack: a document into a UFO archive.
#include <optional>
#include <ostream>

#include "archive/HpiUpdate.h"
#include "archive/UfoExport.h"
#include "base/AtomicFile.h"
#include "cli/CommandInput.h"
#include "cli/Commands.h"
#include "document/classGAF.h"

namespace quilmark {

namespace {

// The input box's answer comes from the command line.
class FixedFolderUi : public UfoExportUi {
 public:
  explicit FixedFolderUi(std::string folder) : folder_(std::move(folder)) {}
  std::optional<std::string> AskArchiveFolder(const std::string&, const std::string&, const std::string&) override {
    return folder_;
  }

 private:
  std::string folder_;
};

// pack --into: the document saved to a scratch file beside the archive,
// which then goes into the archive in place of the entry of its path.
bool PackInto(const classGAF& doc, const std::string& archive, const std::string& path_in_archive, bool keep_key,
              std::ostream& err) {
  AtomicFile scratch(UfoTemporaryPath(archive), AtomicFile::Scratch{});
  const SaveResult saved = doc.Save(scratch);
  if (!saved) {
    err << archive << ": not packed: the document could not be saved as " << scratch.Target() << ": " << saved.error
        << "\n";
    return false;
  }
  const HpiUpdateResult result = ReplaceEntry(archive, path_in_archive, scratch.Target(), keep_key);
  if (!result) err << archive << ": not packed: " << result.error << "\n";
  std::string why;
  if (!scratch.Remove(&why)) {
    err << archive << ": the temporary file " << scratch.Target() << " could not be removed: " << why << "\n";
    return false;
  }
  return result.ok;
}

}  // namespace

int RunPackCommand(const CommandArgs& args, std::ostream& err) {
  const auto read = ReadArguments(*FindCommandLine("pack"), args, err);
  if (!read) return 2;
  const std::vector<std::string>& files = read->Operands();
  const bool partial = read->Has("--partial"), into = read->Has("--into");
  if (read->Has("--keep-key") && !into) {
    err << "--keep-key needs --into\n" << Usage(*FindCommandLine("pack"));
    return 2;
  }

  classGAF doc;
  const CommandInput input = LoadCommandInput(files[0], doc, partial, err);
  if (!input) return 1;
  int status = input.complete ? 0 : 1;
  if (into) {
    const std::string path = read->Value("--folder", kUfoDefaultFolder) + "\\" + DocumentArgumentName(files[0]);
    return PackInto(doc, files[1], path, read->Has("--keep-key"), err) ? status : 1;
  }
  FixedFolderUi ui(read->Value("--folder", kUfoDefaultFolder));
  const UfoExportResult result = ExportUfo(doc, files[1], ui);
  if (!result) {
    err << files[1] << ": not packed: " << result.error << "\n";
    status = 1;
  }
  if (!result.warning.empty()) {
    err << files[1] << ": " << result.warning << "\n";
    status = 1;
  }
  return status;
}

}  // namespace quilmark
