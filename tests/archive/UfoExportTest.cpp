#include <algorithm>
#include <functional>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "HpiTestReader.h"
#include "archive/UfoExport.h"
#include "base/TemporaryFiles.h"
#include "document/classGAF.h"

namespace quilmark::test {
namespace {

using Row = std::vector<uint8_t>;
using Names = std::vector<std::string>;

// One 5 × 3 frame, and a second one larger than the writer's 1 MiB read block when big.
classGAF MakeDocument(bool big = false) {
  classGAF doc;
  const AnimationPtr animation = AddAnimation(doc, "tank", {MakeFrame(5, 3)});
  if (big) animation->Frames.Add(MakeFrame(1200, 1000));
  return doc;
}

// Everything in the folder, as paths relative to it, sorted.
Names Entries(const TempDir& dir) {
  Names names;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
    names.push_back(std::filesystem::relative(e.path(), dir.path()).string());
  std::sort(names.begin(), names.end());
  return names;
}

// Answers the folder question and records what the export did when.
struct ScriptedUi : UfoExportUi {
  ScriptedUi(std::optional<std::string> answer, std::string archive) : answer(std::move(answer)), archive(archive) {}
  std::optional<std::string> AskArchiveFolder(const std::string&, const std::string&,
                                              const std::string& default_answer) override {
    const bool saved = std::filesystem::exists(archive + ".gaf");
    asked.push_back(default_answer + (saved ? "|saved" : "") + "|busy " + std::to_string(busy));
    if (on_ask) on_ask();
    return answer;
  }
  void ShowBusyPointer() override { ++busy; }
  bool PackProgress(uint64_t, uint64_t, uint32_t, uint32_t) override {
    ++progress;
    if (on_progress) on_progress(progress);
    return progress < stop_at;
  }
  std::optional<std::string> answer;
  std::string archive;
  Names asked;
  int busy = 0, progress = 0, stop_at = 1 << 30;
  std::function<void()> on_ask;
  std::function<void(int)> on_progress;
};

TEST(UfoExport, TheSavedDocumentGoesUnderTheAnsweredFolder) {
  const classGAF doc = MakeDocument();
  const Row saved = SaveToBytes(doc);
  // {answer, archive, path in the archive, folders}; a cancelled box counts as an empty answer.
  const std::vector<std::tuple<std::optional<std::string>, std::string, std::string, Names>> cases = {
      {"textures", "tank.ufo", "textures\\tank.gaf", {"textures"}},
      {"units\\gfx", "tank.abc", "units\\gfx\\tank.gaf", {"units", "units\\gfx"}},
      {"", "root.ufo", "\\root.gaf", {}},
      {std::nullopt, "root.ufo", "\\root.gaf", {}}};
  for (const auto& [answer, name, path, folders] : cases) {
    TempDir dir;
    const std::string archive = dir.File(name);
    ScriptedUi ui(answer, archive);
    const UfoExportResult result = ExportUfo(doc, archive, ui);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(std::tuple(result.cancelled, result.warning, result.path_in_archive), std::tuple(false, "", path));
    // The archive was started and the document saved before the question.
    EXPECT_EQ(ui.asked, Names{"textures|saved|busy 1"});
    EXPECT_GT(ui.progress, 0);
    EXPECT_EQ(Entries(dir), Names{name});
    EXPECT_EQ(ReadHpi(ReadFile(archive)).folders, folders);
    EXPECT_EQ(OnlyFile(ReadFile(archive)), std::pair(path.substr(path[0] == '\\'), saved));
  }
}

TEST(UfoExport, EveryFailureRemovesTheTemporaryFileAndKeepsTheOldArchive) {
  struct Case {
    const char* what;
    std::string archive;  // tank.ufo holds an old archive
    std::function<void(ScriptedUi&)> arrange;
    std::string error;
    bool cancelled;
    size_t asked;
    Names left;  // the folder afterwards
  };
  const auto temporary = [](const ScriptedUi& ui) { return ui.archive + ".gaf"; };
  const std::vector<Case> cases = {
      {"archive in a missing folder", "missing/tank.ufo", {}, "missing", false, 0, {"tank.ufo"}},
      {"temporary file cut short while packing", "tank.ufo",
       [&](ScriptedUi& ui) {
         ui.on_progress = [&](int call) {
           if (call == 2) std::filesystem::resize_file(temporary(ui), 70000);
         };
       },
       "shrank", false, 1, {"tank.ufo"}},
      {"temporary file gone before it is added", "tank.ufo",
       [&](ScriptedUi& ui) { ui.on_ask = [&] { std::filesystem::remove(temporary(ui)); }; }, "could not be added",
       false, 1, {"tank.ufo"}},
      {"cancelled while packing", "tank.ufo", [](ScriptedUi& ui) { ui.stop_at = 1; }, "", true, 1, {"tank.ufo"}}};
  const classGAF doc = MakeDocument(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    WriteFile(dir.File("tank.ufo"), {'o', 'l', 'd'});
    ScriptedUi ui(std::string("textures"), dir.File(c.archive));
    if (c.arrange) c.arrange(ui);
    const UfoExportResult result = ExportUfo(doc, ui.archive, ui);
    EXPECT_EQ(std::tuple(result.ok, result.cancelled, result.warning, ui.asked.size()),
              std::tuple(false, c.cancelled, "", c.asked));
    EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
    EXPECT_EQ(ReadFile(dir.File("tank.ufo")), (Row{'o', 'l', 'd'}));
    EXPECT_EQ(Entries(dir), c.left);
  }
}

TEST(UfoExport, TheTemporaryFileIsAlwaysItsOwnAndNeverWhatStandsAtItsName) {
  // Whatever has the temporary file's usual name — a file, a link to one, a
  // folder — stays as it was; the export writes beside it and removes only
  // its own file.
  const classGAF doc = MakeDocument();
  const Row saved = SaveToBytes(doc);
  const std::vector<std::pair<const char*, std::function<void(const TempDir&)>>> cases = {
      {"a file", [](const TempDir& d) { WriteFile(d.File("tank.ufo.gaf"), {'p'}); }},
      {"a link to a file",
       [](const TempDir& d) {
         WriteFile(d.File("precious"), {'p'});
         std::filesystem::create_symlink(d.File("precious"), d.File("tank.ufo.gaf"));
       }},
      {"a dangling link", [](const TempDir& d) { std::filesystem::create_symlink(d.File("precious"), d.File("tank.ufo.gaf")); }},
      {"a folder", [](const TempDir& d) { std::filesystem::create_directory(d.File("tank.ufo.gaf")); }}};
  for (const auto& [what, arrange] : cases) {
    SCOPED_TRACE(what);
    TempDir dir;
    arrange(dir);
    const Names before = Entries(dir);
    const auto state = [&] {
      std::vector<Row> bytes;
      for (const std::string& name : before)
        if (std::filesystem::is_regular_file(dir.File(name))) bytes.push_back(ReadFile(dir.File(name)));
      return bytes;
    };
    const std::vector<Row> contents = state();
    ScriptedUi ui(std::string("textures"), dir.File("tank.ufo"));
    const UfoExportResult result = ExportUfo(doc, dir.File("tank.ufo"), ui);
    ASSERT_TRUE(result.ok) << result.error;
    Names after = before;
    after.push_back("tank.ufo");
    std::sort(after.begin(), after.end());
    EXPECT_EQ(Entries(dir), after);
    EXPECT_EQ(state(), contents);
    EXPECT_EQ(OnlyFile(ReadFile(dir.File("tank.ufo"))).second, saved);
  }
}

TEST(UfoExport, ATerminationSignalWhilePackingRemovesEveryTemporaryFile) {
  TempDir dir;
  WriteFile(dir.File("tank.ufo"), {'o', 'l', 'd'});
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    InstallTemporaryFileCleanup();
    ScriptedUi ui(std::string("textures"), dir.File("tank.ufo"));
    // Both the GAF file and the archive's own temporary file exist by now.
    ui.on_progress = [](int call) {
      if (call == 2) ::raise(SIGTERM);
    };
    (void)ExportUfo(MakeDocument(true), dir.File("tank.ufo"), ui);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(Entries(dir), Names{"tank.ufo"});
  EXPECT_EQ(ReadFile(dir.File("tank.ufo")), (Row{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace quilmark::test
