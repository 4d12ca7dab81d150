// Frame images written out as numbered BMP or PNG files with the game palette.
#include <cstdio>
#include <unordered_set>

#include "base/Latin1.h"
#include "images/FrameImages.h"
#include "images/modBmp.h"
#include "images/modPng.h"

namespace quilmark {

namespace {

// At least two digits: 01 … 99, then 100 …
std::string Number(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

const char* Extension(ImageFormat format) { return format == ImageFormat::Png ? ".png" : ".bmp"; }

void WriteImage(const classGAFFrame& frame, const std::string& filename, ImageFormat format, ExportReport& report,
                OutputName name = OutputName::MadeUp) {
  std::string why;
  if (frame.Width() < 0 || frame.Height() < 0) {
    why = "the image has a negative size (" + std::to_string(frame.Width()) + " × " +
          std::to_string(frame.Height()) + "), which a bitmap cannot hold";
  } else if (format == ImageFormat::Png
                 ? WritePNG(filename, frame.Pixels, frame.Width(), frame.Height(), GamePalette, &why, name)
                 : WriteBMP(filename, frame.Pixels, GamePalette, frame.Width(), frame.Height(), true, &why, name)) {
    ++report.written;
    return;
  }
  ++report.failed;
  report.failedFiles.push_back(filename);
  report.reasons.push_back(why);
}

// Calls visit(frame, file) for every image file the export of a frame writes,
// named without its extension: location_<ss> per subframe (one level more per
// deeper subframe), or location for a frame without subframes.
template <class Visit>
void ForEachImage(const classGAFFrame& frame, const std::string& location, Visit& visit) {
  int s = 0;
  for (const FramePtr& sub : frame.Subframes) ForEachImage(*sub, location + "_" + Number(++s), visit);
  if (frame.Subframes.IsEmpty()) visit(frame, location);
}

// The same for every frame of an animation, its files starting with prefix.
template <class Visit>
void ForEachImage(const classGAFAnimation& animation, const std::string& prefix, Visit& visit) {
  int f = 0;
  for (const FramePtr& frame : animation.Frames) ForEachImage(*frame, prefix + "_" + Number(++f), visit);
}

// The name with "/", "\\" and control characters (C0, DEL and Latin-1's C1)
// made "_", as are the names "." and "..": separators would lead out of the
// chosen folder, and control characters have no business in a file name.
// Still Latin-1.
std::string SafeName(const std::string& name) {
  if (name == "." || name == "..") return std::string(name.size(), '_');
  std::string safe = name;
  for (char& ch : safe) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '/' || c == '\\' || c < 0x20 || (c >= 0x7F && c < 0xA0)) ch = '_';
  }
  return safe;
}

}  // namespace

// Names are Latin-1; file names on this system are UTF-8.
std::string SafeFileName(const std::string& name) { return Latin1ToUtf8(SafeName(name)); }

void ExportReport::Add(const ExportReport& other) {
  written += other.written;
  failed += other.failed;
  failedFiles.insert(failedFiles.end(), other.failedFiles.begin(), other.failedFiles.end());
  reasons.insert(reasons.end(), other.reasons.begin(), other.reasons.end());
  notes.insert(notes.end(), other.notes.begin(), other.notes.end());
}

ExportReport ExportFrame(const classGAFFrame& frame, const std::string& Filename, ImageFormat format) {
  ExportReport report;
  // A frame with subframes is seen only through them.
  if (frame.Subframes.IsEmpty()) WriteImage(frame, Filename, format, report, OutputName::Chosen);
  return report;
}

ExportReport ExportAllImages(const classGAFFrame& frame, const std::string& Location, ImageFormat format) {
  ExportReport report;
  auto write = [&](const classGAFFrame& image, const std::string& file) {
    WriteImage(image, file + Extension(format), format, report);
  };
  ForEachImage(frame, Location, write);
  return report;
}

ExportReport ExportAllImages(const classGAFAnimation& animation, const std::string& Location, ImageFormat format) {
  ExportReport report;
  auto write = [&](const classGAFFrame& frame, const std::string& file) {
    WriteImage(frame, file + Extension(format), format, report);
  };
  ForEachImage(animation, Location + SafeFileName(animation.Name), write);
  return report;
}

std::vector<ImageFile> ExportFiles(const classGAF& doc, std::vector<std::string>* notes) {
  std::vector<ImageFile> plan;
  // Different names can give the same file names ("a/b" and "a_b", or "walk"
  // frame 1 subframe 1 and "walk_01" frame 1): a later animation whose files
  // would replace an earlier one's takes a numbered name instead.
  std::unordered_set<std::string> taken;
  for (const AnimationPtr& animation : doc.Animations) {
    // Compared as Latin-1 names without regard to letter case, as a file
    // system that ignores it would.
    const std::string safe = SafeName(animation->Name);
    std::string stem = safe;
    std::vector<std::string> files;
    for (int n = 2;; ++n) {
      files.clear();
      auto list = [&files](const classGAFFrame&, const std::string& file) { files.push_back(FoldCase(file)); };
      ForEachImage(*animation, stem, list);
      bool clash = false;
      for (const std::string& file : files) clash = clash || taken.count(file) > 0;
      if (!clash) break;
      stem = safe + "~" + std::to_string(n);
    }
    taken.insert(files.begin(), files.end());
    if (stem != safe && notes)
      notes->push_back("The images of \"" + Latin1ToUtf8(animation->Name) + "\" were written as " +
                       Latin1ToUtf8(stem) + "_..., because another sequence's images already have its file names.");
    auto add = [&plan](const classGAFFrame& frame, const std::string& file) { plan.push_back({&frame, file}); };
    ForEachImage(*animation, Latin1ToUtf8(stem), add);
  }
  return plan;
}

ExportReport ExportAllImages(const classGAF& doc, const std::string& Location, ImageFormat format) {
  ExportReport report;
  for (const ImageFile& file : ExportFiles(doc, &report.notes))
    WriteImage(*file.image, Location + file.name + Extension(format), format, report);
  return report;
}

}  // namespace quilmark
