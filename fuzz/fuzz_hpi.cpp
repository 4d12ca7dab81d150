// libFuzzer harness for the archive reader and the archive update: arbitrary
// bytes opened as an archive must be refused with a reason or listed within
// the directory's bounds; every file must read back exactly its size or be
// refused with a reason, and its first bytes as the whole read gives them.
// An archive that was read whole then takes a new file: every other file must
// keep its stored bytes and read back as before.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "archive/HpiReader.h"
#include "archive/HpiUpdate.h"
#include "archive/HpiWriter.h"

namespace {

using quilmark::HpiArchive;
using quilmark::HpiEntry;

// A folder of the harness's own on a memory file system where there is one,
// removed when the run ends (its name outlives every static object).
char g_folder[32];

const std::string& WorkFolder() {
  static const std::string folder = [] {
    std::snprintf(g_folder, sizeof g_folder, "/dev/shm/fuzz-hpi-XXXXXX");
    if (!::mkdtemp(g_folder)) std::snprintf(g_folder, sizeof g_folder, "/tmp/fuzz-hpi-XXXXXX");
    if (g_folder[1] == 't' && !::mkdtemp(g_folder)) __builtin_trap();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(g_folder, ec);
    });
    return std::string(g_folder);
  }();
  return folder;
}

void WriteBytes(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) __builtin_trap();
}

struct Stored {
  std::vector<uint8_t> raw;    // the stored bytes, decrypted
  bool read = false;           // the file read back whole
  std::vector<uint8_t> bytes;  // what it read back as
};

// Every file's stored bytes and contents; false when a file breaks the rules.
bool ReadEverything(HpiArchive& archive, std::map<std::string, Stored>& files) {
  for (const HpiEntry& e : archive.Entries()) {
    if (e.folder) continue;
    Stored& s = files[e.path];
    std::string why;
    s.read = archive.ReadAll(e, s.bytes, &why);
    if (s.read ? s.bytes.size() != e.size : why.empty()) return false;
    const std::vector<uint8_t> head = archive.ReadHead(e, 16);
    if (s.read &&
        !std::equal(head.begin(), head.end(), s.bytes.begin(), s.bytes.begin() + std::min<size_t>(16, s.bytes.size())))
      return false;
    uint64_t length = 0;
    if (archive.StoredLength(e, &length, &why)) {
      s.raw.resize(length);
      if (!archive.ReadAt(e.data_offset, s.raw.data(), length)) return false;
    } else if (s.read) {
      return false;  // a file that read whole lies within the archive
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = quilmark::fuzz::BytesAsFile(data, size);
  std::string why;
  const std::unique_ptr<HpiArchive> archive = HpiArchive::Open(path, &why);
  if (!archive) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  // Each entry takes nine bytes of the directory block, which lies in the file.
  if (archive->Entries().size() > size / 9) __builtin_trap();
  std::map<std::string, Stored> before;
  if (!ReadEverything(*archive, before)) __builtin_trap();
  if (!archive->Notes().empty() || size < 1) return 0;

  const std::string copy = WorkFolder() + "/a.hpi", input = WorkFolder() + "/new.gaf";
  WriteBytes(copy, data, size);
  WriteBytes(input, data, std::min<size_t>(size, 100));
  const bool add = (data[size - 1] & 2) || archive->Entries().empty();
  const std::string target = add ? std::string("textures\\new.gaf") : archive->Entries().back().path;
  const quilmark::HpiUpdateResult result = quilmark::ReplaceEntry(copy, target, input, data[size - 1] & 1);
  if (!result) return 0;
  const std::unique_ptr<HpiArchive> after = HpiArchive::Open(copy, &why);
  if (!after || !after->Notes().empty()) __builtin_trap();
  std::map<std::string, Stored> now;
  if (!ReadEverything(*after, now)) __builtin_trap();
  for (const auto& [name, old] : before) {
    if (quilmark::CompareArchiveNames(name, result.path_in_archive) == 0) continue;
    const auto it = now.find(name);
    if (it == now.end() || it->second.raw != old.raw || it->second.read != old.read ||
        (old.read && it->second.bytes != old.bytes))
      __builtin_trap();
  }
  const auto added = now.find(result.path_in_archive);
  if (added == now.end() || !added->second.read ||
      added->second.bytes != std::vector<uint8_t>(data, data + std::min<size_t>(size, 100)))
    __builtin_trap();
  return 0;
}
