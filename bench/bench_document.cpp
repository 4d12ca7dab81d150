// Row code and whole-document throughput, each beside memcpy of the same bytes.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>

#include "BenchSupport.h"
#include "document/GafIo.h"
#include "document/GafLayout.h"
#include "document/RowCode.h"
#include "document/classGAF.h"

namespace quilmark::bench {
namespace {

constexpr int kSide = 512;
// 256 frames of 512 × 512: 64 MiB of pixels.
constexpr int kFrames = 256;
constexpr double kGB = 1e9;

void SetRate(benchmark::State& state, const char* name, double bytes_per_iteration) {
  state.SetBytesProcessed(static_cast<int64_t>(bytes_per_iteration * static_cast<double>(state.iterations())));
  state.counters[name] =
      benchmark::Counter(bytes_per_iteration * static_cast<double>(state.iterations()) / kGB, benchmark::Counter::kIsRate);
}

// The document's pixels, frame after frame: every frame different, as in a
// real file, so that neither the caches nor branch prediction learn one image.
const std::vector<uint8_t>& Image() {
  static const std::vector<uint8_t> pixels = [] {
    std::vector<uint8_t> all;
    all.reserve(static_cast<size_t>(kSide) * kSide * kFrames);
    for (int f = 0; f < kFrames; ++f) {
      const auto frame = SpritePixels(kSide, kSide, static_cast<unsigned>(f));
      all.insert(all.end(), frame.begin(), frame.end());
    }
    return all;
  }();
  return pixels;
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
      EncodeRowPixels(Image().data() + static_cast<size_t>(y) * kSide, kSide, row);
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
  std::vector<uint8_t> pixels(Image().size());
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
  const std::vector<uint8_t>& pixels = Image();
  for (auto _ : state) {
    for (int y = 0; y < kRows; ++y) EncodeRowPixels(pixels.data() + static_cast<size_t>(y) * kSide, kSide, code);
    benchmark::DoNotOptimize(code.data());
  }
  SetRate(state, "row_encode_GBps", static_cast<double>(pixels.size()));
}
BENCHMARK(BM_RowEncode)->Unit(benchmark::kMillisecond)->MinTime(0.5);

// The document: 8 animations of 32 compressed 512 × 512 frames.
std::unique_ptr<classGAF> MakeDocument() {
  auto doc = std::make_unique<classGAF>();
  for (int a = 0; a < 8; ++a) {
    auto animation = std::make_shared<classGAFAnimation>();
    animation->Name = "anim" + std::to_string(a);
    for (int f = 0; f < kFrames / 8; ++f) {
      auto frame = std::make_shared<classGAFFrame>();
      frame->SetWidth(kSide);
      frame->SetHeight(kSide);
      const auto* first = Image().data() + static_cast<size_t>(kSide) * kSide * (a * (kFrames / 8) + f);
      frame->Pixels.assign(first, first + static_cast<size_t>(kSide) * kSide);
      frame->SetCompressed(true);
      animation->Frames.Add(frame);
    }
    doc->Animations.Add(animation, animation->Name);
  }
  return doc;
}

constexpr double kDocumentPixels = static_cast<double>(kSide) * kSide * kFrames;

// A file the benchmarks write once and that goes with the process.
struct BenchFile {
  std::string path;
  ~BenchFile() { ::unlink(path.c_str()); }
};

// The saved document, written once for the load benchmarks.
const std::string& SavedDocument() {
  static const BenchFile file{[] {
    const std::string p = TempPath("load.gaf");
    MakeDocument()->Save(p);
    return p;
  }()};
  return file.path;
}

void BM_GafSave(benchmark::State& state) {
  const auto doc = MakeDocument();
  const std::string path = TempPath("save.gaf");
  for (auto _ : state) {
    if (!doc->Save(path).ok) state.SkipWithError("save failed");
  }
  ::unlink(path.c_str());
  SetRate(state, "gaf_save_GBps", kDocumentPixels);
}
BENCHMARK(BM_GafSave)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_GafLoad(benchmark::State& state) {
  const std::string& path = SavedDocument();
  for (auto _ : state) {
    classGAF doc;
    LoadReport report;
    doc.Load(path, nullptr, &report);
    if (!report.complete) state.SkipWithError("load incomplete");
    benchmark::DoNotOptimize(doc.Animations.Count());
  }
  SetRate(state, "gaf_load_GBps", kDocumentPixels);
}
BENCHMARK(BM_GafLoad)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// Growth of peak resident memory while a document loads, per pixel byte.
void BM_GafLoadPeak(benchmark::State& state) {
  const std::string& path = SavedDocument();
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
  ::unlink(path.c_str());
}
BENCHMARK(BM_GafLoadPeak)->Iterations(1)->Unit(benchmark::kMillisecond);

// A file of exactly 64 MiB laid out to make the reader jump. Its subframes
// are 256 × 256 sprites, raw and compressed by turns (game files mix both),
// four to a frame, in 4 animations. The subframe records lie at the start of
// the file, the frames' subframe tables in the middle and the frame records at
// the very end, so reading one frame leaps from its record to its table, to
// each subframe record and on to that subframe's data, and back, the leaps
// between records and tables being about 32 MiB. The subframes' data fill the
// two halves in shuffled order; what is left to 64 MiB (under 2 %) lies as
// zeros between the tables and the second half.
constexpr int64_t kScatteredSize = int64_t{64} << 20;
constexpr int kScatteredSide = 256;
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
  auto put32 = [&](int64_t at, int64_t v) { PutLE32(file.data() + at, static_cast<int32_t>(v)); };
  auto record = [&](int64_t at, int subs, int compressed, int64_t data_at) {
    uint8_t* r = file.data() + at;
    PutLE16(r + 0, kScatteredSide);
    PutLE16(r + 2, kScatteredSide);
    r[8] = TransparentIndex;
    r[9] = static_cast<uint8_t>(compressed);
    r[10] = static_cast<uint8_t>(subs);
    PutLE32(r + 16, static_cast<int32_t>(data_at));
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

  PutLE32(file.data(), kVersion);
  put32(4, kScatteredAnimations);
  int64_t entry = static_cast<int64_t>(kHeaderSize) + 4 * kScatteredAnimations;
  for (int a = 0; a < kScatteredAnimations; ++a) {
    put32(static_cast<int64_t>(kHeaderSize) + 4 * a, entry);
    PutLE16(file.data() + entry, per_animation);
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

void BM_GafLoadScattered(benchmark::State& state) {
  const std::string& path = ScatteredFile();
  double read = 0;
  for (auto _ : state) {
    classGAF doc;
    GafInput in;
    if (!in.OpenFile(path) || in.Size() != kScatteredSize) return state.SkipWithError("scattered file not written");
    doc.Load(in);
    if (!in.Report().complete) state.SkipWithError("load incomplete");
    read = static_cast<double>(in.BytesRead()) / static_cast<double>(kScatteredSize);
    benchmark::DoNotOptimize(doc.Animations.Count());
  }
  state.counters["gaf_load_scattered_MBps"] = benchmark::Counter(
      static_cast<double>(kScatteredSize) * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
  // Bytes read from the file per byte it holds.
  state.counters["read_per_file_byte"] = read;
}
BENCHMARK(BM_GafLoadScattered)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace quilmark::bench
