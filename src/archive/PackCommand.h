// quilmark-cli pack FILE.gaf OUT.ufo [--folder F]: loads a GAF file and packs it
// into a UFO archive under F (default "textures").
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quilmark {

// args are the command's arguments without the word "pack". Returns 0 on
// success, 1 when something failed (one line per failure on err), 2 on a usage
// error (with the usage text on err).
int RunPackCommand(const std::vector<std::string>& args, std::ostream& err);

}  // namespace quilmark
