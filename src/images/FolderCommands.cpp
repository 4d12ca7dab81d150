#include "images/FolderCommands.h"

#include <sys/stat.h>

#include <cerrno>
#include <ostream>

#include "document/CommandInput.h"
#include "base/FileAccess.h"
#include "images/BatchCommands.h"
#include "images/Manifest.h"

namespace quilmark {

const char* const kExplodeUsage = "usage: quilmark-cli explode FILE.gaf DIR [--format png|bmp]\n";
const char* const kImplodeUsage = "usage: quilmark-cli implode DIR OUT.gaf\n";

int RunExplodeCommand(const std::vector<std::string>& args, std::ostream& err, const std::string& palette) {
  std::vector<std::string> files;
  std::string format = "png";
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--format" && i + 1 < args.size()) {
      format = args[++i];
    } else {
      files.push_back(args[i]);
    }
  }
  if (files.size() != 2 || files[0].empty() || files[1].empty() || (format != "png" && format != "bmp")) {
    err << kExplodeUsage;
    return 2;
  }
  // The folder is made when only it is missing.
  if (!IsFolder(files[1]) && ::mkdir(files[1].c_str(), 0777) != 0) {
    err << files[1] << (errno == ENOENT ? ": missing, and so is the folder it would be made in\n" : ": not a folder\n");
    return 1;
  }
  if (!palette.empty() && !LoadCommandPalette(palette, err)) return 1;
  classGAF doc;
  // A document read only in part would make a folder that is not the file.
  const CommandInput input = LoadCommandInput(files[0], doc, false, err);
  if (!input) return 1;
  std::vector<std::string> errors;
  const bool written = ExplodeDocument(doc, files[1], format, errors);
  for (const std::string& e : errors) err << e << "\n";
  return written ? 0 : 1;
}

int RunImplodeCommand(const std::vector<std::string>& args, std::ostream& err, const std::string& palette) {
  if (args.size() != 2 || args[0].empty() || args[1].empty()) {
    err << kImplodeUsage;
    return 2;
  }
  if (!palette.empty() && !LoadCommandPalette(palette, err)) return 1;
  classGAF doc;
  std::string error;
  if (!ImplodeDocument(args[0], doc, error)) {
    err << error << "\n";
    return 1;
  }
  const SaveResult saved = doc.Save(args[1]);
  if (!saved) {
    err << args[1] << ": not saved: " << saved.error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace quilmark
