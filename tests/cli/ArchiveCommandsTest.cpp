#include <sstream>

#include "../archive/HpiBuild.h"
#include "TestSupport.h"
#include "archive/HpiReader.h"
#include "cli/Commands.h"

namespace quilmark {
namespace {

using test::ArchiveFile;
using test::BuiltArchive;
using test::Row;

Row Gaf(const std::string& name, int width) {
  classGAF doc;
  test::AddAnimation(doc, name, {test::MakeFrame(width, 3)});
  return test::SaveToBytes(doc);
}

Row Varied(size_t size, uint32_t seed) {
  std::mt19937 gen(seed);
  Row out(size);
  for (size_t i = 0; i < size; ++i) out[i] = uint8_t(i % 97 < 30 ? 9 : gen() % 8);
  return out;
}

std::string Right(uint64_t n) {
  const std::string s = std::to_string(n);
  return std::string(10 - s.size(), ' ') + s;
}

TEST(CliList, PrintsEveryEntryAsTextOrJson) {
  const Row tank = Gaf("tank", 5), lz = Gaf("lz", 70);
  BuiltArchive sound = test::BuildArchive(
      {{"units\\tank.gaf", tank, 2}, {"units\\lz.gaf", lz, 1, -1, true}, {"readme.txt", {'h', 'i', '!', '!', '!'}, 0}});
  test::TempDir dir;
  test::WriteFile(dir.File("a.hpi"), sound.bytes);
  std::ostringstream out, err;
  EXPECT_EQ(RunListCommand({dir.File("a.hpi")}, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "         -  folder  -    units\n" + Right(tank.size()) + "  zlib    gaf  units\\tank.gaf\n" +
                           Right(lz.size()) + "  lz77    gaf  units\\lz.gaf\n" +
                           "         5  stored  -    readme.txt\n");
  out.str("");
  EXPECT_EQ(RunListCommand({"--json", dir.File("a.hpi")}, out, err), 0);
  EXPECT_EQ(out.str(),
            "{\"complete\": true, \"entries\": [{\"path\": \"units\", \"folder\": true}, "
            "{\"path\": \"units\\\\tank.gaf\", \"folder\": false, \"size\": " +
                std::to_string(tank.size()) +
                ", \"storage\": \"zlib\", \"gaf\": true}, "
                "{\"path\": \"units\\\\lz.gaf\", \"folder\": false, \"size\": " +
                std::to_string(lz.size()) +
                ", \"storage\": \"lz77\", \"gaf\": true}, "
                "{\"path\": \"readme.txt\", \"folder\": false, \"size\": 5, \"storage\": \"stored\", "
                "\"gaf\": false}]}\n");
  EXPECT_EQ(err.str(), "");
  // A first chunk that cannot be read and a twin left out: listed as far as
  // they go, told on stderr, exit 1.
  BuiltArchive damaged = test::BuildArchive({{"x.gaf", tank, 2}, {"X.GAF", tank, 0}});
  damaged.bytes[damaged.chunks[0]] = 'Q';
  test::WriteFile(dir.File("d.hpi"), damaged.bytes);
  out.str("");
  EXPECT_EQ(RunListCommand({dir.File("d.hpi"), "--json"}, out, err), 1);
  EXPECT_NE(out.str().find("\"gaf\": null"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("\"complete\": false"), std::string::npos) << out.str();
  EXPECT_EQ(err.str(), dir.File("d.hpi") + ": x.gaf: its first bytes cannot be read\n" + dir.File("d.hpi") +
                           ": X.GAF: a second entry of that name (letter case ignored); left out\n");
  err.str("");
  for (const CommandArgs& args : {CommandArgs{dir.File("none.hpi")}, CommandArgs{dir.path()}})
    EXPECT_EQ(RunListCommand(args, out, err), 1);
  EXPECT_EQ(RunListCommand({}, out, err), 2);
}

TEST(CliExtract, WritesOneFileOrNothing) {
  const Row big = Varied(150000, 3);
  BuiltArchive built = test::BuildArchive({{"a\\Big.bin", big, 1}, {"bad", big, 2}});
  built.bytes[built.chunks.back() + 40] ^= 1;  // the last chunk of "bad"
  test::TempDir dir;
  test::WriteFile(dir.File("a.ufo"), built.bytes);
  // {path in the archive, exit status, what stderr holds}
  const std::vector<std::tuple<std::string, int, std::string>> cases = {{"A/big.BIN", 0, ""},
                                                                        {"bad", 1, "bad: chunk 3 of 3: checksum"},
                                                                        {"a", 1, "\"a\" is a folder"},
                                                                        {"none", 1, "no file \"none\""}};
  for (const auto& [path, status, message] : cases) {
    std::ostringstream err;
    EXPECT_EQ(RunExtractCommand({dir.File("a.ufo"), path, dir.File("out")}, err), status) << path;
    EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
    EXPECT_EQ(std::filesystem::exists(dir.File("out")), status == 0) << path;
    if (status == 0) {
      EXPECT_EQ(test::ReadFile(dir.File("out")), big);
    }
    std::filesystem::remove(dir.File("out"));
    EXPECT_EQ(test::FileNames(dir.path()), std::set<std::string>{"a.ufo"});
  }
  std::ostringstream err;
  EXPECT_EQ(RunExtractCommand({dir.File("a.ufo"), "bad"}, err), 2);
}

TEST(CliArchiveInput, CommandsReadAGafFileInsideAnArchive) {
  test::TempDir dir;
  const Row tank = Gaf("tank", 7);
  test::WriteFile(dir.File("tank.gaf"), tank);
  test::WriteFile(dir.File("mod.ccx"), test::BuildArchive({{"Units\\tank.gaf", tank, 1}}).bytes);
  test::WriteFile(dir.File("mod.ccx:other"), Gaf("other", 2));  // a file of that whole name comes first
  std::ostringstream direct, other, err;
  ASSERT_EQ(RunInfoCommand({dir.File("tank.gaf")}, direct, err), 0);
  ASSERT_EQ(RunInfoCommand({dir.File("mod.ccx:other")}, other, err), 0);
  ASSERT_NE(direct.str(), other.str());
  // {argument, exit status, stdout}
  const std::vector<std::tuple<std::string, int, std::string>> cases = {
      {dir.File("mod.ccx:units/TANK.gaf"), 0, direct.str()},
      {dir.File("mod.ccx:other"), 0, other.str()},
      {dir.File("mod.ccx:units"), 1, ""},
      {dir.File("mod.ccx:missing.gaf"), 1, ""},
      {dir.File("tank.gaf:units\\tank.gaf"), 1, ""}};
  for (const auto& [argument, status, printed] : cases) {
    std::ostringstream out;
    EXPECT_EQ(RunInfoCommand({argument}, out, err), status) << argument;
    EXPECT_EQ(out.str(), printed) << argument;
  }
  EXPECT_NE(err.str().find("mod.ccx:missing.gaf: cannot be read: the archive has no file \"missing.gaf\""),
            std::string::npos)
      << err.str();
  EXPECT_EQ(RunConvertCommand({dir.File("mod.ccx:units\\tank.gaf"), dir.File("copy.gaf")}, err), 0) << err.str();
  EXPECT_EQ(test::ReadFile(dir.File("copy.gaf")), tank);
  std::filesystem::create_directory(dir.File("images"));
  EXPECT_EQ(RunExportCommand({dir.File("mod.ccx:units\\tank.gaf"), dir.File("images")}, err), 0) << err.str();
  EXPECT_EQ(RunExplodeCommand({dir.File("mod.ccx:units\\tank.gaf"), dir.File("exploded")}, err), 0) << err.str();
  EXPECT_TRUE(std::filesystem::exists(dir.File("exploded/quilmark.json")));
}

// Fifty files of every storage; one is replaced by pack --into. Every other
// file's stored bytes must be the same in the new archive as in the old
// (decrypted where the old one was encrypted).
TEST(CliPackInto, ReplacesOneEntryAndKeepsEveryOtherStoredByteRange) {
  std::vector<ArchiveFile> files;
  for (int i = 0; i < 50; ++i) {
    const std::string folder = i % 3 == 0 ? "textures\\" : i % 3 == 1 ? "units\\sub\\" : "";
    files.push_back({folder + "f" + std::to_string(i) + (i % 2 ? ".gaf" : ".bin"),
                     i % 2 ? Gaf("g" + std::to_string(i), 1 + i) : Varied(size_t(i) * 2711 % 150000, uint32_t(i)),
                     i % 3, i % 5 == 0 && i % 3 ? 0 : -1, i % 4 == 0 && i % 3});
  }
  files[20].path = "textures\\Tank.GAF";
  // {archive key, --keep-key, key afterwards}
  const std::vector<std::tuple<uint32_t, bool, uint32_t>> cases = {
      {0, false, 0}, {0xA7, false, 0}, {0xA7, true, 0xA7}, {0x12345600, true, 0x12345600}};
  for (const auto& [key, keep, key_after] : cases) {
    SCOPED_TRACE(key);
    test::TempDir dir;
    const Row tank = Gaf("tank", 33);
    test::WriteFile(dir.File("tank.gaf"), tank);
    test::WriteFile(dir.File("old.ufo"), test::BuildArchive(files, key).bytes);
    std::filesystem::copy_file(dir.File("old.ufo"), dir.File("a.ufo"));
    CommandArgs args = {dir.File("tank.gaf"), dir.File("a.ufo"), "--into"};
    if (keep) args.push_back("--keep-key");
    std::ostringstream err;
    ASSERT_EQ(RunPackCommand(args, err), 0) << err.str();
    EXPECT_EQ(test::FileNames(dir.path()), (std::set<std::string>{"a.ufo", "old.ufo", "tank.gaf"}));
    std::string why;
    const auto before = HpiArchive::Open(dir.File("old.ufo"), &why), after = HpiArchive::Open(dir.File("a.ufo"), &why);
    ASSERT_TRUE(before && after) << why;
    EXPECT_EQ(after->HeaderKey(), key_after);
    ASSERT_EQ(after->Entries().size(), before->Entries().size());
    const Row plain = test::ReadFile(dir.File("a.ufo"));
    for (const HpiEntry& old : before->Entries()) {
      const HpiEntry* now = after->Find(old.path);
      ASSERT_TRUE(now && now->path == old.path) << old.path;
      if (old.folder) continue;
      Row bytes;
      ASSERT_TRUE(after->ReadAll(*now, bytes, &why)) << old.path << ": " << why;
      if (old.path == "textures\\Tank.GAF") {
        EXPECT_EQ(std::make_tuple(bytes, int(now->storage)), std::make_tuple(tank, 2));
        continue;
      }
      uint64_t length = 0, new_length = 0;
      ASSERT_TRUE(before->StoredLength(old, &length, &why) && after->StoredLength(*now, &new_length, &why));
      Row was(length), is(length);
      ASSERT_TRUE(length == new_length && before->ReadAt(old.data_offset, was.data(), length) &&
                  after->ReadAt(now->data_offset, is.data(), length))
          << old.path;
      EXPECT_EQ(is, was) << old.path;
      EXPECT_EQ(std::make_tuple(now->size, now->storage), std::make_tuple(old.size, old.storage)) << old.path;
      // Written plain, the new file holds those bytes as they are.
      if (key_after == 0) {
        EXPECT_TRUE(std::equal(was.begin(), was.end(), plain.begin() + now->data_offset)) << old.path;
      }
    }
  }
  std::ostringstream err;
  EXPECT_EQ(RunPackCommand({"a.gaf", "b.ufo", "--keep-key"}, err), 2);
  EXPECT_NE(err.str().find("--keep-key needs --into"), std::string::npos);
}

}  // namespace
}  // namespace quilmark
