#include <functional>

#include "HpiBuild.h"
#include "HpiTestReader.h"
#include "archive/HpiReader.h"
#include "archive/HpiUpdate.h"

namespace quilmark::test {
namespace {

Row Text(const std::string& s) { return Row(s.begin(), s.end()); }

// Every file of the archive at path with its bytes, in directory order ("!" and why when one cannot be read).
std::vector<std::pair<std::string, std::string>> Listing(const std::string& path) {
  std::string why;
  const std::unique_ptr<HpiArchive> archive = HpiArchive::Open(path, &why);
  if (!archive) return {{"!", why}};
  std::vector<std::pair<std::string, std::string>> files;
  for (const HpiEntry& e : archive->Entries()) {
    Row bytes;
    if (e.folder) continue;
    files.emplace_back(e.path, archive->ReadAll(e, bytes, &why) ? std::string(bytes.begin(), bytes.end()) : "!" + why);
  }
  if (!archive->Notes().empty()) files.emplace_back("!", archive->Notes()[0]);
  return files;
}

TEST(HpiUpdate, ReplacesOrAddsInPlaceKeepingSpellingAndOrder) {
  const std::vector<ArchiveFile> files = {
      {"units\\a.gaf", Text("aaa"), 1}, {"units\\c.gaf", Text("ccc"), 2, -1, true}, {"z", Text("zz"), 0}};
  // {path given, replaced, path as written, the files afterwards}
  using Listed = std::vector<std::pair<std::string, std::string>>;
  const std::vector<std::tuple<std::string, bool, std::string, Listed>> cases = {
      {"UNITS/A.GAF", true, "units\\a.gaf", {{"units\\a.gaf", "new"}, {"units\\c.gaf", "ccc"}, {"z", "zz"}}},
      {"units\\b.gaf",
       false,
       "units\\b.gaf",
       {{"units\\a.gaf", "aaa"}, {"units\\b.gaf", "new"}, {"units\\c.gaf", "ccc"}, {"z", "zz"}}},
      {"New\\deep\\x",
       false,
       "New\\deep\\x",
       {{"New\\deep\\x", "new"}, {"units\\a.gaf", "aaa"}, {"units\\c.gaf", "ccc"}, {"z", "zz"}}},
      {"\\Z", true, "z", {{"units\\a.gaf", "aaa"}, {"units\\c.gaf", "ccc"}, {"z", "new"}}}};
  for (const uint32_t key : {0u, 0x3Cu}) {
    for (const auto& [path, replaced, written, listed] : cases) {
      TempDir dir;
      WriteFile(dir.File("a.hpi"), BuildArchive(files, key).bytes);
      WriteFile(dir.File("new"), Text("new"));
      const HpiUpdateResult result = ReplaceEntry(dir.File("a.hpi"), path, dir.File("new"), true);
      ASSERT_TRUE(result.ok) << path << ": " << result.error;
      EXPECT_EQ(std::make_tuple(result.replaced, result.path_in_archive), std::make_tuple(replaced, written));
      EXPECT_EQ(Listing(dir.File("a.hpi")), listed) << path;
      EXPECT_EQ(Get32(ReadFile(dir.File("a.hpi")), 12), key);
      EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"a.hpi", "new"}));
    }
  }
}

TEST(HpiUpdate, RefusesAndLeavesTheArchiveAsItWas) {
  const std::vector<ArchiveFile> files = {{"units\\a.gaf", Text("aaa"), 1}, {"s", Text("stored"), 0}};
  using Arrange = std::function<void(Row&)>;
  // {what, a change to the archive, the path, the file put in, the reason}
  const std::vector<std::tuple<const char*, Arrange, std::string, std::string, std::string>> cases = {
      {"a folder of that name", {}, "Units", "new", "\"units\" is a folder in the archive"},
      {"a file where a folder is needed", {}, "s\\x", "new", "\"s\" is a file in the archive"},
      {"a path of no name", {}, "a\\..", "new", "which is no folder's name"},
      {"no file to put in", {}, "x", "missing", "missing: no such file"},
      {"not an archive", [](Row& a) { a[0] = 'X'; }, "x", "new", "not an HPI archive"},
      {"stored bytes outside", [](Row& a) { Set32(a, Get32(a, Get32(a, 24) + 9 + 4) + 4, 1 << 20); }, "x", "new",
       "s: cannot be copied: its 1048576 bytes run past the end"},
      {"stored bytes over all others",
       [](Row& a) {
         const size_t record = Get32(a, Get32(a, 24) + 9 + 4);
         Set32(a, record, 20), Set32(a, record + 4, uint32_t(a.size() - 20));
       },
       "x", "new", "entries share stored bytes in part"},
  };
  for (const auto& [what, arrange, path, input, reason] : cases) {
    TempDir dir;
    Row archive = BuildArchive(files).bytes;
    if (arrange) arrange(archive);
    WriteFile(dir.File("a.hpi"), archive);
    WriteFile(dir.File("new"), Text("new"));
    const HpiUpdateResult result = ReplaceEntry(dir.File("a.hpi"), path, dir.File(input), false);
    EXPECT_FALSE(result.ok) << what;
    EXPECT_NE(result.error.find(reason), std::string::npos) << what << ": " << result.error;
    EXPECT_EQ(ReadFile(dir.File("a.hpi")), archive) << what;
    EXPECT_EQ(FileNames(dir.path()), (std::set<std::string>{"a.hpi", "new"})) << what;
  }
  // Twins by letter case: the one left out would be lost, so nothing is written.
  TempDir dir;
  const Row twins = BuildArchive({{"T.gaf", Text("1"), 0}, {"t.GAF", Text("2"), 0}}).bytes;
  WriteFile(dir.File("a.hpi"), twins);
  WriteFile(dir.File("new"), Text("new"));
  const HpiUpdateResult result = ReplaceEntry(dir.File("a.hpi"), "x", dir.File("new"), false);
  EXPECT_NE(result.error.find("could not be read whole (t.GAF: a second entry"), std::string::npos) << result.error;
  EXPECT_EQ(ReadFile(dir.File("a.hpi")), twins);
}

}  // namespace
}  // namespace quilmark::test
