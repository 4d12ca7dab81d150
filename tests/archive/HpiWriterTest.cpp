#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <set>

#include "HpiTestReader.h"
#include "archive/HpiWriter.h"
#include "archive/modHPIUtil.h"

namespace quilmark::test {
namespace {

std::vector<uint8_t> Text(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// Files in the folder other than those named.
std::vector<std::string> Leftovers(const TempDir& dir, const std::set<std::string>& expected) {
  std::vector<std::string> extra;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = e.path().filename().string();
    if (!expected.count(name)) extra.push_back(name);
  }
  return extra;
}

TEST(HpiLayout, OneSmallFileInAFolderMatchesTheBytesByHand) {
  TempDir dir;
  WriteFile(dir.File("in"), Text("xyz"));
  HpiWriter writer(dir.File("a.ufo"));
  ASSERT_TRUE(writer.AddFile("a\\b.gaf", dir.File("in")));
  ASSERT_TRUE(writer.Write()) << writer.Error();

  const std::vector<uint8_t> expected = {
      // header: "HAPI", version 0x00010000, DirectorySize 71, HeaderKey 0, Start 20
      'H', 'A', 'P', 'I', 0x00, 0x00, 0x01, 0x00, 71, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0,
      // 20: root: 1 entry, list at 28
      1, 0, 0, 0, 28, 0, 0, 0,
      // 28: entry "a" (name at 37), directory record at 39, flag 1
      37, 0, 0, 0, 39, 0, 0, 0, 1,
      // 37: "a"
      'a', 0,
      // 39: folder a: 1 entry, list at 47
      1, 0, 0, 0, 47, 0, 0, 0,
      // 47: entry "b.gaf" (name at 56), file record at 62, flag 0
      56, 0, 0, 0, 62, 0, 0, 0, 0,
      // 56: "b.gaf"
      'b', '.', 'g', 'a', 'f', 0,
      // 62: file record: data at 71, 3 bytes, storage 2
      71, 0, 0, 0, 3, 0, 0, 0, 2,
      // 71: chunk table: one chunk of 19 + 3 bytes
      22, 0, 0, 0,
      // 75: "SQSH", version 2, compression 0 (zlib would make it longer), not obfuscated,
      // payload 3, uncompressed 3, checksum 'x' + 'y' + 'z' = 363 = 0x016B
      'S', 'Q', 'S', 'H', 2, 0, 0, 3, 0, 0, 0, 3, 0, 0, 0, 0x6B, 0x01, 0, 0,
      'x', 'y', 'z'};
  EXPECT_EQ(ReadFile(dir.File("a.ufo")), expected);
}

TEST(HpiLayout, CompressibleChunkIsACompleteZlibStream) {
  TempDir dir;
  WriteFile(dir.File("in"), std::vector<uint8_t>(1000, 'A'));
  HpiWriter writer(dir.File("a.ufo"));
  ASSERT_TRUE(writer.AddFile("big.bin", dir.File("in")));
  ASSERT_TRUE(writer.Write());
  const std::vector<uint8_t> bytes = ReadFile(dir.File("a.ufo"));
  // Root entry list at 28, name at 37 ("big.bin" + 0 = 8 bytes), file record at 45, data at 54.
  ASSERT_GE(bytes.size(), 54u + 4 + 19);
  EXPECT_EQ(bytes[8], 54);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 45, bytes.begin() + 54),
            (std::vector<uint8_t>{54, 0, 0, 0, 0xE8, 0x03, 0, 0, 2}));
  const size_t chunk = 58;
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + chunk, bytes.begin() + chunk + 7),
            (std::vector<uint8_t>{'S', 'Q', 'S', 'H', 2, 2, 0}));
  // zlib header: deflate, 32 KiB window, with a valid check value.
  EXPECT_EQ(bytes[chunk + 19] & 0x0F, 8);
  EXPECT_EQ(((bytes[chunk + 19] << 8) | bytes[chunk + 20]) % 31, 0);
  const HpiReadResult r = ReadHpi(bytes);
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.files.size(), 1u);
  EXPECT_LT(r.files[0].chunks[0].payload_size, 100u);
  EXPECT_EQ(r.files[0].bytes, std::vector<uint8_t>(1000, 'A'));
}

TEST(HpiChunks, FilesAreCutIn64KiBChunks) {
  TempDir dir;
  // Two chunks of noise (stored plainly), then a compressible rest of 100 bytes.
  std::vector<uint8_t> data = NoiseBytes(2 * 65536, 7);
  data.insert(data.end(), 100, 0x55);
  WriteFile(dir.File("big"), data);
  WriteFile(dir.File("exact"), std::vector<uint8_t>(65536, 3));
  std::vector<uint8_t> one_more(65537, 4);
  one_more.back() = 9;
  WriteFile(dir.File("onemore"), one_more);

  HpiWriter writer(dir.File("a.ufo"));
  ASSERT_TRUE(writer.AddFile("big", dir.File("big")));
  ASSERT_TRUE(writer.AddFile("exact", dir.File("exact")));
  ASSERT_TRUE(writer.AddFile("onemore", dir.File("onemore")));
  ASSERT_TRUE(writer.Write());
  const HpiReadResult r = ReadHpi(ReadFile(dir.File("a.ufo")));
  ASSERT_EQ(r.error, "");

  const HpiFileInfo* big = r.Find("big");
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->storage, 2);
  ASSERT_EQ(big->chunks.size(), 3u);
  EXPECT_EQ(big->chunks[0].uncompressed_size, 65536u);
  EXPECT_EQ(big->chunks[0].compression, 0);
  EXPECT_EQ(big->chunks[0].payload_size, 65536u);
  EXPECT_EQ(big->chunks[1].compression, 0);
  EXPECT_EQ(big->chunks[2].uncompressed_size, 100u);
  EXPECT_EQ(big->chunks[2].compression, 2);
  EXPECT_EQ(big->bytes, data);

  const HpiFileInfo* exact = r.Find("exact");
  ASSERT_NE(exact, nullptr);
  ASSERT_EQ(exact->chunks.size(), 1u);
  EXPECT_EQ(exact->chunks[0].compression, 2);
  EXPECT_EQ(exact->bytes, std::vector<uint8_t>(65536, 3));

  const HpiFileInfo* more = r.Find("onemore");
  ASSERT_NE(more, nullptr);
  ASSERT_EQ(more->chunks.size(), 2u);
  EXPECT_EQ(more->chunks[1].uncompressed_size, 1u);
  EXPECT_EQ(more->bytes, one_more);
}

TEST(HpiChunks, EmptyFileIsStoredWhole) {
  TempDir dir;
  WriteFile(dir.File("empty"), {});
  HpiWriter writer(dir.File("a.ufo"));
  ASSERT_TRUE(writer.AddFile("e", dir.File("empty")));
  ASSERT_TRUE(writer.Write());
  const std::vector<uint8_t> bytes = ReadFile(dir.File("a.ufo"));
  // Root list at 28, "e" at 37, file record at 39: data at 48 (the archive's end), 0 bytes, storage 0.
  const std::vector<uint8_t> tail = {1, 0, 0, 0, 28, 0, 0, 0, 37, 0, 0, 0, 39, 0, 0, 0, 0,
                                     'e', 0, 48, 0, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 20, bytes.end()), tail);
  const HpiReadResult r = ReadHpi(bytes);
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.files.size(), 1u);
  EXPECT_EQ(r.files[0].storage, 0);
  EXPECT_EQ(r.files[0].size, 0u);
}

TEST(HpiChunks, UncompressedPackingStoresFilesWhole) {
  TempDir dir;
  const std::vector<uint8_t> data(70000, 1);
  WriteFile(dir.File("in"), data);
  const int32_t h = HPICreate(dir.File("a.ufo"));
  ASSERT_NE(h, 0);
  ASSERT_NE(HPIAddFile(h, "x\\in", dir.File("in")), 0);
  ASSERT_NE(HPIPackArchive(h, 0), 0);
  const HpiReadResult r = ReadHpi(ReadFile(dir.File("a.ufo")));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.files.size(), 1u);
  EXPECT_EQ(r.files[0].storage, 0);
  EXPECT_EQ(r.files[0].bytes, data);
}

TEST(HpiDirectory, NestedFoldersAreSortedWithoutRegardToCase) {
  TempDir dir;
  WriteFile(dir.File("in"), Text("data"));
  HpiWriter writer(dir.File("a.ufo"));
  for (const char* path : {"units\\Zeta.gaf", "units\\alpha.gaf", "Textures\\b.gaf", "anims\\Ab", "anims\\_x",
                           "anims/deep\\\\er//c.gaf", "\\root.gaf"})
    ASSERT_TRUE(writer.AddFile(path, dir.File("in"))) << path << ": " << writer.Error();
  ASSERT_TRUE(writer.Write());
  const HpiReadResult r = ReadHpi(ReadFile(dir.File("a.ufo")));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.folders, (std::vector<std::string>{"anims", "anims\\deep", "anims\\deep\\er", "Textures", "units"}));
  std::vector<std::string> files;
  for (const HpiFileInfo& f : r.files) {
    files.push_back(f.path);
    EXPECT_EQ(f.bytes, Text("data")) << f.path;
  }
  // '_' (0x5F) sorts before the folded 'a' (0x61).
  EXPECT_EQ(files, (std::vector<std::string>{"anims\\_x", "anims\\Ab", "anims\\deep\\er\\c.gaf", "root.gaf",
                                             "Textures\\b.gaf", "units\\alpha.gaf", "units\\Zeta.gaf"}));
}

TEST(HpiDirectory, PathsSplitAtBothSeparators) {
  EXPECT_EQ(SplitArchivePath("textures\\tank.gaf"), (std::vector<std::string>{"textures", "tank.gaf"}));
  EXPECT_EQ(SplitArchivePath("\\tank.gaf"), (std::vector<std::string>{"tank.gaf"}));
  EXPECT_EQ(SplitArchivePath("a//b\\/c\\"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(SplitArchivePath("\\/\\").empty());
  EXPECT_EQ(CompareArchiveNames("TANK.gaf", "tank.GAF"), 0);
  EXPECT_LT(CompareArchiveNames("_a", "Ab"), 0);
  EXPECT_LT(CompareArchiveNames("ab", "ABC"), 0);
  EXPECT_GT(CompareArchiveNames("b", "A"), 0);
}

TEST(HpiAddFile, RefusesPathsTakenIgnoringCase) {
  TempDir dir;
  WriteFile(dir.File("one"), Text("first"));
  WriteFile(dir.File("two"), Text("second"));
  const int32_t h = HPICreate(dir.File("a.ufo"));
  ASSERT_NE(h, 0);
  EXPECT_NE(HPIAddFile(h, "Textures\\Tank.GAF", dir.File("one")), 0);
  EXPECT_EQ(HPIAddFile(h, "textures\\tank.gaf", dir.File("two")), 0);
  EXPECT_EQ(HPIAddFile(h, "TEXTURES/TANK.GAF", dir.File("two")), 0);
  // A file where a folder stands, and a folder where a file stands.
  EXPECT_EQ(HPIAddFile(h, "textures", dir.File("two")), 0);
  EXPECT_EQ(HPIAddFile(h, "textures\\tank.gaf\\inner", dir.File("two")), 0);
  // No name at all, a file that is not there, a folder instead of a file.
  EXPECT_EQ(HPIAddFile(h, "\\\\", dir.File("two")), 0);
  EXPECT_EQ(HPIAddFile(h, "missing", dir.File("missing")), 0);
  EXPECT_EQ(HPIAddFile(h, "folder", dir.path()), 0);
  EXPECT_NE(HPIAddFile(h, "textures\\tank2.gaf", dir.File("two")), 0);
  ASSERT_NE(HPIPackArchive(h, 1), 0) << HPILastError();

  const HpiReadResult r = ReadHpi(ReadFile(dir.File("a.ufo")));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.files.size(), 2u);
  EXPECT_EQ(r.files[0].path, "Textures\\Tank.GAF");
  EXPECT_EQ(r.files[0].bytes, Text("first"));
  EXPECT_EQ(r.files[1].path, "Textures\\tank2.gaf");
}

TEST(HpiHandles, CreateRefusesFoldersThatCannotTakeTheArchive) {
  TempDir dir;
  WriteFile(dir.File("plain"), Text("x"));
  EXPECT_EQ(HPICreate(dir.File("missing/a.ufo")), 0);
  EXPECT_NE(HPILastError(), "");
  EXPECT_EQ(HPICreate(dir.File("plain/a.ufo")), 0);
  EXPECT_EQ(HPICreate(dir.path()), 0);
  EXPECT_EQ(HPICreate(""), 0);
  EXPECT_FALSE(Exists(dir.File("missing")));
}

TEST(HpiHandles, HandlesAreSmallAndReleasedByPacking) {
  TempDir dir;
  WriteFile(dir.File("in"), Text("x"));
  const int32_t a = HPICreate(dir.File("a.ufo"));
  const int32_t b = HPICreate(dir.File("b.ufo"));
  ASSERT_NE(a, 0);
  ASSERT_NE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_GT(a, 0);
  EXPECT_LT(a, 16);
  ASSERT_NE(HPIAddFile(a, "in", dir.File("in")), 0);
  ASSERT_NE(HPIPackArchive(a, 1), 0);
  // The packed handle is gone; the other is untouched by it.
  EXPECT_EQ(HPIAddFile(a, "again", dir.File("in")), 0);
  EXPECT_EQ(HPIPackArchive(a, 1), 0);
  EXPECT_NE(HPIAddFile(b, "in", dir.File("in")), 0);
  EXPECT_NE(HPIDiscardArchive(b), 0);
  EXPECT_EQ(HPIDiscardArchive(b), 0);
  EXPECT_FALSE(Exists(dir.File("b.ufo")));
  EXPECT_EQ(HPIAddFile(0, "in", dir.File("in")), 0);
}

TEST(HpiPacking, CallbackFollowsTheBytesAndFiles) {
  TempDir dir;
  WriteFile(dir.File("big"), NoiseBytes(150000, 1));
  WriteFile(dir.File("small"), Text("abc"));
  std::vector<std::array<int32_t, 8>> calls;
  const int32_t h = HPICreate(dir.File("a.ufo"), [&](int32_t a, int32_t b, int32_t c, int32_t d, int32_t e,
                                                      int32_t f, int32_t g, int32_t i) {
    calls.push_back({a, b, c, d, e, f, g, i});
    return 0;
  });
  ASSERT_NE(HPIAddFile(h, "big", dir.File("big")), 0);
  ASSERT_NE(HPIAddFile(h, "small", dir.File("small")), 0);
  ASSERT_NE(HPIPackArchive(h, 1), 0);
  ASSERT_GE(calls.size(), 5u);  // start, three chunks and one, files
  EXPECT_EQ(calls.front(), (std::array<int32_t, 8>{0, 150003, 0, 2, 0, 0, 0, 0}));
  EXPECT_EQ(calls.back(), (std::array<int32_t, 8>{150003, 150003, 2, 2, 0, 0, 0, 0}));
  for (size_t i = 1; i < calls.size(); ++i) {
    EXPECT_GE(calls[i][0], calls[i - 1][0]);
    EXPECT_GE(calls[i][2], calls[i - 1][2]);
  }
}

TEST(HpiPacking, SuccessReplacesTheOldArchive) {
  TempDir dir;
  WriteFile(dir.File("a.ufo"), Text("old archive"));
  WriteFile(dir.File("in"), Text("new"));
  const int32_t h = HPICreate(dir.File("a.ufo"));
  ASSERT_NE(HPIAddFile(h, "in", dir.File("in")), 0);
  ASSERT_NE(HPIPackArchive(h, 1), 0);
  const HpiReadResult r = ReadHpi(ReadFile(dir.File("a.ufo")));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.files.at(0).bytes, Text("new"));
  EXPECT_TRUE(Leftovers(dir, {"a.ufo", "in"}).empty());
}

TEST(HpiPacking, FailedPackLeavesTheOldArchiveUntouched) {
  TempDir dir;
  WriteFile(dir.File("a.ufo"), Text("old archive"));
  WriteFile(dir.File("in"), NoiseBytes(200000, 3));
  WriteFile(dir.File("gone"), Text("soon removed"));
  const int32_t h = HPICreate(dir.File("a.ufo"));
  ASSERT_NE(HPIAddFile(h, "in", dir.File("in")), 0);
  ASSERT_NE(HPIAddFile(h, "z\\gone", dir.File("gone")), 0);
  std::filesystem::remove(dir.File("gone"));
  EXPECT_EQ(HPIPackArchive(h, 1), 0);
  EXPECT_NE(HPILastError().find("gone"), std::string::npos) << HPILastError();
  EXPECT_EQ(ReadFile(dir.File("a.ufo")), Text("old archive"));
  EXPECT_TRUE(Leftovers(dir, {"a.ufo", "in"}).empty());
}

TEST(HpiPacking, CallbackCanStopPacking) {
  TempDir dir;
  WriteFile(dir.File("a.ufo"), Text("old archive"));
  WriteFile(dir.File("in"), NoiseBytes(300000, 4));
  int calls = 0;
  const int32_t h = HPICreate(dir.File("a.ufo"), [&](int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                                      int32_t) { return ++calls == 3 ? 1 : 0; });
  ASSERT_NE(HPIAddFile(h, "in", dir.File("in")), 0);
  EXPECT_EQ(HPIPackArchive(h, 1), 0);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(ReadFile(dir.File("a.ufo")), Text("old archive"));
  EXPECT_TRUE(Leftovers(dir, {"a.ufo", "in"}).empty());
}

TEST(HpiPacking, WriterChecksTheFileItRead) {
  TempDir dir;
  WriteFile(dir.File("in"), Text("0123456789"));
  HpiWriter writer(dir.File("a.ufo"));
  ASSERT_TRUE(writer.AddFile("in", dir.File("in")));
  // The file grows between taking it on and packing: the archive takes its size at packing.
  WriteFile(dir.File("in"), NoiseBytes(70000, 9));
  ASSERT_TRUE(writer.Write());
  const HpiReadResult r = ReadHpi(ReadFile(dir.File("a.ufo")));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.files.at(0).bytes, NoiseBytes(70000, 9));
}

}  // namespace
}  // namespace quilmark::test
