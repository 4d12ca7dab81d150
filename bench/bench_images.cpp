// Image import speed: reading a 1024 × 1024 8-bit BMP, or a truecolour PNG,
// from a file and mapping its colours to the game palette (or dithering
// them), as every imported frame does. The figures are pixels per second, counted as bytes (one byte a
// pixel); main's summary sets them beside memcpy_GBps of the same run.
#include <benchmark/benchmark.h>
#include <spng.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "images/GamePalette.h"
#include "images/modBmp.h"
#include "images/modPng.h"

namespace {

constexpr int kSide = 1024;

void SetGamePalette() {
  for (size_t i = 0; i < 256; ++i)
    quilmark::GamePalette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                static_cast<uint8_t>((i * 7) & 255), 0};
}

// A sprite-like image written with a colour table that is not the game's, so
// that the remap has to search the palette for every colour.
struct BmpFile {
  std::string path = quilmark::bench::TempPath("bench-read-remap.bmp");
  BmpFile() {
    SetGamePalette();
    quilmark::Palette own{};
    for (size_t i = 0; i < 256; ++i)
      own[i] = {static_cast<uint8_t>((i * 5) & 255), static_cast<uint8_t>((i * 3) & 255), static_cast<uint8_t>(i), 0};
    const std::vector<uint8_t> pixels = quilmark::bench::SpritePixels(kSide, kSide, 7);
    if (!quilmark::WriteBMP(path, pixels, own, kSide, kSide, true)) std::abort();
  }
  ~BmpFile() { std::remove(path.c_str()); }
};

// The same sprite as 8-bit RGB pixels of the game colours, written by libspng
// with its default settings (deflate level 6, a filter chosen per row), as a
// paint program would save it.
struct PngFile {
  std::string path = quilmark::bench::TempPath("bench-read-remap.png");
  PngFile() {
    SetGamePalette();
    const std::vector<uint8_t> indices = quilmark::bench::SpritePixels(kSide, kSide, 7);
    std::vector<uint8_t> rgb;
    rgb.reserve(indices.size() * 3);
    for (uint8_t i : indices)
      rgb.insert(rgb.end(), {quilmark::GamePalette[i].Red, quilmark::GamePalette[i].Green, quilmark::GamePalette[i].Blue});
    spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
    spng_ihdr ihdr{};
    ihdr.width = ihdr.height = kSide;
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!ctx || !file || spng_set_png_file(ctx, file) != 0 || spng_set_ihdr(ctx, &ihdr) != 0 ||
        spng_encode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0)
      std::abort();
    spng_ctx_free(ctx);
    std::fclose(file);
  }
  ~PngFile() { std::remove(path.c_str()); }
};

}  // namespace

namespace {

// Reads the file with read again and again: its pixels per second as bytes
// under counter.
void ReadRemap(benchmark::State& state, const std::string& path,
               bool (*read)(const std::string&, quilmark::LoadedBitmap&, std::string*), const char* counter) {
  quilmark::LoadedBitmap bitmap;
  for (auto _ : state) {
    if (!read(path, bitmap, nullptr)) {
      state.SkipWithError("the image could not be read");
      break;
    }
    benchmark::DoNotOptimize(bitmap.BMPPixels.data());
  }
  const double bytes = static_cast<double>(kSide) * kSide * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters[counter] = benchmark::Counter(bytes / 1e9, benchmark::Counter::kIsRate);
}

}  // namespace

static void BM_BmpReadRemap(benchmark::State& state) {
  static BmpFile file;
  ReadRemap(state, file.path, quilmark::ReadBMP, "bmp_read_remap_GBps");
}
BENCHMARK(BM_BmpReadRemap)->Unit(benchmark::kMillisecond)->MinTime(1.0);

static void BM_PngReadRemap(benchmark::State& state) {
  static PngFile file;
  ReadRemap(
      state, file.path,
      [](const std::string& path, quilmark::LoadedBitmap& out, std::string* why) {
        return quilmark::ReadPNG(path, out, why);
      },
      "png_read_remap_GBps");
}
BENCHMARK(BM_PngReadRemap)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The same file dithered (Floyd-Steinberg) into the game palette, as the
// import's "Dither colours" option reads it.
static void BM_PngReadDither(benchmark::State& state) {
  static PngFile file;
  ReadRemap(
      state, file.path,
      [](const std::string& path, quilmark::LoadedBitmap& out, std::string* why) {
        return quilmark::ReadPNG(path, out, why, quilmark::ColourMatch::Dither);
      },
      "png_read_dither_GBps");
}
BENCHMARK(BM_PngReadDither)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The same file taken apart by libspng alone, from memory, into its RGB rows
// and nothing more: the ceiling for png_read_remap_GBps with this decoder.
static void BM_PngLibspngOnly(benchmark::State& state) {
  static PngFile file;
  std::FILE* in = std::fopen(file.path.c_str(), "rb");
  std::vector<uint8_t> bytes(size_t{64} << 20);
  bytes.resize(in ? std::fread(bytes.data(), 1, bytes.size(), in) : 0);
  if (in) std::fclose(in);
  std::vector<uint8_t> row(size_t{kSide} * 3);
  for (auto _ : state) {
    spng_ctx* ctx = spng_ctx_new(0);
    int status = spng_set_png_buffer(ctx, bytes.data(), bytes.size());
    if (status == 0) status = spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RAW, SPNG_DECODE_PROGRESSIVE);
    while (status == 0) status = spng_decode_scanline(ctx, row.data(), row.size());
    spng_ctx_free(ctx);
    if (status != SPNG_EOI) {
      state.SkipWithError("libspng could not read the file");
      break;
    }
    benchmark::DoNotOptimize(row.data());
  }
  const double bytesDone = static_cast<double>(kSide) * kSide * static_cast<double>(state.iterations());
  state.counters["png_libspng_only_GBps"] = benchmark::Counter(bytesDone / 1e9, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PngLibspngOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
