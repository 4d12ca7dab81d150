// PNG files: reading them into game-palette indices like a BMP file, and
// writing frame images out as 8-bit palettised PNG files with the game palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "images/GamePalette.h"
#include "images/modBmp.h"

namespace quilmark {

class InputFile;

// True when the bytes start with the eight-byte PNG signature.
bool IsPNG(const uint8_t* data, size_t size);

// Decodes the bytes of a PNG file of any colour type, bit depth and
// interlacing, into out (a record as the BMP reader fills it; the header's
// Width, Height and BitCount, bits per pixel, are set and TopDown is true):
// - a palettised file (1, 2, 4 or 8 bits) gives the file's own indices, its
//   colour table in BMPPalette (entries the file lacks are black) and the
//   entries whose tRNS alpha is below 128 in TransparentEntries;
// - a grey or truecolour file, with or without alpha, gives game indices
//   (out.OwnColourTable false, BMPPalette = GamePalette): each colour becomes
//   the nearest game colour by RemapTable's rule but never TransparentIndex
//   (NearestOpaqueColour), taking the high byte of
//   16-bit samples and scaling grey of 1, 2 or 4 bits to 0…255; a pixel whose
//   alpha is below 128 (below 32768 at 16 bits), or that equals the tRNS key
//   colour, becomes TransparentIndex. out.Mapping says what the matching did.
// Refused (false, out untouched): anything not a PNG file, a damaged one (a
// bad checksum, a cut or corrupt stream), a side above kMaxFrameSide, and a
// file too small to hold the pixels it claims (deflate packs at most 1032
// bytes into one; the claim is weighed before anything of its size is
// allocated), or an image the heap cannot hold.
// With why given, a refusal says there why, as DecodeBMP.
bool DecodePNG(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why = nullptr);

// The same, then every pixel in game indices (RemapToGamePalette), and
// out.Mapping saying what the mapping did. With ColourMatch::Dither the
// pixels of a grey or truecolour file are matched by DitherToGame
// (images/Dither.h) instead, still never TransparentIndex unless the file
// makes them transparent; a palettised file is mapped as without it.
bool ReadPNGFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why = nullptr,
                       ColourMatch match = ColourMatch::Nearest);

// Reads the file (a regular file only, as ReadBMP) as ReadPNGFromMemory does,
// a piece at a time, so that besides the image only small buffers are held.
bool ReadPNG(const std::string& filename, LoadedBitmap& out, std::string* why = nullptr,
             ColourMatch match = ColourMatch::Nearest);
// The same on a file already open.
bool ReadPNG(InputFile& file, LoadedBitmap& out, std::string* why = nullptr, ColourMatch match = ColourMatch::Nearest);

// An 8-bit palettised PNG file of width × height indices (top row first):
// a 256-entry PLTE of palette's colours and a tRNS chunk that makes entry
// TransparentIndex fully transparent and every other entry opaque. False,
// with error (when given) saying why, when a side is not 1…2^31 - 1 or the
// buffer is shorter than width × height.
bool EncodePNG(std::span<const uint8_t> pixels, int32_t width, int32_t height, const Palette& palette,
               std::vector<uint8_t>& file, std::string* error = nullptr);

// Writes EncodePNG's file to filename. The file is replaced only once it was
// written whole; on failure nothing is left behind, an older file of that name
// stays, and error (when given) says why.
// name as for WriteBMP.
bool WritePNG(const std::string& filename, std::span<const uint8_t> pixels, int32_t width, int32_t height,
              const Palette& palette, std::string* error = nullptr, OutputName name = OutputName::Chosen);

}  // namespace quilmark
