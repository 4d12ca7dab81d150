// libFuzzer harness for the BMP reader: arbitrary bytes must be refused or
// read, never crash, read out of bounds or allocate beyond what they describe.
// The same bytes are read from memory and, as a file, a band at a time; both
// must agree, and translating while decoding must equal translating after.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/classGAFFrame.h"
#include "images/GamePalette.h"
#include "images/modBmp.h"

namespace {

// A file in memory that ReadBMP opens by name like any other regular file.
int BytesAsFile(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("fuzz-bmp", MFD_CLOEXEC);
  if (fd < 0 || ftruncate(fd, 0) != 0) std::abort();
  for (size_t done = 0; done < size;) {
    const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) std::abort();
    done += static_cast<size_t>(n);
  }
  return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool once = [] {
    // A palette with every colour distinct, so remapping does real work.
    for (size_t i = 0; i < 256; ++i)
      quilmark::GamePalette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                  static_cast<uint8_t>(i * 7), 0};
    return true;
  }();
  (void)once;
  quilmark::LoadedBitmap bitmap, fromFile, raw;
  const bool read = quilmark::ReadBMPFromMemory(data, size, bitmap);
  const std::string path = "/proc/self/fd/" + std::to_string(BytesAsFile(data, size));
  if (quilmark::ReadBMP(path, fromFile) != read || quilmark::DecodeBMP(data, size, raw) != read) std::abort();
  if (!read) return 0;
  const auto& info = bitmap.BMPInfoHeader;
  if (info.Width <= 0 || info.Height <= 0 || info.Width > quilmark::kMaxFrameSide ||
      info.Height > quilmark::kMaxFrameSide ||
      bitmap.BMPPixels.size() != static_cast<size_t>(info.Width) * static_cast<size_t>(info.Height))
    std::abort();
  quilmark::RemapToGamePalette(raw);
  if (fromFile.BMPPixels != bitmap.BMPPixels || raw.BMPPixels != bitmap.BMPPixels) std::abort();
  // What was read must write out again.
  std::vector<uint8_t> file;
  if (bitmap.BMPPixels.size() < (1u << 22) &&
      !quilmark::EncodeBMP(bitmap.BMPPixels, quilmark::GamePalette, info.Width, info.Height, true, file))
    std::abort();
  return 0;
}
