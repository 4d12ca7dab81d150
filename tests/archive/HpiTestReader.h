// A small HPI reader for the tests, written from the archive format alone and
// strict about everything our writer promises: names sorted, chunk lengths and
// checksums right, every zlib payload a complete stream of the stated size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quilmark::test {

struct HpiChunkInfo {
  uint8_t compression = 0;
  uint32_t payload_size = 0;
  uint32_t uncompressed_size = 0;
};

struct HpiFileInfo {
  std::string path;  // folders joined with "\"
  uint8_t storage = 0;
  uint32_t size = 0;
  std::vector<HpiChunkInfo> chunks;
  std::vector<uint8_t> bytes;  // the file's contents, restored
};

struct HpiReadResult {
  std::string error;  // empty when the archive was read whole and found sound
  std::vector<std::string> folders;  // every folder, in directory order
  std::vector<HpiFileInfo> files;    // every file, in directory order
  const HpiFileInfo* Find(const std::string& path) const;
};

HpiReadResult ReadHpi(const std::vector<uint8_t>& archive);

// Temporary folders and file helpers.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool Exists(const std::string& path);
// Bytes that zlib cannot shrink (a fixed pseudo-random sequence).
std::vector<uint8_t> NoiseBytes(size_t size, uint32_t seed);

}  // namespace quilmark::test
