// Loaded frames keep their pixels in blocks shared with the other frames of
// the file: every pixel is set, and editing, removing, copying and freeing
// frames never touches or frees what another frame uses.

#include "TestSupport.h"
#include "HeapWatch.h"

namespace quilmark::test {
namespace {

using Row = std::vector<uint8_t>;

// Three animations of four 40 × 30 frames, raw and compressed, each with
// pixels of its own (some of them 9).
classGAF Patterned() {
  classGAF doc;
  for (int a = 0; a < 3; ++a) {
    const AnimationPtr animation = AddAnimation(doc, std::string("a") + std::to_string(a));
    for (int f = 0; f < 4; ++f) {
      Row pixels(40 * 30);
      for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i * size_t(3 + 4 * a + f) / 7 % 23);
      auto frame = MakeFrame(40, 30, pixels);
      frame->SetCompressed(f % 2 == 1);
      animation->Frames.Add(frame);
    }
  }
  return doc;
}

// The document saved and opened again from its file, on a heap that grants
// no request above heapLimit while it loads (a HeapWatch of its own, which
// lifts the limit of any watch around it when it ends).
classGAF Reopened(const classGAF& doc, size_t heapLimit = SIZE_MAX) {
  TempDir dir;
  EXPECT_TRUE(doc.Save(dir.File("d.gaf")).ok);
  classGAF back;
  LoadReport report;
  {
    const HeapWatch limited(heapLimit);
    report = back.Load(dir.File("d.gaf"));
  }
  EXPECT_TRUE(report.complete) << report.problem;
  return back;
}

// The pixels of every frame, in document order.
std::vector<Row> AllPixels(const classGAF& doc) {
  std::vector<Row> all;
  for (const AnimationPtr& a : doc.Animations)
    for (const FramePtr& f : a->Frames) all.emplace_back(f->Pixels.begin(), f->Pixels.end());
  return all;
}

TEST(SharedPixels, EveryPixelIsSetAndNineWhereTheFileStoresNone) {
  // A raw frame; a compressed one of four rows of 100 pixels, whose second
  // row's code covers three pixels and whose others have none (one with a
  // negative count); a frame with a subframe; a frame stored in a form no
  // reader knows.
  Bytes b = GafOneAnimation("mix", {{88, 10}, {118, 10}, {153, 10}, {206, 10}});
  GafRecord(b, 3, 2, 0, 0, 112).raw({1, 2, 3, 4, 5, 6});                            // 88
  GafRecord(b, 100, 4, 1, 0, 142).i16(0).i16(3).raw({0x03, 0x06, 0x07}).i16(-1).i16(0);  // 118
  GafRecord(b, 2, 2, 0, 1, 177).i32(181);                                           // 153
  GafRecord(b, 1, 1, 0, 0, 205).u8(0x42);                                           // 181
  GafRecord(b, 2, 1, 2, 0, 230);                                                    // 206
  ASSERT_EQ(b.size(), 230u);
  TempDir dir;
  WriteFile(dir.File("mix.gaf"), b.data);
  classGAF doc;
  doc.Load(dir.File("mix.gaf"));
  ASSERT_EQ(doc.Animations.Count(), 1);
  const AnimationPtr a = doc.Animations.Item(1);
  ASSERT_EQ(a->Frames.Count(), 4);
  for (const FramePtr& f : a->Frames) ASSERT_TRUE(f->Pixels.InBlock());
  EXPECT_EQ(a->Frames.Item(1)->Pixels, (Row{1, 2, 3, 4, 5, 6}));
  Row rows(400, 9);
  rows[101] = rows[102] = 7;
  EXPECT_EQ(a->Frames.Item(2)->Pixels, rows);
  EXPECT_EQ(a->Frames.Item(3)->Pixels, Row(4, 9));
  ASSERT_EQ(a->Frames.Item(3)->Subframes.Count(), 1);
  EXPECT_EQ(a->Frames.Item(3)->Subframes.Item(1)->Pixels, Row{0x42});
  EXPECT_EQ(a->Frames.Item(4)->Pixels, Row(2, 9));
}

TEST(SharedPixels, ResizingALoadedFrameGivesItABufferOfItsOwn) {
  const classGAF doc = Reopened(Patterned());
  const std::vector<Row> before = AllPixels(doc);
  const AnimationPtr a = doc.Animations.Item(2);
  const FramePtr wider = a->Frames.Item(2), shorter = a->Frames.Item(3);
  ASSERT_TRUE(wider->Pixels.InBlock() && shorter->Pixels.InBlock());
  // As with any frame: a flat resize, the first bytes kept, new ones 0.
  wider->SetWidth(41);
  Row expected = before[5];
  expected.resize(41 * 30, 0);
  EXPECT_EQ(wider->Pixels, expected);
  shorter->SetHeight(2);
  EXPECT_EQ(shorter->Pixels, Row(before[6].begin(), before[6].begin() + 80));
  EXPECT_FALSE(wider->Pixels.InBlock() || shorter->Pixels.InBlock());
  // What they hold now is theirs alone: writing all of it changes no other frame.
  std::fill(wider->Pixels.begin(), wider->Pixels.end(), 0xEE);
  std::fill(shorter->Pixels.begin(), shorter->Pixels.end(), 0xDD);
  std::vector<Row> after = AllPixels(doc);
  after[5] = before[5];
  after[6] = before[6];
  EXPECT_EQ(after, before);
}

TEST(SharedPixels, CopiesOfLoadedPixelsAreTheirOwn) {
  const classGAF doc = Reopened(Patterned());
  const FramePtr source = doc.Animations.Item(1)->Frames.Item(1);
  const Row original(source->Pixels.begin(), source->Pixels.end());
  classGAFFrame copy = *source;
  FramePixels assigned;
  assigned = source->Pixels;
  copy.Pixels[0] = 0xAA;
  assigned[1] = 0xBB;
  EXPECT_EQ(source->Pixels, original);
  EXPECT_EQ(copy.Pixels[1], original[1]);
  EXPECT_EQ(assigned[0], original[0]);
}

// A document of the same shape whose pixels are all value.
classGAF Filled(uint8_t value) {
  classGAF doc = Patterned();
  for (const AnimationPtr& a : doc.Animations)
    for (const FramePtr& f : a->Frames) std::fill(f->Pixels.begin(), f->Pixels.end(), value);
  return doc;
}

TEST(SharedPixels, RemovedFramesAndAFreedDocumentLeaveTheOthersWhole) {
  auto doc = std::make_unique<classGAF>(Reopened(Patterned()));
  const std::vector<Row> before = AllPixels(*doc);
  // The edit history and a preview keep frames after they left the document.
  const FramePtr kept = doc->Animations.Item(3)->Frames.Item(4);
  ASSERT_TRUE(kept->Pixels.InBlock());
  doc->Animations.Item(2)->Frames.Remove(1);
  ASSERT_TRUE(doc->Animations.Remove(1));
  doc->CompressAll();
  // Memory freed too early would be taken by the next document opened.
  const classGAF other = Reopened(Filled(0x33));
  EXPECT_EQ(AllPixels(*doc), std::vector<Row>(before.begin() + 5, before.end()));
  doc.reset();
  const classGAF another = Reopened(Filled(0x44));
  EXPECT_EQ(kept->Pixels, before.back());
}

TEST(SharedPixels, ABlockGoesWithTheLastFrameThatUsesIt) {
  const HeapWatch heap;
  {
    classGAF doc = Reopened(Patterned());
    const size_t pixels = 12 * 40 * 30;
    EXPECT_GE(heap.LiveGrowth(), pixels);
    // Every frame leaves the block for a small buffer of its own.
    for (const AnimationPtr& a : doc.Animations)
      for (const FramePtr& f : a->Frames) f->SetHeight(1);
    EXPECT_LT(heap.LiveGrowth(), pixels / 2);
  }
  EXPECT_EQ(heap.LiveGrowth(), 0u);
}

TEST(SharedPixels, ALoadThatCannotHaveLargeBlocksStillLoadsEveryFrame) {
  // Four raw frames of 64 KiB (a file of 256 KiB, which the reader's buffer
  // holds) on a heap that gives no more than 300 KiB at once: too little for
  // a block for the file's pixels.
  classGAF doc;
  const AnimationPtr animation = AddAnimation(doc, "big");
  for (int f = 0; f < 4; ++f) animation->Frames.Add(MakeFrame(256, 256, Row(65536, uint8_t(f + 1))));
  EXPECT_EQ(AllPixels(Reopened(doc, 300 << 10)), AllPixels(doc));
}

// Blocks are had from the heap before the frames are known; a small file
// does not make the loader ask for large ones. Compressed, the loaded
// document saves as the one in memory does.
TEST(SharedPixels, BlocksAreSizedByWhatTheFileHoldsAndALoadedDocumentCompressesAsTheOneInMemory) {
  classGAF doc = Patterned();
  TempDir dir;
  ASSERT_TRUE(doc.Save(dir.File("d.gaf")).ok);
  const size_t file = ReadFile(dir.File("d.gaf")).size();
  classGAF back;
  const HeapWatch heap;
  back.Load(dir.File("d.gaf"));
  EXPECT_EQ(AllPixels(back), AllPixels(doc));
  EXPECT_LE(heap.LargestRequest(), 2 * file);
  doc.CompressAll();
  back.CompressAll();
  EXPECT_EQ(SaveToBytes(back), SaveToBytes(doc));
}

}  // namespace
}  // namespace quilmark::test
