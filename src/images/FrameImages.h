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
#include "images/ColourMapping.h"

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
  // What matching the colours to the game palette did, over every image read
  // (a file read twice counts twice), and for each file whose colours were
  // not all game colours, once, in the order read.
  ColourMapping mapping;
  struct FileMapping {
    std::string file;
    ColourMapping mapping;
  };
  std::vector<FileMapping> inexactFiles;
};

// How an import takes its images.
struct ImportOptions {
  bool center = false;    // each image's origin at its centre (CenterOf)
  bool white = false;     // white (index 255) becomes TransparentIndex
  bool compress = false;  // images stored compressed (a frame with subframes keeps its own image plain)
  bool dither = false;    // grey and truecolour images dithered (ColourMatch::Dither)
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

// The file format frame images are exported in.
enum class ImageFormat { Bmp, Png };

// Replaces the frame's image by the bitmap; false when it could not be read.
bool ImportFrame(classGAFFrame& frame, const std::string& Filename, bool Center = false, bool WhiteBG = false,
                 bool Compress = false, MessageSink* messages = nullptr, ImportReport* report = nullptr);
// Builds the frame from the list: its own image, and subframes when the list
// has two or more files. False when any file could not be read.
bool ImportSequence(classGAFFrame& frame, const classFrameList& FileList, bool Center, bool WhiteBG, bool Compress,
                    MessageSink* messages = nullptr, ImportReport* report = nullptr);
// Appends a subframe built from the bitmap (first making the frame's own
// image its first subframe when it has none).
bool ImportSubframe(classGAFFrame& frame, const std::string& Filename, bool Center = false, bool WhiteBG = false,
                    bool Compress = false, MessageSink* messages = nullptr, ImportReport* report = nullptr);
// Appends one frame per list with a Name and names the animation after the
// first; false when a list's file name is too short to name it (the frames
// appended before stay).
bool ImportSequence(classGAFAnimation& animation, const std::vector<classFrameList>& FileList, bool Center,
                    bool WhiteBG, bool Compress, MessageSink* messages = nullptr, ImportReport* report = nullptr);
// Appends a frame per file, or with Subframes a subframe per file to the
// frame at 1-based currentFrame; then shows the animation. False when that
// frame does not exist.
bool ImportFrames(classGAFAnimation& animation, const std::vector<std::string>& Files, bool Center, bool WhiteBG,
                  bool Subframes, bool Compress, int32_t currentFrame, AnimationDisplay* display = nullptr,
                  MessageSink* messages = nullptr, ImportReport* report = nullptr);
// The same with every option (dithering too).
bool ImportFrames(classGAFAnimation& animation, const std::vector<std::string>& Files, const ImportOptions& options,
                  bool Subframes, int32_t currentFrame, AnimationDisplay* display = nullptr,
                  MessageSink* messages = nullptr, ImportReport* report = nullptr);
// Builds a new animation from the lists and adds it to the document; false
// when it was not added (no usable list, or an animation of that name exists).
bool ImportSequence(classGAF& doc, const std::vector<classFrameList>& Images, bool Center, bool WhiteBG,
                    bool Compress, MessageSink* messages = nullptr, ImportReport* report = nullptr);
// The same with every option (dithering too).
bool ImportSequence(classGAF& doc, const std::vector<classFrameList>& Images, const ImportOptions& options,
                    MessageSink* messages = nullptr, ImportReport* report = nullptr);

// Writes the frame's own image; a frame with subframes writes nothing.
ExportReport ExportFrame(const classGAFFrame& frame, const std::string& Filename, ImageFormat format = ImageFormat::Bmp);
// Writes Location_<ss>.bmp per subframe, or Location.bmp without subframes
// (.png in that format).
ExportReport ExportAllImages(const classGAFFrame& frame, const std::string& Location,
                             ImageFormat format = ImageFormat::Bmp);
// Writes Location<Name>_<ff>[_<ss>].bmp (.png) for every frame.
ExportReport ExportAllImages(const classGAFAnimation& animation, const std::string& Location,
                             ImageFormat format = ImageFormat::Bmp);
// Writes the images of every animation.
ExportReport ExportAllImages(const classGAF& doc, const std::string& Location, ImageFormat format = ImageFormat::Bmp);

// The position that centres an image of the given size: half of it, halves
// going to the even neighbour (5 gives 2, 7 gives 4).
int32_t CenterOf(int32_t size);

}  // namespace quilmark
