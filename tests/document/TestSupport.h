// Helpers shared by the core tests (document, archive, images, batch tool):
// temporary folders, whole-file reads and writes, byte building, small documents.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

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

// Little-endian byte building for hand-made files.
struct Bytes {
  Bytes& u8(uint32_t v) { return data.push_back(uint8_t(v)), *this; }
  Bytes& i16(int32_t v) { return u8(uint32_t(v)).u8(uint32_t(v) >> 8); }
  Bytes& i32(int32_t v) { return i16(v).i16(int32_t(uint32_t(v) >> 16)); }
  Bytes& raw(std::initializer_list<uint8_t> v) { return data.insert(data.end(), v), *this; }
  Bytes& raw(const std::vector<uint8_t>& v) { return data.insert(data.end(), v.begin(), v.end()), *this; }
  Bytes& text(const std::string& s) { return data.insert(data.end(), s.begin(), s.end()), *this; }
  Bytes& fill(size_t count, uint8_t value) { return data.insert(data.end(), count, value), *this; }
  size_t size() const { return data.size(); }
  std::vector<uint8_t> data;
};

// A frame of w × h with the given pixels (or a pattern when empty).
FramePtr MakeFrame(int w, int h, std::vector<uint8_t> pixels = {});

std::vector<uint8_t> SaveToBytes(const classGAF& doc);
classGAF LoadFromBytes(const std::vector<uint8_t>& bytes, LoadReport* report = nullptr);

}  // namespace quilmark::test
