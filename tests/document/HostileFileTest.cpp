// Damaged and hostile files: loading keeps what it can, reports the rest, and
// stays within time and memory whatever the file claims.
#include <gtest/gtest.h>

#include <random>

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

// Rows are decoded by a fast path when the file's bytes may be over-read and
// no row has spilled into the next; it must agree with the element-by-element
// decoder on every file, good or bad, including rows that spill.
TEST(RowDecoding, FastAndExactDecodersAgreeOnRandomRowCode) {
  std::mt19937 rng(3);
  for (int trial = 0; trial < 300; ++trial) {
    const int w = 1 + int(rng() % 300), h = 1 + int(rng() % 6);
    Bytes b = GafOneAnimation("r", {{64, 10}});
    GafRecord(b, w, h, 1, 0, 88);
    for (int y = 0; y < h; ++y) {
      // Elements cover about the width; now and then a row runs on or is cut short.
      Row code;
      const int goal = rng() % 5 == 0 ? w + int(rng() % 200) : w - int(rng() % (w + 1));
      for (int covered = 0; covered < goal;) {
        const unsigned kind = rng() % 3;
        const int m = 1 + int(rng() % 64);
        if (kind == 0) {  // a skip of n
          const int n = int(rng() % 128);
          code.push_back(uint8_t(2 * n + 1));
          covered += n;
          continue;
        }
        // m times one byte, or m bytes as they are
        code.push_back(uint8_t(4 * (m - 1) + (kind == 1 ? 2 : 0)));
        for (int i = 0; i < (kind == 1 ? 1 : m); ++i) code.push_back(uint8_t(rng()));
        covered += m;
      }
      if (rng() % 40 == 0 && !code.empty()) code.pop_back();
      b.i16(int32_t(code.size())).raw(code);
    }
    Row padded = b.data;
    padded.resize(padded.size() + 64, 0xAB);
    LoadReport exact_report, fast_report;
    classGAF exact, fast;
    exact.LoadBytes(b.data.data(), b.size(), &exact_report, false);
    fast.LoadBytes(padded.data(), b.size(), &fast_report, true);
    ASSERT_EQ(exact_report.complete, fast_report.complete) << "trial " << trial;
    const auto& e = exact.Animations.Item(1)->Frames, &f = fast.Animations.Item(1)->Frames;
    ASSERT_EQ(e.Count(), f.Count()) << "trial " << trial;
    if (e.Count() == 1) {
      ASSERT_EQ(e.Item(1)->Pixels, f.Item(1)->Pixels) << "trial " << trial;
    }
  }
}

}  // namespace
}  // namespace quilmark::test
