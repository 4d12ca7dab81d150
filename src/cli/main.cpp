// quilmark-cli: the editor's document operations for shells and build pipelines.
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "archive/PackCommand.h"
#include "cli/Commands.h"
#include "base/TemporaryFiles.h"
#include "images/BatchCommands.h"
#include "images/FolderCommands.h"
#include "images/GamePalette.h"

namespace {

const char* kUsage =
    "usage: quilmark-cli [--palette FILE] COMMAND ARGS...\n"
    "commands:\n"
    "  info FILE.gaf                       print the document as JSON\n"
    "  convert IN.gaf OUT.gaf [--compress-all] [--partial]\n"
    "                                      load and save again\n"
    "  pack FILE.gaf OUT.ufo [--folder F] [--partial]\n"
    "                                      pack the document into a UFO archive\n"
    "  export FILE.gaf DIR [--format bmp|png]\n"
    "                                      every frame and subframe as a BMP (default)\n"
    "                                      or PNG file\n"
    "  build OUT.gaf [--into IN.gaf] [--center] [--white] [--compress] [--partial] FRAME...\n"
    "                                      a new animation from BMP and PNG files; a\n"
    "                                      FRAME is FILE or FILE,SUBFILE,...\n"
    "  explode FILE.gaf DIR [--format png|bmp]\n"
    "                                      every image into DIR, the rest of the\n"
    "                                      document into DIR/quilmark.json\n"
    "  implode DIR OUT.gaf                 the document DIR/quilmark.json describes\n"
    "OUT is written only when the input was read whole; --partial writes what\n"
    "could be read (the exit status is then still 1).\n";

int Run(const std::string& command, const std::vector<std::string>& args, const std::string& palette) {
  if (command == "info") return quilmark::RunInfoCommand(args, std::cout, std::cerr);
  if (command == "convert") return quilmark::RunConvertCommand(args, std::cerr);
  if (command == "pack") return quilmark::RunPackCommand(args, std::cerr);
  // Commands below draw with the game palette; they read it once their arguments are right.
  if (command == "export") return quilmark::RunExportCommand(args, std::cerr, palette);
  if (command == "build") return quilmark::RunBuildCommand(args, std::cerr, palette);
  if (command == "explode") return quilmark::RunExplodeCommand(args, std::cerr, palette);
  if (command == "implode") return quilmark::RunImplodeCommand(args, std::cerr, palette);
  std::cerr << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Ctrl+C or a termination signal during a save removes its temporary files.
  quilmark::InstallTemporaryFileCleanup();
  std::vector<std::string> args(argv + 1, argv + argc);
  // --palette FILE may stand anywhere; it is taken out before the command sees its arguments.
  std::string palette = quilmark::DefaultPalettePath();
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--palette") {
      if (i + 1 >= args.size()) {
        std::cerr << kUsage;
        return 2;
      }
      palette = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
      --i;
    }
  }
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string command = args[0];
  args.erase(args.begin());
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
