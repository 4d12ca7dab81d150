// Building frames, subframes and animations from BMP files.
#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "images/FrameImages.h"
#include "images/modBmp.h"

namespace quilmark {
namespace {

struct RecordingSink : MessageSink {
  std::vector<std::pair<std::string, std::string>> shown;
  void ShowMessage(const std::string& text, const std::string& title) override { shown.emplace_back(text, title); }
};

struct RecordingDisplay : AnimationDisplay {
  std::vector<classGAFAnimation*> shown;
  void DisplayAnimation(classGAFAnimation& animation) override { shown.push_back(&animation); }
};

// Bitmaps whose table holds game colours exactly, so indices come through as
// the game index of each colour.
class FrameImport : public ::testing::Test {
 protected:
  test::PaletteScope palette{test::DistinctPalette()};
  test::TempDir dir;

  // A w × h image of game indices, written as a BMP whose own table is the
  // game palette reversed (file index = 255 - game index).
  std::string Bitmap(const std::string& name, int w, int h, std::vector<uint8_t> gameIndices = {}) {
    if (gameIndices.empty())
      for (int i = 0; i < w * h; ++i) gameIndices.push_back(static_cast<uint8_t>(i * 3 + 1));
    test::BmpShape s;
    s.width = w;
    s.height = h;
    std::vector<PaletteEntry> reversed(GamePalette.rbegin(), GamePalette.rend());
    s.table = test::TableOf(reversed);
    const int stride = (w + 3) / 4 * 4;
    s.bits.assign(static_cast<size_t>(stride * h), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        s.bits[static_cast<size_t>((h - 1 - y) * stride + x)] = static_cast<uint8_t>(255 - gameIndices[static_cast<size_t>(y * w + x)]);
    const std::string path = dir.File(name);
    test::WriteFile(path, test::BuildBmp(s));
    return path;
  }
  std::string Broken(const std::string& name) {
    const std::string path = dir.File(name);
    test::WriteFile(path, {'B', 'M', 1, 2, 3});
    return path;
  }
  static classFrameList List(std::initializer_list<std::string> files) {
    classFrameList list;
    auto it = files.begin();
    list.Create(*it);
    for (++it; it != files.end(); ++it) list.AddFrame(*it);
    return list;
  }
};

TEST_F(FrameImport, TheFrameTakesTheBitmapsSizeAndGameIndices) {
  classGAFFrame frame;
  frame.FPS = 4;
  ASSERT_TRUE(frame.ImportFrame(Bitmap("a.bmp", 3, 2, {1, 2, 3, 4, 5, 6})));
  EXPECT_EQ(frame.Width(), 3);
  EXPECT_EQ(frame.Height(), 2);
  EXPECT_EQ(frame.Pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(frame.PositionX(), 0);
  EXPECT_EQ(frame.PositionY(), 0);
  EXPECT_FALSE(frame.Compressed());
  EXPECT_EQ(frame.FPS, 4);
}

TEST_F(FrameImport, CentreRoundsHalvesToEven) {
  const std::pair<int, int> sizes[] = {{1, 1}, {3, 5}, {2, 2}, {5, 7}, {6, 6}};
  const std::pair<int, int> expected[] = {{0, 0}, {2, 2}, {1, 1}, {2, 4}, {3, 3}};
  for (size_t i = 0; i < std::size(sizes); ++i) {
    classGAFFrame frame;
    ASSERT_TRUE(frame.ImportFrame(Bitmap("c.bmp", sizes[i].first, sizes[i].second), true));
    EXPECT_EQ(frame.PositionX(), expected[i].first) << i;
    EXPECT_EQ(frame.PositionY(), expected[i].second) << i;
  }
  EXPECT_EQ(CenterOf(9), 4);
  EXPECT_EQ(CenterOf(11), 6);
  EXPECT_EQ(CenterOf(0), 0);
}

TEST_F(FrameImport, WhiteBecomesTransparentOnlyWhenAsked) {
  const std::string file = Bitmap("w.bmp", 4, 1, {255, 9, 254, 255});
  classGAFFrame plain, white;
  ASSERT_TRUE(plain.ImportFrame(file));
  ASSERT_TRUE(white.ImportFrame(file, false, true));
  EXPECT_EQ(plain.Pixels, (std::vector<uint8_t>{255, 9, 254, 255}));
  EXPECT_EQ(white.Pixels, (std::vector<uint8_t>{9, 9, 254, 9}));
}

TEST_F(FrameImport, CompressSetsTheFlag) {
  classGAFFrame frame;
  ASSERT_TRUE(frame.ImportFrame(Bitmap("k.bmp", 2, 2), false, false, true));
  EXPECT_TRUE(frame.Compressed());
}

TEST_F(FrameImport, AnUnreadableFileShowsTheMessageAndLeavesTheFrameReset) {
  RecordingSink sink;
  ImportReport report;
  classGAFFrame frame;
  const std::string bad = Broken("bad.bmp");
  EXPECT_FALSE(frame.ImportFrame(bad, true, true, true, &sink, &report));
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].first, "There was an error loading the BMP file.  Make sure it is 256 colors.");
  EXPECT_EQ(sink.shown[0].second, "Quilmark");
  EXPECT_EQ(report.failedFiles, std::vector<std::string>{bad});
  EXPECT_EQ(frame.Width(), 0);
  EXPECT_EQ(frame.Height(), 0);
  EXPECT_EQ(frame.Pixels.size(), 1u);
  EXPECT_FALSE(frame.Compressed());
}

TEST_F(FrameImport, BitmapsWiderThanAFrameCanHoldAreRefused) {
  // 32768 × 1 fits a BMP but not a frame's 16-bit width.
  test::BmpShape s;
  s.width = 32768;
  s.height = 1;
  s.bits.assign(32768, 0);
  test::WriteFile(dir.File("wide.bmp"), test::BuildBmp(s));
  RecordingSink sink;
  classGAFFrame frame;
  EXPECT_FALSE(frame.ImportFrame(dir.File("wide.bmp"), false, false, false, &sink));
  EXPECT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(frame.Width(), 0);
}

TEST_F(FrameImport, AListOfOneFileGivesAFrameWithoutSubframes) {
  classGAFFrame frame;
  ASSERT_TRUE(frame.ImportSequence(List({Bitmap("one.bmp", 2, 1, {5, 6})}), false, false, true));
  EXPECT_TRUE(frame.Subframes.IsEmpty());
  EXPECT_EQ(frame.Pixels, (std::vector<uint8_t>{5, 6}));
  EXPECT_TRUE(frame.Compressed());
}

TEST_F(FrameImport, AListOfThreeFilesGivesAnUncompressedOwnImageAndThreeSubframes) {
  const std::string a = Bitmap("a.bmp", 1, 1, {11});
  const std::string b = Bitmap("b.bmp", 2, 1, {12, 13});
  const std::string c = Bitmap("c.bmp", 3, 1, {14, 255, 16});
  classGAFFrame frame;
  ASSERT_TRUE(frame.ImportSequence(List({a, b, c}), true, true, true));
  EXPECT_EQ(frame.Pixels, std::vector<uint8_t>{11});
  EXPECT_FALSE(frame.Compressed());
  ASSERT_EQ(frame.Subframes.Count(), 3);
  EXPECT_EQ(frame.Subframes.Item(1)->Pixels, std::vector<uint8_t>{11});
  EXPECT_EQ(frame.Subframes.Item(2)->Pixels, (std::vector<uint8_t>{12, 13}));
  EXPECT_EQ(frame.Subframes.Item(3)->Pixels, (std::vector<uint8_t>{14, 9, 16}));
  for (int s = 1; s <= 3; ++s) EXPECT_TRUE(frame.Subframes.Item(s)->Compressed()) << s;
  EXPECT_EQ(frame.Subframes.Item(3)->PositionX(), 2);
}

TEST_F(FrameImport, AFileNamedTwiceInAFrameIsReportedOnce) {
  RecordingSink sink;
  ImportReport report;
  const std::string bad = Broken("bad.bmp");
  classGAFFrame frame;
  EXPECT_FALSE(frame.ImportSequence(List({bad, Bitmap("b.bmp", 1, 1)}), false, false, false, &sink, &report));
  EXPECT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(report.failedFiles, std::vector<std::string>{bad});
  EXPECT_EQ(report.read, 1);
  // The failed subframe is still there, 0 × 0.
  ASSERT_EQ(frame.Subframes.Count(), 2);
  EXPECT_EQ(frame.Subframes.Item(1)->Width(), 0);
  EXPECT_EQ(frame.Subframes.Item(2)->Width(), 1);
}

TEST_F(FrameImport, ImportSubframeTurnsTheOwnImageIntoTheFirstSubframe) {
  classGAFFrame frame;
  ASSERT_TRUE(frame.ImportFrame(Bitmap("a.bmp", 2, 1, {3, 4})));
  ASSERT_TRUE(frame.SetPositionX(-5));
  ASSERT_TRUE(frame.SetPositionY(6));
  frame.FPS = 2;
  frame.SetCompressed(true);
  ASSERT_TRUE(frame.ImportSubframe(Bitmap("b.bmp", 1, 1, {7}), false, false, true));
  ASSERT_EQ(frame.Subframes.Count(), 2);
  const auto first = frame.Subframes.Item(1);
  EXPECT_EQ(first->Width(), 2);
  EXPECT_EQ(first->Height(), 1);
  EXPECT_EQ(first->PositionX(), -5);
  EXPECT_EQ(first->PositionY(), 6);
  EXPECT_EQ(first->FPS, 2);
  EXPECT_EQ(first->Pixels, (std::vector<uint8_t>{3, 4}));
  EXPECT_FALSE(first->Compressed());
  EXPECT_EQ(frame.Subframes.Item(2)->Pixels, std::vector<uint8_t>{7});
  EXPECT_TRUE(frame.Subframes.Item(2)->Compressed());
  // A third one is simply appended.
  ASSERT_TRUE(frame.ImportSubframe(Bitmap("c.bmp", 1, 1, {8})));
  EXPECT_EQ(frame.Subframes.Count(), 3);
}

TEST_F(FrameImport, CopyImageCopiesTheBufferAndKeepsTheSizes) {
  classGAFFrame frame;
  frame.SetWidth(2);
  frame.SetHeight(2);
  std::vector<uint8_t> buffer{1, 2, 3, 4};
  frame.CopyImage(buffer);
  buffer[0] = 99;
  EXPECT_EQ(frame.Pixels, (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(frame.Width(), 2);
}

TEST_F(FrameImport, TheAnimationIsNamedAfterItsFirstUsableFile) {
  classFrameList empty;
  empty.Initialize();
  std::vector<classFrameList> lists{empty, List({Bitmap("tank.bmp", 1, 1)}), empty, List({Bitmap("other.bmp", 1, 1)})};
  classGAFAnimation animation;
  ASSERT_TRUE(animation.ImportSequence(lists, false, false, false));
  EXPECT_EQ(animation.Name, "tank");
  EXPECT_TRUE(animation.Animated);
  EXPECT_EQ(animation.Frames.Count(), 2);
}

TEST_F(FrameImport, AFileNameTooShortToNameTheAnimationEndsTheImport) {
  std::vector<classFrameList> lists{List({dir.File("a.b")}), List({Bitmap("x.bmp", 1, 1)})};
  classGAFAnimation animation;
  EXPECT_FALSE(animation.ImportSequence(lists, false, false, false));
  EXPECT_EQ(animation.Frames.Count(), 0);
  EXPECT_EQ(animation.Name, "");
}

TEST_F(FrameImport, TheDocumentAddsTheSequenceOnceAndRefusesItsNameAgain) {
  const std::vector<classFrameList> lists{List({Bitmap("tank.bmp", 2, 2)}), List({Bitmap("tank2.bmp", 1, 1)})};
  classGAF doc;
  ASSERT_TRUE(doc.ImportSequence(lists, false, false, false));
  ASSERT_EQ(doc.Animations.Count(), 1);
  EXPECT_EQ(doc.Animations.Key(1), "tank");
  EXPECT_EQ(doc.Animations.Item(1)->Frames.Count(), 2);
  EXPECT_FALSE(doc.ImportSequence(lists, false, false, false));
  EXPECT_EQ(doc.Animations.Count(), 1);
  // Nothing usable: nothing added.
  classFrameList empty;
  empty.Initialize();
  EXPECT_FALSE(doc.ImportSequence({empty}, false, false, false));
  EXPECT_FALSE(doc.ImportSequence({}, false, false, false));
  EXPECT_EQ(doc.Animations.Count(), 1);
}

TEST_F(FrameImport, ImportFramesAppendsFramesAndShowsTheAnimation) {
  RecordingDisplay display;
  RecordingSink sink;
  classGAFAnimation animation;
  const std::vector<std::string> files{Bitmap("a.bmp", 1, 1, {1}), Broken("b.bmp"), Bitmap("c.bmp", 1, 1, {3})};
  ASSERT_TRUE(animation.ImportFrames(files, false, false, false, false, 0, &display, &sink));
  ASSERT_EQ(animation.Frames.Count(), 3);
  EXPECT_EQ(animation.Frames.Item(2)->Width(), 0);
  EXPECT_EQ(animation.Frames.Item(3)->Pixels, std::vector<uint8_t>{3});
  EXPECT_EQ(sink.shown.size(), 1u);
  ASSERT_EQ(display.shown.size(), 1u);
  EXPECT_EQ(display.shown[0], &animation);
}

TEST_F(FrameImport, ImportFramesAsSubframesGoesToTheCurrentFrame) {
  RecordingDisplay display;
  classGAFAnimation animation;
  ASSERT_TRUE(animation.ImportFrames({Bitmap("a.bmp", 1, 1, {1}), Bitmap("b.bmp", 1, 1, {2})}, false, false, false,
                                     false, 0, nullptr));
  ASSERT_TRUE(animation.ImportFrames({Bitmap("c.bmp", 1, 1, {3}), Bitmap("d.bmp", 1, 1, {4})}, false, false, true,
                                     false, 2, &display));
  EXPECT_EQ(animation.Frames.Count(), 2);
  EXPECT_TRUE(animation.Frames.Item(1)->Subframes.IsEmpty());
  const auto frame = animation.Frames.Item(2);
  ASSERT_EQ(frame->Subframes.Count(), 3);
  EXPECT_EQ(frame->Subframes.Item(1)->Pixels, std::vector<uint8_t>{2});
  EXPECT_EQ(frame->Subframes.Item(3)->Pixels, std::vector<uint8_t>{4});
  EXPECT_EQ(display.shown.size(), 1u);
  // No such frame: the import ends without adding or showing anything.
  EXPECT_FALSE(animation.ImportFrames({Bitmap("e.bmp", 1, 1)}, false, false, true, false, 5, &display));
  EXPECT_EQ(display.shown.size(), 1u);
  EXPECT_EQ(animation.Frames.Count(), 2);
}

}  // namespace
}  // namespace quilmark
