// Building frames, subframes and animations from BMP files and writing frame
// images out as BMP files. The operations are members of classGAFFrame,
// classGAFAnimation and classGAF (declared with them); this header gives the
// result types they use. Include it to call them.
#pragma once

#include <string>
#include <vector>

#include "images/classFrameList.h"
#include "document/Interfaces.h"
#include "document/classGAF.h"

namespace quilmark {

// The one message an import shows, once for each file that cannot be read.
inline constexpr const char* kBmpLoadError = "There was an error loading the BMP file.  Make sure it is 256 colors.";

// What an export wrote. Failures do not stop it: every file that can be
// written is, and the failing ones are listed for one report at the end.
struct ExportReport {
  int written = 0;
  int failed = 0;
  std::vector<std::string> failedFiles;
  std::vector<std::string> reasons;  // one per failed file, same order
  std::vector<std::string> notes;    // what the user should know though nothing failed

  bool ok() const { return failed == 0; }
  void Add(const ExportReport& other);
};

// What an import read: the files that could not be read (each once), in the
// order they were met. Their frames were still added, 0 × 0.
struct ImportReport {
  int read = 0;
  std::vector<std::string> failedFiles;
  std::vector<std::string> reasons;  // why each failed file was refused, same order
};

// One image file of a document's export: the image (a frame or subframe
// without subframes) and its file name, without folder and extension.
struct ImageFile {
  const classGAFFrame* image;
  std::string name;
};
// Every image file the export of the document writes, in document order.
// notes, when given, gets a line for each animation whose files take a
// numbered name because another's have its names.
std::vector<ImageFile> ExportFiles(const classGAF& doc, std::vector<std::string>* notes = nullptr);

// An animation's name as it goes into file names: "/", "\\" and control
// characters become "_", as do the names "." and ".."; the Latin-1 name is
// written as UTF-8. The document keeps its names; only file names change.
std::string SafeFileName(const std::string& name);

// The position that centres an image of the given size: half of it, halves
// going to the even neighbour (5 gives 2, 7 gives 4).
int32_t CenterOf(int32_t size);

}  // namespace quilmark
