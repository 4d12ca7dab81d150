// libFuzzer harness for the BMP reader: arbitrary bytes must be refused or
// read, never crash, read out of bounds or allocate beyond what they describe.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "images/GamePalette.h"
#include "images/modBmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool once = [] {
    // A palette with every colour distinct, so remapping does real work.
    for (size_t i = 0; i < 256; ++i)
      quilmark::GamePalette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                  static_cast<uint8_t>(i * 7), 0};
    return true;
  }();
  (void)once;
  quilmark::LoadedBitmap bitmap;
  if (quilmark::ReadBMPFromMemory(data, size, bitmap)) {
    const auto& info = bitmap.BMPInfoHeader;
    if (info.Width <= 0 || info.Height <= 0 ||
        bitmap.BMPPixels.size() != static_cast<size_t>(info.Width) * static_cast<size_t>(info.Height))
      std::abort();
    // What was read must write out again.
    std::vector<uint8_t> file;
    if (bitmap.BMPPixels.size() < (1u << 22) &&
        !quilmark::EncodeBMP(bitmap.BMPPixels, quilmark::GamePalette, info.Width, info.Height, true, file))
      std::abort();
  }
  return 0;
}
