// quilmark-cli: the editor's document operations for shells and build pipelines.
#include <iostream>
#include <string>
#include <vector>

#include "archive/PackCommand.h"
#include "cli/Commands.h"
#include "images/BatchCommands.h"
#include "images/GamePalette.h"

namespace {

const char* kUsage =
    "usage: quilmark-cli [--palette FILE] COMMAND ARGS...\n"
    "commands:\n"
    "  info FILE.gaf                       print the document as JSON\n"
    "  convert IN.gaf OUT.gaf [--compress-all]\n"
    "                                      load and save again\n"
    "  pack FILE.gaf OUT.ufo [--folder F]  pack the document into a UFO archive\n"
    "  export FILE.gaf DIR                 every frame and subframe as a BMP file\n"
    "  build OUT.gaf [--into IN.gaf] [--center] [--white] [--compress] FRAME...\n"
    "                                      a new animation from BMP files; a FRAME\n"
    "                                      is FILE or FILE,SUBFILE,...\n";

}  // namespace

int main(int argc, char** argv) {
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
  if (command == "info") return quilmark::RunInfoCommand(args, std::cout, std::cerr);
  if (command == "convert") return quilmark::RunConvertCommand(args, std::cerr);
  if (command == "pack") return quilmark::RunPackCommand(args, std::cerr);
  // Commands below draw with the game palette.
  if (command == "export" || command == "build") {
    if (!quilmark::LoadPalette(palette))
      std::cerr << palette << ": palette not read whole; missing colours are black\n";
    return command == "export" ? quilmark::RunExportCommand(args, std::cerr) : quilmark::RunBuildCommand(args, std::cerr);
  }
  std::cerr << kUsage;
  return 2;
}
