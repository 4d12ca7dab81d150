#include "images/BatchCommands.h"

#include <sys/stat.h>

#include <ostream>

#include "images/FrameImages.h"

namespace quilmark {

const char* const kExportUsage = "usage: quilmark-cli export FILE.gaf DIR\n";
const char* const kBuildUsage =
    "usage: quilmark-cli build OUT.gaf [--into IN.gaf] [--center] [--white] [--compress] FRAME...\n"
    "  FRAME is a BMP file, or several joined by commas (the frame's own image, then its subframes)\n";

namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Loads a GAF file whole; a file read only in part is a failure here, since the
// command would otherwise write out less than the file held.
bool LoadWhole(const std::string& path, classGAF& doc, std::ostream& err) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    err << path << ": no such file\n";
    return false;
  }
  LoadReport report;
  doc.Load(path, nullptr, &report);
  if (!report.complete) {
    err << path << ": could not be read completely: " << report.problem << "\n";
    return false;
  }
  return true;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return parts;
}

}  // namespace

int RunExportCommand(const std::vector<std::string>& args, std::ostream& err) {
  if (args.size() != 2 || args[0].empty() || args[1].empty()) {
    err << kExportUsage;
    return 2;
  }
  std::string folder = args[1];
  if (!IsFolder(folder)) {
    err << folder << ": not a folder\n";
    return 1;
  }
  if (folder.back() != '/') folder += '/';
  classGAF doc;
  // What could be read is still exported; the unread part is reported.
  struct stat st {};
  bool failed = false;
  if (::stat(args[0].c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    err << args[0] << ": no such file\n";
    return 1;
  }
  LoadReport load;
  doc.Load(args[0], nullptr, &load);
  if (!load.complete) {
    err << args[0] << ": could not be read completely: " << load.problem << "\n";
    failed = true;
  }
  const ExportReport report = doc.ExportAllImages(folder);
  for (size_t i = 0; i < report.failedFiles.size(); ++i)
    err << report.failedFiles[i] << ": " << (i < report.reasons.size() ? report.reasons[i] : "not written") << "\n";
  return failed || !report.ok() ? 1 : 0;
}

int RunBuildCommand(const std::vector<std::string>& args, std::ostream& err) {
  std::string out, into;
  bool center = false, white = false, compress = false;
  std::vector<std::string> frames;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--center") {
      center = true;
    } else if (a == "--white") {
      white = true;
    } else if (a == "--compress") {
      compress = true;
    } else if (a == "--into") {
      if (i + 1 >= args.size() || !into.empty()) {
        err << kBuildUsage;
        return 2;
      }
      into = args[++i];
    } else if (a.size() > 1 && a.compare(0, 2, "--") == 0) {
      err << "unknown option " << a << "\n" << kBuildUsage;
      return 2;
    } else if (out.empty()) {
      out = a;
    } else {
      frames.push_back(a);
    }
  }
  if (out.empty() || frames.empty()) {
    err << kBuildUsage;
    return 2;
  }
  std::vector<classFrameList> lists;
  for (const std::string& frame : frames) {
    const std::vector<std::string> files = SplitCommas(frame);
    for (const std::string& f : files) {
      if (f.empty()) {
        err << "empty file name in frame \"" << frame << "\"\n" << kBuildUsage;
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

  classGAF doc;
  if (!into.empty() && !LoadWhole(into, doc, err)) return 1;
  ImportReport imported;
  bool failed = false;
  const bool added = doc.ImportSequence(lists, center, white, compress, nullptr, &imported);
  for (const std::string& f : imported.failedFiles) {
    err << f << ": " << kBmpLoadError << "\n";
    failed = true;
  }
  if (!added) {
    err << "no animation was added (the first file's name is taken or cannot name one)\n";
    return 1;
  }
  const SaveResult saved = doc.Save(out);
  if (!saved) {
    err << out << ": " << saved.error << "\n";
    return 1;
  }
  return failed ? 1 : 0;
}

}  // namespace quilmark
