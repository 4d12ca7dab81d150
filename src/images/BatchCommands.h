// The batch tool's image commands. Each returns the process exit status:
// 0 success, 1 something failed (one line per failure on err), 2 usage error
// (the usage text on err). args are the command's own arguments, without the
// command name; the caller has loaded GamePalette.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quilmark {

// export FILE.gaf DIR — every image of the document into DIR as
// <DIR>/<animation>_<ff>[_<ss>].bmp.
int RunExportCommand(const std::vector<std::string>& args, std::ostream& err);

// build OUT.gaf [--into IN.gaf] [--center] [--white] [--compress] FRAME...
// A new sequence with one frame per FRAME; a FRAME is a BMP path, or several
// joined by commas: the frame's own file first, then its further images.
int RunBuildCommand(const std::vector<std::string>& args, std::ostream& err);

extern const char* const kExportUsage;
extern const char* const kBuildUsage;

}  // namespace quilmark
