// pack: a document into a UFO archive.
#include <optional>
#include <ostream>

#include "archive/ArchiveDocuments.h"
#include "archive/UfoExport.h"
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

// pack --into: the document in place of the archive's entry of its path.
bool PackInto(const classGAF& doc, const std::string& archive, const std::string& path_in_archive, bool keep_key,
              std::ostream& err) {
  const HpiUpdateResult result = PutDocument(doc, archive, path_in_archive, keep_key);
  if (!result) err << archive << ": not packed: " << result.error << "\n";
  if (!result.warning.empty()) err << archive << ": " << result.warning << "\n";
  return result.ok && result.warning.empty();
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
