// Helpers shared by the core tests (document, archive, images, batch tool):
// temporary folders, whole-file reads and writes, byte building, small
// documents, and GAF files made by hand in the writer's own layout.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "document/GafIo.h"
#include "document/classGAF.h"

namespace quilmark::test {

// A fresh, empty folder for one test, removed with everything in it afterwards
// (also when the test left it read-only).
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = (std::filesystem::temp_directory_path() / ("quilmark-test-" + std::to_string(rd()) + std::to_string(rd())))
                .string();
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The names of what a folder holds (not what its folders hold).
inline std::set<std::string> FileNames(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

// Byte building for hand-made files, little-endian unless said otherwise.
struct Bytes {
  Bytes& u8(uint32_t v) { return data.push_back(uint8_t(v)), *this; }
  Bytes& i16(int32_t v) { return u8(uint32_t(v)).u8(uint32_t(v) >> 8); }
  Bytes& i32(int32_t v) { return i16(v).i16(int32_t(uint32_t(v) >> 16)); }
  Bytes& be32(uint32_t v) { return u8(v >> 24).u8(v >> 16).u8(v >> 8).u8(v); }  // big-endian
  Bytes& raw(std::initializer_list<uint8_t> v) { return data.insert(data.end(), v), *this; }
  Bytes& raw(const std::vector<uint8_t>& v) { return data.insert(data.end(), v.begin(), v.end()), *this; }
  Bytes& text(const std::string& s) { return data.insert(data.end(), s.begin(), s.end()), *this; }
  Bytes& fill(size_t count, uint8_t value) { return data.insert(data.end(), count, value), *this; }
  size_t size() const { return data.size(); }
  std::vector<uint8_t> data;
};

// A frame of w × h with the given pixels (or a pattern when empty).
inline FramePtr MakeFrame(int w, int h, std::vector<uint8_t> pixels = {}) {
  auto frame = std::make_shared<classGAFFrame>();
  frame->SetWidth(w);
  frame->SetHeight(h);
  if (pixels.empty()) {
    for (int i = 0; i < w * h; ++i) frame->Pixels[i] = static_cast<uint8_t>((i * 7) % 251);
  } else {
    frame->Pixels = std::move(pixels);
  }
  return frame;
}

// A frame of w × h at (px, py), every pixel fill.
inline FramePtr MakeFrame(int w, int h, int px, int py, uint8_t fill, int fps = 0, bool compressed = false) {
  auto f = MakeFrame(w, h, std::vector<uint8_t>(size_t(w * h), fill));
  EXPECT_TRUE(f->SetPositionX(px) && f->SetPositionY(py));
  f->FPS = fps;
  f->SetCompressed(compressed);
  return f;
}

// An animation of the given frames, added to doc under its own name.
inline AnimationPtr AddAnimation(classGAF& doc, const std::string& name, const std::vector<FramePtr>& frames = {},
                                 bool animated = false) {
  auto a = std::make_shared<classGAFAnimation>();
  a->Name = name;
  a->Animated = animated;
  for (const FramePtr& f : frames) a->Frames.Add(f);
  EXPECT_TRUE(doc.Animations.Add(a, name)) << name;
  return a;
}

inline std::vector<uint8_t> SaveToBytes(const classGAF& doc) {
  TempDir dir;
  const SaveResult r = doc.Save(dir.File("doc.gaf"));
  EXPECT_TRUE(r.ok) << r.error;
  return ReadFile(dir.File("doc.gaf"));
}

inline classGAF LoadFromBytes(const std::vector<uint8_t>& bytes, LoadReport* report = nullptr) {
  classGAF doc;
  const LoadReport read = doc.LoadBytes(bytes.data(), bytes.size());
  if (report) *report = read;
  return doc;
}

// Loads bytes that must be reported as read in part, with a reason.
inline classGAF LoadPartly(const std::vector<uint8_t>& bytes) {
  LoadReport report;
  classGAF doc = LoadFromBytes(bytes, &report);
  EXPECT_FALSE(report.complete || report.problem.empty()) << report.problem;
  return doc;
}

// Loads a file through the reader's blocks, as opening one does, and must read
// it whole; the bytes the reader took from the file and the reads that took them.
struct BlockReads {
  uint64_t bytes = 0, reads = 0;
};
inline BlockReads LoadInBlocks(const std::vector<uint8_t>& file, classGAF& doc) {
  TempDir dir;
  WriteFile(dir.File("f.gaf"), file);
  GafInput in;
  EXPECT_TRUE(in.OpenFile(dir.File("f.gaf")));
  doc.Load(in);
  EXPECT_TRUE(in.Report().complete) << in.Report().problem;
  return {in.BytesRead(), in.Reads()};
}

// The header of a GAF file of count animations; their entry offsets follow.
inline Bytes GafHeader(int32_t count) { return std::move(Bytes().i32(0x00010100).i32(count).i32(0)); }

// An animation entry: frame count, 1, 0 and the name field (name, 0, spaces to 32 bytes).
inline Bytes& GafEntry(Bytes& b, int frames, const std::string& name) {
  return b.i16(frames).i16(1).i32(0).text(name).u8(0).fill(31 - name.size(), ' ');
}

// A frame record: size, position, transparent index 9, compressed byte,
// subframe count, 0, 0, the offset of its pixels or subframe table, frame rate.
inline Bytes& GafRecord(Bytes& b, int w, int h, int compressed, int subframes, int32_t data, int32_t fps = 0,
                        int x = 0, int y = 0) {
  return b.i16(w).i16(h).i16(x).i16(y).u8(9).u8(uint32_t(compressed)).u8(uint32_t(subframes)).u8(0).i32(0).i32(data)
      .i32(fps);
}

// A file of one animation (entry at 16, frame table at 56) with the given
// frame table of {offset, flag}; the records follow from 56 + 8 × entries.
inline Bytes GafOneAnimation(const std::string& name, const std::vector<std::pair<int32_t, int32_t>>& table) {
  Bytes b = GafHeader(1);
  GafEntry(b.i32(16), int(table.size()), name);
  for (const auto& [offset, flag] : table) b.i32(offset).i32(flag);
  return b;
}

}  // namespace quilmark::test
