// libFuzzer harness for the BMP reader: arbitrary bytes must be refused or
// read, never crash, read out of bounds or allocate beyond what they describe.
// The same bytes are read from memory and, as a file, a band at a time; both
// must agree, and translating while decoding must equal translating after.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "document/classGAFFrame.h"
#include "images/GamePalette.h"
#include "images/modBmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quilmark::fuzz::UseDistinctGamePalette();
  quilmark::LoadedBitmap bitmap, fromFile, raw;
  const bool read = quilmark::ReadBMPFromMemory(data, size, bitmap);
  const std::string path = quilmark::fuzz::BytesAsFile(data, size);
  quilmark::fuzz::CheckReadings(read, quilmark::ReadBMP(path, fromFile), quilmark::DecodeBMP(data, size, raw), bitmap,
                                fromFile, raw);
  if (!read) return 0;
  const auto& info = bitmap.BMPInfoHeader;
  // What was read must write out again.
  std::vector<uint8_t> file;
  if (bitmap.BMPPixels.size() < (1u << 22) &&
      !quilmark::EncodeBMP(bitmap.BMPPixels, quilmark::GamePalette, info.Width, info.Height, true, file))
    std::abort();
  return 0;
}
