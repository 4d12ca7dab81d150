// Shared pieces of the benchmarks: sprite-like pixels and memory readings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quilmark::bench {

// Rows that look like game sprites: about a third transparent, runs of one
// colour and stretches of varied pixels mixed. Deterministic for a seed.
std::vector<uint8_t> SpritePixels(int width, int height, unsigned seed);

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
