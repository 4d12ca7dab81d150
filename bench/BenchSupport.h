// Shared pieces of the benchmarks: sprite-like pixels and memory readings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quilmark {
class classGAF;
}

namespace quilmark::bench {

// Rows that look like game sprites: about a third transparent, runs of one
// colour and stretches of varied pixels mixed. Deterministic for a seed.
std::vector<uint8_t> SpritePixels(int width, int height, unsigned seed);

// The big document of the load and start-up figures: 8 animations of 32
// compressed frames of kBigSide × kBigSide, every frame different, as in a
// real file, so that neither the caches nor branch prediction learn one
// image (64 MiB of pixels).
inline constexpr int kBigSide = 512;
inline constexpr int kBigFrames = 256;
inline constexpr double kBigPixels = static_cast<double>(kBigSide) * kBigSide * kBigFrames;
// Its pixels, frame after frame.
const std::vector<uint8_t>& BigDocumentPixels();
std::unique_ptr<classGAF> MakeBigDocument();
// The document saved once, as a file that is removed when the program ends.
const std::string& SavedBigDocument();

// A program built beside this one (bin/NAME).
std::string ProgramBeside(const std::string& name);
// Runs the program with its output thrown away; its exit status, or -1 when
// it could not be started or did not exit.
int RunQuietly(const std::vector<std::string>& argv);

// Resident memory of this process now, and its peak since the last reset.
uint64_t ResidentBytes();
uint64_t PeakResidentBytes();
// Starts a new peak measurement (Linux: clear_refs 5).
void ResetPeakResident();

// A file path in the temporary folder, unique to this process.
std::string TempPath(const std::string& name);

// A file a benchmark writes once; removed when the program ends.
struct BenchFile {
  std::string path;
  ~BenchFile();
};

}  // namespace quilmark::bench
