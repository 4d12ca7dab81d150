// Floyd-Steinberg error diffusion into the game palette, for imported images
// without a colour table of their own (grey and truecolour PNG files).
#pragma once

#include <cstddef>
#include <cstdint>

#include "images/ColourMapping.h"
#include "images/GamePalette.h"

namespace quilmark {

// A pixel the file makes transparent, among colours of 0xRRGGBB.
inline constexpr uint32_t kClearPixel = 0x1000000;

// Matches width × height colours (top row first; 0xRRGGBB, or kClearPixel)
// to game indices in out, spreading each pixel's matching error over its
// neighbours, classic Floyd-Steinberg: rows from the top, each from left to
// right (not serpentine). Every channel carries its own error, kept in
// sixteenths so that none of it is lost on the way: a pixel's channel is its
// own value plus the error it received, rounded to the nearest whole (halves
// up) and clamped to 0…255; that colour becomes its nearest game colour but
// TransparentIndex (NearestOpaqueColour), and what it differs from that game
// colour by goes 7/16 to the pixel on the right, 3/16 below left, 5/16 below
// and 1/16 below right. Error beyond the image's edges is dropped. A
// kClearPixel becomes TransparentIndex; it neither takes the error that
// reaches it nor spreads any. The mapping weighed compares each opaque
// pixel's own colour with the game colour it became.
ColourMapping DitherToGame(const uint32_t* colours, size_t width, size_t height, const Palette& game, uint8_t* out);

}  // namespace quilmark
