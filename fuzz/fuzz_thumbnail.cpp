// The thumbnailer on arbitrary bytes: it must never crash, hang or run away
// with memory, and a thumbnail it makes fits the asked square by whole steps
// (its longer side more than half the square's, never more than all of it)
// and is written as a PNG that reads back with the same pixels, index 9 alone
// transparent. The size asked comes from the input's last byte.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "display/Thumbnail.h"
#include "images/modPng.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int32_t side = size == 0 ? 1 : 1 + data[size - 1] * 4;
  quilmark::GafInput in;
  in.OpenMemory(data, size);
  quilmark::ComposedImage image;
  std::string why;
  if (!quilmark::MakeThumbnail(in, side, image, &why)) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  const int32_t longer = std::max(image.width, image.height);
  if (image.Empty() || longer > side || 2 * longer <= side ||
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
    __builtin_trap();
  std::vector<uint8_t> png;
  if (!quilmark::EncodePNG(image.pixels, image.width, image.height, quilmark::GamePalette, png)) __builtin_trap();
  quilmark::LoadedBitmap read;
  if (!quilmark::DecodePNG(png.data(), png.size(), read) || read.BMPPixels != image.pixels ||
      read.TransparentEntries.count() != 1 || !read.TransparentEntries.test(quilmark::TransparentIndex))
    __builtin_trap();
  return 0;
}
