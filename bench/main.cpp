// quilmark-bench: Google Benchmark programs for the hot paths.
//
//   quilmark-bench              the usual benchmark table (any benchmark flags)
//   quilmark-bench --summary    one "NAME VALUE" line per headline figure, each
//                               throughput also as a ratio to memcpy of the run
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

bool IsHeadline(const std::string& name) {
  for (const char* suffix : {"_GBps", "_MBps", "_ms", "_bytes_per_pixel", "_pct"}) {
    const size_t n = std::strlen(suffix);
    if (name.size() > n && name.compare(name.size() - n, n, suffix) == 0) return true;
  }
  return false;
}

// Collects the headline counters of every run, quietly.
class SummaryReporter : public benchmark::BenchmarkReporter {
 public:
  bool ReportContext(const Context&) override { return true; }
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      for (const auto& [name, counter] : run.counters)
        if (IsHeadline(name)) values_.emplace_back(name, counter.value);
  }
  void Print() const {
    double memcpy_gbps = 0;
    for (const auto& [name, value] : values_)
      if (name == "memcpy_GBps") memcpy_gbps = value;
    for (const auto& [name, value] : values_) std::printf("%s %.4g\n", name.c_str(), value);
    if (memcpy_gbps > 0)
      for (const auto& [name, value] : values_)
        if (name != "memcpy_GBps" && name.size() > 5 && name.compare(name.size() - 5, 5, "_GBps") == 0)
          std::printf("%s_vs_memcpy %.3f\n", name.substr(0, name.size() - 5).c_str(), value / memcpy_gbps);
  }

 private:
  std::vector<std::pair<std::string, double>> values_;
};

}  // namespace

int main(int argc, char** argv) {
  bool summary = false;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--summary") == 0) {
      summary = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  if (summary) {
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.Print();
  } else {
    benchmark::RunSpecifiedBenchmarks();
  }
  benchmark::Shutdown();
  return 0;
}
