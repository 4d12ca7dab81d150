// The batch tool's image commands. Each returns the process exit status:
// 0 success, 1 something failed (one line per failure on err), 2 usage error
// (the usage text on err). args are the command's own arguments, without the
// command name. palette is the palette file to load once the arguments are
// known to be right; empty when the caller has set GamePalette itself.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quilmark {

// export FILE.gaf DIR [--format bmp|png] — every image of the document into
// DIR as <DIR>/<animation>_<ff>[_<ss>].bmp, or .png with --format png.
int RunExportCommand(const std::vector<std::string>& args, std::ostream& err, const std::string& palette = "");

// build OUT.gaf [--into IN.gaf] [--center] [--white] [--compress] [--partial] FRAME...
// A new sequence with one frame per FRAME; a FRAME is a BMP or PNG path, or
// several joined by commas: the frame's own file first, then its further
// images. OUT is written only when every image (and IN) was read whole, unless
// --partial asks for what could be read (unreadable images become 0 × 0
// frames; the exit status is then still 1).
int RunBuildCommand(const std::vector<std::string>& args, std::ostream& err, const std::string& palette = "");

// Loads the palette file for a command that draws with it: false, with the
// reason on err, when it gives no colours at all; a short file is used, with
// a warning on err.
bool LoadCommandPalette(const std::string& path, std::ostream& err);

extern const char* const kExportUsage;
extern const char* const kBuildUsage;

}  // namespace quilmark
