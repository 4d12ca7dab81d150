// A document as a folder: every image as a file, and the rest of the document
// as data in quilmark.json, so that a document can live in version control and
// be built again from the folder, byte for byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/classGAF.h"

namespace quilmark {

inline constexpr const char* kManifestName = "quilmark.json";
inline constexpr const char* kManifestFormat = "quilmark-gaf-folder";
inline constexpr int kManifestVersion = 1;

// The manifest as read: what it says of every frame and subframe, in order.
struct ManifestFrame {
  std::optional<std::string> image;  // file name in the folder; none for a frame with subframes
  int32_t width = 0, height = 0, x = 0, y = 0, fps = 0;
  uint8_t compressed = 0;  // the stored byte
  std::vector<ManifestFrame> subframes;
  std::string path;  // where it stands in the manifest, for messages
};
struct ManifestAnimation {
  std::string name;  // 8-bit text
  bool animated = false;
  std::vector<ManifestFrame> frames;
};
struct Manifest {
  std::vector<ManifestAnimation> animations;
};

// The manifest's text for the document, with the image files as the export
// names them plus extension ("png" or "bmp"). Keys stand in a fixed order,
// one value a line.
std::string ManifestText(const classGAF& doc, const std::string& extension);

// Reads manifest text. False, with one line naming the field's place
// ("animations[2].frames[0].x: not a number"), when it is not JSON, a field is
// missing or of the wrong type or range, a name is not Latin-1 text or two
// animations share a name (without regard to letter case).
// A text that is not JSON is reported as source's, with the line and column.
// An object that gives a key twice is refused, as is a name that is empty,
// holds a 0 byte, or equals another's in the 32 bytes a file keeps (names are
// cut to those).
bool ParseManifest(std::string_view text, Manifest& out, std::string& error,
                   const std::string& source = kManifestName);

// Writes the document's images and its manifest into folder (which must
// exist) as extension files. False, with one line per failure in errors.
bool ExplodeDocument(const classGAF& doc, const std::string& folder, const std::string& extension,
                     std::vector<std::string>& errors);

// Builds the document the folder's manifest describes. Images whose colour
// table is exactly the game palette keep their indices; others are mapped to
// it as an import maps them. False, with one line in error, when the manifest
// is refused or an image is missing, unreadable or not of the manifest's size.
bool ImplodeDocument(const std::string& folder, classGAF& doc, std::string& error);

}  // namespace quilmark
