// libFuzzer harness for the PNG reader: arbitrary bytes must be refused or
// read, never crash, read out of bounds or allocate beyond what they describe.
// The same bytes are read from memory and, as a file, through libspng's
// stream; both must agree with the dispatcher, and mapping the undecoded
// indices afterwards must equal mapping while decoding, and dithering must
// leave the same pixels transparent. What was read must
// write out as a PNG file that reads back to the same indices. Most changes
// to a file break a chunk's checksum; the bytes are tried again with every
// checksum made right, so that the changes reach the pixels.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "document/classGAFFrame.h"
#include "images/GamePalette.h"
#include "images/ImageFile.h"
#include "images/modPng.h"

namespace {

// The chunks' checksums recomputed, as far as the chunks fit the bytes.
std::vector<uint8_t> RightChecksums(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  for (size_t at = 8; at + 12 <= size;) {
    const size_t length =
        size_t{bytes[at]} << 24 | size_t{bytes[at + 1]} << 16 | size_t{bytes[at + 2]} << 8 | bytes[at + 3];
    if (length > size - at - 12) break;
    const uLong crc = crc32(0, bytes.data() + at + 4, static_cast<uInt>(length + 4));
    for (size_t k = 0; k < 4; ++k) bytes[at + 8 + length + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
    at += 12 + length;
  }
  return bytes;
}

void Check(const uint8_t* data, size_t size) {
  quilmark::LoadedBitmap bitmap, fromFile, dispatched, raw;
  const bool read = quilmark::ReadPNGFromMemory(data, size, bitmap);
  const std::string path = quilmark::fuzz::BytesAsFile(data, size);
  if (quilmark::IsPNG(data, size) && quilmark::ReadImageFromMemory(data, size, dispatched) != read) std::abort();
  quilmark::fuzz::CheckReadings(read, quilmark::ReadPNG(path, fromFile), quilmark::DecodePNG(data, size, raw), bitmap,
                                fromFile, raw);
  if (!read) return;
  const auto& info = bitmap.BMPInfoHeader;
  if (quilmark::IsPNG(data, size) && dispatched.BMPPixels != bitmap.BMPPixels) std::abort();
  // Dithering changes only which opaque colour a pixel of a file without a
  // colour table takes: the same pixels are transparent, and a palettised
  // file's pixels are the same. (It holds four bytes a pixel: small images.)
  quilmark::LoadedBitmap dithered;
  if (bitmap.BMPPixels.size() < (1u << 20) &&
      (!quilmark::ReadPNGFromMemory(data, size, dithered, nullptr, quilmark::ColourMatch::Dither) ||
       dithered.BMPPixels.size() != bitmap.BMPPixels.size()))
    std::abort();
  for (size_t i = 0; i < dithered.BMPPixels.size(); ++i)
    if (bitmap.OwnColourTable ? dithered.BMPPixels[i] != bitmap.BMPPixels[i]
                              : (dithered.BMPPixels[i] == quilmark::TransparentIndex) !=
                                    (bitmap.BMPPixels[i] == quilmark::TransparentIndex))
      std::abort();
  if (bitmap.BMPPixels.size() < (1u << 20)) {
    std::vector<uint8_t> file;
    quilmark::LoadedBitmap back;
    if (!quilmark::EncodePNG(bitmap.BMPPixels, info.Width, info.Height, quilmark::GamePalette, file) ||
        !quilmark::ReadPNGFromMemory(file.data(), file.size(), back) || back.BMPPixels != bitmap.BMPPixels)
      std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quilmark::fuzz::UseDistinctGamePalette();
  Check(data, size);
  if (quilmark::IsPNG(data, size)) {
    const std::vector<uint8_t> fixed = RightChecksums(data, size);
    if (!std::equal(fixed.begin(), fixed.end(), data)) Check(fixed.data(), fixed.size());
  }
  return 0;
}
