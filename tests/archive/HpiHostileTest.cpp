// Damaged and hostile archives: refused with a reason, parts of the directory
// left out and told, never a crash, a hang or an allocation beyond the file.
#include <functional>

#include "HpiBuild.h"
#include "HpiTestReader.h"
#include "archive/HpiReader.h"

namespace quilmark::test {
namespace {

Row Pattern(size_t size) {
  Row out(size);
  for (size_t i = 0; i < size; ++i) out[i] = uint8_t(i % 251 < 40 ? 9 : i * 7 / 5);
  return out;
}

const std::vector<ArchiveFile>& Files() {
  static const std::vector<ArchiveFile> files = {
      {"d\\z.lz", Pattern(70000), 1}, {"s", Pattern(100), 0}, {"c", Pattern(1000), 2}, {"tiny", Pattern(5), 2}};
  return files;
}

// Opens bytes as an archive and reads path; "open: why", "read: why" or the
// count of bytes read.
std::string Outcome(const Row& bytes, const std::string& path, std::vector<std::string>* notes = nullptr) {
  TempDir dir;
  WriteFile(dir.File("a.hpi"), bytes);
  std::string why;
  const std::unique_ptr<HpiArchive> archive = HpiArchive::Open(dir.File("a.hpi"), &why);
  if (!archive) return "open: " + why;
  if (notes) *notes = archive->Notes();
  const HpiEntry* entry = archive->Find(path);
  if (!entry) return "missing";
  Row out;
  if (!archive->ReadAll(*entry, out, &why)) return "read: " + why;
  return std::to_string(out.size());
}

// The root folder's entry i (9 bytes: name, data, flag).
size_t RootEntry(const Row& a, size_t i) { return Get32(a, 24) + 9 * i; }

// The chunk's checksum made right again after its payload was changed.
void FixSum(Row& a, size_t chunk) {
  uint32_t sum = 0;
  for (size_t i = 0; i < Get32(a, chunk + 7); ++i) sum += a[chunk + 19 + i];
  Set32(a, chunk + 15, sum);
}

TEST(HpiHostile, DamageIsRefusedWithItsReason) {
  using Mutate = std::function<void(BuiltArchive&)>;
  // {what, the change, the file read, what happens}
  const std::vector<std::tuple<const char*, Mutate, std::string, std::string>> cases = {
      {"sound", [](BuiltArchive&) {}, "d\\z.lz", "70000"},
      {"a payload byte", [](BuiltArchive& b) { b.bytes[b.chunks[0] + 30] ^= 1; }, "d\\z.lz",
       "read: chunk 1 of 2: checksum"},
      {"4 GiB uncompressed", [](BuiltArchive& b) { Set32(b.bytes, b.chunks[1] + 11, 0xFFFFFFFF); }, "d\\z.lz",
       "read: chunk 2 of 2: claims 4294967295 bytes, more than a chunk holds"},
      {"65537 uncompressed", [](BuiltArchive& b) { Set32(b.bytes, b.chunks[0] + 11, 65537); }, "d\\z.lz",
       "read: chunk 1 of 2: claims 65537 bytes, more than a chunk holds"},
      {"fewer uncompressed", [](BuiltArchive& b) { Set32(b.bytes, b.chunks[0] + 11, 65535); }, "d\\z.lz",
       "read: chunk 1 of 2: holds 65535 bytes instead of 65536"},
      {"4 GiB payload", [](BuiltArchive& b) { Set32(b.bytes, b.chunks[0] + 7, 0xFFFFFFFF); }, "d\\z.lz",
       "read: chunk 1 of 2: claims a payload of 4294967295 bytes"},
      {"payload unlike the table",
       [](BuiltArchive& b) { Set32(b.bytes, b.chunks[2] + 7, Get32(b.bytes, b.chunks[2] + 7) - 1); }, "c",
       "does not match the table's length"},
      {"4 GiB in the table", [](BuiltArchive& b) { Set32(b.bytes, b.data["d\\z.lz"], 0xFFFFFFFF); }, "d\\z.lz",
       "read: chunk 1 of 2: the table gives it an impossible length of 4294967295"},
      {"table past the end", [](BuiltArchive& b) { Set32(b.bytes, b.data["c"], 60000); }, "c",
       "read: chunk 1 of 1: runs past the end of the archive"},
      {"stored file of 2 GiB", [](BuiltArchive& b) { Set32(b.bytes, b.record["s"] + 4, 0x7FFFFFFF); }, "s",
       "read: its 2147483647 bytes run past the end"},
      {"stored file outside", [](BuiltArchive& b) { Set32(b.bytes, b.record["s"], uint32_t(b.bytes.size() - 50)); },
       "s", "read: its 100 bytes run past the end"},
      {"chunked file of 4 GiB", [](BuiltArchive& b) { Set32(b.bytes, b.record["c"] + 4, 0xFFFFFFFF); }, "c",
       "read: its chunk table of 65536 chunks runs past the end"},
      {"more than the chunk can hold", [](BuiltArchive& b) { Set32(b.bytes, b.record["tiny"] + 4, 60000); }, "tiny",
       "bytes cannot hold 60000 bytes of the file"},
      {"unknown storage", [](BuiltArchive& b) { b.bytes[b.record["s"] + 8] = 7; }, "s", "read: unknown storage 7"},
      {"no SQSH", [](BuiltArchive& b) { b.bytes[b.chunks[2]] = 'X'; }, "c", "read: chunk 1 of 1: no SQSH marker"},
      {"compression 3", [](BuiltArchive& b) { b.bytes[b.chunks[2] + 5] = 3; }, "c", "unknown compression 3"},
      {"obfuscation 2", [](BuiltArchive& b) { b.bytes[b.chunks[2] + 6] = 2; }, "c", "unknown obfuscation flag 2"},
      {"zlib data", [](BuiltArchive& b) { b.bytes[b.chunks[2] + 19 + 3] ^= 0x55, FixSum(b.bytes, b.chunks[2]); }, "c",
       "read: chunk 1 of 1: the zlib stream"},
      {"LZ77 data past its end code",
       [](BuiltArchive& b) {
         const size_t end = b.chunks[1] + 19 + Get32(b.bytes, b.chunks[1] + 7) - 2;
         b.bytes[end] = 0x10, FixSum(b.bytes, b.chunks[1]);
       },
       "d\\z.lz", "read: chunk 2 of 2: LZ77 data runs past the chunk's length"},
      {"no marker", [](BuiltArchive& b) { b.bytes[0] = 'X'; }, "s", "open: not an HPI archive"},
      {"a saved game", [](BuiltArchive& b) { Set32(b.bytes, 4, 0x4B4E4142); }, "s", "open: a saved game"},
      {"version 2", [](BuiltArchive& b) { Set32(b.bytes, 4, 0x20000); }, "s", "open: an archive of unknown version"},
      {"block past the end", [](BuiltArchive& b) { Set32(b.bytes, 8, uint32_t(b.bytes.size() + 1)); }, "s",
       "open: the directory block runs past the end"},
      {"block in the header", [](BuiltArchive& b) { Set32(b.bytes, 16, 4); }, "s",
       "open: the directory block lies outside"},
      {"block of no room", [](BuiltArchive& b) { Set32(b.bytes, 16, Get32(b.bytes, 8) - 7); }, "s",
       "open: the directory block lies outside"},
      {"cut in the header", [](BuiltArchive& b) { b.bytes.resize(10); }, "s", "open: shorter than an archive's header"},
  };
  for (const auto& [what, mutate, path, expected] : cases) {
    BuiltArchive built = BuildArchive(Files());
    mutate(built);
    const std::string outcome = Outcome(built.bytes, path);
    EXPECT_NE(outcome.find(expected), std::string::npos) << what << ": " << outcome;
  }
}

TEST(HpiHostile, ADirectoryThatCannotBeReadWholeIsToldAndCut) {
  using Mutate = std::function<void(Row&)>;
  // {what, the change to the directory, the note, what "c" then reads as}
  const std::vector<std::tuple<const char*, Mutate, std::string, std::string>> cases = {
      {"a folder leading to the root", [](Row& a) { Set32(a, RootEntry(a, 0) + 4, 20); },
       "folder d: leads back to a folder already listed", "1000"},
      {"a folder inside itself",
       [](Row& a) {
         const uint32_t d = Get32(a, RootEntry(a, 0) + 4), list = Get32(a, d + 4);
         Set32(a, list + 4, d), a[list + 8] = 1;
       },
       "folder d\\z.lz: leads back", "1000"},
      {"a name outside the block", [](Row& a) { Set32(a, RootEntry(a, 2), 0xFFFFFFF0); },
       "the root folder: entry 3 has its name outside", "missing"},
      {"a name not ended in the block", [](Row& a) { Set32(a, RootEntry(a, 2), Get32(a, 8) - 1); },
       "the root folder: entry 3 has no usable name", "missing"},
      {"an entry list outside", [](Row& a) { Set32(a, Get32(a, RootEntry(a, 0) + 4), 0x10000000); },
       "folder d: its list of 268435456 entries lies outside", "1000"},
      {"a file record outside", [](Row& a) { Set32(a, RootEntry(a, 2) + 4, Get32(a, 8) - 4); },
       "c: its file record lies outside", "missing"},
      {"an unknown flag", [](Row& a) { a[RootEntry(a, 2) + 8] = 2; }, "c: unknown entry flag 2", "missing"},
  };
  for (const auto& [what, mutate, note, c] : cases) {
    BuiltArchive built = BuildArchive(Files());
    mutate(built.bytes);
    std::vector<std::string> notes;
    EXPECT_EQ(Outcome(built.bytes, "c", &notes), c) << what;
    ASSERT_EQ(notes.size(), 1u) << what;
    EXPECT_EQ(notes[0].find(note), 0u) << what << ": " << notes[0];
  }
}

TEST(HpiHostile, NestingAndSharedListsAreBounded) {
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += "f\\";
  std::vector<std::string> notes;
  EXPECT_EQ(Outcome(BuildArchive({{deep + "x", Row{1}, 0}}).bytes, "f", &notes), "read: a folder, not a file");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("folders nest deeper than 64"), std::string::npos) << notes[0];
  // 300 folder records that all share one list of 300 entries, each leading
  // to one of them: 90 000 entries to walk unless the block's size bounds it.
  const uint32_t n = 300, list = 28, names = list + 9 * n, records = names + 4 * n, end = records + 8 * n;
  Row a(end);
  hpi::PutHeader(a.data(), end, 0);
  Set32(a, 20, n), Set32(a, 24, list);
  for (uint32_t i = 0; i < n; ++i) {
    Set32(a, list + 9 * i, names + 4 * i), Set32(a, list + 9 * i + 4, records + 8 * i), a[list + 9 * i + 8] = 1;
    a[names + 4 * i] = uint8_t('a' + i % 26), a[names + 4 * i + 1] = uint8_t('a' + i / 26);
    Set32(a, records + 8 * i, n), Set32(a, records + 8 * i + 4, list);
  }
  TempDir dir;
  WriteFile(dir.File("a.hpi"), a);
  std::string why;
  const std::unique_ptr<HpiArchive> archive = HpiArchive::Open(dir.File("a.hpi"), &why);
  ASSERT_TRUE(archive) << why;
  EXPECT_LE(archive->Entries().size(), (end - 20) / 9);
  std::string all;
  for (const std::string& note : archive->Notes()) all += note + "\n";
  EXPECT_NE(all.find("more entries than its block can hold"), std::string::npos) << all;
  EXPECT_LE(archive->Notes().size(), 102u);
}

// Cut anywhere, an archive opens or not; every file reads back whole or is
// refused, and never one whose bytes the cut took.
TEST(HpiHostile, TruncatedArchivesNeverYieldWrongBytes) {
  for (const uint32_t key : {0u, 0x55u}) {
    const Row whole = BuildArchive(Files(), key).bytes;
    TempDir dir;
    WriteFile(dir.File("whole"), whole);
    std::string why;
    const std::unique_ptr<HpiArchive> full = HpiArchive::Open(dir.File("whole"), &why);
    ASSERT_TRUE(full) << why;
    std::map<std::string, uint64_t> ends;
    for (const ArchiveFile& f : Files()) {
      uint64_t length = 0;
      ASSERT_TRUE(full->StoredLength(*full->Find(f.path), &length, &why));
      ends[f.path] = full->Find(f.path)->data_offset + length;
    }
    size_t refused = 0, read = 0;
    for (size_t cut = 0; cut < whole.size(); cut += cut < 400 ? 1 : 97) {
      WriteFile(dir.File("cut"), Row(whole.begin(), whole.begin() + cut));
      const std::unique_ptr<HpiArchive> archive = HpiArchive::Open(dir.File("cut"), &why);
      if (!archive) {
        EXPECT_FALSE(why.empty());
        ++refused;
        continue;
      }
      for (const ArchiveFile& f : Files()) {
        Row bytes;
        std::string problem;
        if (archive->ReadAll(*archive->Find(f.path), bytes, &problem)) {
          EXPECT_TRUE(bytes == f.bytes && ends[f.path] <= cut) << f.path << " cut at " << cut;
          ++read;
        } else {
          EXPECT_TRUE(!problem.empty() && ends[f.path] > cut) << f.path << " cut at " << cut << ": " << problem;
        }
      }
    }
    EXPECT_GT(refused, 0u);
    EXPECT_GT(read, 0u);
  }
}

}  // namespace
}  // namespace quilmark::test
