#include <gtest/gtest.h>

#include "TestSupport.h"
#include "document/Progress.h"
#include "document/classGAF.h"

namespace quilmark {
namespace {

using test::MakeFrame;

TEST(FrameProperties, SizesResizePixelsAsAFlatArrayWithZeroFill) {
  classGAFFrame f;
  f.Initialize();
  ASSERT_EQ(f.Pixels.size(), 1u);
  f.SetHeight(3);
  EXPECT_EQ(f.Pixels.size(), 0u);  // width still 0
  f.SetWidth(4);
  EXPECT_EQ(f.Pixels, std::vector<uint8_t>(12, 0));

  // Existing bytes keep their flat index; they are not re-laid out by rows.
  for (size_t i = 0; i < 12; ++i) f.Pixels[i] = static_cast<uint8_t>(i + 1);
  f.SetWidth(5);
  ASSERT_EQ(f.Pixels.size(), 15u);
  for (size_t i = 0; i < 12; ++i) EXPECT_EQ(f.Pixels[i], i + 1);
  for (size_t i = 12; i < 15; ++i) EXPECT_EQ(f.Pixels[i], 0);

  f.SetWidth(300);
  f.SetHeight(300);
  EXPECT_EQ(f.Pixels.size(), 90000u);  // the product is not limited to 16 bits
}

TEST(FrameProperties, OutOfRangeSizesKeepTheOldValueButStillResize) {
  classGAFFrame f;
  f.SetWidth(2);
  f.SetHeight(2);
  f.Pixels.resize(1);  // out of step on purpose: the refused set must still resize
  f.SetWidth(40000);
  EXPECT_EQ(f.Width(), 2);
  EXPECT_EQ(f.Pixels.size(), 4u);
  f.SetHeight(-40000);
  EXPECT_EQ(f.Height(), 2);
  f.SetWidth(-32768);
  EXPECT_EQ(f.Width(), -32768);
  EXPECT_EQ(f.Pixels.size(), 0u);
  f.SetWidth(32767);
  EXPECT_EQ(f.Width(), 32767);
}

TEST(FrameProperties, PositionsRefuseOutOfRangeValues) {
  classGAFFrame f;
  EXPECT_TRUE(f.SetPositionX(-32768));
  EXPECT_TRUE(f.SetPositionY(32767));
  EXPECT_FALSE(f.SetPositionX(32768));
  EXPECT_FALSE(f.SetPositionY(-32769));
  EXPECT_EQ(f.PositionX(), -32768);
  EXPECT_EQ(f.PositionY(), 32767);
}

TEST(FrameProperties, CompressedIsAByteReadAsAFlag) {
  classGAFFrame f;
  EXPECT_FALSE(f.Compressed());
  f.SetCompressed(true);
  EXPECT_EQ(f.CompressedByte(), 1);
  f.SetCompressed(false);
  EXPECT_EQ(f.CompressedByte(), 0);
}

TEST(FrameProperties, InitializeResetsPixelsAndSubframesOnly) {
  auto f = MakeFrame(3, 2);
  ASSERT_TRUE(f->SetPositionX(7));
  f->FPS = 5;
  f->Subframes.Add(MakeFrame(1, 1));
  f->Initialize();
  EXPECT_EQ(f->Pixels, std::vector<uint8_t>{0});
  EXPECT_TRUE(f->Subframes.IsEmpty());
  EXPECT_EQ(f->Width(), 3);
  EXPECT_EQ(f->Height(), 2);
  EXPECT_EQ(f->PositionX(), 7);
  EXPECT_EQ(f->FPS, 5);
}

TEST(KeyedCollection, KeysIgnoreLetterCaseIncludingLatin1) {
  KeyedCollection<classGAFAnimation> c;
  auto a = std::make_shared<classGAFAnimation>();
  auto b = std::make_shared<classGAFAnimation>();
  EXPECT_TRUE(c.Add(a, "Walk"));
  EXPECT_FALSE(c.Add(b, "wALK"));
  EXPECT_EQ(c.Count(), 1);
  EXPECT_EQ(c.Item(1), a);
  EXPECT_TRUE(c.Add(b, "\xC9t\xE9"));         // Été
  EXPECT_FALSE(c.Add(a, "\xE9T\xC9"));        // éTÉ
  EXPECT_TRUE(c.Add(b, "\xD7") && c.Add(a, "\xF7"));  // × and ÷ are not letters
  EXPECT_EQ(c.IndexOfKey("WALK"), 1);
  EXPECT_EQ(c.Find("été"), nullptr);          // UTF-8 bytes are other bytes
  EXPECT_EQ(c.Find("\xE9t\xE9"), b);
}

TEST(KeyedCollection, RemovingClosesTheGapAndFreesTheKey) {
  KeyedCollection<classGAFAnimation> c;
  std::vector<AnimationPtr> items;
  for (const char* key : {"a", "b", "c"}) {
    items.push_back(std::make_shared<classGAFAnimation>());
    ASSERT_TRUE(c.Add(items.back(), key));
  }
  EXPECT_TRUE(c.Remove("B"));
  EXPECT_EQ(c.Count(), 2);
  EXPECT_EQ(c.Item(2), items[2]);
  EXPECT_EQ(c.Key(2), "c");
  EXPECT_EQ(c.Item(3), nullptr);
  EXPECT_EQ(c.Item(0), nullptr);
  EXPECT_TRUE(c.Add(items[1], "b"));  // appended at the end
  EXPECT_EQ(c.Item(3), items[1]);
  EXPECT_FALSE(c.Remove(4));
}

TEST(Animation, MaxSizesLookAtFramesAndFirstLevelSubframes) {
  classGAFAnimation a;
  EXPECT_EQ(a.GetMaxWidth(), 0);
  auto f1 = MakeFrame(10, 4);
  auto sub = MakeFrame(30, 2);
  sub->Subframes.Add(MakeFrame(90, 90));  // second level: not looked at
  f1->Subframes.Add(sub);
  a.Frames.Add(f1);
  a.Frames.Add(MakeFrame(20, 6));
  EXPECT_EQ(a.GetMaxWidth(), 30);
  EXPECT_EQ(a.GetMaxHeight(), 6);

  classGAFAnimation negative;
  auto n = std::make_shared<classGAFFrame>();
  n->SetWidth(-5);
  negative.Frames.Add(n);
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

  auto anim = std::make_shared<classGAFAnimation>();
  auto f = MakeFrame(2, 2);
  f->Subframes.Add(MakeFrame(1, 1));
  anim->Frames.Add(f);
  anim->Frames.Add(MakeFrame(3, 1));
  ASSERT_TRUE(doc.Animations.Add(anim, "x"));
  const auto pixels = f->Pixels;
  doc.CompressAll(&box);
  EXPECT_TRUE(f->Compressed());
  EXPECT_TRUE(f->Subframes.Item(1)->Compressed());
  EXPECT_TRUE(anim->Frames.Item(2)->Compressed());
  EXPECT_EQ(f->Pixels, pixels);
  EXPECT_EQ(box.checked, 2);
}

TEST(Progress, PercentRoundsSinglePrecisionHalvesToEven) {
  EXPECT_EQ(ProgressPercent(1, 4), 25);
  EXPECT_EQ(ProgressPercent(1, 8), 12);  // 12.5
  EXPECT_EQ(ProgressPercent(3, 8), 38);  // 37.5
  EXPECT_EQ(ProgressPercent(27, 200), 14);  // 13.5
  EXPECT_EQ(ProgressPercent(1, 3), 33);
  EXPECT_EQ(ProgressPercent(5, 5), 100);
  EXPECT_FALSE(ProgressPercent(0, 0).has_value());
  EXPECT_FALSE(ProgressPercent(3, 2).has_value());   // 150: outside the bar
  EXPECT_FALSE(ProgressPercent(-1, 2).has_value());
  EXPECT_EQ(ProgressPercent(-1, -2), 50);
}

struct RecordingSink : ProgressSink {
  std::vector<std::string> events;
  void Open(const std::string& status) override { events.push_back("open " + status); }
  void SetPercent(int p) override { events.push_back("set " + std::to_string(p)); }
  void LetMessagesRun() override { events.push_back("run"); }
  void Close() override { events.push_back("close"); }
};

TEST(Progress, AFailingStepKeepsTheBarButMessagesStillRun) {
  RecordingSink sink;
  UpdateProgress(&sink, 0, 0);
  UpdateProgress(&sink, 1, 4);
  EXPECT_EQ(sink.events, (std::vector<std::string>{"run", "set 25", "run"}));
}

TEST(Progress, LoadAndSaveDriveTheSink) {
  test::TempDir dir;
  classGAF doc;
  for (const char* name : {"a", "b", "c"}) ASSERT_TRUE(doc.Animations.Add(std::make_shared<classGAFAnimation>(), name));
  RecordingSink save;
  ASSERT_TRUE(doc.Save(dir.File("p.gaf"), &save).ok);
  EXPECT_EQ(save.events, (std::vector<std::string>{"open Saving GAF file...", "set 33", "run", "set 67", "run", "set 100",
                                                   "run", "close"}));
  RecordingSink load;
  classGAF back;
  EXPECT_TRUE(back.Load(dir.File("p.gaf"), &load));
  EXPECT_EQ(load.events, (std::vector<std::string>{"open Loading GAF file...", "set 0", "run", "set 50", "run", "set 100",
                                                   "run", "close"}));
  // A missing file still opens and closes the window.
  RecordingSink missing;
  classGAF none;
  EXPECT_TRUE(none.Load(dir.File("nothing.gaf"), &missing));
  EXPECT_EQ(missing.events, (std::vector<std::string>{"open Loading GAF file...", "close"}));
}

}  // namespace
}  // namespace quilmark
