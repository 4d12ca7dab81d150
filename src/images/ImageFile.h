// Reading an image file for import, whichever of the two formats it is in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "images/modBmp.h"

namespace quilmark {

// A file that starts with the PNG signature is read as PNG (ReadPNG), any
// other as BMP (ReadBMP); either way out then holds game indices, and is
// untouched when the file is refused, and why (when given) says why in words:
// "no such file", "not a regular file", "a damaged PNG", ...
// out.Mapping says what matching the colours to the game palette did; match
// says how colours without a colour table are matched (ReadPNG).
bool ReadImage(const std::string& filename, LoadedBitmap& out, std::string* why = nullptr,
               ColourMatch match = ColourMatch::Nearest);
// The same on bytes in memory.
bool ReadImageFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why = nullptr,
                         ColourMatch match = ColourMatch::Nearest);

}  // namespace quilmark
