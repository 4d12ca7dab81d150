// 256-colour BMP files: reading them into game-palette indices and writing
// frame images out as 8-bit bitmaps with the game palette.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "images/ColourMapping.h"
#include "images/GamePalette.h"

namespace quilmark {

class InputFile;

// The information header of the last bitmap read, as the file gave it, except
// that Height is always positive: the rows handed over run top to bottom. The
// old OS/2 form (Size 12) has only the sizes, planes and bit count, its sizes
// unsigned 16-bit numbers; its other fields read 0.
struct BitmapInfo {
  uint32_t Size = 0;  // 12 (OS/2), 40, or more for the V4/V5 forms
  int32_t Width = 0;
  int32_t Height = 0;
  uint16_t Planes = 0;
  uint16_t BitCount = 0;
  uint32_t Compression = 0;  // 0 none, 1 RLE8
  uint32_t SizeImage = 0;
  int32_t XPelsPerMeter = 0;
  int32_t YPelsPerMeter = 0;
  uint32_t ClrUsed = 0;
  uint32_t ClrImportant = 0;
  bool TopDown = false;  // the file stored its rows top row first
};

// One bitmap as read: Width × Height indices, top row first, rows unpadded,
// and the file's colour table filled up to 256 entries with zeros (an OS/2
// file's three-byte entries with Reserved 0). A PNG file (modPng.h) fills the
// same record.
struct LoadedBitmap {
  BitmapInfo BMPInfoHeader;
  std::vector<uint8_t> BMPPixels;
  Palette BMPPalette{};
  // True when the file has a colour table of its own, in BMPPalette (every
  // BMP file, a PNG file with a colour table): DecodeBMP and DecodePNG leave
  // BMPPixels as indices into it, the readers map them to the game palette.
  // False for a PNG file without one (grey or truecolour): its colours were
  // matched to the game palette pixel by pixel, so BMPPixels holds game
  // indices from the start and BMPPalette is that game palette.
  bool OwnColourTable = true;
  // Entries of BMPPalette that the file makes transparent (a PNG colour
  // table's alpha below 128); they map to TransparentIndex.
  std::bitset<256> TransparentEntries;
  // What the mapping to the game palette did, once it is done (by the
  // readers, RemapToGamePalette, or DecodePNG for a file without a colour
  // table); empty before.
  ColourMapping Mapping;
};

// How an import matches colours without a colour table of their own (grey
// and truecolour PNG) to the game palette: each pixel to its nearest game
// colour, or by Floyd-Steinberg error diffusion (images/Dither.h). Images
// with a colour table are mapped entry by entry either way.
enum class ColourMatch { Nearest, Dither };

// Decodes the bytes of an 8-bit BMP file: a 40-byte or larger information
// header with bottom-up or top-down rows, uncompressed or RLE8, or the 12-byte
// OS/2 header with bottom-up uncompressed rows; a colour table of up to 256
// entries. An RLE8 stream may stop without its end-of-bitmap code, between two
// codes: the pixels no code reached are index 0. Any other depth, a side above
// kMaxFrameSide (document/classGAFFrame.h: a larger bitmap could never become a
// frame), an image the heap cannot hold and every damaged file
// (including a stream cut inside a code) yield false and leave out untouched.
// The sizes are checked against the file before anything of their size is
// allocated. The indices stay those of the file's own table.
// With why given, a refusal says there why, in words ("a damaged BMP",
// "a side over 32767 pixels", "out of memory", ...).
bool DecodeBMP(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why = nullptr);

// Why an image was refused, for a caller that asks (why not null): the first
// reason given is kept. Calling it returns false, for `return refuse(...)`.
class Refusal {
 public:
  explicit Refusal(std::string* why) : why_(why) {}
  bool operator()(const std::string& reason) const {
    if (why_ && why_->empty()) *why_ = reason;
    return false;
  }

 private:
  std::string* why_;
};
inline constexpr const char* kSideTooLong = "a side over 32767 pixels";
inline constexpr const char* kOutOfMemory = "out of memory";
// Why reading an open file's bytes came up short: an error, or a file that
// shrank while it was read.
std::string ReadFailure(const InputFile& file);

// The translation from the bitmap's colours to the nearest game colours: the
// smallest sum of absolute channel differences, ties to the lowest game index,
// 255 for a colour that no game colour approaches closer than 765.
std::array<uint8_t, 256> RemapTable(const Palette& bitmapColours, const Palette& gameColours);

// The game colour nearest to one colour by RemapTable's rule.
uint8_t NearestColour(const PaletteEntry& colour, const Palette& gameColours);
// The same among the game colours but TransparentIndex: what an opaque pixel
// of a file without a colour table becomes.
uint8_t NearestOpaqueColour(const PaletteEntry& colour, const Palette& gameColours);

// Converts out.BMPPixels in place to indices of the game palette; entries
// in TransparentEntries become TransparentIndex, and bitmap.Mapping says what
// the mapping did. Pixels that already are game indices (OwnColourTable
// false) stay as they are, and so does bitmap.Mapping.
void RemapToGamePalette(LoadedBitmap& bitmap, const Palette& gameColours = GamePalette);

// Reads the file and maps its pixels to GamePalette. False (and out
// untouched) when the file is missing, not a regular file (a pipe, a device
// or a folder is refused without waiting on it), unreadable or refused by
// DecodeBMP. The headers are read first, and the pixels only when they pass;
// the file is then read a band at a time, so that besides the image only
// a small buffer is held. out.Mapping says what the mapping did.
bool ReadBMP(const std::string& filename, LoadedBitmap& out, std::string* why = nullptr);
// The same on a file already open.
bool ReadBMP(InputFile& file, LoadedBitmap& out, std::string* why = nullptr);
// The same on bytes in memory.
bool ReadBMPFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why = nullptr);

// The bytes of an uncompressed 8-bit BMP file: a 14-byte file header, a 40-byte
// information header, 256 colour entries as stored in palette, then the pixel
// rows. With flipRows the top-first buffer of width × height bytes is written
// bottom row first, each row padded with zeros to a multiple of 4; without it
// the buffer is written unchanged. False when the buffer is shorter than
// width × height (when flipping) or the sizes do not fit the format.
bool EncodeBMP(std::span<const uint8_t> buffer, const Palette& palette, int32_t width, int32_t height,
               bool flipRows, std::vector<uint8_t>& file);

// Writes EncodeBMP's bytes to filename. The file is replaced only once it was
// written whole; on failure nothing is left behind, an older file of that name
// stays, and error (when given) says why.
// name says whether the user named the file or the program made the name up
// inside a chosen folder (AtomicFile.h).
bool WriteBMP(const std::string& filename, std::span<const uint8_t> buffer, const Palette& palette,
              int32_t width, int32_t height, bool flipRows, std::string* error = nullptr,
              OutputName name = OutputName::Chosen);

}  // namespace quilmark
