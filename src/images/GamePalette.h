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

// What reading a palette file found.
struct PaletteLoad {
  size_t bytes = 0;     // colour bytes the file gave (at most 768)
  std::string problem;  // why the file gave no colours at all; empty when it gave some
  bool Usable() const { return problem.empty(); }
  bool Whole() const { return problem.empty() && bytes == 768; }
};

// Fills GamePalette from a file of 256 red-green-blue triplets (bytes after the
// 768th are ignored, missing ones read as 0, so a short file leaves the last
// colours black). Only a regular file is read, and opening never waits on a
// pipe or device. A file that is missing, empty, unreadable or not a regular
// file is not usable: the palette is then all black.
PaletteLoad ReadPalette(const std::string& path);

// The same; true only when the file gave all 768 bytes.
bool LoadPalette(const std::string& path);

// The same rule applied to bytes in memory.
Palette PaletteFromTriplets(const uint8_t* data, size_t size);

// Where the programs find palette.dat: beside the running program when one
// lies there (the build tree, or the game's own palette dropped in by the
// user), else where the install puts it (<prefix>/share/quilmark/palette.dat
// for <prefix>/bin/ the program). When neither is there, the path beside the
// program, so that a message names where it was looked for.
std::string DefaultPalettePath();

// The palette shipped in data/palette.dat, compiled into the program.
const Palette& BuiltInPalette();

// Fills GamePalette from DefaultPalettePath(), or with BuiltInPalette() when
// that file does not give all 768 bytes, so that a program needs no file at
// all. True when the file was used.
bool LoadDefaultPalette();

}  // namespace quilmark
