// export and build: a document's images into files, and files into a new animation.
#include <ostream>

#include "cli/CommandInput.h"
#include "cli/Commands.h"
#include "base/FileAccess.h"
#include "images/FrameImages.h"
#include "images/GamePalette.h"

namespace quilmark {

bool LoadCommandPalette(const std::string& path, std::ostream& err) {
  const PaletteLoad load = ReadPalette(path);
  if (!load.Usable()) {
    err << path << ": cannot be used as the palette: " << load.problem << "\n";
    return false;
  }
  if (!load.Whole())
    err << path << ": warning: the palette holds only " << load.bytes
        << " of 768 bytes; the missing colours are black\n";
  return true;
}

namespace {

// What matching one file's colours to the game palette did, when it was not
// exact: a line, and a warning for opaque pixels that became transparent.
void PrintMapping(const std::string& file, const ColourMapping& mapping, std::ostream& err) {
  const auto pixels = [](uint64_t n, const char* kind) {
    return std::to_string(n) + kind + (n == 1 ? " pixel" : " pixels");
  };
  err << file << ": " << pixels(mapping.offPalette, "") << " not in the game palette, largest difference "
      << mapping.largestDifference << "\n";
  if (mapping.madeTransparent > 0)
    err << file << ": warning: " << pixels(mapping.madeTransparent, " opaque")
        << " became transparent (their nearest game colour is index " << int{TransparentIndex} << ")\n";
}

}  // namespace

int RunExportCommand(const CommandArgs& args, std::ostream& err, const std::string& palette) {
  const auto read = ReadArguments(*FindCommandLine("export"), args, err);
  if (!read) return 2;
  const ImageFormat format = read->Value("--format") == "png" ? ImageFormat::Png : ImageFormat::Bmp;
  const std::vector<std::string>& paths = read->Operands();
  std::string folder = paths[1];
  if (!IsFolder(folder)) {
    err << folder << ": not a folder\n";
    return 1;
  }
  if (folder.back() != '/') folder += '/';
  // The palette first: without colours the document need not be read.
  if (!palette.empty() && !LoadCommandPalette(palette, err)) return 1;
  classGAF doc;
  // What could be read is still exported; the unread part is reported.
  const CommandInput input = LoadCommandInput(paths[0], doc, true, err);
  if (!input) return 1;
  const ExportReport report = ExportAllImages(doc, folder, format);
  for (size_t i = 0; i < report.failedFiles.size(); ++i)
    err << report.failedFiles[i] << ": " << (i < report.reasons.size() ? report.reasons[i] : "not written") << "\n";
  for (const std::string& note : report.notes) err << note << "\n";
  return input.complete && report.ok() ? 0 : 1;
}

int RunBuildCommand(const CommandArgs& args, std::ostream& err, const std::string& palette) {
  const auto read = ReadArguments(*FindCommandLine("build"), args, err);
  if (!read) return 2;
  const std::string& out = read->Operand(0);
  const std::string into = read->Value("--into");
  const ImportOptions options{read->Has("--center"), read->Has("--white"), read->Has("--compress"),
                              read->Has("--dither")};
  const bool partial = read->Has("--partial");
  const std::vector<std::string> frames(read->Operands().begin() + 1, read->Operands().end());
  std::vector<classFrameList> lists;
  for (const std::string& frame : frames) {
    const std::vector<std::string> files = SplitAt(frame, ',');
    for (const std::string& f : files) {
      if (f.empty()) {
        err << "empty file name in frame \"" << frame << "\"\n" << Usage(*FindCommandLine("build"));
        return 2;
      }
    }
    classFrameList list;
    list.Create(files[0]);
    for (size_t i = 1; i < files.size(); ++i) {
      if (!list.AddFrame(files[i])) {
        err << "too many images in one frame\n";
        return 2;
      }
    }
    lists.push_back(std::move(list));
  }

  if (!palette.empty() && !LoadCommandPalette(palette, err)) return 1;
  classGAF doc;
  bool complete = true;
  if (!into.empty()) {
    const CommandInput input = LoadCommandInput(into, doc, partial, err);
    if (!input) return 1;
    complete = input.complete;
  }
  ImportReport imported;
  const bool added = ImportSequence(doc, lists, options, nullptr, &imported);
  for (size_t i = 0; i < imported.failedFiles.size(); ++i) err << imported.failedFiles[i] << ": " << imported.reasons[i] << "\n";
  for (const auto& [file, mapping] : imported.inexactFiles) PrintMapping(file, mapping, err);
  if (!added) {
    err << "no animation was added (the first file's name is taken or cannot name one)\n";
    return 1;
  }
  if (!imported.failedFiles.empty()) {
    complete = false;
    if (!partial) {
      err << out << ": not written, " << imported.failedFiles.size()
          << (imported.failedFiles.size() == 1 ? " image" : " images")
          << " could not be read (--partial writes them as empty frames)\n";
      return 1;
    }
  }
  const SaveResult saved = doc.Save(out);
  if (!saved) {
    err << out << ": " << saved.error << "\n";
    return 1;
  }
  return complete ? 0 : 1;
}

}  // namespace quilmark
