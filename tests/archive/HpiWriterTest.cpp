#include <array>

#include "HpiTestReader.h"
#include "archive/HpiWriter.h"
#include "archive/modHPIUtil.h"

namespace quilmark::test {
namespace {

using Row = std::vector<uint8_t>;
Row Text(const std::string& s) { return Row(s.begin(), s.end()); }

// Bytes that zlib cannot shrink (a fixed pseudo-random sequence).
Row NoiseBytes(size_t size, uint32_t seed) {
  std::mt19937 gen(seed);
  Row out(size);
  for (uint8_t& b : out) b = uint8_t(gen() >> 24);
  return out;
}

// The archive HpiWriter makes of the given {path in the archive, contents}.
Row Pack(const std::vector<std::pair<std::string, Row>>& files) {
  TempDir dir;
  HpiWriter writer(dir.File("a.ufo"));
  for (size_t i = 0; i < files.size(); ++i) {
    WriteFile(dir.File(std::to_string(i)), files[i].second);
    EXPECT_TRUE(writer.AddFile(files[i].first, dir.File(std::to_string(i)))) << files[i].first << ": " << writer.Error();
  }
  EXPECT_TRUE(writer.Write()) << writer.Error();
  return ReadFile(dir.File("a.ufo"));
}

TEST(HpiLayout, SmallArchivesMatchTheBytesByHand) {
  const std::vector<std::tuple<std::string, Row, Row>> cases = {
      {"a\\b.gaf", Text("xyz"),
       {// header: "HAPI", version 0x00010000, DirectorySize 71, HeaderKey 0, Start 20
        'H', 'A', 'P', 'I', 0, 0, 1, 0, 71, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0,
        1, 0, 0, 0, 28, 0, 0, 0,           // 20: root: 1 entry, list at 28
        37, 0, 0, 0, 39, 0, 0, 0, 1,       // 28: entry "a" (name at 37), directory at 39, flag 1
        'a', 0,                            // 37
        1, 0, 0, 0, 47, 0, 0, 0,           // 39: folder a: 1 entry, list at 47
        56, 0, 0, 0, 62, 0, 0, 0, 0,       // 47: entry "b.gaf" (name at 56), file record at 62, flag 0
        'b', '.', 'g', 'a', 'f', 0,        // 56
        71, 0, 0, 0, 3, 0, 0, 0, 2,        // 62: file record: data at 71, 3 bytes, storage 2
        22, 0, 0, 0,                       // 71: chunk table: one chunk of 19 + 3 bytes
        // 75: "SQSH", version 2, compression 0 (zlib would make it longer), not obfuscated,
        // payload 3, uncompressed 3, checksum 'x' + 'y' + 'z' = 363 = 0x016B
        'S', 'Q', 'S', 'H', 2, 0, 0, 3, 0, 0, 0, 3, 0, 0, 0, 0x6B, 0x01, 0, 0, 'x', 'y', 'z'}},
      // An empty file is stored whole (storage 0) at the archive's end, 48.
      {"e", {},
       {'H', 'A', 'P', 'I', 0, 0, 1, 0, 48, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0, 1, 0, 0, 0, 28, 0, 0, 0,
        37, 0, 0, 0, 39, 0, 0, 0, 0, 'e', 0, 48, 0, 0, 0, 0, 0, 0, 0, 0}}};
  for (const auto& [path, contents, expected] : cases) {
    EXPECT_EQ(Pack({{path, contents}}), expected) << path;
    EXPECT_EQ(ReadHpi(expected).error, "");  // the reader agrees with the hand-made bytes
  }
}

TEST(HpiChunks, FilesAreCutIn64KiBChunksStoredOrCompressed) {
  // Two chunks of noise are stored as they are, the compressible rest of 100 bytes is not.
  Row big = NoiseBytes(2 * 65536, 7), one_more(65537, 4);
  big.insert(big.end(), 100, 0x55);
  one_more.back() = 9;
  // {path, contents, {compression, uncompressed size} of each chunk}
  const std::vector<std::tuple<std::string, Row, std::vector<std::pair<int, uint32_t>>>> cases = {
      {"big", big, {{0, 65536}, {0, 65536}, {2, 100}}},
      {"exact", Row(65536, 3), {{2, 65536}}},
      {"onemore", one_more, {{2, 65536}, {0, 1}}}};
  std::vector<std::pair<std::string, Row>> files;
  for (const auto& [path, contents, chunks] : cases) files.emplace_back(path, contents);
  const HpiReadResult r = ReadHpi(Pack(files));
  ASSERT_EQ(r.error, "");
  for (const auto& [path, contents, chunks] : cases) {
    const HpiFileInfo* f = r.Find(path);
    ASSERT_NE(f, nullptr) << path;
    EXPECT_EQ(f->storage, 2);
    EXPECT_EQ(f->bytes, contents) << path;
    ASSERT_EQ(f->chunks.size(), chunks.size()) << path;
    for (size_t i = 0; i < chunks.size(); ++i) {
      EXPECT_EQ(std::make_pair(int(f->chunks[i].compression), f->chunks[i].uncompressed_size), chunks[i]) << path << i;
      EXPECT_TRUE(chunks[i].first == 0 || f->chunks[i].payload_size < chunks[i].second / 2) << path << i;
    }
  }
}

TEST(HpiDirectory, NestedFoldersAreSortedWithoutRegardToCase) {
  std::vector<std::pair<std::string, Row>> files;
  for (const char* path : {"units\\Zeta.gaf", "units\\alpha.gaf", "Textures\\b.gaf", "anims\\Ab", "anims\\_x",
                           "anims/deep\\\\er//c.gaf", "\\root.gaf"})
    files.emplace_back(path, Text("data"));
  const HpiReadResult r = ReadHpi(Pack(files));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.folders, (std::vector<std::string>{"anims", "anims\\deep", "anims\\deep\\er", "Textures", "units"}));
  std::vector<std::string> found;
  for (const HpiFileInfo& f : r.files) found.push_back(f.path + (f.bytes == Text("data") ? "" : " (wrong bytes)"));
  // '_' (0x5F) sorts before the folded 'a' (0x61).
  EXPECT_EQ(found, (std::vector<std::string>{"anims\\_x", "anims\\Ab", "anims\\deep\\er\\c.gaf", "root.gaf",
                                             "Textures\\b.gaf", "units\\alpha.gaf", "units\\Zeta.gaf"}));
}

TEST(HpiHandles, CreateAndAddFileRefuseWhatCannotBeTakenAndPackingReleasesTheHandle) {
  TempDir dir;
  WriteFile(dir.File("one"), Text("first"));
  WriteFile(dir.File("two"), Row(70000, 1));
  for (const std::string& path : {dir.File("missing/a.ufo"), dir.File("one/a.ufo"), dir.path(), std::string()})
    EXPECT_EQ(HPICreate(path), 0) << path;
  EXPECT_NE(HPILastError(), "");
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
  const int32_t a = HPICreate(dir.File("a.ufo")), b = HPICreate(dir.File("b.ufo"));
  EXPECT_TRUE(a > 0 && a < 16 && b > 0 && a != b) << a << " " << b;
  EXPECT_NE(HPIAddFile(a, "Textures\\Tank.GAF", dir.File("one")), 0);
  // Taken (letter case ignored), a file where a folder stands, a folder where a
  // file stands, no name, a file that is not there, a folder instead of a file.
  for (const auto& [path, disk] : std::vector<std::pair<std::string, std::string>>{
           {"textures\\tank.gaf", "two"}, {"TEXTURES/TANK.GAF", "two"}, {"textures", "two"},
           {"textures\\tank.gaf\\inner", "two"}, {"\\\\", "two"}, {"missing", "missing"}, {"folder", ""}})
    EXPECT_EQ(HPIAddFile(a, path, dir.File(disk)), 0) << path;
  EXPECT_NE(HPIAddFile(a, "textures\\tank2.gaf", dir.File("two")), 0);
  ASSERT_NE(HPIPackArchive(a, 0), 0) << HPILastError();
  // The packed handle is gone; the other is untouched by it.
  EXPECT_EQ(HPIAddFile(a, "again", dir.File("one")), 0);
  EXPECT_EQ(HPIPackArchive(a, 1), 0);
  EXPECT_NE(HPIAddFile(b, "in", dir.File("one")), 0);
  EXPECT_NE(HPIDiscardArchive(b), 0);
  EXPECT_EQ(HPIDiscardArchive(b), 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("b.ufo")));
  EXPECT_EQ(HPIAddFile(0, "in", dir.File("one")), 0);
  // Packed without compression: the files are stored whole, under the first spelling of their folder.
  const HpiReadResult r = ReadHpi(ReadFile(dir.File("a.ufo")));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.files.size(), 2u);
  EXPECT_EQ(std::make_tuple(r.files[0].path, r.files[0].storage, r.files[0].bytes),
            std::make_tuple("Textures\\Tank.GAF", uint8_t(0), Text("first")));
  EXPECT_EQ(std::make_tuple(r.files[1].path, r.files[1].storage, r.files[1].bytes),
            std::make_tuple("Textures\\tank2.gaf", uint8_t(0), Row(70000, 1)));
}

TEST(HpiPacking, TheOldArchiveIsReplacedOnlyBySuccess) {
  TempDir dir;
  const std::string archive = dir.File("a.ufo");
  WriteFile(archive, Text("old archive"));
  WriteFile(dir.File("in"), Text("0123456789"));
  WriteFile(dir.File("small"), Text("abc"));
  // A file that went away before packing fails it, naming the file.
  int32_t h = HPICreate(archive);
  ASSERT_NE(HPIAddFile(h, "in", dir.File("in")), 0);
  WriteFile(dir.File("gone"), Text("soon removed"));
  ASSERT_NE(HPIAddFile(h, "z\\gone", dir.File("gone")), 0);
  std::filesystem::remove(dir.File("gone"));
  EXPECT_EQ(HPIPackArchive(h, 1), 0);
  EXPECT_NE(HPILastError().find("gone"), std::string::npos) << HPILastError();
  // The callback stops packing on its third call.
  std::vector<std::array<int32_t, 8>> calls;
  bool stop = true;
  const auto record = [&](int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g, int32_t i) {
    calls.push_back({a, b, c, d, e, f, g, i});
    return stop && calls.size() == 3 ? 1 : 0;
  };
  h = HPICreate(archive, record);
  WriteFile(dir.File("in"), NoiseBytes(300000, 4));
  ASSERT_NE(HPIAddFile(h, "in", dir.File("in")), 0);
  EXPECT_EQ(HPIPackArchive(h, 1), 0);
  EXPECT_EQ(calls.size(), 3u);
  EXPECT_EQ(ReadFile(archive), Text("old archive"));
  const std::set<std::string> files{"a.ufo", "in", "small"};
  EXPECT_EQ(FileNames(dir.path()), files);  // no temporary file left behind

  // Success. The file changed after it was taken on: its size is taken at
  // packing, and the callback follows the bytes and files from start to end.
  calls.clear();
  stop = false;
  h = HPICreate(archive, record);
  ASSERT_NE(HPIAddFile(h, "in", dir.File("in")), 0);
  ASSERT_NE(HPIAddFile(h, "small", dir.File("small")), 0);
  WriteFile(dir.File("in"), NoiseBytes(150000, 9));
  ASSERT_NE(HPIPackArchive(h, 1), 0) << HPILastError();
  ASSERT_GE(calls.size(), 5u);  // start, three chunks and one, files
  EXPECT_EQ(calls.front(), (std::array<int32_t, 8>{0, 150003, 0, 2, 0, 0, 0, 0}));
  EXPECT_EQ(calls.back(), (std::array<int32_t, 8>{150003, 150003, 2, 2, 0, 0, 0, 0}));
  for (size_t i = 1; i < calls.size(); ++i) EXPECT_TRUE(calls[i][0] >= calls[i - 1][0] && calls[i][2] >= calls[i - 1][2]);
  const HpiReadResult r = ReadHpi(ReadFile(archive));
  ASSERT_EQ(r.error, "");
  ASSERT_NE(r.Find("in"), nullptr);
  EXPECT_EQ(r.Find("in")->bytes, NoiseBytes(150000, 9));
  EXPECT_EQ(FileNames(dir.path()), files);
}

}  // namespace
}  // namespace quilmark::test
