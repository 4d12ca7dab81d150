// An animation as an animated GIF that loops, in the game's colours: the game
// palette is the GIF's colour table and index 9 its transparent colour; every
// frame is placed by its position on one canvas that holds all frames (about
// their common origin, as the preview places them), a frame with subframes
// composed as the preview composes it, and every pixel repeated zoom times
// each way.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/AtomicFile.h"
#include "document/classGAFAnimation.h"
#include "images/GamePalette.h"

namespace quilmark {

struct GifOptions {
  int32_t zoom = 1;    // 1 … kMaxGifZoom
  int32_t delay = 10;  // hundredths of a second a frame: one preview tick
};
inline constexpr int32_t kMaxGifZoom = 16;

// Where the GIF's bytes go; returns false to stop (a failed write).
using GifSink = std::function<bool(const uint8_t* data, size_t size)>;

// Writes the GIF into sink. False, with why, when the animation has no frame
// with pixels, the zoomed canvas would pass the format's 65535 pixels a
// side, an option is out of range, or the sink failed.
bool EncodeAnimationGif(const classGAFAnimation& animation, const GifOptions& options, const Palette& palette,
                        const GifSink& sink, std::string* why);

// The same into a file, replaced only once it was written whole (name as for
// WriteBMP).
bool WriteAnimationGif(const classGAFAnimation& animation, const GifOptions& options, const Palette& palette,
                       const std::string& path, std::string* why, OutputName name = OutputName::Chosen);

}  // namespace quilmark
