#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"

namespace quilmark::test {
namespace {

using Row = std::vector<uint8_t>;

// What a frame record holds besides its pixels and subframes.
auto Fields(const classGAFFrame& f) {
  return std::make_tuple(f.Width(), f.Height(), f.PositionX(), f.PositionY(), int(f.CompressedByte()), f.FPS);
}

TEST(GafWriter, SmallDocumentsAreTheBytesByHand) {
  EXPECT_EQ(SaveToBytes(classGAF()), (Row{0x00, 0x01, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));

  for (bool animated : {false, true}) {
    classGAF doc;
    auto f = MakeFrame(2, 2, {1, 2, 3, 4});
    ASSERT_TRUE(f->SetPositionX(-1) && f->SetPositionY(300));
    f->FPS = 77;
    AddAnimation(doc, "a", {f}, animated);
    Bytes e = GafOneAnimation("a", {{64, animated ? 2 : 10}});
    GafRecord(e, 2, 2, 0, 0, 88, 77, -1, 300).raw({1, 2, 3, 4});
    EXPECT_EQ(SaveToBytes(doc), e.data) << animated;
  }

  classGAF grp;
  auto parent = MakeFrame(3, 1, {9, 9, 9}), s1 = MakeFrame(3, 1, {9, 5, 5});
  s1->SetCompressed(true);
  parent->Subframes.Add(s1);
  parent->Subframes.Add(MakeFrame(1, 2, {7, 8}));
  AddAnimation(grp, "grp", {parent});
  // The parent at 64 has its subframe table at 88, holding 96 and 96 + 24 + 2 + 3.
  Bytes e = GafOneAnimation("grp", {{64, 10}});
  GafRecord(e, 3, 1, 0, 2, 88).i32(96).i32(125);
  GafRecord(e, 3, 1, 1, 0, 120).i16(3).raw({0x03, 0x06, 0x05});
  GafRecord(e, 1, 2, 0, 0, 149).raw({7, 8});
  EXPECT_EQ(SaveToBytes(grp), e.data);

  // Names up to 31 bytes end in a 0; longer ones are cut at 32 without it and read back so.
  for (const std::string& name : {std::string("a"), std::string(31, 'x'), std::string(32, 'n') + "tail"}) {
    classGAF doc;
    AddAnimation(doc, name);
    Bytes e = GafHeader(1);
    name.size() < 32 ? GafEntry(e.i32(16), 0, name) : e.i32(16).i16(0).i16(1).i32(0).text(name.substr(0, 32));
    const Row bytes = SaveToBytes(doc);
    EXPECT_EQ(bytes, e.data);
    EXPECT_EQ(LoadFromBytes(bytes).Animations.Item(1)->Name, name.substr(0, 32));
  }
}

TEST(GafWriter, FailedSavesSayWhyAndKeepTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("keep.gaf");
  const Row old(500, 0xEE);
  WriteFile(path, old);
  classGAF many, wide;
  auto f = MakeFrame(1, 1);
  for (int i = 0; i < 256; ++i) f->Subframes.Add(MakeFrame(1, 1));  // the count is one byte
  AddAnimation(many, "many", {f});
  auto big = MakeFrame(32767, 1);
  big->SetCompressed(true);  // a row of varied pixels codes to more than 32767 bytes
  AddAnimation(wide, "wide", {big});
  const SaveResult r = many.Save(path);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("255"), std::string::npos) << r.error;
  EXPECT_FALSE(wide.Save(path).ok);
  EXPECT_EQ(ReadFile(path), old);

  // A folder that cannot be written; root writes anywhere, so there a folder that does not exist.
  const bool root = ::geteuid() == 0;
  if (!root) {
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  }
  const SaveResult ro = classGAF().Save(root ? "/nonexistent-folder-quilmark/x.gaf" : path);
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_FALSE(ro.ok);
  EXPECT_FALSE(ro.error.empty());
  EXPECT_EQ(ReadFile(path), old);

  // A good save replaces the longer old file and leaves nothing else behind.
  ASSERT_TRUE(classGAF().Save(path).ok);
  EXPECT_EQ(ReadFile(path).size(), 12u);
  EXPECT_EQ(FileNames(dir.path()), std::set<std::string>{"keep.gaf"});
}

// A buffer shorter than the frame's sizes (after Initialize) is written as if
// the missing pixels were 0, whether the rows are coded or not; frames of no
// size are not written at all, so the reloaded document lacks them.
TEST(GafWriter, MissingPixelsAreWrittenAsZeroAndZeroSizedFramesNotAtAll) {
  for (bool compressed : {false, true}) {
    classGAF doc;
    auto f = MakeFrame(3, 2), withEmptySub = MakeFrame(2, 1);
    f->Initialize();
    f->Pixels = {5};
    f->SetCompressed(compressed);
    withEmptySub->Subframes.Add(std::make_shared<classGAFFrame>());
    AddAnimation(doc, "s", {std::make_shared<classGAFFrame>(), f, withEmptySub});
    LoadReport report;
    const classGAF back = LoadFromBytes(SaveToBytes(doc), &report);
    EXPECT_TRUE(report.complete);
    const auto b = back.Animations.Item(1);
    ASSERT_EQ(b->Frames.Count(), 2) << compressed;
    EXPECT_EQ(b->Frames.Item(1)->Pixels, (Row{5, 0, 0, 0, 0, 0})) << compressed;
    EXPECT_TRUE(b->Frames.Item(2)->Subframes.IsEmpty());
  }
}

TEST(GafReader, ReadRulesOfTheFrameTableAndTheRecords) {
  // Offset 0 is skipped, flag 2 makes the animation animated, a 0 × 3 frame is
  // dropped, and a compressed byte of 2 reads as all transparent; as saving
  // would replace that frame's image, the file counts as read in part.
  Bytes b = GafOneAnimation("a", {{0, 10}, {96, 10}, {-5, 2}, {122, 10}, {146, 10}});
  GafRecord(b, 2, 1, 0, 0, 120, 15, 1, 2).raw({3, 4});    // 96
  GafRecord(b, 0, 3, 0, 0, 146);                          // 122
  GafRecord(b, 3, 2, 2, 0, 170).raw({1, 2, 3, 4, 5, 6});  // 146
  const classGAF doc = LoadPartly(b.data);
  ASSERT_EQ(doc.Animations.Count(), 1);
  const auto a = doc.Animations.Item(1);
  EXPECT_TRUE(a->Animated);
  ASSERT_EQ(a->Frames.Count(), 2);
  EXPECT_EQ(Fields(*a->Frames.Item(1)), std::make_tuple(2, 1, 1, 2, 0, 15));
  EXPECT_EQ(a->Frames.Item(1)->Pixels, (Row{3, 4}));
  EXPECT_EQ(Fields(*a->Frames.Item(2)), std::make_tuple(3, 2, 0, 0, 2, 0));
  EXPECT_TRUE(a->Frames.Item(2)->Compressed());
  EXPECT_EQ(a->Frames.Item(2)->Pixels, Row(6, 9));
  // Written back: animated, and the byte 2 kept with its rows compressed.
  Bytes e = GafOneAnimation("a", {{72, 2}, {98, 2}});
  GafRecord(e, 2, 1, 0, 0, 96, 15, 1, 2).raw({3, 4});
  GafRecord(e, 3, 2, 2, 0, 122).i16(1).u8(0x07).i16(1).u8(0x07);
  EXPECT_EQ(SaveToBytes(doc), e.data);
}

TEST(GafReader, NamesEndAtTheirZeroAndACaseDuplicateKeepsTheFirstButIsNotWhole) {
  Bytes b;
  b.i32(0).i32(3).i32(0).i32(24).i32(64).i32(104);
  b.i16(0).i16(0).i32(0).text("Tank").u8(0).text("garbage after the zero....").fill(1, 'z');
  b.i16(0).i16(0).i32(0).text("TANK").u8(0).fill(27, ' ');
  b.i16(0).i16(0).i32(0).text(std::string(30, 'q') + "  ");
  ASSERT_EQ(b.size(), 144u);
  const classGAF doc = LoadPartly(b.data);  // a save would hold less than the file
  ASSERT_EQ(doc.Animations.Count(), 2);
  EXPECT_EQ(doc.Animations.Item(1)->Name, "Tank");
  EXPECT_EQ(doc.Animations.Item(2)->Name, std::string(30, 'q') + "  ");
}

TEST(GafReader, RowCodeFailureDropsTheFrameAndSubframesFollowAnyDepth) {
  // Frame 1 is compressed and its second row's code runs past the image: dropped.
  // Frame 2 has two subframes, the second of which has one itself.
  Bytes b = GafOneAnimation("d", {{72, 2}, {104, 2}});
  GafRecord(b, 2, 2, 1, 0, 96).i16(2).raw({0x02, 0x01}).i16(2).raw({0x0A, 0x01});  // 72
  GafRecord(b, 4, 4, 0, 2, 128).i32(136).i32(162);                                 // 104, table at 128
  GafRecord(b, 1, 1, 0, 0, 160).raw({0x11, 0});                                    // 136, one byte of padding
  GafRecord(b, 2, 1, 0, 1, 186).i32(190);                                          // 162, table at 186
  GafRecord(b, 1, 1, 1, 0, 214).i16(2).raw({0x00, 0x42});                          // 190
  const auto a = LoadPartly(b.data).Animations.Item(1);
  ASSERT_EQ(a->Frames.Count(), 1);
  const auto f = a->Frames.Item(1);
  EXPECT_EQ(f->Pixels, Row(16, 9));
  ASSERT_EQ(f->Subframes.Count(), 2);
  EXPECT_EQ(f->Subframes.Item(1)->Pixels, Row{0x11});
  ASSERT_EQ(f->Subframes.Item(2)->Subframes.Count(), 1);
  EXPECT_EQ(f->Subframes.Item(2)->Subframes.Item(1)->Pixels, Row{0x42});
}

TEST(GafReader, AFileInTheWritersLayoutIsReadOnceInLargeReads) {
  // 16 frames of 512 × 512, raw and compressed: a file of about 3 MiB.
  classGAF doc;
  const auto a = AddAnimation(doc, "big");
  std::mt19937 rng(7);
  for (int f = 0; f < 16; ++f) {
    Row pixels(512 * 512);
    for (size_t i = 0; i < pixels.size(); i += 8)
      std::fill_n(pixels.begin() + std::ptrdiff_t(i), 8, uint8_t(rng() % 12));
    auto frame = MakeFrame(512, 512, pixels);
    frame->SetCompressed(f % 2 == 1);
    a->Frames.Add(frame);
  }
  const Row file = SaveToBytes(doc);
  classGAF back;
  const BlockReads read = LoadInBlocks(file, back);
  ASSERT_EQ(back.Animations.Item(1)->Frames.Count(), 16);
  EXPECT_EQ(back.Animations.Item(1)->Frames.Item(16)->Pixels, a->Frames.Item(16)->Pixels);
  EXPECT_EQ(read.bytes, file.size());
  EXPECT_LE(read.reads, 2 + file.size() / (1 << 20));
}

// Documents of varied content, with about a third of the pixels transparent.
classGAF RandomDocument(unsigned seed) {
  std::mt19937 rng(seed);
  auto make = [&]() {
    const int w = 1 + int(rng() % 70), h = 1 + int(rng() % 20);
    Row pixels(size_t(w * h));
    for (auto& p : pixels) p = rng() % 3 == 0 ? 9 : uint8_t(rng() % 6);
    auto f = MakeFrame(w, h, pixels);
    f->SetCompressed(rng() % 2);
    EXPECT_TRUE(f->SetPositionX(int(rng() % 200) - 100) && f->SetPositionY(int(rng() % 200) - 100));
    f->FPS = int32_t(rng());
    return f;
  };
  classGAF doc;
  for (int i = 0, n = 1 + int(rng() % 5); i < n; ++i) {
    auto a = AddAnimation(doc, "anim" + std::to_string(i) + std::string(rng() % 27, 'x'), {}, rng() % 2);
    for (int j = 0, frames = int(rng() % 4); j < frames; ++j) {
      auto f = make();
      if (rng() % 3 == 0) {
        f->Pixels.assign(f->Pixels.size(), 9);
        for (int s = 0, subs = 1 + int(rng() % 3); s < subs; ++s) f->Subframes.Add(make());
      }
      a->Frames.Add(f);
    }
  }
  return doc;
}

void ExpectSameFrame(const classGAFFrame& a, const classGAFFrame& b) {
  EXPECT_EQ(Fields(a), Fields(b));
  EXPECT_EQ(a.Pixels, b.Pixels);
  ASSERT_EQ(a.Subframes.Count(), b.Subframes.Count());
  for (int i = 1; i <= a.Subframes.Count(); ++i) ExpectSameFrame(*a.Subframes.Item(i), *b.Subframes.Item(i));
}

TEST(GafRoundTrip, GeneratedDocumentsComeBackTheSame) {
  TempDir dir;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const classGAF doc = RandomDocument(seed);
    ASSERT_TRUE(doc.Save(dir.File("d.gaf")).ok);
    const Row first = ReadFile(dir.File("d.gaf"));
    classGAF back;
    const LoadReport report = back.Load(dir.File("d.gaf"));
    ASSERT_TRUE(report.complete) << report.problem;
    ASSERT_EQ(back.Animations.Count(), doc.Animations.Count());
    for (int i = 1; i <= doc.Animations.Count(); ++i) {
      const auto a = doc.Animations.Item(i), b = back.Animations.Item(i);
      EXPECT_EQ(a->Name, b->Name);
      EXPECT_EQ(a->Animated && !a->Frames.IsEmpty(), b->Animated);
      ASSERT_EQ(a->Frames.Count(), b->Frames.Count());
      for (int j = 1; j <= a->Frames.Count(); ++j) ExpectSameFrame(*a->Frames.Item(j), *b->Frames.Item(j));
    }
    EXPECT_EQ(SaveToBytes(back), first) << "seed " << seed;
  }
}

}  // namespace
}  // namespace quilmark::test
