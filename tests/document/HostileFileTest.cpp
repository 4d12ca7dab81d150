// Damaged and hostile files: loading keeps what it can, reports the rest, and
// stays within time and memory whatever the file claims.
#include <gtest/gtest.h>

#include "GafBytes.h"
#include "document/classGAF.h"

namespace quilmark::test {
namespace {

using Row = std::vector<uint8_t>;

// Loads a file that must be reported as read in part; its first animation.
AnimationPtr LoadDamaged(const Bytes& b) {
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_FALSE(report.complete);
  EXPECT_FALSE(report.problem.empty());
  return doc.Animations.Item(1);
}

TEST(HostileFiles, EmptyShortAndForeignFilesGiveAnEmptyDocument) {
  for (const Row& bytes : {Row{}, Row{1, 2, 3}, Row(11, 0), GafHeader(-1).data}) {
    LoadReport report;
    EXPECT_EQ(LoadFromBytes(bytes, &report).Animations.Count(), 0);
    EXPECT_FALSE(report.complete || report.problem.empty());
  }
  TempDir dir;
  for (const std::string& path : {dir.File("no-such.gaf"), dir.path()}) {
    classGAF doc;
    LoadReport report;
    EXPECT_TRUE(doc.Load(path, nullptr, &report));
    EXPECT_FALSE(report.complete) << path;
  }
}

TEST(HostileFiles, HugeCountsAndClaimsReadOnlyWhatIsThere) {
  // Two billion animations claimed, one present, with 32767 frames claimed and
  // one frame table entry present: the table runs on into the entry's bytes.
  Bytes counts = GafHeader(0x7FFFFFFF);
  GafEntry(counts.i32(16), 32767, "big").i32(0).i32(2);
  const AnimationPtr big = LoadDamaged(counts);
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(big->Name, "big");
  EXPECT_TRUE(big->Animated);

  // A 32767 × 32767 raw frame (1 GiB) in a file of a few dozen bytes, and the
  // same compressed, whose rows need two bytes each.
  for (int compressed : {0, 1}) {
    Bytes b = GafOneAnimation("huge", {{64, 10}});
    GafRecord(b, 32767, 32767, compressed, 0, 88).i16(0);
    EXPECT_EQ(LoadDamaged(b)->Frames.Count(), 0) << compressed;
  }

  // Frames cut short are dropped, the good one before them kept.
  Bytes t = GafOneAnimation("t", {{80, 10}, {108, 10}, {500, 10}});
  GafRecord(t, 2, 2, 0, 0, 104).raw({1, 2, 3, 4});   // 80, good
  GafRecord(t, 100, 100, 0, 0, 132).raw({1, 2, 3});  // 108, pixels cut short; 500 is beyond the end
  const AnimationPtr a = LoadDamaged(t);
  ASSERT_EQ(a->Frames.Count(), 1);
  EXPECT_EQ(a->Frames.Item(1)->Pixels, (Row{1, 2, 3, 4}));
}

TEST(HostileFiles, SubframeTablesPointingAtThemselvesAreCutOff) {
  // A frame whose subframe table lists its own record twice, and a subframe
  // whose table points back at its parent.
  Bytes b = GafOneAnimation("loop", {{64, 10}});
  GafRecord(b, 4, 4, 0, 3, 88).i32(64).i32(100).i32(64);  // 64
  GafRecord(b, 2, 2, 0, 1, 124).i32(64);                  // 100
  const FramePtr f = LoadDamaged(b)->Frames.Item(1);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->Subframes.Count(), 1);
  EXPECT_EQ(f->Subframes.Item(1)->Width(), 2);
  EXPECT_TRUE(f->Subframes.Item(1)->Subframes.IsEmpty());
}

TEST(HostileFiles, SharedSubframesCannotMultiplyBeyondTheBudget) {
  // Each level lists the next level's record 255 times: 255^5 frames if followed
  // naively, each a 200 × 200 compressed image with empty rows.
  Bytes b = GafOneAnimation("tree", {{64, 10}});
  for (int level = 0, at = 64; level < 6; ++level, at += 24 + 255 * 4) {
    const bool leaf = level == 5;
    GafRecord(b, 200, 200, leaf, leaf ? 0 : 255, at + 24);
    for (int i = 0; i < (leaf ? 200 : 255); ++i) leaf ? b.i16(0) : b.i32(at + 24 + 255 * 4);
  }
  ASSERT_NE(LoadDamaged(b), nullptr);
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

}  // namespace
}  // namespace quilmark::test
