// Row code and whole-document throughput, each beside memcpy of the same bytes.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>

#include "BenchSupport.h"
#include "document/RowCode.h"
#include "document/classGAF.h"
#include "images/GamePalette.h"
#include "images/Manifest.h"

namespace quilmark::bench {
namespace {

constexpr int kSide = kBigSide;
constexpr int kFrames = kBigFrames;
constexpr double kGB = 1e9;

void SetRate(benchmark::State& state, const char* name, double bytes_per_iteration) {
  state.SetBytesProcessed(static_cast<int64_t>(bytes_per_iteration * static_cast<double>(state.iterations())));
  state.counters[name] =
      benchmark::Counter(bytes_per_iteration * static_cast<double>(state.iterations()) / kGB, benchmark::Counter::kIsRate);
}

constexpr int kRows = kSide * kFrames;

// The rows' code back to back, as a file holds it, with the read-ahead slack
// the loader's buffer has.
struct EncodedImage {
  std::vector<uint8_t> code;
  std::vector<size_t> start;
  std::vector<int32_t> count;
};
const EncodedImage& Encoded() {
  static const EncodedImage encoded = [] {
    EncodedImage e;
    std::vector<uint8_t> row;
    for (int y = 0; y < kRows; ++y) {
      EncodeRowPixels(BigDocumentPixels().data() + static_cast<size_t>(y) * kSide, kSide, row);
      e.start.push_back(e.code.size());
      e.count.push_back(static_cast<int32_t>(row.size()));
      e.code.insert(e.code.end(), row.begin(), row.end());
    }
    e.code.resize(e.code.size() + kRowCodePadding);
    return e;
  }();
  return encoded;
}

void BM_Memcpy(benchmark::State& state) {
  const size_t size = static_cast<size_t>(kSide) * kSide * kFrames;  // the document's 64 MiB
  std::vector<uint8_t> from(size, 1), to(size);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), size);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  SetRate(state, "memcpy_GBps", static_cast<double>(size));
}
BENCHMARK(BM_Memcpy)->MinTime(0.3);

// One image at a time, as loading does, into pixels left as the last image
// had them: the decoder sets every pixel itself.
void DecodeImages(benchmark::State& state, RowDecoder kind, const char* counter) {
  std::vector<uint8_t> pixels(BigDocumentPixels().size());
  const EncodedImage& e = Encoded();
  constexpr int64_t kImage = int64_t{kSide} * kSide;
  for (auto _ : state) {
    for (int f = 0; f < kFrames; ++f) {
      RowsProgress progress;
      uint8_t* image = pixels.data() + f * kImage;
      for (int y = 0; y < kSide; ++y) {
        const int row = f * kSide + y;
        DecodeRowsPixelsWith(kind, e.code.data() + e.start[row], e.count[row], image, kImage,
                             static_cast<int64_t>(y) * kSide, kSide, true, progress);
      }
      FinishRowsPixels(image, kImage, progress);
    }
    benchmark::DoNotOptimize(pixels.data());
  }
  SetRate(state, counter, static_cast<double>(pixels.size()));
}

void BM_RowDecode(benchmark::State& state) {
  DecodeImages(state, BestRowDecoder(), "row_decode_GBps");  // the loader's choice
}
BENCHMARK(BM_RowDecode)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// Each decoder on its own, for comparison.
void BM_RowDecodeWith(benchmark::State& state) {
  const auto kind = static_cast<RowDecoder>(state.range(0));
  if (!RowDecoderAvailable(kind)) return state.SkipWithError("not offered by this processor");
  static const char* const names[] = {"decoder_exact_GBps", "decoder_sse2_GBps", "decoder_avx512_GBps"};
  DecodeImages(state, kind, names[state.range(0)]);
}
BENCHMARK(BM_RowDecodeWith)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void BM_RowEncode(benchmark::State& state) {
  std::vector<uint8_t> code;
  const std::vector<uint8_t>& pixels = BigDocumentPixels();
  for (auto _ : state) {
    for (int y = 0; y < kRows; ++y) EncodeRowPixels(pixels.data() + static_cast<size_t>(y) * kSide, kSide, code);
    benchmark::DoNotOptimize(code.data());
  }
  SetRate(state, "row_encode_GBps", static_cast<double>(pixels.size()));
}
BENCHMARK(BM_RowEncode)->Unit(benchmark::kMillisecond)->MinTime(0.5);

constexpr double kDocumentPixels = kBigPixels;

void BM_GafSave(benchmark::State& state) {
  const auto doc = MakeBigDocument();
  const std::string path = TempPath("save.gaf");
  for (auto _ : state) {
    if (!doc->Save(path).ok) state.SkipWithError("save failed");
  }
  ::unlink(path.c_str());
  SetRate(state, "gaf_save_GBps", kDocumentPixels);
}
BENCHMARK(BM_GafSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_GafLoad(benchmark::State& state) {
  const std::string& path = SavedBigDocument();
  for (auto _ : state) {
    classGAF doc;
    LoadReport report;
    report = doc.Load(path);
    if (!report.complete) state.SkipWithError("load incomplete");
    benchmark::DoNotOptimize(doc.Animations.Count());
  }
  SetRate(state, "gaf_load_GBps", kDocumentPixels);
}
BENCHMARK(BM_GafLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Growth of peak resident memory while a document loads, per pixel byte.
void BM_GafLoadPeak(benchmark::State& state) {
  const std::string& path = SavedBigDocument();
  double ratio = 0;
  for (auto _ : state) {
    // Memory freed by earlier benchmarks goes back to the system first, so
    // that the load cannot hide in it.
    malloc_trim(0);
    ResetPeakResident();
    const uint64_t before = ResidentBytes();
    {
      classGAF doc;
      doc.Load(path);
      ratio = static_cast<double>(PeakResidentBytes() - before) / kDocumentPixels;
    }
  }
  state.counters["gaf_load_peak_bytes_per_pixel"] = ratio;
}
BENCHMARK(BM_GafLoadPeak)->Iterations(1)->Unit(benchmark::kMillisecond);

// Opening the document as a user's first command does: a fresh process
// (quilmark-cli info) that starts, loads the file, reports on it and exits,
// timed from start to exit. Nothing of it is warm but the file in the page
// cache: the process pays for every page its pixels take.
void BM_GafOpenFreshProcess(benchmark::State& state) {
  const std::string& path = SavedBigDocument();
  const std::string cli = ProgramBeside("quilmark-cli");
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int status = RunQuietly({cli, "info", path});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (status != 0) {
      state.SkipWithError("quilmark-cli info failed");
      break;
    }
    total += seconds;
    state.SetIterationTime(seconds);
  }
  if (total > 0)
    state.counters["gaf_open_fresh_process_GBps"] =
        kDocumentPixels * static_cast<double>(state.iterations()) / total / kGB;
}
BENCHMARK(BM_GafOpenFreshProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The document exploded into a folder of PNG images and imploded back: pixel
// bytes per second of the pair. The game palette is set, so that the images
// keep their indices as explode's own output does.
void BM_ExplodeImplode(benchmark::State& state) {
  for (int i = 0; i < 256; ++i) GamePalette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 3), 0};
  const auto doc = MakeBigDocument();
  const std::string folder = TempPath("folder");
  std::filesystem::create_directories(folder);
  for (auto _ : state) {
    std::vector<std::string> errors;
    if (!ExplodeDocument(*doc, folder, "png", errors)) state.SkipWithError("explode failed");
    classGAF back;
    std::string error;
    if (!ImplodeDocument(folder, back, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(back.Animations.Count());
  }
  std::filesystem::remove_all(folder);
  state.counters["explode_implode_MBps"] = benchmark::Counter(
      kDocumentPixels * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExplodeImplode)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace quilmark::bench
