// Recovery copies: the sidecar's text, the copies of editors that ended and of
// those that run, private files, and the snapshot they are written from.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "../document/TestSupport.h"
#include "editorcore/Recovery.h"

namespace quilmark::test {
namespace {

// Two animations: a frame of 6 × 4 pixels with a subframe, and a compressed one.
std::shared_ptr<classGAF> Document() {
  auto doc = std::make_shared<classGAF>();
  std::vector<uint8_t> pixels(24);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % 5 == 0 ? 9 : 30 + i);
  for (const char* name : {"walk", "run"}) {
    const FramePtr frame = MakeFrame(6, 4, pixels);
    EXPECT_TRUE(frame->SetPositionX(3));
    frame->SetCompressed(std::string(name) == "run");
    frame->Subframes.Add(MakeFrame(2, 2, {1, 2, 3, 4}));
    AddAnimation(*doc, name, {frame});
  }
  return doc;
}

int Mode(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

TEST(RecoveryInfo, TextRoundTripsAnyPathAndRefusesWhatIsNoSidecar) {
  const RecoveryInfo info{"/home/a b/%x\n\x01\xe9.gaf", 1796843312, 4242};
  const std::string text = FormatRecoveryInfo(info);
  EXPECT_EQ(text, "quilmark-recovery 1\nfile /home/a%20b/%25x%0A%01\xe9.gaf\nsaved 1796843312\npid 4242\n");
  const auto back = ParseRecoveryInfo(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(std::tie(back->file, back->saved, back->pid), std::tie(info.file, info.saved, info.pid));
  // Unknown keys are passed over; the order does not count.
  EXPECT_TRUE(ParseRecoveryInfo("quilmark-recovery 1\npid 1\nnew thing\nsaved 2\nfile f"));
  for (const char* bad : {"", "quilmark-recovery 2\nfile f\nsaved 1\npid 1\n", "quilmark-recovery 1\nfile f\nsaved 1\n",
                          "quilmark-recovery 1\nfile \nsaved 1\npid 1\n", "quilmark-recovery 1\nfile a%4\nsaved 1\npid 1",
                          "quilmark-recovery 1\nfile a%zz\nsaved 1\npid 1", "quilmark-recovery 1\nfile f\nsaved 1x\npid 1",
                          "quilmark-recovery 1\nfile f\nsaved 99999999999999999999\npid 1", "quilmark-recovery 1"})
    EXPECT_FALSE(ParseRecoveryInfo(bad)) << bad;
}

TEST(RecoveryInfo, FolderIsTheStateFolderOrTheHomesDefault) {
  const char* state = std::getenv("XDG_STATE_HOME");
  const std::string saved = state ? state : "", home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("XDG_STATE_HOME", "/x/state/", 1);
  EXPECT_EQ(RecoveryFolder(), "/x/state/quilmark/recovery");
  ::setenv("XDG_STATE_HOME", "relative", 1);  // not absolute: ignored
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(RecoveryFolder(), "/home/u/.local/state/quilmark/recovery");
  state ? ::setenv("XDG_STATE_HOME", saved.c_str(), 1) : ::unsetenv("XDG_STATE_HOME");
  ::setenv("HOME", home.c_str(), 1);
}

TEST(RecoveryCopies, WrittenPrivatelyOfferedOnlyOnceTheirEditorEndedAndRemovedWhole) {
  TempDir dir;
  const std::string folder = dir.File("state/quilmark/recovery");
  const auto doc = Document();
  auto running = RecoveryCopy::Create(folder);
  ASSERT_TRUE(running->Write(*doc, {"/w/walk.gaf", 100, ::getpid()}));
  // The bytes a save writes, in a folder and files of this user alone.
  ASSERT_TRUE(doc->Save(dir.File("saved.gaf")));
  EXPECT_EQ(ReadFile(running->DocumentPath()), ReadFile(dir.File("saved.gaf")));
  EXPECT_EQ(std::tuple(Mode(folder), Mode(running->DocumentPath()), Mode(folder + "/" + running->Id() + ".info")),
            std::tuple(0700, 0600, 0600));
  // A copy whose editor runs is not offered; once it ended, it is, newest
  // first, with what its sidecar says.
  EXPECT_TRUE(RecoveryCopy::Left(folder).empty());
  auto newer = RecoveryCopy::Create(folder);
  ASSERT_TRUE(newer->Write(*doc, {"Untitled.gaf", 200, 7}));
  running.reset();
  newer.reset();
  {
    auto left = RecoveryCopy::Left(folder);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0]->Info().file + "|" + left[1]->Info().file, "Untitled.gaf|/w/walk.gaf");
    // Held by this editor while it asks: no other editor offers them.
    EXPECT_TRUE(RecoveryCopy::Left(folder).empty());
    left[0]->Remove();
  }
  // What a dead editor left that is no whole copy goes: a lone document, a
  // half-written temporary file, a lone lock.
  for (const char* leftover : {"/1-a.gaf", "/.1-b.gaf.Xy12Zq", "/1-c.lock"}) WriteFile(folder + leftover, {1});
  auto left = RecoveryCopy::Left(folder);
  ASSERT_EQ(left.size(), 1u);
  left[0]->Remove();
  left.clear();
  EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST(RecoveryCopies, AFolderThatIsNotTheUsersOwnIsRefused) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("real"));
  std::filesystem::create_directory_symlink(dir.File("real"), dir.File("link"));
  EXPECT_FALSE(RecoveryCopy::Create(dir.File("link"))->Write(*Document(), {"f", 1, 1}));
  WriteFile(dir.File("file"), {1});
  EXPECT_FALSE(RecoveryCopy::Create(dir.File("file"))->Write(*Document(), {"f", 1, 1}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("real")));
}

TEST(Snapshot, SavesAsTheDocumentDidWhateverTheDocumentDoesAfterwards) {
  TempDir dir;
  auto doc = Document();
  ASSERT_TRUE(doc->Save(dir.File("before.gaf")));
  const FramePtr frame = doc->Animations.Item(1)->Frames.Item(1);
  const FramePtr sub = frame->Subframes.Item(1);  // a frame with subframes keeps no pixels in the file
  const uint8_t* pixels = std::as_const(sub->Pixels).data();
  const auto snapshot = doc->Snapshot();
  // No pixel is copied for it.
  EXPECT_EQ(std::as_const(snapshot->Animations.Item(1)->Frames.Item(1)->Subframes.Item(1)->Pixels).data(), pixels);
  // Pixels written in place, resized, replaced; fields, subframes and
  // animations changed: the snapshot keeps what it was given.
  sub->Pixels[0] = 200;
  std::fill(sub->Pixels.begin(), sub->Pixels.end(), 201);
  doc->Animations.Item(2)->Frames.Item(1)->Subframes.Item(1)->Pixels.assign(size_t{4}, uint8_t{7});
  doc->Animations.Item(2)->Frames.Item(1)->Subframes.Item(1)->SetWidth(1);
  ASSERT_TRUE(frame->SetPositionX(-5));
  frame->Subframes.Clear();
  doc->Animations.Item(2)->Name = "renamed";
  doc->Animations.Remove(1);
  EXPECT_NE(std::as_const(sub->Pixels).data(), pixels);
  ASSERT_TRUE(snapshot->Save(dir.File("snapshot.gaf")));
  EXPECT_EQ(ReadFile(dir.File("snapshot.gaf")), ReadFile(dir.File("before.gaf")));
  EXPECT_EQ(sub->Pixels[1], 201);
}

}  // namespace
}  // namespace quilmark::test
