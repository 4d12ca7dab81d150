// A small HPI reader for the tests, written from the archive format alone and
// strict about everything our writer promises: names sorted, chunk lengths and
// checksums right, every zlib payload a complete stream of the stated size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../document/TestSupport.h"  // the shared folder and file helpers

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

}  // namespace quilmark::test
