// gif and thumbnail: an animation as an animated GIF, and the picture a file
// manager shows for a GAF file.
#include <charconv>
#include <optional>
#include <ostream>

#include "base/Latin1.h"
#include "cli/CommandInput.h"
#include "cli/Commands.h"
#include "display/GifExport.h"
#include "display/Thumbnail.h"
#include "images/modPng.h"

namespace quilmark {

namespace {

// An option's whole number from least to most; nothing, with the problem and
// the usage on err, when it is not one. fallback when the option was not given.
std::optional<int32_t> NumberOption(const Arguments& read, const CommandLine& line, const std::string& option,
                                    int32_t fallback, int32_t least, int32_t most, std::ostream& err) {
  if (!read.Has(option)) return fallback;
  const std::string text = read.Value(option);
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < least || value > most) {
    err << option << " takes a whole number from " << least << " to " << most << ", not \"" << text << "\"\n"
        << Usage(line);
    return std::nullopt;
  }
  return value;
}

// The names of the document's animations, for a name that is not among them.
std::string AnimationNames(const classGAF& doc) {
  std::string names;
  for (int i = 1; i <= doc.Animations.Count(); ++i) names += (i > 1 ? ", " : "") + Latin1ToUtf8(doc.Animations.Key(i));
  return names.empty() ? "it has none" : "it has " + names;
}

}  // namespace

int RunGifCommand(const CommandArgs& args, std::ostream& err, const std::string& palette) {
  const CommandLine& line = *FindCommandLine("gif");
  const auto read = ReadArguments(line, args, err);
  if (!read) return 2;
  const auto zoom = NumberOption(*read, line, "--zoom", 1, 1, kMaxGifZoom, err);
  if (!zoom) return 2;
  const auto delay = NumberOption(*read, line, "--delay", 10, 0, 65535, err);
  if (!delay) return 2;
  const std::string &file = read->Operand(0), &name = read->Operand(1), &out = read->Operand(2);
  if (!palette.empty() && !LoadCommandPalette(palette, err)) return 1;
  classGAF doc;
  // What could be read is still written; the unread part is reported.
  const CommandInput input = LoadCommandInput(file, doc, true, err);
  if (!input) return 1;
  const AnimationPtr animation = doc.Animations.Find(Utf8ToLatin1(name));
  if (!animation) {
    err << file << ": no animation named \"" << name << "\" (" << AnimationNames(doc) << ")\n";
    return 1;
  }
  std::string why;
  if (!WriteAnimationGif(*animation, GifOptions{*zoom, *delay}, GamePalette, out, &why)) {
    err << out << ": not written: " << why << "\n";
    return 1;
  }
  return input.complete ? 0 : 1;
}

int RunThumbnailCommand(const CommandArgs& args, std::ostream& err, const std::string& palette) {
  const CommandLine& line = *FindCommandLine("thumbnail");
  const auto read = ReadArguments(line, args, err);
  if (!read) return 2;
  const auto side = NumberOption(*read, line, "--size", 128, 1, kThumbnailMaxSide, err);
  if (!side) return 2;
  const std::string &file = read->Operand(0), &out = read->Operand(1);
  if (!palette.empty() && !LoadCommandPalette(palette, err)) return 1;
  // A file of its own only: the name a file manager passes is never taken
  // apart as ARCHIVE:PATH. Opening reads nothing yet, so a file too large is
  // refused before any of it is read.
  GafInput in;
  in.OpenFile(file);
  ComposedImage thumbnail;
  std::string why;
  if (!MakeThumbnail(in, *side, thumbnail, &why)) {
    err << file << ": no thumbnail: " << why << "\n";
    return 1;
  }
  if (!WritePNG(out, thumbnail.pixels, thumbnail.width, thumbnail.height, GamePalette, &why)) {
    err << out << ": not written: " << why << "\n";
    return 1;
  }
  return 0;
}

}  // namespace quilmark
