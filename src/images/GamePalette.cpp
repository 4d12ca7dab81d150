#include "images/GamePalette.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <iterator>

#include "base/FileAccess.h"

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

PaletteLoad ReadPalette(const std::string& path) {
  uint8_t raw[768] = {};
  PaletteLoad load;
  InputFile file;
  if (!file.Open(path)) {
    load.problem = file.Error();
  } else {
    const int64_t got = file.ReadAt(raw, sizeof raw, 0);
    if (got < 0) {
      load.problem = file.Error();
    } else if (got == 0) {
      load.problem = "the file is empty";
    } else {
      load.bytes = static_cast<size_t>(got);
    }
  }
  if (!load.Usable()) std::fill(std::begin(raw), std::end(raw), uint8_t{0});
  GamePalette = PaletteFromTriplets(raw, sizeof raw);
  return load;
}

bool LoadPalette(const std::string& path) { return ReadPalette(path).Whole(); }

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string DefaultPalettePath() {
  char exe[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "palette.dat";
  std::string path(exe, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
  const std::string beside = folder + "/palette.dat";
  if (IsRegularFile(beside)) return beside;
  // QUILMARK_DATA_FROM_BIN is the install's data folder seen from its program folder.
  const std::string installed = folder + "/" QUILMARK_DATA_FROM_BIN "/palette.dat";
  return IsRegularFile(installed) ? installed : beside;
}

bool LoadDefaultPalette() {
  if (ReadPalette(DefaultPalettePath()).Whole()) return true;
  GamePalette = BuiltInPalette();
  return false;
}

}  // namespace quilmark
