// A small HPI reader for the tests, written from the archive format alone and
// strict about everything our writer promises: names sorted, chunk lengths and
// checksums right, every zlib payload a complete stream of the stated size.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "../document/TestSupport.h"  // the shared folder and file helpers

namespace quilmark::test {

struct HpiChunkInfo {
  uint8_t compression = 0;
  uint32_t payload_size = 0, uncompressed_size = 0;
};

struct HpiFileInfo {
  std::string path;  // folders joined with "\"
  uint8_t storage = 0;
  std::vector<HpiChunkInfo> chunks;
  std::vector<uint8_t> bytes;  // the file's contents, restored
};

struct HpiReadResult {
  std::string error;  // empty when the archive was read whole and found sound
  std::vector<std::string> folders;  // every folder, in directory order
  std::vector<HpiFileInfo> files;    // every file, in directory order
  const HpiFileInfo* Find(const std::string& path) const {
    for (const HpiFileInfo& f : files)
      if (f.path == path) return &f;
    return nullptr;
  }
};

class HpiTestReader {
 public:
  HpiTestReader(const std::vector<uint8_t>& a, HpiReadResult& r) : a_(a), r_(r) {}

  void Run() {
    Need(a_.size() >= 20, "shorter than the header");
    Need(U32(0) == 0x49504148, "no HAPI marker");
    Need(U32(4) == 0x00010000, "version");
    Need(U32(12) == 0, "encrypted archives are not read here");
    start_ = U32(16);
    end_ = U32(8);
    Need(start_ >= 20 && end_ >= start_ && end_ <= a_.size(), "directory block out of range");
    Directory(start_, "", 0);
  }

 private:
  struct Bad {
    std::string why;
  };
  static void Need(bool ok, const std::string& why) {
    if (!ok) throw Bad{why};
  }
  uint32_t U32(uint64_t at, uint64_t limit = 0) const {
    Need(at + 4 <= (limit ? limit : a_.size()), "a number lies outside its area at " + std::to_string(at));
    return a_[at] | a_[at + 1] << 8 | a_[at + 2] << 16 | uint32_t(a_[at + 3]) << 24;
  }
  static std::string Fold(std::string s) {
    for (char& c : s) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return s;
  }

  void Directory(uint64_t at, const std::string& prefix, int depth) {
    Need(depth <= 64 && at >= start_, "folders nest too deep or lie outside the block");
    const uint32_t count = U32(at, end_), list = U32(at + 4, end_);
    Need(list >= start_ && list + 9ull * count <= end_, "an entry list lies outside the block");
    std::string previous;
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t e = list + 9ull * i;
      std::string name;
      for (uint64_t p = U32(e, end_); Need(p >= start_ && p < end_, "a name runs outside the block"), a_[p]; ++p)
        name += char(a_[p]);
      Need(!name.empty(), "an empty name");
      Need(i == 0 || Fold(previous) < Fold(name), "entries not sorted without regard to case: " + previous + " before " + name);
      previous = name;
      const std::string path = prefix.empty() ? name : prefix + "\\" + name;
      Need(a_[e + 8] <= 1, "entry flag " + std::to_string(a_[e + 8]));
      if (a_[e + 8] == 1) {
        r_.folders.push_back(path);
        Directory(U32(e + 4, end_), path, depth + 1);
      } else {
        File(U32(e + 4, end_), path);
      }
    }
  }

  void File(uint64_t record, const std::string& path) {
    HpiFileInfo f;
    f.path = path;
    Need(record >= start_ && record + 9 <= end_, "a file record lies outside the block");
    const uint64_t offset = U32(record), size = U32(record + 4);
    f.storage = a_[record + 8];
    Need(offset >= end_, path + ": data inside the directory block");
    Need(f.storage == 0 || f.storage == 2, path + ": storage " + std::to_string(f.storage));
    if (f.storage == 0) {
      Need(offset + size <= a_.size(), path + ": data beyond the archive");
      f.bytes.assign(a_.begin() + offset, a_.begin() + offset + size);
    } else {
      const uint64_t n = (size + 65535) / 65536;
      Need(n > 0, path + ": chunked storage of an empty file");
      for (uint64_t i = 0, pos = offset + 4 * n; i < n; pos += U32(offset + 4 * i), ++i)
        Chunk(pos, U32(offset + 4 * i), uint32_t(i + 1 == n ? size - 65536 * (n - 1) : 65536), f);
    }
    Need(f.bytes.size() == size, path + ": size mismatch");
    r_.files.push_back(std::move(f));
  }

  void Chunk(uint64_t at, uint32_t total, uint32_t expected, HpiFileInfo& f) {
    Need(at + 19 <= a_.size(), f.path + ": chunk header cut off");
    const uint32_t payload = U32(at + 7), plain = U32(at + 11), sum = U32(at + 15);
    const uint8_t compression = a_[at + 5];
    Need(U32(at) == 0x48535153, f.path + ": no SQSH marker");
    Need(a_[at + 4] == 2, f.path + ": chunk version " + std::to_string(a_[at + 4]));
    Need(a_[at + 6] == 0, f.path + ": obfuscated chunk");
    Need(total == 19 + uint64_t(payload), f.path + ": chunk table length does not match the chunk");
    Need(plain == expected, f.path + ": chunk holds " + std::to_string(plain) + " bytes");
    Need(at + 19 + payload <= a_.size(), f.path + ": payload beyond the archive");
    const uint8_t* p = a_.data() + at + 19;
    uint32_t s = 0;
    for (uint32_t i = 0; i < payload; ++i) s += p[i];
    Need(s == sum, f.path + ": checksum mismatch");
    f.chunks.push_back({compression, payload, plain});
    Need(compression == 0 || compression == 2, f.path + ": compression " + std::to_string(compression));
    if (compression == 0) {
      Need(payload == plain, f.path + ": stored chunk of the wrong length");
      f.bytes.insert(f.bytes.end(), p, p + payload);
      return;
    }
    std::vector<uint8_t> out(plain + 1);
    uLongf out_len = uLongf(out.size());
    uLong in_len = payload;
    Need(uncompress2(out.data(), &out_len, p, &in_len) == Z_OK, f.path + ": zlib stream broken");
    Need(in_len == payload, f.path + ": bytes after the zlib stream");
    Need(out_len == plain, f.path + ": zlib stream inflates to the wrong size");
    f.bytes.insert(f.bytes.end(), out.begin(), out.begin() + out_len);
  }

  friend HpiReadResult ReadHpi(const std::vector<uint8_t>& archive);
  const std::vector<uint8_t>& a_;
  HpiReadResult& r_;
  uint64_t start_ = 0, end_ = 0;
};

inline HpiReadResult ReadHpi(const std::vector<uint8_t>& archive) {
  HpiReadResult result;
  try {
    HpiTestReader(archive, result).Run();
  } catch (const HpiTestReader::Bad& bad) {
    result.error = bad.why;
  }
  return result;
}

// The path and the bytes of the one file a sound archive holds; else what is wrong.
inline std::pair<std::string, std::vector<uint8_t>> OnlyFile(const std::vector<uint8_t>& archive) {
  const HpiReadResult r = ReadHpi(archive);
  if (!r.error.empty() || r.files.size() != 1) return {r.error + ", " + std::to_string(r.files.size()) + " files", {}};
  return {r.files[0].path, r.files[0].bytes};
}

}  // namespace quilmark::test
