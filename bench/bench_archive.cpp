// Packing speed of the UFO writer against zlib alone on the same bytes.
//
// hpi_pack_MBps packs a 64 MiB GAF file into an archive through the archive
// calls the editor uses (file read, chunking, checksums, the atomic write with
// its flush to disk); zlib_compress_MBps compresses the same bytes in the same
// 64 KiB chunks at the same level with nothing around it. Packing should reach
// at least 90% of zlib's rate: everything but compression is meant to be noise.
// Both run at HpiWriter::kDefaultLevel (1): on sprite data the default level 6
// makes the archive only about 4% smaller (11.1% against 11.6% of the GAF file
// here) while packing about 2.4 times slower. Each result also carries its rate
// as a share of memcpy over the same bytes in the same run (of_memcpy).
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "archive/HpiWriter.h"
#include "archive/modHPIUtil.h"
#include "document/classGAF.h"

namespace {

constexpr size_t kTargetSize = 64u << 20;

// A document of sprite-like frames: a transparent background around shaded
// blobs with a little noise, as drawn units look. About 64 MiB once saved.
struct BenchFiles {
  std::string folder;
  std::string gaf;
  std::string archive;
  std::vector<uint8_t> bytes;

  BenchFiles() {
    folder = (std::filesystem::temp_directory_path() / ("quilmark-bench-archive-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    gaf = folder + "/units.gaf";
    archive = folder + "/units.ufo";
    quilmark::classGAF doc;
    std::mt19937 gen(1234);
    const int side = 256;
    const size_t frames = kTargetSize / (side * side);
    for (int a = 0; a < 16; ++a) {
      auto animation = std::make_shared<quilmark::classGAFAnimation>();
      animation->Name = "unit" + std::to_string(a);
      for (size_t f = 0; f < frames / 16; ++f) {
        auto frame = std::make_shared<quilmark::classGAFFrame>();
        frame->SetWidth(side);
        frame->SetHeight(side);
        const int cx = 64 + static_cast<int>(gen() % 128), cy = 64 + static_cast<int>(gen() % 128);
        const int r = 30 + static_cast<int>(gen() % 60);
        const uint8_t base = static_cast<uint8_t>(16 * (gen() % 14) + 16);
        for (int y = 0; y < side; ++y) {
          for (int x = 0; x < side; ++x) {
            const int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            uint8_t v = quilmark::TransparentIndex;
            if (d2 < r * r) v = static_cast<uint8_t>(base + (d2 * 12) / (r * r) + gen() % 6);
            frame->Pixels[static_cast<size_t>(y * side + x)] = v;
          }
        }
        animation->Frames.Add(frame);
      }
      doc.Animations.Add(animation, animation->Name);
    }
    if (!doc.Save(gaf)) std::abort();
    std::ifstream in(gaf, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  ~BenchFiles() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
};

BenchFiles& Files() {
  static BenchFiles files;
  return files;
}

// Compresses every 64 KiB chunk as a complete zlib stream, as the writer does.
size_t CompressChunks(const std::vector<uint8_t>& bytes, z_stream& zs, std::vector<uint8_t>& out) {
  size_t total = 0;
  for (size_t at = 0; at < bytes.size(); at += quilmark::HpiWriter::kChunkSize) {
    const size_t n = std::min<size_t>(quilmark::HpiWriter::kChunkSize, bytes.size() - at);
    deflateReset(&zs);
    zs.next_in = const_cast<Bytef*>(bytes.data() + at);
    zs.avail_in = static_cast<uInt>(n);
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    if (deflate(&zs, Z_FINISH) != Z_STREAM_END) std::abort();
    total += zs.total_out;
  }
  return total;
}

double SecondsOf(const std::function<void()>& work, int rounds) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / rounds;
}

// Reference rates measured once in this run, for the ratios the results carry.
double MemcpyBytesPerSecond() {
  static const double rate = [] {
    const std::vector<uint8_t>& bytes = Files().bytes;
    std::vector<uint8_t> copy(bytes.size());
    return static_cast<double>(bytes.size()) /
           SecondsOf([&] { std::memcpy(copy.data(), bytes.data(), bytes.size()); benchmark::DoNotOptimize(copy.data()); }, 8);
  }();
  return rate;
}

// Bytes per second for the table, and the headline figure in MB/s.
void SetRate(benchmark::State& state, const char* name, size_t bytes_per_iteration) {
  const double bytes = static_cast<double>(bytes_per_iteration) * static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
  state.counters[name] = benchmark::Counter(bytes / 1e6, benchmark::Counter::kIsRate);
}

// Times the loop itself so that results can be given as shares of the reference rates.
class Stopwatch {
 public:
  Stopwatch() : start_(std::chrono::steady_clock::now()) {}
  double BytesPerSecond(benchmark::State& state, size_t bytes) const {
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    return s > 0 ? static_cast<double>(state.iterations()) * static_cast<double>(bytes) / s : 0.0;
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

void zlib_compress_MBps(benchmark::State& state) {
  const std::vector<uint8_t>& bytes = Files().bytes;
  const double memcpy_rate = MemcpyBytesPerSecond();
  z_stream zs{};
  if (deflateInit(&zs, quilmark::HpiWriter::kDefaultLevel) != Z_OK) std::abort();
  std::vector<uint8_t> out(deflateBound(&zs, quilmark::HpiWriter::kChunkSize));
  size_t compressed = 0;
  const Stopwatch watch;
  for (auto _ : state) {
    compressed = CompressChunks(bytes, zs, out);
    benchmark::DoNotOptimize(compressed);
  }
  const double rate = watch.BytesPerSecond(state, bytes.size());
  deflateEnd(&zs);
  SetRate(state, "zlib_compress_MBps", bytes.size());
  state.counters["size_ratio"] = static_cast<double>(compressed) / static_cast<double>(bytes.size());
  state.counters["of_memcpy"] = rate / memcpy_rate;
}

void hpi_pack_MBps(benchmark::State& state) {
  BenchFiles& files = Files();
  const double memcpy_rate = MemcpyBytesPerSecond();
  const Stopwatch watch;
  for (auto _ : state) {
    const int32_t h = quilmark::HPICreate(files.archive);
    if (h == 0 || quilmark::HPIAddFile(h, "textures\\units.gaf", files.gaf) == 0 ||
        quilmark::HPIPackArchive(h, 1) == 0) {
      state.SkipWithError(quilmark::HPILastError().c_str());
      break;
    }
  }
  const double rate = watch.BytesPerSecond(state, files.bytes.size());
  SetRate(state, "hpi_pack_MBps", files.bytes.size());
  std::error_code ec;
  state.counters["size_ratio"] =
      static_cast<double>(std::filesystem::file_size(files.archive, ec)) / static_cast<double>(files.bytes.size());
  state.counters["of_memcpy"] = rate / memcpy_rate;
}

}  // namespace

BENCHMARK(zlib_compress_MBps)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(hpi_pack_MBps)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
