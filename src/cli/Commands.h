// The batch tool's commands: the shell layer over the core's operations.
//
// Each returns the process's exit status: 0 success, 1 something failed (one
// line per failure on err), 2 a usage error (the problem and the usage on
// err). args are the command's own arguments, without its name. palette is
// the palette file a command that draws loads once its arguments are right;
// empty when the caller has set GamePalette itself.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/Options.h"

namespace quilmark {

using CommandArgs = std::vector<std::string>;

// info FILE.gaf: the document as JSON on out.
int RunInfoCommand(const CommandArgs& args, std::ostream& out, std::ostream& err);
// convert IN.gaf OUT.gaf [--compress-all] [--partial]: load and save again.
int RunConvertCommand(const CommandArgs& args, std::ostream& err);
// pack FILE.gaf OUT.ufo [--folder F] [--partial] [--into] [--keep-key]: the
// document in a UFO archive under F (default "textures"); with --into put
// into the existing archive OUT.ufo as F\<FILE's own name>.
int RunPackCommand(const CommandArgs& args, std::ostream& err);
// list ARCHIVE [--json]: every entry of an archive on out.
int RunListCommand(const CommandArgs& args, std::ostream& out, std::ostream& err);
// extract ARCHIVE PATH OUT: one file of an archive to OUT.
int RunExtractCommand(const CommandArgs& args, std::ostream& err);
// export FILE.gaf DIR [--format bmp|png]: every image of the document into
// DIR as <animation>_<ff>[_<ss>].bmp, or .png.
int RunExportCommand(const CommandArgs& args, std::ostream& err, const std::string& palette = "");
// build OUT.gaf FRAME... [--into IN.gaf] [--center] [--white] [--compress]
// [--partial]: a new sequence with one frame per FRAME, a BMP or PNG path or
// several joined by commas (the frame's own image, then its subframes).
int RunBuildCommand(const CommandArgs& args, std::ostream& err, const std::string& palette = "");
// gif FILE.gaf NAME OUT.gif [--zoom N] [--delay CS]: the animation NAME as a
// looping animated GIF.
int RunGifCommand(const CommandArgs& args, std::ostream& err, const std::string& palette = "");
// thumbnail FILE.gaf OUT.png [--size N]: the first frame as a PNG that fits
// N × N. With palette empty GamePalette is used as the caller set it.
int RunThumbnailCommand(const CommandArgs& args, std::ostream& err, const std::string& palette = "");
// explode FILE.gaf DIR [--format png|bmp]: every image into DIR, the rest of
// the document into DIR/quilmark.json.
int RunExplodeCommand(const CommandArgs& args, std::ostream& err, const std::string& palette = "");
// implode DIR OUT.gaf: the document DIR/quilmark.json describes.
int RunImplodeCommand(const CommandArgs& args, std::ostream& err, const std::string& palette = "");

// Every command's command line, in the order the usage lists them.
const std::vector<CommandLine>& CommandLines();
// The command line of the command of that name; nullptr when there is none.
const CommandLine* FindCommandLine(const std::string& name);

// Loads the palette file for a command that draws with it: false, with the
// reason on err, when it gives no colours at all; a short file is used, with
// a warning on err.
bool LoadCommandPalette(const std::string& path, std::ostream& err);

// JSON text of an 8-bit (Latin-1) string, quotes included.
std::string JsonString(const std::string& latin1);

}  // namespace quilmark
