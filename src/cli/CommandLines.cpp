// The table of every command's operands and options.
#include <algorithm>

#include "cli/Commands.h"

namespace quilmark {

namespace {
const CommandOption kPartial{"--partial", "", "write what could be read of an input read only in part (exit 1)"};
}  // namespace

const std::vector<CommandLine>& CommandLines() {
  static const std::vector<CommandLine> lines = {
      {"info", "FILE.gaf", 1, 1, {}, "Prints the document as JSON."},
      {"convert", "IN.gaf OUT.gaf", 2, 2,
       {{"--compress-all", "", "store every frame and subframe compressed"}, kPartial},
       "Loads IN and saves it as OUT; OUT is written only when IN was read whole."},
      {"pack", "FILE.gaf OUT.ufo", 2, 2,
       {{"--folder", "F", "the folder inside the archive (default textures)"},
        kPartial,
        {"--into", "", "put the document into the existing archive OUT.ufo as F\\<FILE's own name>"},
        {"--keep-key", "", "with --into: an encrypted archive stays encrypted with its key"}},
       "Packs the document into a UFO archive. With --into an entry of the same path\n"
       "(letter case ignored) is replaced and every other entry keeps its stored bytes;\n"
       "an encrypted archive is written plain unless --keep-key is given."},
      {"list", "ARCHIVE", 1, 1, {{"--json", "", "print the entries as JSON"}},
       "Lists every entry of an HPI archive (.hpi, .ufo, .ccx, .gp3, ...): its size,\n"
       "its storage (stored, lz77, zlib) and whether it is a GAF file, then its path."},
      {"extract", "ARCHIVE PATH OUT", 3, 3, {},
       "Writes the file PATH of the archive (\"\\\" or \"/\" between folders, letter case\n"
       "ignored) to OUT."},
      {"export", "FILE.gaf DIR", 2, 2, {{"--format", "bmp|png", "the image format (default bmp)"}},
       "Writes every frame and subframe into DIR as <animation>_<ff>[_<ss>].bmp (or .png)."},
      {"build", "OUT.gaf FRAME...", 2, SIZE_MAX,
       {{"--into", "IN.gaf", "add the animation to this document"},
        {"--center", "", "place each image's origin at its centre"},
        {"--white", "", "make white (index 255) transparent"},
        {"--compress", "", "store the images compressed"},
        {"--dither", "", "dither grey and truecolour PNG images (Floyd-Steinberg)"},
        kPartial},
       "A new animation from BMP and PNG files, one frame per FRAME: a file, or several\n"
       "joined by commas (the frame's own image, then its subframes). OUT is written\n"
       "only when every image was read. Each image whose colours are not all game\n"
       "colours is named on stderr with how many pixels changed colour."},
      {"gif", "FILE.gaf NAME OUT.gif", 3, 3,
       {{"--zoom", "N", "repeat every pixel N times each way, 1 to 16 (default 1)"},
        {"--delay", "CS", "how long each frame shows, in hundredths of a second (default 10)"}},
       "Writes the animation NAME (letter case ignored) as an animated GIF that loops,\n"
       "in the game's colours with index 9 transparent: every frame placed by its\n"
       "position on one canvas, its subframes composed."},
      {"thumbnail", "FILE.gaf OUT.png", 2, 2,
       {{"--size", "N", "fit the picture in N x N pixels, 1 to 1024 (default 128)"}},
       "Writes the first frame of the first animation, composed and scaled by whole\n"
       "steps to fit, as a PNG whose transparent pixels are transparent: the file\n"
       "managers' thumbnailer. Reads no settings; the palette is the installed one\n"
       "(or --palette FILE), else the one built in. Files above 64 MiB are refused.\n"
       "FILE.gaf is always a file of its own, never ARCHIVE:PATH."},
      {"explode", "FILE.gaf DIR", 2, 2, {{"--format", "png|bmp", "the image format (default png)"}},
       "Writes every image into DIR (made when only it is missing) and the rest of\n"
       "the document into DIR/quilmark.json."},
      {"implode", "DIR OUT.gaf", 2, 2, {}, "Builds the document DIR/quilmark.json describes."},
  };
  return lines;
}

const CommandLine* FindCommandLine(const std::string& name) {
  const std::vector<CommandLine>& lines = CommandLines();
  const auto it = std::find_if(lines.begin(), lines.end(), [&](const CommandLine& l) { return l.name == name; });
  return it == lines.end() ? nullptr : &*it;
}

}  // namespace quilmark
