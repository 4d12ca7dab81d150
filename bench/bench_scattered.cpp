// Loading a file whose records and tables lie far apart, in file bytes per
// second.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <random>

#include "base/LittleEndian.h"
#include "BenchSupport.h"
#include "document/GafIo.h"
#include "document/GafLayout.h"
#include "document/RowCode.h"
#include "document/classGAF.h"

namespace quilmark::bench {
namespace {

// A file of exactly 64 MiB laid out to make the reader jump. Its subframes are
// 512 × 512 sprites, as in the document of the plain load benchmark, raw and
// compressed by turns (game files mix both), four to a frame, in 4
// animations. The subframe records lie at the start of the file, the frames'
// subframe tables in the middle and the frame records at the very end, so
// reading one frame leaps from its record to its table, to each subframe
// record and on to that subframe's data, and back; the leaps between records
// and tables are about 32 MiB. The subframes' data fill the two halves in
// shuffled order; what is left to 64 MiB (under 2 %) lies as zeros between the
// tables and the second half. Of the ~800 leaps, all but a few exceed 1 MiB.
constexpr int64_t kScatteredSize = int64_t{64} << 20;
constexpr int kScatteredSide = 512;
constexpr int kScatteredAnimations = 4;
constexpr int kSubframesPerFrame = 4;

std::vector<uint8_t> ScatteredBytes() {
  using namespace gaf;
  std::vector<std::vector<uint8_t>> data;
  int64_t total = 0;
  std::vector<uint8_t> code;
  for (;;) {
    const auto pixels = SpritePixels(kScatteredSide, kScatteredSide, static_cast<unsigned>(data.size()));
    std::vector<uint8_t> d;
    if (data.size() % 2 == 0) {
      d = pixels;
    } else {
      for (int y = 0; y < kScatteredSide; ++y) {
        EncodeRowPixels(pixels.data() + y * kScatteredSide, kScatteredSide, code);
        d.push_back(static_cast<uint8_t>(code.size()));
        d.push_back(static_cast<uint8_t>(code.size() >> 8));
        d.insert(d.end(), code.begin(), code.end());
      }
    }
    // Room for every record and table of a file this full.
    const auto count = static_cast<int64_t>(data.size()) + 1;
    if (total + static_cast<int64_t>(d.size()) + count * 40 + (int64_t{1} << 16) > kScatteredSize) break;
    total += static_cast<int64_t>(d.size());
    data.push_back(std::move(d));
  }
  constexpr int kGroup = kScatteredAnimations * kSubframesPerFrame;
  data.resize(data.size() / kGroup * kGroup);
  const int subframes = static_cast<int>(data.size());
  const int frames = subframes / kSubframesPerFrame;
  const int per_animation = frames / kScatteredAnimations;
  total = 0;
  for (const auto& d : data) total += static_cast<int64_t>(d.size());

  std::vector<uint8_t> file(static_cast<size_t>(kScatteredSize), 0);
  auto put32 = [&](int64_t at, int64_t v) { le::Put32(file.data() + at, static_cast<int32_t>(v)); };
  auto record = [&](int64_t at, int subs, int compressed, int64_t data_at) {
    uint8_t* r = file.data() + at;
    le::Put16(r + 0, kScatteredSide);
    le::Put16(r + 2, kScatteredSide);
    r[8] = TransparentIndex;
    r[9] = static_cast<uint8_t>(compressed);
    r[10] = static_cast<uint8_t>(subs);
    le::Put32(r + 16, static_cast<int32_t>(data_at));
  };
  const int64_t head = static_cast<int64_t>(kHeaderSize) + 4 * kScatteredAnimations +
                       kScatteredAnimations * (static_cast<int64_t>(kEntrySize) + per_animation * kFrameEntrySize);
  const int64_t sub_records = head;
  const int64_t frame_records = kScatteredSize - frames * static_cast<int64_t>(kRecordSize);

  // The data in shuffled order: the first half after the subframe records,
  // then the tables, then the zeros left over, then the second half, which
  // ends where the frame records begin.
  std::vector<int> order(static_cast<size_t>(subframes));
  for (int i = 0; i < subframes; ++i) order[static_cast<size_t>(i)] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  std::vector<int64_t> data_at(static_cast<size_t>(subframes));
  int64_t at = sub_records + subframes * static_cast<int64_t>(kRecordSize);
  int64_t tables = 0, placed = 0;
  for (const int sub : order) {
    const auto& d = data[static_cast<size_t>(sub)];
    if (tables == 0 && placed >= total / 2) {
      tables = at;
      at = frame_records - (total - placed);
      if (at < tables + frames * 4 * kSubframesPerFrame) std::abort();
    }
    data_at[static_cast<size_t>(sub)] = at;
    std::memcpy(file.data() + at, d.data(), d.size());
    at += static_cast<int64_t>(d.size());
    placed += static_cast<int64_t>(d.size());
  }

  le::Put32(file.data(), kVersion);
  put32(4, kScatteredAnimations);
  int64_t entry = static_cast<int64_t>(kHeaderSize) + 4 * kScatteredAnimations;
  for (int a = 0; a < kScatteredAnimations; ++a) {
    put32(static_cast<int64_t>(kHeaderSize) + 4 * a, entry);
    le::Put16(file.data() + entry, per_animation);
    std::snprintf(reinterpret_cast<char*>(file.data() + entry + 8), kNameSize, "scattered%d", a);
    for (int f = 0; f < per_animation; ++f) {
      const int frame = a * per_animation + f;
      const int64_t e = entry + static_cast<int64_t>(kEntrySize) + f * static_cast<int64_t>(kFrameEntrySize);
      put32(e, frame_records + frame * static_cast<int64_t>(kRecordSize));
      put32(e + 4, kStillFlag);
      const int64_t table = tables + frame * 4 * kSubframesPerFrame;
      record(frame_records + frame * static_cast<int64_t>(kRecordSize), kSubframesPerFrame, 0, table);
      for (int k = 0; k < kSubframesPerFrame; ++k) {
        const int sub = frame * kSubframesPerFrame + k;
        const int64_t r = sub_records + sub * static_cast<int64_t>(kRecordSize);
        put32(table + 4 * k, r);
        record(r, 0, sub % 2, data_at[static_cast<size_t>(sub)]);
      }
    }
    entry += static_cast<int64_t>(kEntrySize) + per_animation * static_cast<int64_t>(kFrameEntrySize);
  }
  return file;
}

const std::string& ScatteredFile() {
  static const BenchFile file{[] {
    const std::string p = TempPath("scattered.gaf");
    const std::vector<uint8_t> bytes = ScatteredBytes();
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
    return p;
  }()};
  return file.path;
}

// What one load in the loading process took.
struct LoadTiming {
  double seconds = -1;  // negative: the load failed
  double read_per_byte = 0;
};

// Loads the file on request in a process of its own. Pixel memory costs a
// page fault per 4 KiB the first time it is touched (about 12 µs each on the
// virtual machines this runs on), and whether the memory freed by one load is
// kept for the next or handed back depends on the allocator's history in the
// benchmark program: the plain load benchmark happens to keep it. Here it is
// kept for certain (the allocator is told to keep freed memory and to take
// pixel buffers from its heap), and one load before the first timed one
// touches it, so that what is timed is the reading, as in the plain benchmark.
class LoadingProcess {
 public:
  explicit LoadingProcess(const std::string& path) {
    int request[2], reply[2];
    if (::pipe(request) != 0 || ::pipe(reply) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(request[1]);
      ::close(reply[0]);
      Serve(path, request[0], reply[1]);
    }
    ::close(request[0]);
    ::close(reply[1]);
    request_ = request[1];
    reply_ = reply[0];
  }
  ~LoadingProcess() {
    if (pid_ <= 0) return;
    ::close(request_);
    ::close(reply_);
    ::waitpid(pid_, nullptr, 0);
  }
  LoadTiming Load() {
    LoadTiming timing;
    const char go = 1;
    if (pid_ <= 0 || ::write(request_, &go, 1) != 1 ||
        ::read(reply_, &timing, sizeof timing) != static_cast<ssize_t>(sizeof timing))
      timing.seconds = -1;
    return timing;
  }

 private:
  [[noreturn]] static void Serve(const std::string& path, int requests, int replies) {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    LoadOnce(path);
    for (char go; ::read(requests, &go, 1) == 1;) {
      const LoadTiming timing = LoadOnce(path);
      if (::write(replies, &timing, sizeof timing) != static_cast<ssize_t>(sizeof timing)) break;
    }
    ::_exit(0);
  }
  static LoadTiming LoadOnce(const std::string& path) {
    LoadTiming timing;
    const auto start = std::chrono::steady_clock::now();
    classGAF doc;
    GafInput in;
    if (in.OpenFile(path) && in.Size() == kScatteredSize) {
      doc.Load(in);
      if (in.Report().complete) {
        timing.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        timing.read_per_byte = static_cast<double>(in.BytesRead()) / static_cast<double>(kScatteredSize);
      }
    }
    return timing;
  }

  pid_t pid_ = -1;
  int request_ = -1;
  int reply_ = -1;
};

void BM_GafLoadScattered(benchmark::State& state) {
  LoadingProcess process(ScatteredFile());
  double read = 0;
  for (auto _ : state) {
    const LoadTiming timing = process.Load();
    if (timing.seconds < 0) return state.SkipWithError("scattered load failed or incomplete");
    state.SetIterationTime(timing.seconds);
    read = timing.read_per_byte;
  }
  state.counters["gaf_load_scattered_MBps"] = benchmark::Counter(
      static_cast<double>(kScatteredSize) * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
  // Bytes read from the file per byte it holds.
  state.counters["read_per_file_byte"] = read;
}
BENCHMARK(BM_GafLoadScattered)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace quilmark::bench
