#include "images/GamePalette.h"

#include <unistd.h>

#include <climits>
#include <cstdio>

namespace quilmark {

Palette GamePalette{};

Palette PaletteFromTriplets(const uint8_t* data, size_t size) {
  uint8_t raw[768] = {};
  for (size_t i = 0; i < sizeof raw && i < size; ++i) raw[i] = data[i];
  Palette palette{};
  for (size_t i = 0; i < 256; ++i) {
    palette[i].Red = raw[3 * i];
    palette[i].Green = raw[3 * i + 1];
    palette[i].Blue = raw[3 * i + 2];
    palette[i].Reserved = 0;
  }
  return palette;
}

bool LoadPalette(const std::string& path) {
  uint8_t raw[768] = {};
  size_t got = 0;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    got = std::fread(raw, 1, sizeof raw, f);
    std::fclose(f);
  }
  GamePalette = PaletteFromTriplets(raw, sizeof raw);
  return got == sizeof raw;
}

std::string DefaultPalettePath() {
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "palette.dat";
  std::string path(exe, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/palette.dat";
}

}  // namespace quilmark
