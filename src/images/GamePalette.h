// The game's 256-colour palette, read once at start-up from palette.dat.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quilmark {

// One colour in the byte order of a BMP colour-table entry.
struct PaletteEntry {
  uint8_t Blue = 0;
  uint8_t Green = 0;
  uint8_t Red = 0;
  uint8_t Reserved = 0;
};
static_assert(sizeof(PaletteEntry) == 4);

using Palette = std::array<PaletteEntry, 256>;

// All zero until LoadPalette has run.
extern Palette GamePalette;

// Fills GamePalette from a file of 256 red-green-blue triplets (bytes after the
// 768th are ignored, missing ones read as 0). False when the file could not be
// opened or held fewer than 768 bytes; the palette is filled either way.
bool LoadPalette(const std::string& path);

// The same rule applied to bytes in memory.
Palette PaletteFromTriplets(const uint8_t* data, size_t size);

// palette.dat in the folder of the running program.
std::string DefaultPalettePath();

}  // namespace quilmark
