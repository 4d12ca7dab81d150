// What mapping an image's colours to the game palette did to its pixels, and
// a table mapping that finds it out without slowing the mapping itself.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

#include "images/GamePalette.h"

namespace quilmark {

// The colours of an imported image against the game colours they became. A
// pixel is off the palette when its colour differs from the colour of the
// game index it became. Pixels the file itself makes transparent (alpha below
// 128, a tRNS entry or key colour) are not weighed, and neither is the work
// of the white background option, which comes after the mapping.
struct ColourMapping {
  uint64_t offPalette = 0;    // pixels whose colour is not their game colour
  int largestDifference = 0;  // the largest of their differences (ColourDifference)
  // Opaque pixels that became TransparentIndex: a colour of a colour table
  // nearest to the transparent index's colour without being that colour. (A
  // colour that is exactly the transparent index's colour is the file's own
  // transparent key, as game sprites are drawn; it is not counted.) Grey and
  // truecolour pixels never become TransparentIndex unless the file makes
  // them transparent.
  uint64_t madeTransparent = 0;

  bool Exact() const { return offPalette == 0; }
  ColourMapping& operator+=(const ColourMapping& other);
  bool operator==(const ColourMapping&) const = default;
};

// The distance RemapTable matches by: the sum of the absolute differences of
// red, green and blue, 0…765.
int ColourDifference(const PaletteEntry& a, const PaletteEntry& b);

// A mapping of indices to game indices (a colour table's, or grey levels')
// that weighs what it does as it maps: beside each index's game index it
// keeps a weight, what matching that index does, and adds up the weights of
// the indices it maps, one addition a pixel. A table whose colours are all
// game colours maps without weighing.
class MappingTable {
 public:
  // colours: what each index stands for; table: the game index each becomes;
  // skip: indices the file makes transparent, which are not weighed.
  MappingTable(const Palette& colours, const std::array<uint8_t, 256>& table, const std::bitset<256>& skip,
               const Palette& gameColours);

  // to[i] = the game index of from[i] for count bytes; from and to may be the
  // same buffer.
  void Map(const uint8_t* from, uint8_t* to, size_t count);
  // The game index of one index.
  uint8_t MapOne(uint8_t index) {
    const uint32_t w = weights_[index];
    off_ += (w >> kOffShift) & 1;
    transparent_ += (w >> kTransparentShift) & 1;
    if ((w >> kAboveShift) & 1) Raise(&index, 1);
    return indices_[index];
  }
  // What the indices mapped so far became.
  ColourMapping Mapping() const { return {off_, largest_, transparent_}; }

 private:
  // A weight: 1 at kOffShift when the colour is off the palette, 1 at
  // kTransparentShift too when it became TransparentIndex, and 1 at
  // kAboveShift while its difference is above the largest met so far. Map
  // adds up the weights of kRun indices at a time, each field counting at
  // most kRun. Only when a run holds an index above the largest are its
  // indices looked at again, to raise it: a few times an image.
  static constexpr unsigned kOffShift = 0, kTransparentShift = 10, kAboveShift = 20;
  static constexpr size_t kRun = 512;

  // Raises largest_ to the largest difference among count indices, and marks
  // the weights above it anew.
  void Raise(const uint8_t* indices, size_t count);

  std::array<uint8_t, 256> indices_{};
  std::array<uint32_t, 256> weights_{};
  std::array<uint16_t, 256> differences_{};
  bool exact_ = true;  // no colour is off the palette: nothing to weigh
  uint64_t off_ = 0, transparent_ = 0;
  int largest_ = 0;
};

}  // namespace quilmark
