#include "BenchSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace quilmark::bench {

std::vector<uint8_t> SpritePixels(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = pixels.data() + static_cast<size_t>(y) * width;
    int x = 0;
    while (x < width) {
      const unsigned kind = rng() % 6;
      int length = 1 + static_cast<int>(rng() % 24);
      if (length > width - x) length = width - x;
      if (kind < 2) {
        std::memset(row + x, 9, static_cast<size_t>(length));  // transparent
      } else if (kind < 4) {
        std::memset(row + x, static_cast<int>(16 + rng() % 200), static_cast<size_t>(length));  // one colour
      } else {
        for (int i = 0; i < length; ++i) row[x + i] = static_cast<uint8_t>(16 + rng() % 200);  // shading
      }
      x += length;
    }
  }
  return pixels;
}

namespace {
uint64_t StatusField(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(in, line))
    if (line.compare(0, n, field) == 0) return std::stoull(line.substr(n + 1)) * 1024;
  return 0;
}
}  // namespace

uint64_t ResidentBytes() { return StatusField("VmRSS"); }
uint64_t PeakResidentBytes() { return StatusField("VmHWM"); }

void ResetPeakResident() {
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/quilmark-bench-" + std::to_string(::getpid()) + "-" + name;
}

BenchFile::~BenchFile() { ::unlink(path.c_str()); }

}  // namespace quilmark::bench
