#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "TestSupport.h"
#include "document/classGAF.h"

namespace quilmark {
namespace {

using test::Bytes;
using test::LoadFromBytes;
using test::MakeFrame;
using test::SaveToBytes;
using Row = std::vector<uint8_t>;

AnimationPtr AddAnimation(classGAF& doc, const std::string& name) {
  auto a = std::make_shared<classGAFAnimation>();
  a->Name = name;
  EXPECT_TRUE(doc.Animations.Add(a, name));
  return a;
}

// The name field as the writer makes it: name, 0, spaces to 32 bytes.
Bytes& NameField(Bytes& b, const std::string& name) {
  b.text(name).u8(0).fill(31 - name.size(), ' ');
  return b;
}

TEST(GafWriter, EmptyDocumentIsTwelveBytes) {
  classGAF doc;
  EXPECT_EQ(SaveToBytes(doc), (Row{0x00, 0x01, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(GafWriter, OneEmptyAnimation) {
  classGAF doc;
  AddAnimation(doc, "a");
  Bytes expected;
  expected.i32(0x00010100).i32(1).i32(0).i32(16);
  expected.i16(0).i16(1).i32(0);
  NameField(expected, "a");
  EXPECT_EQ(expected.size(), 56u);
  EXPECT_EQ(SaveToBytes(doc), expected.data);
}

TEST(GafWriter, OneRawFrame) {
  for (bool animated : {false, true}) {
    classGAF doc;
    auto a = AddAnimation(doc, "a");
    a->Animated = animated;
    auto f = MakeFrame(2, 2, {1, 2, 3, 4});
    ASSERT_TRUE(f->SetPositionX(-1));
    ASSERT_TRUE(f->SetPositionY(300));
    f->FPS = 77;
    a->Frames.Add(f);
    Bytes e;
    e.i32(0x00010100).i32(1).i32(0).i32(16);
    e.i16(1).i16(1).i32(0);
    NameField(e, "a");
    e.i32(64).i32(animated ? 2 : 10);                             // frame table at 56
    e.i16(2).i16(2).i16(-1).i16(300).u8(9).u8(0).u8(0).u8(0);       // record at 64
    e.i32(0).i32(88).i32(77);
    e.raw({1, 2, 3, 4});
    EXPECT_EQ(e.size(), 92u);
    EXPECT_EQ(SaveToBytes(doc), e.data);
  }
}

TEST(GafWriter, SubframesAndCompressedRows) {
  classGAF doc;
  auto a = AddAnimation(doc, "grp");
  auto parent = MakeFrame(3, 1, {9, 9, 9});
  auto s1 = MakeFrame(3, 1, {9, 5, 5});
  s1->SetCompressed(true);
  auto s2 = MakeFrame(1, 2, {7, 8});
  parent->Subframes.Add(s1);
  parent->Subframes.Add(s2);
  a->Frames.Add(parent);
  Bytes e;
  e.i32(0x00010100).i32(1).i32(0).i32(16);
  e.i16(1).i16(1).i32(0);
  NameField(e, "grp");
  e.i32(64).i32(10);
  // Parent record at 64, its subframe table at 88 holds 96 and 96 + 24 + 2 + 3.
  e.i16(3).i16(1).i16(0).i16(0).u8(9).u8(0).u8(2).u8(0).i32(0).i32(88).i32(0);
  e.i32(96).i32(125);
  e.i16(3).i16(1).i16(0).i16(0).u8(9).u8(1).u8(0).u8(0).i32(0).i32(120).i32(0);
  e.i16(3).raw({0x03, 0x06, 0x05});
  e.i16(1).i16(2).i16(0).i16(0).u8(9).u8(0).u8(0).u8(0).i32(0).i32(149).i32(0);
  e.raw({7, 8});
  EXPECT_EQ(SaveToBytes(doc), e.data);
}

TEST(GafWriter, NamesAreCutAt32BytesWithoutTerminator) {
  classGAF doc;
  const std::string name32(32, 'n');
  AddAnimation(doc, name32 + "tail");
  const Row bytes = SaveToBytes(doc);
  ASSERT_EQ(bytes.size(), 56u);
  EXPECT_EQ(std::string(bytes.begin() + 24, bytes.end()), name32);
  const classGAF back = LoadFromBytes(bytes);
  EXPECT_EQ(back.Animations.Item(1)->Name, name32);

  classGAF doc31;
  AddAnimation(doc31, std::string(31, 'x'));
  const Row b31 = SaveToBytes(doc31);
  EXPECT_EQ(b31[24 + 31], 0);
}

TEST(GafWriter, LimitsOfTheFormatFailTheSaveAndKeepTheOldFile) {
  test::TempDir dir;
  const std::string path = dir.File("keep.gaf");
  test::WriteFile(path, {1, 2, 3});
  classGAF doc;
  auto a = AddAnimation(doc, "many");
  auto f = MakeFrame(1, 1);
  for (int i = 0; i < 256; ++i) f->Subframes.Add(MakeFrame(1, 1));
  a->Frames.Add(f);
  const SaveResult r = doc.Save(path);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("255"), std::string::npos) << r.error;
  EXPECT_EQ(test::ReadFile(path), (Row{1, 2, 3}));

  classGAF wide;
  auto w = AddAnimation(wide, "wide");
  auto big = MakeFrame(32767, 1);
  big->SetCompressed(true);  // a row of varied pixels codes to more than 32767 bytes
  w->Frames.Add(big);
  EXPECT_FALSE(wide.Save(path).ok);
  EXPECT_EQ(test::ReadFile(path), (Row{1, 2, 3}));
}

TEST(GafWriter, SaveIntoAReadOnlyFolderFailsAndLeavesTheOldFile) {
  if (::geteuid() == 0) {
    // root writes anywhere; a folder that does not exist fails the same way.
    classGAF doc;
    const SaveResult r = doc.Save("/nonexistent-folder-quilmark/x.gaf");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    return;
  }
  test::TempDir dir;
  const std::string path = dir.File("old.gaf");
  test::WriteFile(path, {42});
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  classGAF doc;
  const SaveResult r = doc.Save(path);
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(test::ReadFile(path), Row{42});
}

TEST(GafWriter, SaveReplacesTheOldFileAndLeavesNoTemporaryFiles) {
  test::TempDir dir;
  const std::string path = dir.File("doc.gaf");
  test::WriteFile(path, Row(500, 0xEE));
  classGAF doc;
  ASSERT_TRUE(doc.Save(path).ok);
  EXPECT_EQ(test::ReadFile(path).size(), 12u);  // the longer old content is gone
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

// ------------------------------------------------------------------ reading

// A file with one animation whose frame table is given, followed by records.
Bytes OneAnimation(const std::string& name, const std::vector<std::pair<int32_t, int32_t>>& entries) {
  Bytes b;
  b.i32(0x00010100).i32(1).i32(0).i32(16);
  b.i16(static_cast<int32_t>(entries.size())).i16(1).i32(0);
  NameField(b, name);
  for (const auto& [offset, flag] : entries) b.i32(offset).i32(flag);
  return b;
}

Bytes& Record(Bytes& b, int w, int h, int compressed, int subframes, int32_t data_offset, int32_t fps = 0) {
  return b.i16(w).i16(h).i16(1).i16(2).u8(9).u8(static_cast<uint32_t>(compressed)).u8(static_cast<uint32_t>(subframes))
      .u8(0).i32(0).i32(data_offset).i32(fps);
}

TEST(GafReader, ReadRulesOfTheFrameTable) {
  // Entry 1: offset 0 (skipped); entry 2: a 2×1 frame; entry 3: flag 2; entry 4: a 0×3 frame.
  Bytes b = OneAnimation("a", {{0, 10}, {88, 10}, {-5, 2}, {114, 10}});
  ASSERT_EQ(b.size(), 88u);
  Record(b, 2, 1, 0, 0, 112, 15).raw({3, 4});
  Record(b, 0, 3, 0, 0, 138);
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_TRUE(report.complete) << report.problem;
  ASSERT_EQ(doc.Animations.Count(), 1);
  const auto a = doc.Animations.Item(1);
  EXPECT_TRUE(a->Animated);
  ASSERT_EQ(a->Frames.Count(), 1);
  const auto f = a->Frames.Item(1);
  EXPECT_EQ(f->Width(), 2);
  EXPECT_EQ(f->PositionX(), 1);
  EXPECT_EQ(f->PositionY(), 2);
  EXPECT_EQ(f->FPS, 15);
  EXPECT_EQ(f->Pixels, (Row{3, 4}));
}

TEST(GafReader, OtherCompressedBytesReadAsTransparentAndSaveCompressed) {
  Bytes b = OneAnimation("c", {{64, 10}});
  Record(b, 3, 2, 2, 0, 88).raw({1, 2, 3, 4, 5, 6});
  const classGAF doc = LoadFromBytes(b.data);
  const auto f = doc.Animations.Item(1)->Frames.Item(1);
  EXPECT_EQ(f->CompressedByte(), 2);
  EXPECT_TRUE(f->Compressed());
  EXPECT_EQ(f->Pixels, Row(6, 9));
  const Row saved = SaveToBytes(doc);
  ASSERT_EQ(saved.size(), 88u + 2 * 3);
  EXPECT_EQ(saved[64 + 9], 2);
  EXPECT_EQ(Row(saved.begin() + 88, saved.end()), (Row{1, 0, 0x07, 1, 0, 0x07}));
}

TEST(GafReader, NamesAndDuplicates) {
  Bytes b;
  b.i32(0).i32(3).i32(0).i32(24).i32(64).i32(104);
  b.i16(0).i16(0).i32(0).text("Tank").u8(0).text("garbage after the zero....").fill(1, 'z');
  b.i16(0).i16(0).i32(0).text("TANK").u8(0).fill(27, ' ');
  b.i16(0).i16(0).i32(0).text(std::string(30, 'q') + "  ");
  ASSERT_EQ(b.size(), 144u);
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_TRUE(report.complete);
  ASSERT_EQ(doc.Animations.Count(), 2);
  EXPECT_EQ(doc.Animations.Item(1)->Name, "Tank");
  EXPECT_EQ(doc.Animations.Item(2)->Name, std::string(30, 'q') + "  ");
}

TEST(GafReader, RowCodeFailureDropsTheFrameAndSubframesFollowAnyDepth) {
  // Frame 1: compressed, its second row's code runs past the image: dropped.
  // Frame 2: subframes, one of which has subframes itself.
  Bytes b = OneAnimation("d", {{72, 2}, {104, 2}});
  Record(b, 2, 2, 1, 0, 96).i16(2).raw({0x02, 0x01}).i16(2).raw({0x0A, 0x01});  // 72..103
  ASSERT_EQ(b.size(), 104u);
  Record(b, 4, 4, 0, 2, 128);          // 104, table at 128
  b.i32(136).i32(162);
  Record(b, 1, 1, 0, 0, 160).raw({0x11}).raw({0});  // 136, pixel at 160, one byte of padding
  Record(b, 2, 1, 0, 1, 186);          // 162, table at 186
  b.i32(190);
  Record(b, 1, 1, 1, 0, 214).i16(2).raw({0x00, 0x42});  // 190
  LoadReport report;
  const classGAF doc = LoadFromBytes(b.data, &report);
  EXPECT_FALSE(report.complete);
  const auto a = doc.Animations.Item(1);
  ASSERT_EQ(a->Frames.Count(), 1);
  const auto f = a->Frames.Item(1);
  EXPECT_EQ(f->Pixels, Row(16, 9));
  ASSERT_EQ(f->Subframes.Count(), 2);
  EXPECT_EQ(f->Subframes.Item(1)->Pixels, Row{0x11});
  ASSERT_EQ(f->Subframes.Item(2)->Subframes.Count(), 1);
  EXPECT_EQ(f->Subframes.Item(2)->Subframes.Item(1)->Pixels, Row{0x42});
}

// A document of varied content survives save → load → save byte for byte.
classGAF RandomDocument(unsigned seed) {
  std::mt19937 rng(seed);
  classGAF doc;
  const int animations = 1 + static_cast<int>(rng() % 5);
  for (int i = 0; i < animations; ++i) {
    auto a = AddAnimation(doc, "anim" + std::to_string(i) + std::string(rng() % 27, 'x'));
    a->Animated = rng() % 2;
    const int frames = static_cast<int>(rng() % 4);
    for (int j = 0; j < frames; ++j) {
      auto make = [&]() {
        const int w = 1 + static_cast<int>(rng() % 70), h = 1 + static_cast<int>(rng() % 20);
        Row pixels(static_cast<size_t>(w * h));
        for (auto& p : pixels) p = rng() % 3 == 0 ? 9 : static_cast<uint8_t>(rng() % 6);
        auto f = MakeFrame(w, h, pixels);
        f->SetCompressed(rng() % 2);
        EXPECT_TRUE(f->SetPositionX(static_cast<int>(rng() % 200) - 100));
        EXPECT_TRUE(f->SetPositionY(static_cast<int>(rng() % 200) - 100));
        f->FPS = static_cast<int32_t>(rng());
        return f;
      };
      auto f = make();
      if (rng() % 3 == 0) {
        f->Pixels.assign(f->Pixels.size(), 9);
        for (int s = 0, n = 1 + static_cast<int>(rng() % 3); s < n; ++s) f->Subframes.Add(make());
      }
      a->Frames.Add(f);
    }
  }
  return doc;
}

void ExpectSameFrame(const classGAFFrame& a, const classGAFFrame& b) {
  EXPECT_EQ(a.Width(), b.Width());
  EXPECT_EQ(a.Height(), b.Height());
  EXPECT_EQ(a.PositionX(), b.PositionX());
  EXPECT_EQ(a.PositionY(), b.PositionY());
  EXPECT_EQ(a.CompressedByte(), b.CompressedByte());
  EXPECT_EQ(a.FPS, b.FPS);
  EXPECT_EQ(a.Pixels, b.Pixels);
  ASSERT_EQ(a.Subframes.Count(), b.Subframes.Count());
  for (int i = 1; i <= a.Subframes.Count(); ++i) ExpectSameFrame(*a.Subframes.Item(i), *b.Subframes.Item(i));
}

TEST(GafRoundTrip, GeneratedDocumentsComeBackTheSame) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const classGAF doc = RandomDocument(seed);
    const Row first = SaveToBytes(doc);
    LoadReport report;
    const classGAF back = LoadFromBytes(first, &report);
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

TEST(GafRoundTrip, ZeroSizedFramesAreNotInTheReloadedDocument) {
  classGAF doc;
  auto a = AddAnimation(doc, "z");
  a->Frames.Add(std::make_shared<classGAFFrame>());
  a->Frames.Add(MakeFrame(1, 1, {5}));
  auto withEmptySub = MakeFrame(2, 1);
  withEmptySub->Subframes.Add(std::make_shared<classGAFFrame>());
  a->Frames.Add(withEmptySub);
  LoadReport report;
  const classGAF back = LoadFromBytes(SaveToBytes(doc), &report);
  EXPECT_TRUE(report.complete);
  const auto b = back.Animations.Item(1);
  ASSERT_EQ(b->Frames.Count(), 2);
  EXPECT_EQ(b->Frames.Item(1)->Pixels, Row{5});
  EXPECT_TRUE(b->Frames.Item(2)->Subframes.IsEmpty());
}

TEST(GafFile, LoadFromDiskMatchesLoadFromMemory) {
  test::TempDir dir;
  const classGAF doc = RandomDocument(99);
  ASSERT_TRUE(doc.Save(dir.File("d.gaf")).ok);
  classGAF from_disk;
  LoadReport report;
  EXPECT_TRUE(from_disk.Load(dir.File("d.gaf"), nullptr, &report));
  EXPECT_TRUE(report.complete);
  EXPECT_EQ(SaveToBytes(from_disk), test::ReadFile(dir.File("d.gaf")));
}

}  // namespace
}  // namespace quilmark
