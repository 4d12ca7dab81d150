// Exports of whole animations: the largest animation of the 64 MiB document
// as an animated GIF, frame pixels per second.
#include <benchmark/benchmark.h>

#include <chrono>

#include "BenchSupport.h"
#include "display/GifExport.h"
#include "document/classGAF.h"

namespace quilmark::bench {
namespace {

void gif_export_MBps(benchmark::State& state) {
  const auto doc = MakeBigDocument();
  AnimationPtr largest;
  for (const AnimationPtr& animation : doc->Animations)
    if (!largest || animation->Frames.Count() > largest->Frames.Count()) largest = animation;
  double pixels = 0;
  for (const FramePtr& frame : largest->Frames) pixels += double(frame->Width()) * frame->Height();
  size_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    bytes = 0;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = EncodeAnimationGif(*largest, {}, GamePalette, [&bytes](const uint8_t*, size_t size) {
      bytes += size;
      return true;
    }, nullptr);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok) state.SkipWithError("the export failed");
  }
  state.counters["gif_bytes_per_pixel"] = double(bytes) / pixels;
  if (seconds > 0) state.counters["gif_export_MBps"] = pixels * double(state.iterations()) / seconds / 1e6;
}
BENCHMARK(gif_export_MBps)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quilmark::bench
