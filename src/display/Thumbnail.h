// Thumbnails of GAF files for file managers: the first frame of the first
// animation, composed and scaled by whole steps to fit a square, to be written
// as a palettised PNG whose transparent index is alpha 0 (WritePNG). File
// managers run the thumbnailer on every file a folder shows, opened or not, so
// what one file can cost is bounded: its size is checked before anything is
// read, the pixels its load may make are capped, and so is the box a frame's
// subframes are composed in.
#pragma once

#include <cstdint>
#include <string>

#include "display/FrameCompose.h"
#include "document/GafIo.h"

namespace quilmark {

// What one file may cost a thumbnail.
struct ThumbnailLimits {
  // Files larger than this are not read at all.
  int64_t fileBytes = int64_t{64} << 20;
  // Pixels the load may make (a byte of memory each).
  uint64_t loadPixels = uint64_t{1} << 28;
  // The largest box a frame's subframes are composed in (4096 × 4096).
  int64_t composedPixels = int64_t{1} << 24;
};
// Sizes a thumbnail may be asked for.
inline constexpr int32_t kThumbnailMaxSide = 1024;

// Reads the document in (opened, nothing read yet) and makes the thumbnail of
// its first frame that fits side × side (1 … kThumbnailMaxSide). A document
// read only in part still gives one when its first frame was read. False,
// with why, for a file larger than limits allow, a document without a frame
// with pixels that could be read within them, subframes placed so far apart
// that their box passes them, or a side out of range.
bool MakeThumbnail(GafInput& in, int32_t side, ComposedImage& out, std::string* why,
                   const ThumbnailLimits& limits = {});

}  // namespace quilmark
