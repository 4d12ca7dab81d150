#include "images/Dither.h"

#include <algorithm>
#include <vector>

#include "document/classGAFFrame.h"
#include "images/ColourCache.h"

namespace quilmark {

namespace {
constexpr int kWeightRight = 7, kWeightBelowLeft = 3, kWeightBelow = 5, kWeightBelowRight = 1;

int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFF); }
}  // namespace

ColourMapping DitherToGame(const uint32_t* colours, size_t width, size_t height, const Palette& game, uint8_t* out) {
  ColourMapping mapping;
  ColourCache nearest(game);
  // The error each pixel of this row and the next has received, in
  // sixteenths, three channels (red, green, blue) a pixel; one pixel more on
  // either side takes what falls off the edges.
  std::vector<int32_t> here((width + 2) * 3, 0), below((width + 2) * 3, 0);
  for (size_t y = 0; y < height; ++y) {
    for (size_t x = 0; x < width; ++x) {
      const uint32_t own = colours[y * width + x];
      uint8_t& index = out[y * width + x];
      if (own & kClearPixel) {
        index = TransparentIndex;
        continue;
      }
      const size_t at = (x + 1) * 3;
      int adjusted[3];
      for (int c = 0; c < 3; ++c)
        adjusted[c] = std::clamp(Channel(own, 16 - 8 * c) + ((here[at + c] + 8) >> 4), 0, 255);
      index = nearest.Index(static_cast<uint32_t>(adjusted[0] << 16 | adjusted[1] << 8 | adjusted[2]));
      const PaletteEntry& chosen = game[index];
      const int got[3] = {chosen.Red, chosen.Green, chosen.Blue};
      for (int c = 0; c < 3; ++c) {
        const int error = adjusted[c] - got[c];
        here[at + 3 + c] += kWeightRight * error;
        below[at - 3 + c] += kWeightBelowLeft * error;
        below[at + c] += kWeightBelow * error;
        below[at + 3 + c] += kWeightBelowRight * error;
      }
      PaletteEntry colour;
      colour.Red = static_cast<uint8_t>(Channel(own, 16));
      colour.Green = static_cast<uint8_t>(Channel(own, 8));
      colour.Blue = static_cast<uint8_t>(Channel(own, 0));
      if (const int difference = ColourDifference(colour, chosen); difference > 0) {
        ++mapping.offPalette;
        mapping.largestDifference = std::max(mapping.largestDifference, difference);
      }
    }
    std::swap(here, below);
    std::fill(below.begin(), below.end(), 0);
  }
  return mapping;
}

}  // namespace quilmark
