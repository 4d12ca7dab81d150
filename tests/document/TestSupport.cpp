#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace quilmark::test {

TempDir::TempDir() {
  std::random_device rd;
  const auto base = std::filesystem::temp_directory_path() / ("quilmark-test-" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(base);
  path_ = base.string();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes& Bytes::u8(uint32_t v) {
  data.push_back(static_cast<uint8_t>(v));
  return *this;
}
Bytes& Bytes::i16(int32_t v) {
  data.push_back(static_cast<uint8_t>(v));
  data.push_back(static_cast<uint8_t>(v >> 8));
  return *this;
}
Bytes& Bytes::i32(int32_t v) {
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
  return *this;
}
Bytes& Bytes::raw(std::initializer_list<uint8_t> v) {
  data.insert(data.end(), v);
  return *this;
}
Bytes& Bytes::raw(const std::vector<uint8_t>& v) {
  data.insert(data.end(), v.begin(), v.end());
  return *this;
}
Bytes& Bytes::text(const std::string& s) {
  data.insert(data.end(), s.begin(), s.end());
  return *this;
}
Bytes& Bytes::fill(size_t count, uint8_t value) {
  data.insert(data.end(), count, value);
  return *this;
}
Bytes& Bytes::put32(size_t pos, int32_t v) {
  for (int i = 0; i < 4; ++i) data[pos + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
  return *this;
}

FramePtr MakeFrame(int w, int h, std::vector<uint8_t> pixels) {
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

std::vector<uint8_t> SaveToBytes(const classGAF& doc) {
  TempDir dir;
  const std::string path = dir.File("doc.gaf");
  const SaveResult r = doc.Save(path);
  EXPECT_TRUE(r.ok) << r.error;
  return ReadFile(path);
}

classGAF LoadFromBytes(const std::vector<uint8_t>& bytes, LoadReport* report) {
  classGAF doc;
  doc.LoadBytes(bytes.data(), bytes.size(), report);
  return doc;
}

}  // namespace quilmark::test
