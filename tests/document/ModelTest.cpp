#include "TestSupport.h"
#include "document/Progress.h"

namespace quilmark {
namespace {

using test::MakeFrame;
using Row = std::vector<uint8_t>;
using Events = std::vector<std::string>;

TEST(FrameProperties, SizesResizePixelsAsAFlatArrayWithZeroFill) {
  classGAFFrame f;
  f.Initialize();
  ASSERT_EQ(f.Pixels.size(), 1u);
  f.SetHeight(3);
  EXPECT_TRUE(f.Pixels.empty());  // width still 0
  f.SetWidth(4);
  EXPECT_EQ(f.Pixels, Row(12, 0));
  // Existing bytes keep their flat index; they are not re-laid out by rows.
  for (size_t i = 0; i < 12; ++i) f.Pixels[i] = uint8_t(i + 1);
  f.SetWidth(5);
  EXPECT_EQ(f.Pixels, (Row{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0}));
  f.SetWidth(300);
  f.SetHeight(300);
  EXPECT_EQ(f.Pixels.size(), 90000u);  // the product is not limited to 16 bits
}

TEST(FrameProperties, SixteenBitLimitsOfSizesAndPositions) {
  classGAFFrame f;
  f.SetWidth(2);
  f.SetHeight(2);
  f.Pixels.resize(1);  // out of step on purpose: a refused size must still resize
  f.SetWidth(40000);
  f.SetHeight(-40000);
  EXPECT_EQ(std::make_tuple(f.Width(), f.Height(), f.Pixels.size()), std::make_tuple(2, 2, size_t(4)));
  f.SetWidth(-32768);
  f.SetHeight(32767);
  EXPECT_EQ(std::make_tuple(f.Width(), f.Height(), f.Pixels.size()), std::make_tuple(-32768, 32767, size_t(0)));
  // Positions refuse what does not fit and keep the old value.
  EXPECT_TRUE(f.SetPositionX(-32768) && f.SetPositionY(32767));
  EXPECT_FALSE(f.SetPositionX(32768) || f.SetPositionY(-32769));
  EXPECT_EQ(std::make_pair(f.PositionX(), f.PositionY()), std::make_pair(-32768, 32767));
}

TEST(FrameProperties, SetImageTakesSizesAndTheBufferItselfOrNothing) {
  classGAFFrame f;
  f.SetWidth(2);
  f.SetHeight(1);
  // Refused: a size outside 0…32767, or pixels that do not match the sizes.
  for (const auto& [w, h, n] : {std::tuple{-1, 1, 0}, {32768, 1, 32768}, {1, 32768, 32768}, {2, 2, 3}}) {
    Row pixels(size_t(n), 7);
    EXPECT_FALSE(f.SetImage(w, h, std::move(pixels))) << w << " x " << h;
    EXPECT_EQ(pixels.size(), size_t(n));  // still the caller's
    EXPECT_EQ(std::make_tuple(f.Width(), f.Height(), f.Pixels), std::make_tuple(2, 1, Row(2, 0)));
  }
  Row image{1, 2, 3, 4, 5, 6};
  const uint8_t* storage = image.data();
  ASSERT_TRUE(f.SetImage(3, 2, std::move(image)));
  EXPECT_EQ(std::make_tuple(f.Width(), f.Height(), f.Pixels.data()), std::make_tuple(3, 2, storage));
}

TEST(FrameProperties, InitializeResetsPixelsAndSubframesOnly) {
  auto f = MakeFrame(3, 2);
  ASSERT_TRUE(f->SetPositionX(7));
  f->FPS = 5;
  f->SetCompressed(true);
  f->Subframes.Add(MakeFrame(1, 1));
  f->Initialize();
  EXPECT_EQ(f->Pixels, Row{0});
  EXPECT_TRUE(f->Subframes.IsEmpty());
  EXPECT_EQ(std::make_tuple(f->Width(), f->Height(), f->PositionX(), f->FPS, f->CompressedByte()),
            std::make_tuple(3, 2, 7, 5, uint8_t(1)));
}

TEST(KeyedCollection, KeysIgnoreLetterCaseIncludingLatin1) {
  KeyedCollection<classGAFAnimation> c;
  auto a = std::make_shared<classGAFAnimation>(), b = std::make_shared<classGAFAnimation>();
  EXPECT_TRUE(c.Add(a, "Walk"));
  EXPECT_FALSE(c.Add(b, "wALK"));
  EXPECT_EQ(c.Count(), 1);
  EXPECT_TRUE(c.Add(b, "\xC9t\xE9"));                  // Été
  EXPECT_FALSE(c.Add(a, "\xE9T\xC9"));                 // éTÉ
  EXPECT_TRUE(c.Add(b, "\xD7") && c.Add(a, "\xF7"));  // × and ÷ are not letters
  EXPECT_EQ(c.IndexOfKey("WALK"), 1);
  EXPECT_EQ(c.Find("été"), nullptr);  // UTF-8 bytes are other bytes
  EXPECT_EQ(c.Find("\xE9t\xE9"), b);
}

TEST(KeyedCollection, RemovingClosesTheGapAndFreesTheKey) {
  KeyedCollection<classGAFAnimation> c;
  std::vector<AnimationPtr> items(3);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(c.Add(items[i] = std::make_shared<classGAFAnimation>(), std::string(1, char('a' + i))));
  EXPECT_TRUE(c.Remove("B"));
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(std::make_tuple(c.Item(0), c.Item(2), c.Key(2), c.Item(3)), std::make_tuple(nullptr, items[2], "c", nullptr));
  EXPECT_TRUE(c.Add(items[1], "b"));  // appended at the end
  EXPECT_EQ(c.Item(3), items[1]);
  EXPECT_FALSE(c.Remove(4));
}

TEST(KeyedCollection, AssignPutsBackEntriesOrRefusesEqualKeys) {
  KeyedCollection<classGAFAnimation> c;
  auto a = std::make_shared<classGAFAnimation>(), b = std::make_shared<classGAFAnimation>();
  ASSERT_TRUE(c.Add(a, "tank") && c.Add(b, "Walk"));
  const auto before = c.Entries();
  ASSERT_TRUE(c.Remove("tank") && c.Add(a, "\xC9" "clair"));
  // Two keys equal without regard to case: refused, nothing changed.
  EXPECT_FALSE(c.Assign({{"walk", a}, {"WALK", b}}));
  EXPECT_EQ(c.Key(1) + "|" + c.Key(2), "Walk|\xC9" "clair");
  ASSERT_TRUE(c.Assign(before));
  EXPECT_TRUE(c.Item(1) == a && c.Item(2) == b && c.Key(1) == "tank");
  // The freed key is free, the restored ones are taken again.
  EXPECT_TRUE(c.Add(b, "\xE9" "CLAIR"));
  EXPECT_FALSE(c.Add(b, "TANK"));
}

TEST(Names, Utf8FileNamesBecomeLatin1AndOtherBytesStay) {
  EXPECT_EQ(Utf8ToLatin1("walk_01"), "walk_01");
  // Latin-1 letters, the first and last of the two-byte range.
  EXPECT_EQ(Utf8ToLatin1("\xC3\xBCn\xC3\xAF_3x3"), "\xFCn\xEF_3x3");
  EXPECT_EQ(Utf8ToLatin1("\xC2\x80\xC3\xBF"), "\x80\xFF");
  // Beyond Latin-1: one '?' a character, whatever its length.
  EXPECT_EQ(Utf8ToLatin1("a\xC4\x80" "b\xE2\x82\xAC" "c\xF0\x9F\x98\x80" "d"), "a?b?c?d");
  // Not UTF-8: an 8-bit name, a stray continuation byte, an overlong form, a
  // surrogate and a value past U+10FFFF keep their bytes.
  for (const char* bytes : {"caf\xE9", "\x80x", "\xC1\xBC", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_EQ(Utf8ToLatin1(bytes), bytes);
  // Truncated sequences, at the end and before another character.
  for (const char* bytes : {"a\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xE2\x82x"}) EXPECT_EQ(Utf8ToLatin1(bytes), bytes);
  EXPECT_EQ(Utf8ToLatin1("\xC3\xC3\xA9"), "\xC3\xE9");  // a lead byte cut short, then a whole character
  // Every Latin-1 name comes back from its UTF-8 form.
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(Utf8ToLatin1(Latin1ToUtf8(all)), all);
}

TEST(Animation, MaxSizesLookAtFramesAndFirstLevelSubframes) {
  classGAFAnimation a, negative;
  EXPECT_EQ(a.GetMaxWidth(), 0);
  auto f1 = MakeFrame(10, 4), sub = MakeFrame(30, 2);
  sub->Subframes.Add(MakeFrame(90, 90));  // second level: not looked at
  f1->Subframes.Add(sub);
  a.Frames.Add(f1);
  a.Frames.Add(MakeFrame(20, 6));
  EXPECT_EQ(std::make_pair(a.GetMaxWidth(), a.GetMaxHeight()), std::make_pair(30, 6));
  negative.Frames.Add(MakeFrame(-5, 1));
  EXPECT_EQ(negative.GetMaxWidth(), 0);
}

struct CheckBox : CompressedIndicator {
  int checked = 0;
  void SetCompressedChecked() override { ++checked; }
};

TEST(Document, CompressAllMarksEveryImageAndChecksTheBox) {
  classGAF doc;
  CheckBox box;
  doc.CompressAll(&box);  // an empty document still checks the box
  EXPECT_EQ(box.checked, 1);
  auto f = MakeFrame(2, 2);
  f->Subframes.Add(MakeFrame(1, 1));
  const AnimationPtr anim = test::AddAnimation(doc, "x", {f, MakeFrame(3, 1)});
  const Row pixels(f->Pixels.begin(), f->Pixels.end());
  doc.CompressAll(&box);
  EXPECT_TRUE(f->Compressed() && f->Subframes.Item(1)->Compressed() && anim->Frames.Item(2)->Compressed());
  EXPECT_EQ(f->Pixels, pixels);
  EXPECT_EQ(box.checked, 2);
}

TEST(Progress, PercentRoundsSinglePrecisionHalvesToEven) {
  // {value, max, percent}; -1: no value, the bar keeps its place.
  const int cases[][3] = {{1, 4, 25}, {1, 8, 12},  {3, 8, 38},  {27, 200, 14}, {1, 3, 33},
                          {5, 5, 100}, {0, 0, -1}, {3, 2, -1}, {-1, 2, -1},   {-1, -2, 50}};
  for (const auto& [value, max, percent] : cases)
    EXPECT_EQ(ProgressPercent(value, max).value_or(-1), percent) << value << "/" << max;
}

struct RecordingSink : ProgressSink {
  Events events;
  void Open(const std::string& status) override { events.push_back("open " + status); }
  void SetPercent(int p) override { events.push_back("set " + std::to_string(p)); }
  void LetMessagesRun() override { events.push_back("run"); }
  void Close() override { events.push_back("close"); }
};

TEST(Progress, LoadAndSaveDriveTheSinkAndAFailingStepKeepsTheBar) {
  RecordingSink step, save, load, missing;
  UpdateProgress(&step, 0, 0);
  UpdateProgress(&step, 1, 4);
  EXPECT_EQ(step.events, (Events{"run", "set 25", "run"}));
  test::TempDir dir;
  classGAF doc, back, none;
  for (const char* name : {"a", "b", "c"}) ASSERT_TRUE(doc.Animations.Add(std::make_shared<classGAFAnimation>(), name));
  ASSERT_TRUE(doc.Save(dir.File("p.gaf"), &save).ok);
  EXPECT_EQ(save.events, (Events{"open Saving GAF file...", "set 33", "run", "set 67", "run", "set 100", "run", "close"}));
  EXPECT_TRUE(back.Load(dir.File("p.gaf"), &load));
  EXPECT_EQ(load.events, (Events{"open Loading GAF file...", "set 0", "run", "set 50", "run", "set 100", "run", "close"}));
  // A missing file still opens and closes the window.
  EXPECT_TRUE(none.Load(dir.File("nothing.gaf"), &missing));
  EXPECT_EQ(missing.events, (Events{"open Loading GAF file...", "close"}));
}

}  // namespace
}  // namespace quilmark
