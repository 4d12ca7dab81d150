#include "archive/PackCommand.h"

#include <optional>
#include <ostream>

#include "archive/UfoExport.h"
#include "document/CommandInput.h"
#include "document/classGAF.h"

namespace quilmark {

namespace {

const char* kPackUsage = "usage: quilmark-cli pack FILE.gaf OUT.ufo [--folder F] [--partial]\n";

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

}  // namespace

int RunPackCommand(const std::vector<std::string>& args, std::ostream& err) {
  std::vector<std::string> files;
  std::optional<std::string> folder;
  bool partial = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--partial") {
      partial = true;
    } else if (arg == "--folder") {
      if (i + 1 >= args.size() || folder) {
        err << kPackUsage;
        return 2;
      }
      folder = args[++i];
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      err << kPackUsage;
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 2) {
    err << kPackUsage;
    return 2;
  }

  classGAF doc;
  const CommandInput input = LoadCommandInput(files[0], doc, partial, err);
  if (!input) return 1;
  int status = input.complete ? 0 : 1;
  FixedFolderUi ui(folder.value_or(kUfoDefaultFolder));
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
