// Damaged and hostile files: loading keeps what it can, reports the rest, and
// stays within time and memory whatever the file claims.
#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "document/classGAF.h"

namespace quilmark {
namespace {

using test::Bytes;
using test::LoadFromBytes;
using Row = std::vector<uint8_t>;

Bytes Header(int32_t count) {
  Bytes b;
  b.i32(0x00010100).i32(count).i32(0);
  return b;
}

Bytes& Entry(Bytes& b, int frames, const std::string& name) {
  b.i16(frames).i16(1).i32(0).text(name).u8(0).fill(31 - name.size(), ' ');
  return b;
}

Bytes& Record(Bytes& b, int w, int h, int compressed, int subframes, int32_t data_offset) {
  return b.i16(w).i16(h).i16(0).i16(0).u8(9).u8(static_cast<uint32_t>(compressed))
      .u8(static_cast<uint32_t>(subframes)).u8(0).i32(0).i32(data_offset).i32(0);
}

TEST(HostileFiles, EmptyShortAndForeignFilesGiveAnEmptyDocument) {
  for (const Row& bytes : {Row{}, Row{1, 2, 3}, Row(11, 0)}) {
    LoadReport report;
    const classGAF doc = LoadFromBytes(bytes, &report);
    EXPECT_EQ(doc.Animations.Count(), 0);
    EXPECT_FALSE(report.complete);
    EXPECT_FALSE(report.problem.empty());
  }
  LoadReport negative;
  LoadFromBytes(Header(-1).data, &negative);
  EXPECT_FALSE(negative.complete);

  test::TempDir dir;
  classGAF missing;
  LoadReport report;
  EXPECT_TRUE(missing.Load(dir.File("no-such.gaf"), nullptr, &report));
  EXPECT_FALSE(report.complete);
  classGAF folder;
  EXPECT_TRUE(folder.Load(dir.path(), nullptr, &report));
  EXPECT_FALSE(report.complete);
}

TEST(HostileFiles, HugeCountsReadOnlyWhatIsThere) {
  // Two billion animations claimed, one present.
  Bytes b = Header(0x7FFFFFFF);
  b.i32(16);
  Entry(b, 32767, "big");  // 32767 frames claimed, one entry present
  b.i32(0).i32(2);
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_FALSE(report.complete);
  // The table runs on into the entry's bytes, which are read as offsets too.
  ASSERT_GE(doc.Animations.Count(), 1);
  EXPECT_EQ(doc.Animations.Item(1)->Name, "big");
  EXPECT_TRUE(doc.Animations.Item(1)->Animated);
}

TEST(HostileFiles, TruncatedFramesAreDroppedAndTheRestKept) {
  Bytes b = Header(1);
  b.i32(16);
  Entry(b, 3, "t");
  b.i32(80).i32(10).i32(108).i32(10).i32(500).i32(10);  // table 56..79
  Record(b, 2, 2, 0, 0, 104).raw({1, 2, 3, 4});       // 80..107, good
  Record(b, 100, 100, 0, 0, 132).raw({1, 2, 3});      // 108: pixels cut short
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_FALSE(report.complete);
  const auto a = doc.Animations.Item(1);
  ASSERT_EQ(a->Frames.Count(), 1);
  EXPECT_EQ(a->Frames.Item(1)->Pixels, (Row{1, 2, 3, 4}));
}

TEST(HostileFiles, SizeClaimsBeyondTheFileAllocateNothing) {
  // A 32767 × 32767 raw frame (1 GiB) in a file of a few dozen bytes.
  Bytes b = Header(1);
  b.i32(16);
  Entry(b, 1, "huge");
  b.i32(64).i32(10);
  Record(b, 32767, 32767, 0, 0, 88);
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(doc.Animations.Item(1)->Frames.Count(), 0);

  // Compressed rows need two bytes each: 32767 rows cannot fit either.
  Bytes c = Header(1);
  c.i32(16);
  Entry(c, 1, "rows");
  c.i32(64).i32(10);
  Record(c, 32767, 32767, 1, 0, 88).i16(0);
  const classGAF rows = LoadFromBytes(c.data, &report);
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(rows.Animations.Item(1)->Frames.Count(), 0);
}

TEST(HostileFiles, SubframeTablesPointingAtThemselvesAreCutOff) {
  // A frame whose subframe table lists its own record twice, and a subframe
  // whose table points back at its parent.
  Bytes b = Header(1);
  b.i32(16);
  Entry(b, 1, "loop");
  b.i32(64).i32(10);
  Record(b, 4, 4, 0, 3, 88);  // 64
  b.i32(64).i32(100).i32(64);
  Record(b, 2, 2, 0, 1, 124);  // 100: its one subframe is the parent
  b.i32(64);
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_FALSE(report.complete);
  const auto f = doc.Animations.Item(1)->Frames.Item(1);
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->Subframes.Count(), 1);
  EXPECT_EQ(f->Subframes.Item(1)->Width(), 2);
  EXPECT_TRUE(f->Subframes.Item(1)->Subframes.IsEmpty());
}

TEST(HostileFiles, SharedSubframesCannotMultiplyBeyondTheBudget) {
  // Each level lists the next level's record 255 times: 255^5 frames if followed
  // naively, each a 200 × 200 compressed image with empty rows.
  constexpr int kLevels = 6;
  Bytes b = Header(1);
  b.i32(16);
  Entry(b, 1, "tree");
  b.i32(64).i32(10);
  int32_t at = 64;
  for (int level = 0; level < kLevels; ++level) {
    const bool leaf = level == kLevels - 1;
    const int32_t data = at + 24;
    Record(b, 200, 200, leaf ? 1 : 0, leaf ? 0 : 255, data);
    const int32_t next = data + 255 * 4;
    if (leaf) {
      for (int y = 0; y < 200; ++y) b.i16(0);
    } else {
      for (int i = 0; i < 255; ++i) b.i32(next);
    }
    at = next;
  }
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_FALSE(report.complete);
  ASSERT_EQ(doc.Animations.Count(), 1);
}

TEST(HostileFiles, DeepChainsOfSubframesStopAtTheNestingLimit) {
  // 5000 records each holding the next as its only subframe.
  Bytes b = Header(1);
  b.i32(16);
  Entry(b, 1, "deep");
  b.i32(64).i32(10);
  int32_t at = 64;
  for (int i = 0; i < 5000; ++i) {
    Record(b, 1, 1, 0, 1, at + 24);
    at += 28;
    b.i32(at);
  }
  Record(b, 1, 1, 0, 0, at + 24).u8(1);
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_FALSE(report.complete);
  int depth = 0;
  for (FramePtr f = doc.Animations.Item(1)->Frames.Item(1); f; f = f->Subframes.Item(1)) ++depth;
  EXPECT_GE(depth, 16);
  EXPECT_LE(depth, 64);
}

}  // namespace
}  // namespace quilmark

namespace quilmark {
namespace {

// Rows are decoded by a fast path when the file's bytes may be over-read and
// no row has spilled into the next; it must agree with the element-by-element
// decoder on every file, good or bad, including rows that spill.
TEST(RowDecoding, FastAndExactDecodersAgreeOnRandomRowCode) {
  std::mt19937 rng(3);
  for (int trial = 0; trial < 300; ++trial) {
    const int w = 1 + static_cast<int>(rng() % 300), h = 1 + static_cast<int>(rng() % 6);
    Bytes b = Header(1);
    b.i32(16);
    Entry(b, 1, "r");
    b.i32(64).i32(10);
    Record(b, w, h, 1, 0, 88);
    for (int y = 0; y < h; ++y) {
      std::vector<uint8_t> code;
      // Elements cover about the width; now and then a row runs on or is cut short.
      int covered = 0;
      const int goal = rng() % 5 == 0 ? w + static_cast<int>(rng() % 200) : w - static_cast<int>(rng() % (w + 1));
      while (covered < goal) {
        const unsigned kind = rng() % 3;
        const int m = 1 + static_cast<int>(rng() % 64);
        if (kind == 0) {
          const int n = static_cast<int>(rng() % 128);
          code.push_back(static_cast<uint8_t>(2 * n + 1));
          covered += n;
        } else if (kind == 1) {
          code.push_back(static_cast<uint8_t>(4 * (m - 1) + 2));
          code.push_back(static_cast<uint8_t>(rng()));
          covered += m;
        } else {
          code.push_back(static_cast<uint8_t>(4 * (m - 1)));
          for (int i = 0; i < m; ++i) code.push_back(static_cast<uint8_t>(rng()));
          covered += m;
        }
      }
      if (rng() % 40 == 0 && !code.empty()) code.pop_back();  // cut short
      b.i16(static_cast<int32_t>(code.size())).raw(code);
    }
    std::vector<uint8_t> padded = b.data;
    padded.resize(padded.size() + 64, 0xAB);
    LoadReport exact_report, fast_report;
    classGAF exact, fast;
    exact.LoadBytes(b.data.data(), b.data.size(), &exact_report, false);
    fast.LoadBytes(padded.data(), b.data.size(), &fast_report, true);
    ASSERT_EQ(exact_report.complete, fast_report.complete) << "trial " << trial;
    ASSERT_EQ(exact.Animations.Item(1)->Frames.Count(), fast.Animations.Item(1)->Frames.Count()) << "trial " << trial;
    if (exact.Animations.Item(1)->Frames.Count() == 1)
      ASSERT_EQ(exact.Animations.Item(1)->Frames.Item(1)->Pixels, fast.Animations.Item(1)->Frames.Item(1)->Pixels)
          << "trial " << trial;
  }
}

}  // namespace
}  // namespace quilmark
