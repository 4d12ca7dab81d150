#include "BenchSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "document/classGAF.h"

extern char** environ;

namespace quilmark::bench {

std::vector<uint8_t> SpritePixels(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = pixels.data() + static_cast<size_t>(y) * width;
    int x = 0;
    while (x < width) {
      const unsigned kind = rng() % 6;
      int length = 1 + static_cast<int>(rng() % 24);
      if (length > width - x) length = width - x;
      if (kind < 2) {
        std::memset(row + x, 9, static_cast<size_t>(length));  // transparent
      } else if (kind < 4) {
        std::memset(row + x, static_cast<int>(16 + rng() % 200), static_cast<size_t>(length));  // one colour
      } else {
        for (int i = 0; i < length; ++i) row[x + i] = static_cast<uint8_t>(16 + rng() % 200);  // shading
      }
      x += length;
    }
  }
  return pixels;
}

const std::vector<uint8_t>& BigDocumentPixels() {
  static const std::vector<uint8_t> pixels = [] {
    std::vector<uint8_t> all;
    all.reserve(static_cast<size_t>(kBigPixels));
    for (int f = 0; f < kBigFrames; ++f) {
      const auto frame = SpritePixels(kBigSide, kBigSide, static_cast<unsigned>(f));
      all.insert(all.end(), frame.begin(), frame.end());
    }
    return all;
  }();
  return pixels;
}

std::unique_ptr<classGAF> MakeBigDocument() {
  constexpr size_t kFramePixels = static_cast<size_t>(kBigSide) * kBigSide;
  auto doc = std::make_unique<classGAF>();
  for (int a = 0; a < 8; ++a) {
    auto animation = std::make_shared<classGAFAnimation>();
    animation->Name = "anim" + std::to_string(a);
    for (int f = 0; f < kBigFrames / 8; ++f) {
      auto frame = std::make_shared<classGAFFrame>();
      frame->SetWidth(kBigSide);
      frame->SetHeight(kBigSide);
      const auto* first = BigDocumentPixels().data() + kFramePixels * static_cast<size_t>(a * (kBigFrames / 8) + f);
      frame->Pixels.assign(first, first + kFramePixels);
      frame->SetCompressed(true);
      animation->Frames.Add(frame);
    }
    doc->Animations.Add(animation, animation->Name);
  }
  return doc;
}

const std::string& SavedBigDocument() {
  static const BenchFile file{[] {
    const std::string p = TempPath("big.gaf");
    if (!MakeBigDocument()->Save(p)) std::abort();
    return p;
  }()};
  return file.path;
}

std::string ProgramBeside(const std::string& name) {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / name).string();
}

int RunQuietly(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int started = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (started != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

namespace {
uint64_t StatusField(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(in, line))
    if (line.compare(0, n, field) == 0) return std::stoull(line.substr(n + 1)) * 1024;
  return 0;
}
}  // namespace

uint64_t ResidentBytes() { return StatusField("VmRSS"); }
uint64_t PeakResidentBytes() { return StatusField("VmHWM"); }

void ResetPeakResident() {
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

std::string TempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/quilmark-bench-" + std::to_string(::getpid()) + "-" + name;
}

BenchFile::~BenchFile() { ::unlink(path.c_str()); }

}  // namespace quilmark::bench
