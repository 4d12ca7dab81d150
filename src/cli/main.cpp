// quilmark-cli: the editor's document operations for shells and build pipelines.
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "base/TemporaryFiles.h"
#include "cli/Commands.h"
#include "images/GamePalette.h"

namespace {

using quilmark::CommandArgs;

std::string Usage() {
  std::string usage =
      "usage: quilmark-cli [--palette FILE] COMMAND ARGS...\n"
      "       quilmark-cli --help | --version\n"
      "commands:\n";
  for (const quilmark::CommandLine& line : quilmark::CommandLines()) {
    std::string synopsis = quilmark::Usage(line).substr(std::string("usage: quilmark-cli ").size());
    usage += "  " + synopsis;
  }
  return usage +
         "OUT is written only when the input was read whole; --partial writes what\n"
         "could be read (the exit status is then still 1). quilmark-cli COMMAND --help\n"
         "says more of a command. Wherever a command reads FILE.gaf, ARCHIVE:PATH reads\n"
         "the file PATH inside an archive.\n";
}

std::string Version() {
  return "quilmark-cli (Quilmark) " QUILMARK_VERSION "\n"
         "Edits and converts the animated sprites of GAF files from the shell.\n";
}

// palette is the file --palette named, or empty: the commands that draw
// then use the default one (DefaultPalettePath).
int Run(const std::string& command, const CommandArgs& args, const std::string& palette) {
  if (command == "info") return quilmark::RunInfoCommand(args, std::cout, std::cerr);
  if (command == "convert") return quilmark::RunConvertCommand(args, std::cerr);
  if (command == "pack") return quilmark::RunPackCommand(args, std::cerr);
  if (command == "list") return quilmark::RunListCommand(args, std::cout, std::cerr);
  if (command == "extract") return quilmark::RunExtractCommand(args, std::cerr);
  // Commands below draw with the game palette; they read it once their arguments are right.
  const std::string chosen = palette.empty() ? quilmark::DefaultPalettePath() : palette;
  if (command == "export") return quilmark::RunExportCommand(args, std::cerr, chosen);
  if (command == "build") return quilmark::RunBuildCommand(args, std::cerr, chosen);
  if (command == "explode") return quilmark::RunExplodeCommand(args, std::cerr, chosen);
  if (command == "implode") return quilmark::RunImplodeCommand(args, std::cerr, chosen);
  if (command == "gif") return quilmark::RunGifCommand(args, std::cerr, chosen);
  // The thumbnailer runs in a file manager's sandbox: without the palette
  // file it draws with the palette built in.
  if (command == "thumbnail") {
    if (palette.empty()) quilmark::LoadDefaultPalette();
    return quilmark::RunThumbnailCommand(args, std::cerr, palette);
  }
  std::cerr << "unknown command " << command << "\n" << Usage();
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl+C or a termination signal during a save removes its temporary files.
  quilmark::InstallTemporaryFileCleanup();
  CommandArgs args(argv + 1, argv + argc);
  // --palette FILE may stand anywhere; it is taken out before the command sees its arguments.
  std::string palette;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--palette") {
      if (i + 1 >= args.size()) {
        std::cerr << "--palette needs a value (FILE)\n" << Usage();
        return 2;
      }
      palette = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      --i;
    }
  }
  if (args.empty()) {
    std::cerr << Usage();
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    std::cout << Usage();
    return 0;
  }
  if (args[0] == "--version") {
    std::cout << Version();
    return 0;
  }
  const std::string command = args[0];
  args.erase(args.begin());
  if (const quilmark::CommandLine* line = quilmark::FindCommandLine(command);
      line && args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << quilmark::Help(*line);
    return 0;
  }
  // Whatever runs out of memory ends the command, not the process: unwinding
  // removes the temporary files of a save under way and keeps the old ones.
  try {
    return Run(command, args, palette);
  } catch (const std::bad_alloc&) {
    std::cerr << command << ": not enough memory\n";
  } catch (const std::exception& e) {
    std::cerr << command << ": " << e.what() << "\n";
  }
  return 1;
}
