// What a save leaves behind: the replaced file's permissions and ownership,
// temporary files named after their target, and no temporary file after the
// process was interrupted half-way.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "TestSupport.h"
#include "base/AtomicFile.h"
#include "base/TemporaryFiles.h"

namespace quilmark::test {
namespace {

using Names = std::set<std::string>;

classGAF TwoAnimations() {
  classGAF doc;
  for (const char* name : {"walk", "run"}) AddAnimation(doc, name, {MakeFrame(64, 64)});
  return doc;
}

// Calls back on every progress step of a save.
struct OnProgress : ProgressSink {
  std::function<void()> step;
  void Open(const std::string&) override {}
  void SetPercent(int) override {}
  void LetMessagesRun() override { step(); }
  void Close() override {}
};

TEST(SaveSafety, TheReplacedFileKeepsItsPermissionsOwnerAndGroup) {
  TempDir dir;
  const std::string path = dir.File("walk.gaf");
  WriteFile(path, {1, 2, 3});
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  // Another owner and group where the process may give them (as root).
  const bool root = ::geteuid() == 0;
  const uid_t uid = root ? 4321 : ::geteuid();
  const gid_t gid = root ? 8765 : ::getegid();
  ASSERT_EQ(::chown(path.c_str(), uid, gid), 0);
  // The temporary file is there, named after its target, while the save runs.
  Names during;
  OnProgress progress;
  progress.step = [&] {
    if (during.empty()) during = FileNames(dir.path());
  };
  ASSERT_TRUE(TwoAnimations().Save(path, &progress).ok);
  ASSERT_EQ(during.size(), 2u);
  EXPECT_EQ(during.begin()->rfind(".walk.gaf.", 0), 0u) << *during.begin();
  EXPECT_EQ(*during.rbegin(), "walk.gaf");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(std::tuple(st.st_mode & 07777, st.st_uid, st.st_gid), std::tuple(0640u, uid, gid));
  EXPECT_GT(st.st_size, 3);
  EXPECT_EQ(FileNames(dir.path()), Names{"walk.gaf"});
}

TEST(SaveSafety, ATerminationSignalDuringASaveRemovesItsTemporaryFile) {
  for (const int signal : {SIGINT, SIGTERM}) {
    TempDir dir;
    const std::string path = dir.File("walk.gaf");
    WriteFile(path, {1, 2, 3});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      InstallTemporaryFileCleanup();
      OnProgress progress;
      progress.step = [signal] { ::raise(signal); };
      (void)TwoAnimations().Save(path, &progress);
      ::_exit(0);  // not reached: the signal ends the process
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    // The process ended by the signal itself, as it would have without cleanup.
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(FileNames(dir.path()), Names{"walk.gaf"});
    EXPECT_EQ(ReadFile(path), (std::vector<uint8_t>{1, 2, 3}));
  }
}

TEST(SaveSafety, ScratchFilesAreCreatedAfreshBesideWhatHasTheirName) {
  TempDir dir;
  WriteFile(dir.File("precious"), {'p'});
  std::filesystem::create_symlink(dir.File("precious"), dir.File("tank.ufo.gaf"));
  std::string made;
  {
    AtomicFile scratch(dir.File("tank.ufo.gaf"), AtomicFile::Scratch{});
    ASSERT_TRUE(scratch.Open());
    ASSERT_TRUE(scratch.Write("abc", 3) && scratch.Commit());
    made = scratch.Target();
    EXPECT_EQ(RegisteredTemporaryCount(), 1);
    EXPECT_EQ(ReadFile(made), (std::vector<uint8_t>{'a', 'b', 'c'}));
  }
  // Named after the usual name, with its extension; gone with the object.
  const std::string name = std::filesystem::path(made).filename().string();
  EXPECT_EQ(name.rfind("tank.ufo.", 0), 0u) << name;
  EXPECT_EQ(name.substr(name.size() - 4), ".gaf");
  EXPECT_EQ(RegisteredTemporaryCount(), 0);
  EXPECT_EQ(FileNames(dir.path()), (Names{"precious", "tank.ufo.gaf"}));
  EXPECT_EQ(ReadFile(dir.File("precious")), std::vector<uint8_t>{'p'});
}

}  // namespace
}  // namespace quilmark::test
