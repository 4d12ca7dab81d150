// Pieces the harnesses share.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "document/classGAFFrame.h"
#include "images/GamePalette.h"
#include "images/modBmp.h"

namespace quilmark::fuzz {

// The input as a regular file that readers open by name: one file in memory,
// rewritten for every input.
inline std::string BytesAsFile(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("fuzz-input", MFD_CLOEXEC);
  if (fd < 0 || ::ftruncate(fd, 0) != 0) __builtin_trap();
  for (size_t done = 0; done < size;) {
    const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) __builtin_trap();
    done += static_cast<size_t>(n);
  }
  return "/proc/self/fd/" + std::to_string(fd);
}

// A game palette whose colours all differ, so that mapping does real work and
// written indices read back unchanged. Set once.
inline void UseDistinctGamePalette() {
  static const bool once = [] {
    for (size_t i = 0; i < 256; ++i)
      GamePalette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7), 0};
    return true;
  }();
  (void)once;
}

// An image read from the input as three readers give it (the reader named,
// the same reading a file, the decoder before mapping), which must agree: the
// same answer, and when read a size within the frame limits that its pixels
// fill, and the same pixels and the same mapping report once the raw one is
// mapped.
inline void CheckReadings(bool read, bool fromFileRead, bool rawRead, const LoadedBitmap& bitmap,
                          const LoadedBitmap& fromFile, LoadedBitmap& raw) {
  if (fromFileRead != read || rawRead != read) std::abort();
  if (!read) return;
  const auto& info = bitmap.BMPInfoHeader;
  if (info.Width <= 0 || info.Height <= 0 || info.Width > kMaxFrameSide || info.Height > kMaxFrameSide ||
      bitmap.BMPPixels.size() != static_cast<size_t>(info.Width) * static_cast<size_t>(info.Height))
    std::abort();
  RemapToGamePalette(raw);
  if (fromFile.BMPPixels != bitmap.BMPPixels || raw.BMPPixels != bitmap.BMPPixels) std::abort();
  // What the mapping did is weighed alike, whenever it is done.
  if (fromFile.Mapping != bitmap.Mapping || raw.Mapping != bitmap.Mapping) std::abort();
}

}  // namespace quilmark::fuzz
