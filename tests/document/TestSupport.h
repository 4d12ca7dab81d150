// Helpers shared by the document tests: temporary folders and byte building.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "document/classGAF.h"

namespace quilmark::test {

// A fresh, empty folder for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Little-endian byte building for hand-made files.
class Bytes {
 public:
  Bytes& u8(uint32_t v);
  Bytes& i16(int32_t v);
  Bytes& i32(int32_t v);
  Bytes& raw(std::initializer_list<uint8_t> v);
  Bytes& raw(const std::vector<uint8_t>& v);
  Bytes& text(const std::string& s);
  Bytes& fill(size_t count, uint8_t value);
  // Overwrites 4 bytes at pos.
  Bytes& put32(size_t pos, int32_t v);
  size_t size() const { return data.size(); }
  std::vector<uint8_t> data;
};

// A frame of w × h with the given pixels (or a pattern when empty).
FramePtr MakeFrame(int w, int h, std::vector<uint8_t> pixels = {});

std::vector<uint8_t> SaveToBytes(const classGAF& doc);
classGAF LoadFromBytes(const std::vector<uint8_t>& bytes, LoadReport* report = nullptr);

}  // namespace quilmark::test
