#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>

#include "HpiTestReader.h"
#include "archive/PackCommand.h"
#include "archive/UfoExport.h"
#include "document/classGAF.h"

namespace quilmark::test {
namespace {

classGAF MakeDocument() {
  classGAF doc;
  auto animation = std::make_shared<classGAFAnimation>();
  animation->Name = "tank";
  auto frame = std::make_shared<classGAFFrame>();
  frame->SetWidth(5);
  frame->SetHeight(3);
  for (size_t i = 0; i < frame->Pixels.size(); ++i) frame->Pixels[i] = static_cast<uint8_t>(i * 13);
  EXPECT_TRUE(frame->SetPositionX(2));
  animation->Frames.Add(frame);
  doc.Animations.Add(animation, animation->Name);
  return doc;
}

std::vector<uint8_t> SavedBytes(const classGAF& doc, const TempDir& dir) {
  const std::string path = dir.File("reference.gaf");
  EXPECT_TRUE(doc.Save(path));
  std::vector<uint8_t> bytes = ReadFile(path);
  std::filesystem::remove(path);
  return bytes;
}

// Answers the folder question and records what the export did when.
class ScriptedUi : public UfoExportUi {
 public:
  ScriptedUi(std::optional<std::string> answer, std::string archive) : answer_(std::move(answer)), archive_(archive) {}

  std::optional<std::string> AskArchiveFolder(const std::string& prompt, const std::string& title,
                                              const std::string& default_answer) override {
    ++asked;
    this->prompt = prompt;
    this->title = title;
    this->default_answer = default_answer;
    temporary_existed_when_asked = Exists(UfoTemporaryPath(archive_));
    busy_before_asked = busy;
    if (on_ask) on_ask();
    return answer_;
  }
  void ShowBusyPointer() override { ++busy; }
  bool PackProgress(uint64_t, uint64_t, uint32_t, uint32_t) override {
    ++progress_calls;
    if (on_progress) on_progress(progress_calls);
    return progress_calls < stop_at;
  }

  int asked = 0;
  int busy = 0;
  int busy_before_asked = 0;
  int progress_calls = 0;
  int stop_at = 1 << 30;
  bool temporary_existed_when_asked = false;
  std::string prompt, title, default_answer;
  std::function<void()> on_ask;
  std::function<void(int)> on_progress;

 private:
  std::optional<std::string> answer_;
  std::string archive_;
};

TEST(UfoPaths, TemporaryFileAndPathInArchive) {
  EXPECT_EQ(UfoTemporaryPath("/x/tank.ufo"), "/x/tank.ufo.gaf");
  EXPECT_EQ(UfoPathInArchive("textures", "/x/tank.ufo"), "textures\\tank.gaf");
  EXPECT_EQ(UfoPathInArchive("units\\gfx", "/x/tank.ufo"), "units\\gfx\\tank.gaf");
  EXPECT_EQ(UfoPathInArchive("", "/x/tank.ufo"), "\\tank.gaf");
  EXPECT_EQ(UfoPathInArchive("textures", "/x/tank.abc"), "textures\\tank.gaf");
  EXPECT_EQ(UfoPathInArchive("textures", "tank.ufo"), "textures\\tank.gaf");
  EXPECT_EQ(UfoPathInArchive("t", "/x/ab"), "t\\gaf");
}

TEST(UfoExport, DefaultFolderHoldsTheSavedDocument) {
  TempDir dir;
  const classGAF doc = MakeDocument();
  const std::string archive = dir.File("tank.ufo");
  ScriptedUi ui(std::string("textures"), archive);
  const UfoExportResult result = ExportUfo(doc, archive, ui);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_FALSE(result.cancelled);
  EXPECT_EQ(result.warning, "");
  EXPECT_EQ(result.path_in_archive, "textures\\tank.gaf");
  EXPECT_EQ(ui.asked, 1);
  EXPECT_EQ(ui.prompt, "Enter the subdirectory in the HPI to place the gaf file.");
  EXPECT_EQ(ui.title, "Pack UFO");
  EXPECT_EQ(ui.default_answer, "textures");
  // The archive was started and the document saved before the question.
  EXPECT_TRUE(ui.temporary_existed_when_asked);
  EXPECT_EQ(ui.busy_before_asked, 1);
  EXPECT_GT(ui.progress_calls, 0);
  EXPECT_FALSE(Exists(UfoTemporaryPath(archive)));

  const HpiReadResult r = ReadHpi(ReadFile(archive));
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.folders, std::vector<std::string>{"textures"});
  ASSERT_EQ(r.files.size(), 1u);
  EXPECT_EQ(r.files[0].path, "textures\\tank.gaf");
  EXPECT_EQ(r.files[0].bytes, SavedBytes(doc, dir));
}

TEST(UfoExport, NestedAndEmptyFolderAnswers) {
  TempDir dir;
  const classGAF doc = MakeDocument();
  {
    ScriptedUi ui(std::string("units\\gfx"), dir.File("tank.abc"));
    ASSERT_TRUE(ExportUfo(doc, dir.File("tank.abc"), ui));
    const HpiReadResult r = ReadHpi(ReadFile(dir.File("tank.abc")));
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.files.size(), 1u);
    EXPECT_EQ(r.files[0].path, "units\\gfx\\tank.gaf");
  }
  // A cancelled box counts as an empty answer: the file lands at the root.
  for (const std::optional<std::string>& answer : {std::optional<std::string>(), std::optional<std::string>("")}) {
    const std::string archive = dir.File("root.ufo");
    ScriptedUi ui(answer, archive);
    const UfoExportResult result = ExportUfo(doc, archive, ui);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.path_in_archive, "\\root.gaf");
    const HpiReadResult r = ReadHpi(ReadFile(archive));
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.folders.empty());
    ASSERT_EQ(r.files.size(), 1u);
    EXPECT_EQ(r.files[0].path, "root.gaf");
    EXPECT_FALSE(Exists(UfoTemporaryPath(archive)));
  }
}

TEST(UfoExportFailure, ArchiveThatCannotBeStartedWritesNothing) {
  TempDir dir;
  const std::string archive = dir.File("missing/tank.ufo");
  ScriptedUi ui(std::string("textures"), archive);
  const UfoExportResult result = ExportUfo(MakeDocument(), archive, ui);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error, "");
  EXPECT_EQ(ui.asked, 0);
  EXPECT_EQ(ui.busy, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(UfoExportFailure, FailedPackRemovesTheTemporaryFileAndKeepsTheOldArchive) {
  TempDir dir;
  const std::string archive = dir.File("tank.ufo");
  WriteFile(archive, {'o', 'l', 'd'});
  // A document larger than the writer's 1 MiB read block; the temporary file is
  // cut short once the first block was read.
  classGAF doc = MakeDocument();
  auto frame = std::make_shared<classGAFFrame>();
  frame->SetWidth(1200);
  frame->SetHeight(1000);
  doc.Animations.Item(1)->Frames.Add(frame);
  ScriptedUi ui(std::string("textures"), archive);
  ui.on_progress = [&](int call) {
    if (call == 2) std::filesystem::resize_file(UfoTemporaryPath(archive), 70000);
  };
  const UfoExportResult result = ExportUfo(doc, archive, ui);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.cancelled);
  EXPECT_NE(result.error.find("shrank"), std::string::npos) << result.error;
  EXPECT_FALSE(Exists(UfoTemporaryPath(archive)));
  EXPECT_EQ(ReadFile(archive), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(UfoExportFailure, FileThatCannotBeAddedEndsWithAnError) {
  TempDir dir;
  const std::string archive = dir.File("tank.ufo");
  ScriptedUi ui(std::string("textures"), archive);
  ui.on_ask = [&] { std::filesystem::remove(UfoTemporaryPath(archive)); };
  const UfoExportResult result = ExportUfo(MakeDocument(), archive, ui);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("could not be added"), std::string::npos) << result.error;
  EXPECT_EQ(result.warning, "");
  EXPECT_FALSE(Exists(archive));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(UfoExportFailure, CancelledPackKeepsTheOldArchive) {
  TempDir dir;
  const std::string archive = dir.File("tank.ufo");
  WriteFile(archive, {'o', 'l', 'd'});
  ScriptedUi ui(std::string("textures"), archive);
  ui.stop_at = 1;
  const UfoExportResult result = ExportUfo(MakeDocument(), archive, ui);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(ReadFile(archive), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_FALSE(Exists(UfoTemporaryPath(archive)));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(UfoExportFailure, FailedSaveEndsBeforeTheQuestionAndPacksNothingStale) {
  TempDir dir;
  const std::string archive = dir.File("tank.ufo");
  WriteFile(archive, {'o', 'l', 'd'});
  // A folder where the temporary file goes: the save cannot put its file there.
  std::filesystem::create_directory(UfoTemporaryPath(archive));
  WriteFile(UfoTemporaryPath(archive) + "/inside", {'k'});
  ScriptedUi ui(std::string("textures"), archive);
  const UfoExportResult result = ExportUfo(MakeDocument(), archive, ui);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("could not be saved"), std::string::npos) << result.error;
  EXPECT_EQ(ui.asked, 0);
  EXPECT_EQ(ReadFile(archive), (std::vector<uint8_t>{'o', 'l', 'd'}));
  // What was there before and is not this export's own stays.
  EXPECT_EQ(ReadFile(UfoTemporaryPath(archive) + "/inside"), std::vector<uint8_t>{'k'});
}

TEST(PackCommand, UsageErrors) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"a.gaf"}, {"a.gaf", "b.ufo", "c"}, {"a.gaf", "b.ufo", "--folder"},
        {"a.gaf", "b.ufo", "--level", "3"}, {"a.gaf", "b.ufo", "--folder", "x", "--folder", "y"}}) {
    std::ostringstream err;
    EXPECT_EQ(RunPackCommand(args, err), 2);
    EXPECT_NE(err.str().find("usage: quilmark-cli pack FILE.gaf OUT.ufo [--folder F]"), std::string::npos);
  }
}

TEST(PackCommand, PacksUnderTheGivenOrDefaultFolder) {
  TempDir dir;
  const classGAF doc = MakeDocument();
  ASSERT_TRUE(doc.Save(dir.File("in.gaf")));
  const std::vector<uint8_t> saved = ReadFile(dir.File("in.gaf"));
  std::ostringstream err;
  ASSERT_EQ(RunPackCommand({dir.File("in.gaf"), dir.File("out.ufo")}, err), 0) << err.str();
  EXPECT_EQ(err.str(), "");
  HpiReadResult r = ReadHpi(ReadFile(dir.File("out.ufo")));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.files.size(), 1u);
  EXPECT_EQ(r.files[0].path, "textures\\out.gaf");
  EXPECT_EQ(r.files[0].bytes, saved);

  ASSERT_EQ(RunPackCommand({"--folder", "units/gfx", dir.File("in.gaf"), dir.File("out.ufo")}, err), 0);
  r = ReadHpi(ReadFile(dir.File("out.ufo")));
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.files.size(), 1u);
  EXPECT_EQ(r.files[0].path, "units\\gfx\\out.gaf");
  EXPECT_FALSE(Exists(dir.File("out.ufo.gaf")));
}

TEST(PackCommand, FailuresExitWithOne) {
  TempDir dir;
  ASSERT_TRUE(MakeDocument().Save(dir.File("in.gaf")));
  std::ostringstream err;
  EXPECT_EQ(RunPackCommand({dir.File("in.gaf"), dir.File("missing/out.ufo")}, err), 1);
  const std::string text = err.str();
  EXPECT_NE(text.find("not packed"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;

  std::ostringstream err2;
  EXPECT_EQ(RunPackCommand({dir.File("nothing.gaf"), dir.File("out.ufo")}, err2), 1);
  EXPECT_NE(err2.str().find("nothing.gaf"), std::string::npos);
}

}  // namespace
}  // namespace quilmark::test
