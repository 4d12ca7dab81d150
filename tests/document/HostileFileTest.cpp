// Damaged and hostile files: loading keeps what it can, reports the rest, and
// stays within time and memory whatever the file claims.
#include <sys/stat.h>

#include "HeapWatch.h"
#include "TestSupport.h"

namespace quilmark::test {
namespace {

using Row = std::vector<uint8_t>;

// Loads a file that must be reported as read in part; its first animation.
AnimationPtr LoadDamaged(const Bytes& b) { return LoadPartly(b.data).Animations.Item(1); }

// Frames and subframes at every depth.
int64_t Yield(const Collection<classGAFFrame>& frames) {
  int64_t n = 0;
  for (const FramePtr& f : frames) n += 1 + Yield(f->Subframes);
  return n;
}

TEST(HostileFiles, EmptyShortAndForeignFilesGiveAnEmptyDocument) {
  for (const Row& bytes : {Row{}, Row{1, 2, 3}, Row(11, 0), GafHeader(-1).data})
    EXPECT_EQ(LoadPartly(bytes).Animations.Count(), 0) << bytes.size();
  // A named pipe with no writer would make reading wait for ever.
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.File("pipe.gaf").c_str(), 0600), 0);
  for (const std::string& path : {dir.File("no-such.gaf"), dir.path(), dir.File("pipe.gaf")}) {
    classGAF doc;
    const LoadReport report = doc.Load(path);
    EXPECT_FALSE(report.complete || report.problem.empty()) << path;
  }
}

TEST(HostileFiles, HugeCountsAndClaimsReadOnlyWhatIsThere) {
  // Two billion animations claimed, one present, with 32767 frames claimed and
  // one frame table entry present: the table runs on into the entry's bytes.
  Bytes counts = GafHeader(0x7FFFFFFF);
  GafEntry(counts.i32(16), 32767, "big").i32(0).i32(2);
  const AnimationPtr big = LoadDamaged(counts);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(std::tuple(big->Name, big->Animated), std::tuple("big", true));

  // An entry at the very end of the file that claims frames: no table at all.
  Bytes bare = GafHeader(1);
  GafEntry(bare.i32(16), 3, "bare");
  const AnimationPtr tableless = LoadDamaged(bare);
  ASSERT_NE(tableless, nullptr);
  EXPECT_EQ(std::tuple(tableless->Name, tableless->Frames.Count()), std::tuple("bare", 0));

  // A 32767 × 32767 raw frame (1 GiB) in a file of a few dozen bytes, and the
  // same compressed, whose rows need two bytes each.
  for (int compressed : {0, 1}) {
    Bytes b = GafOneAnimation("huge", {{64, 10}});
    GafRecord(b, 32767, 32767, compressed, 0, 88).i16(0);
    EXPECT_EQ(LoadDamaged(b)->Frames.Count(), 0) << compressed;
  }

  // One 1024 × 1024 frame of empty rows (1 MiB of pixels from 2 KiB of row
  // counts) listed 32767 times in a file of 1 MiB: what loads stays within
  // 128 pixels per byte of the file beyond a fixed 64 MiB.
  Bytes empty_rows = GafOneAnimation("empty", std::vector<std::pair<int32_t, int32_t>>(32767, {262192, 10}));
  GafRecord(empty_rows, 1024, 1024, 1, 0, 262216).fill(2048, 0);
  empty_rows.fill((1 << 20) - empty_rows.size(), 0);
  uint64_t pixels = 0;
  const AnimationPtr empty = LoadDamaged(empty_rows);
  for (const FramePtr& f : empty->Frames) pixels += f->Pixels.size();
  EXPECT_LE(pixels, (64u << 20) + 128 * empty_rows.size());

  // Frames cut short are dropped, the good one before them kept.
  Bytes t = GafOneAnimation("t", {{80, 10}, {108, 10}, {500, 10}});
  GafRecord(t, 2, 2, 0, 0, 104).raw({1, 2, 3, 4});   // 80, good
  GafRecord(t, 100, 100, 0, 0, 132).raw({1, 2, 3});  // 108, pixels cut short; 500 is beyond the end
  const AnimationPtr a = LoadDamaged(t);
  ASSERT_EQ(a->Frames.Count(), 1);
  EXPECT_EQ(a->Frames.Item(1)->Pixels, (Row{1, 2, 3, 4}));
}

// What the writer makes loads whole however little of it the file stores:
// transparent frames of skip codes alone (about 100 pixels per byte), and
// frames whose own image, transparent, the file does not store at all.
TEST(HostileFiles, SparseFilesTheWriterMakesLoadWhole) {
  classGAF doc;
  const FramePtr clear = MakeFrame(2048, 2048, Row(2048 * 2048, TransparentIndex));
  clear->SetCompressed(true);
  const FramePtr parent = MakeFrame(2048, 2048, Row(2048 * 2048, TransparentIndex));
  parent->Subframes.Add(MakeFrame(1, 1, {5}));
  AddAnimation(doc, "clear", std::vector<FramePtr>(20, clear));
  AddAnimation(doc, "parents", std::vector<FramePtr>(40, parent));
  const Row bytes = SaveToBytes(doc);
  ASSERT_LT(bytes.size(), size_t{1} << 20);
  LoadReport report;
  const classGAF back = LoadFromBytes(bytes, &report);
  EXPECT_TRUE(report.complete) << report.problem;
  ASSERT_EQ(back.Animations.Count(), 2);
  const auto& clears = back.Animations.Item(1)->Frames;
  ASSERT_EQ(clears.Count(), 20);
  EXPECT_EQ(clears.Item(20)->Pixels, clear->Pixels);
  // The parents' images are one block until one of them is written.
  const auto& parents = back.Animations.Item(2)->Frames;
  ASSERT_EQ(parents.Count(), 40);
  const FramePtr first = parents.Item(1), last = parents.Item(40);
  EXPECT_EQ(std::as_const(*first).Pixels.data(), std::as_const(*last).Pixels.data());
  EXPECT_EQ(last->Pixels, parent->Pixels);
  first->Pixels[0] = 7;
  EXPECT_EQ(std::as_const(*last).Pixels[0], TransparentIndex);
  EXPECT_EQ(last->Subframes.Item(1)->Pixels, Row{5});
}

TEST(HostileFiles, LoopingAndSharedSubframesAreCutOffAndYieldNoMoreThanTheFileCanHold) {
  // A frame whose subframe table lists its own record twice, and a subframe
  // whose table points back at its parent.
  Bytes loop = GafOneAnimation("loop", {{64, 10}});
  GafRecord(loop, 4, 4, 0, 3, 88).i32(64).i32(100).i32(64);  // 64
  GafRecord(loop, 2, 2, 0, 1, 124).i32(64);                  // 100
  const FramePtr f = LoadDamaged(loop)->Frames.Item(1);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->Subframes.Count(), 1);
  EXPECT_EQ(f->Subframes.Item(1)->Width(), 2);
  EXPECT_TRUE(f->Subframes.Item(1)->Subframes.IsEmpty());
  // Each level lists the next level's record 255 times: 255² frames from 2 KiB
  // and 255³ from 3 KiB if followed naively.
  for (int levels : {2, 3}) {
    Bytes b = GafOneAnimation("tree", {{64, 10}});
    for (int level = 0, at = 64; level < levels; ++level, at += 24 + 255 * 4) {
      GafRecord(b, 1, 1, 0, 255, at + 24);
      for (int i = 0; i < 255; ++i) b.i32(at + 24 + 255 * 4);
    }
    GafRecord(b, 1, 1, 0, 0, int32_t(b.size()) + 24).u8(5);
    EXPECT_LT(Yield(LoadDamaged(b)->Frames), 5000) << levels;
  }
  // The frame at 64 lists the one at 1108 255 times, which lists itself 255
  // times: every such reference is cut off as a loop, but 255² of them are
  // more work than 2 KiB may ask for, so the later copies are not read.
  Bytes loops = GafOneAnimation("loops", {{64, 10}});
  GafRecord(loops, 1, 1, 0, 255, 88);
  for (int i = 0; i < 255; ++i) loops.i32(1108);
  GafRecord(loops, 1, 1, 0, 255, 1132);
  for (int i = 0; i < 255; ++i) loops.i32(1108);
  EXPECT_LT(LoadDamaged(loops)->Frames.Item(1)->Subframes.Count(), 255);
}

TEST(HostileFiles, DeepChainsOfSubframesStopAtTheNestingLimit) {
  // 5000 records each holding the next as its only subframe.
  Bytes b = GafOneAnimation("deep", {{64, 10}});
  for (int i = 0, at = 64; i < 5000; ++i, at += 28) GafRecord(b, 1, 1, 0, 1, at + 24).i32(at + 28);
  GafRecord(b, 1, 1, 0, 0, int32_t(b.size()) + 24).u8(1);
  int depth = 0;
  for (FramePtr f = LoadDamaged(b)->Frames.Item(1); f; f = f->Subframes.Item(1)) ++depth;
  EXPECT_GE(depth, 16);
  EXPECT_LE(depth, 64);
}

TEST(HostileFiles, FramesStoredInFormsNoWriterMakesLoadAsBeforeAndAreReported) {
  // A compressed byte of 7 loads all transparent; a -2 × -3 frame loads its 6
  // pixels. Saving would replace what the file holds in both.
  Bytes unknown = GafOneAnimation("odd", {{64, 10}});
  GafRecord(unknown, 3, 1, 7, 0, 88).raw({1, 2, 3});
  EXPECT_EQ(LoadDamaged(unknown)->Frames.Item(1)->Pixels, Row(3, 9));
  Bytes negative = GafOneAnimation("odd", {{64, 10}});
  GafRecord(negative, -2, -3, 0, 0, 88).raw({1, 2, 3, 4, 5, 6});
  const FramePtr f = LoadDamaged(negative)->Frames.Item(1);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Pixels, (Row{1, 2, 3, 4, 5, 6}));
}

TEST(HostileFiles, MemoryRunningOutDropsWhatCannotBeMadeAndNothingThrows) {
  // A 4096 × 4096 frame of empty rows (16 MiB) between two small ones, on a
  // machine with no 8 MiB to give: only the large one is lost.
  Bytes b = GafOneAnimation("big", {{80, 10}, {108, 10}, {8324, 10}});
  GafRecord(b, 2, 2, 0, 0, 104).raw({1, 2, 3, 4});
  GafRecord(b, 4096, 4096, 1, 0, 132).fill(8192, 0);
  GafRecord(b, 1, 1, 0, 0, 8348).u8(5);
  LoadReport report;
  classGAF doc;
  {
    const HeapWatch none((8 << 20) - 1);
    report = doc.LoadBytes(b.data.data(), b.size());
  }
  EXPECT_FALSE(report.complete);
  EXPECT_NE(report.problem.find("memory"), std::string::npos) << report.problem;
  ASSERT_EQ(doc.Animations.Count(), 1);
  const AnimationPtr a = doc.Animations.Item(1);
  ASSERT_EQ(a->Frames.Count(), 2);
  EXPECT_EQ(a->Frames.Item(2)->Pixels, Row{5});

  // Memory running out anywhere else (here for a frame table of 80 KB) ends
  // the load with what was read.
  const Bytes table = GafOneAnimation("t", std::vector<std::pair<int32_t, int32_t>>(10000, {0, 10}));
  for (int from_file = 0; from_file < 2; ++from_file) {
    TempDir dir;
    WriteFile(dir.File("t.gaf"), table.data);
    classGAF t;
    const HeapWatch none((64 << 10) - 1);
    report = from_file ? t.Load(dir.File("t.gaf")) : t.LoadBytes(table.data.data(), table.size());
    EXPECT_FALSE(report.complete) << from_file;
  }
}

TEST(HostileFiles, ScatteredFilesAreReadInProportionToTheirSize) {
  // 3000 frame records side by side; each one's subframe table lies more than
  // 1 MiB further on, and its 1 × 1 subframe 1 MiB beyond that.
  constexpr int kFrames = 3000;
  constexpr int32_t kGap = (1 << 20) + 4096;
  const int32_t records = 56 + 8 * kFrames, tables = records + 24 * kFrames + kGap;
  const int32_t subframes = tables + 4 * kFrames + kGap;
  std::vector<std::pair<int32_t, int32_t>> entries;
  for (int i = 0; i < kFrames; ++i) entries.push_back({records + 24 * i, 10});
  Bytes far = GafOneAnimation("far", entries);
  for (int i = 0; i < kFrames; ++i) GafRecord(far, 1, 1, 0, 1, tables + 4 * i);
  far.fill(kGap, 0);
  for (int i = 0; i < kFrames; ++i) far.i32(subframes + 25 * i);
  far.fill(kGap, 0);
  for (int i = 0; i < kFrames; ++i) GafRecord(far, 1, 1, 0, 0, subframes + 25 * i + 24).u8(uint32_t(i % 251));
  classGAF doc;
  EXPECT_LE(LoadInBlocks(far.data, doc).bytes, 3 * far.size());
  ASSERT_EQ(doc.Animations.Item(1)->Frames.Count(), kFrames);
  EXPECT_EQ(doc.Animations.Item(1)->Frames.Item(kFrames)->Subframes.Item(1)->Pixels, Row{(kFrames - 1) % 251});

  // 32767 frames of 8 × 5 side by side, listed in an order that leaps 4099
  // frames (256 KiB) at a time.
  constexpr int kLeaps = 32767;
  const int32_t first = 56 + 8 * kLeaps;
  entries.clear();
  for (int i = 0; i < kLeaps; ++i) entries.push_back({first + 64 * int32_t(int64_t(i) * 4099 % kLeaps), 10});
  Bytes leaps = GafOneAnimation("leaps", entries);
  for (int i = 0; i < kLeaps; ++i) GafRecord(leaps, 8, 5, 0, 0, first + 64 * i + 24).fill(40, uint8_t(i % 251));
  classGAF jumped;
  EXPECT_LE(LoadInBlocks(leaps.data, jumped).bytes, 3 * leaps.size());
  ASSERT_EQ(jumped.Animations.Item(1)->Frames.Count(), kLeaps);
  EXPECT_EQ(jumped.Animations.Item(1)->Frames.Item(kLeaps)->Pixels, Row(40, 4099 * (kLeaps - 1) % kLeaps % 251));
}

}  // namespace
}  // namespace quilmark::test
