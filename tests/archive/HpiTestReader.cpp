#include "HpiTestReader.h"

#include <zlib.h>

namespace quilmark::test {

namespace {

class Reader {
 public:
  Reader(const std::vector<uint8_t>& a, HpiReadResult& r) : a_(a), r_(r) {}

  bool Fail(const std::string& why) {
    if (r_.error.empty()) r_.error = why;
    return false;
  }

  bool U32(uint64_t at, uint32_t& v, uint64_t limit) {
    if (at + 4 > limit) return Fail("a number lies outside its area at " + std::to_string(at));
    v = a_[at] | (a_[at + 1] << 8) | (a_[at + 2] << 16) | (static_cast<uint32_t>(a_[at + 3]) << 24);
    return true;
  }

  bool Name(uint64_t at, std::string& name) {
    name.clear();
    for (uint64_t p = at;; ++p) {
      if (p < start_ || p >= dir_end_) return Fail("a name runs outside the directory block");
      if (a_[p] == 0) return true;
      name += static_cast<char>(a_[p]);
    }
  }

  static std::string Fold(const std::string& s) {
    std::string out = s;
    for (char& c : out)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
  }

  bool Directory(uint64_t at, const std::string& prefix, int depth) {
    if (depth > 64) return Fail("folders nest too deep");
    uint32_t count = 0, list = 0;
    if (at < start_ || !U32(at, count, dir_end_) || !U32(at + 4, list, dir_end_)) return false;
    if (list < start_ || uint64_t(list) + 9ull * count > dir_end_) return Fail("an entry list lies outside the block");
    std::string previous;
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t e = list + 9ull * i;
      uint32_t name_at = 0, data_at = 0;
      U32(e, name_at, dir_end_);
      U32(e + 4, data_at, dir_end_);
      const uint8_t flag = a_[e + 8];
      std::string name;
      if (!Name(name_at, name)) return false;
      if (name.empty()) return Fail("an empty name");
      if (i > 0 && !(Fold(previous) < Fold(name)))
        return Fail("entries not sorted without regard to case: " + previous + " before " + name);
      previous = name;
      const std::string path = prefix.empty() ? name : prefix + "\\" + name;
      if (flag == 1) {
        r_.folders.push_back(path);
        if (!Directory(data_at, path, depth + 1)) return false;
      } else if (flag == 0) {
        if (!File(data_at, path)) return false;
      } else {
        return Fail("entry flag " + std::to_string(flag));
      }
    }
    return true;
  }

  bool File(uint64_t record, const std::string& path) {
    HpiFileInfo f;
    f.path = path;
    uint32_t offset = 0;
    if (record < start_ || record + 9 > dir_end_) return Fail("a file record lies outside the block");
    U32(record, offset, dir_end_);
    U32(record + 4, f.size, dir_end_);
    f.storage = a_[record + 8];
    if (offset < dir_end_) return Fail(path + ": data inside the directory block");
    if (f.storage == 0) {
      if (uint64_t(offset) + f.size > a_.size()) return Fail(path + ": data beyond the archive");
      f.bytes.assign(a_.begin() + offset, a_.begin() + offset + f.size);
    } else if (f.storage == 2) {
      const uint64_t n = (uint64_t(f.size) + 65535) / 65536;
      if (n == 0) return Fail(path + ": chunked storage of an empty file");
      uint64_t pos = offset + 4 * n;
      for (uint64_t i = 0; i < n; ++i) {
        uint32_t total = 0;
        if (!U32(offset + 4 * i, total, a_.size())) return false;
        if (!Chunk(pos, total, i + 1 == n ? f.size - 65536 * (n - 1) : 65536, f)) return false;
        pos += total;
      }
    } else {
      return Fail(path + ": storage " + std::to_string(f.storage));
    }
    if (f.bytes.size() != f.size) return Fail(path + ": size mismatch");
    r_.files.push_back(std::move(f));
    return true;
  }

  bool Chunk(uint64_t at, uint32_t total, uint32_t expected, HpiFileInfo& f) {
    uint32_t marker = 0, payload = 0, plain = 0, sum = 0;
    if (at + 19 > a_.size() || !U32(at, marker, a_.size())) return Fail(f.path + ": chunk header cut off");
    U32(at + 7, payload, a_.size());
    U32(at + 11, plain, a_.size());
    U32(at + 15, sum, a_.size());
    if (marker != 0x48535153) return Fail(f.path + ": no SQSH marker");
    if (a_[at + 4] != 2) return Fail(f.path + ": chunk version " + std::to_string(a_[at + 4]));
    if (a_[at + 6] != 0) return Fail(f.path + ": obfuscated chunk");
    if (total != 19 + uint64_t(payload)) return Fail(f.path + ": chunk table length does not match the chunk");
    if (plain != expected) return Fail(f.path + ": chunk holds " + std::to_string(plain) + " bytes");
    if (at + 19 + payload > a_.size()) return Fail(f.path + ": payload beyond the archive");
    const uint8_t* p = a_.data() + at + 19;
    uint32_t s = 0;
    for (uint32_t i = 0; i < payload; ++i) s += p[i];
    if (s != sum) return Fail(f.path + ": checksum mismatch");
    const uint8_t compression = a_[at + 5];
    f.chunks.push_back({compression, payload, plain});
    if (compression == 0) {
      if (payload != plain) return Fail(f.path + ": stored chunk of the wrong length");
      f.bytes.insert(f.bytes.end(), p, p + payload);
    } else if (compression == 2) {
      std::vector<uint8_t> out(plain + 1);
      uLongf out_len = static_cast<uLongf>(out.size());
      uLong in_len = payload;
      if (uncompress2(out.data(), &out_len, p, &in_len) != Z_OK) return Fail(f.path + ": zlib stream broken");
      if (in_len != payload) return Fail(f.path + ": bytes after the zlib stream");
      if (out_len != plain) return Fail(f.path + ": zlib stream inflates to the wrong size");
      f.bytes.insert(f.bytes.end(), out.begin(), out.begin() + out_len);
    } else {
      return Fail(f.path + ": compression " + std::to_string(compression));
    }
    return true;
  }

  void Run() {
    uint32_t marker = 0, version = 0, dir_size = 0, key = 0, start = 0;
    if (a_.size() < 20) {
      Fail("shorter than the header");
      return;
    }
    U32(0, marker, 20);
    U32(4, version, 20);
    U32(8, dir_size, 20);
    U32(12, key, 20);
    U32(16, start, 20);
    if (marker != 0x49504148) return void(Fail("no HAPI marker"));
    if (version != 0x00010000) return void(Fail("version"));
    if (key != 0) return void(Fail("encrypted archives are not read here"));
    if (start < 20 || dir_size < start || dir_size > a_.size()) return void(Fail("directory block out of range"));
    start_ = start;
    dir_end_ = dir_size;
    Directory(start, "", 0);
  }

 private:
  const std::vector<uint8_t>& a_;
  HpiReadResult& r_;
  uint64_t start_ = 0;
  uint64_t dir_end_ = 0;
};

}  // namespace

const HpiFileInfo* HpiReadResult::Find(const std::string& path) const {
  for (const HpiFileInfo& f : files)
    if (f.path == path) return &f;
  return nullptr;
}

HpiReadResult ReadHpi(const std::vector<uint8_t>& archive) {
  HpiReadResult result;
  Reader(archive, result).Run();
  return result;
}

}  // namespace quilmark::test
