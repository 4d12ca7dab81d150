// palette.dat of any length or content fills the palette without reading past it.
#include <cstddef>
#include <cstdint>

#include "images/GamePalette.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const quilmark::Palette palette = quilmark::PaletteFromTriplets(data, size);
  for (const auto& entry : palette)
    if (entry.Reserved != 0) __builtin_trap();
  if (size >= 3 && (palette[0].Red != data[0] || palette[0].Blue != data[2])) __builtin_trap();
  return 0;
}
