// Bitmap import speed: reading a 1024 × 1024 8-bit BMP from a file and mapping
// its colours to the game palette, as every imported frame does. The figure
// is pixels per second, counted as bytes (one byte a pixel); main's summary
// sets it beside memcpy_GBps of the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "images/GamePalette.h"
#include "images/modBmp.h"

namespace {

constexpr int kSide = 1024;

// A sprite-like image written with a colour table that is not the game's, so
// that the remap has to search the palette for every colour.
struct BmpFile {
  std::string path = quilmark::bench::TempPath("bench-read-remap.bmp");
  BmpFile() {
    for (size_t i = 0; i < 256; ++i)
      quilmark::GamePalette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                  static_cast<uint8_t>((i * 7) & 255), 0};
    quilmark::Palette own{};
    for (size_t i = 0; i < 256; ++i)
      own[i] = {static_cast<uint8_t>((i * 5) & 255), static_cast<uint8_t>((i * 3) & 255), static_cast<uint8_t>(i), 0};
    const std::vector<uint8_t> pixels = quilmark::bench::SpritePixels(kSide, kSide, 7);
    if (!quilmark::WriteBMP(path, pixels, own, kSide, kSide, true)) std::abort();
  }
  ~BmpFile() { std::remove(path.c_str()); }
};

}  // namespace

static void BM_BmpReadRemap(benchmark::State& state) {
  static BmpFile file;
  quilmark::LoadedBitmap bitmap;
  for (auto _ : state) {
    if (!quilmark::ReadBMP(file.path, bitmap)) {
      state.SkipWithError("the bitmap could not be read");
      break;
    }
    benchmark::DoNotOptimize(bitmap.BMPPixels.data());
  }
  const double bytes = static_cast<double>(kSide) * kSide * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters["bmp_read_remap_GBps"] = benchmark::Counter(bytes / 1e9, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BmpReadRemap)->Unit(benchmark::kMillisecond)->MinTime(1.0);
