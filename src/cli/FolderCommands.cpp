// explode and implode: a document as a folder of images with a manifest, and back.
#include <sys/stat.h>

#include <cerrno>
#include <ostream>

#include "cli/CommandInput.h"
#include "cli/Commands.h"
#include "base/FileAccess.h"
#include "images/Manifest.h"

namespace quilmark {

int RunExplodeCommand(const CommandArgs& args, std::ostream& err, const std::string& palette) {
  const auto read = ReadArguments(*FindCommandLine("explode"), args, err);
  if (!read) return 2;
  const std::vector<std::string>& files = read->Operands();
  const std::string format = read->Value("--format", "png");
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

int RunImplodeCommand(const CommandArgs& args, std::ostream& err, const std::string& palette) {
  const auto read = ReadArguments(*FindCommandLine("implode"), args, err);
  if (!read) return 2;
  if (!palette.empty() && !LoadCommandPalette(palette, err)) return 1;
  classGAF doc;
  std::string error;
  if (!ImplodeDocument(read->Operand(0), doc, error)) {
    err << error << "\n";
    return 1;
  }
  const SaveResult saved = doc.Save(read->Operand(1));
  if (!saved) {
    err << read->Operand(1) << ": not saved: " << saved.error << "\n";
    return 1;
  }
  return 0;
}

}  // namespace quilmark
