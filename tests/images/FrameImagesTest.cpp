// Frames, subframes and animations built from image files (and the list of
// files a sequence is built from), and their images written out as numbered
// BMP files.

#include <array>

#include "../document/HeapWatch.h"
#include "ImageTestSupport.h"
#include "images/FrameImages.h"
#include "images/classFrameList.h"

namespace quilmark {
namespace {

using Pixels = std::vector<uint8_t>;
using Message = std::pair<std::string, std::string>;
using Names = std::set<std::string>;
using test::FileNames;

// The messages and the animations shown, in order.
struct Recorder : MessageSink, AnimationDisplay {
  std::vector<Message> shown;
  std::vector<classGAFAnimation*> displayed;
  void ShowMessage(const std::string& text, const std::string& title, MessageIcon) override { shown.emplace_back(text, title); }
  void DisplayAnimation(classGAFAnimation& animation) override { displayed.push_back(&animation); }
};

classFrameList List(std::initializer_list<std::string> files) {
  classFrameList list;
  list.Create(*files.begin());
  for (auto it = files.begin() + 1; it != files.end(); ++it) list.AddFrame(*it);
  return list;
}

using Lines = std::vector<std::pair<std::string, int16_t>>;

Lines Listed(const classFrameList& list) {
  Lines lines;
  list.CreateFrameList([&](const std::string& text, int16_t index) { lines.emplace_back(text, index); });
  return lines;
}

TEST(FrameList, RemovingBlanksInPlaceSoTheOtherEntriesKeepTheirIndices) {
  classFrameList list;
  list.AddFrame("/old.bmp");
  list.Create("/art/a.bmp");  // starts afresh
  list.AddFrame("/art/b.bmp");
  list.AddFrame("/art/sub/c.bmp");
  EXPECT_EQ(Listed(list), (Lines{{"a.bmp", 0}, {"b.bmp", 1}, {"c.bmp", 2}}));
  for (int16_t index : {1, 1, -1, 3, 32767}) list.RemoveFrame(index);  // again, and outside: nothing
  EXPECT_EQ(Listed(list), (Lines{{"a.bmp", 0}, {"c.bmp", 2}}));
  list.AddFrame("dir/");
  list.RemoveFrame(0);  // the frame's own file can go too; the list keeps its name
  EXPECT_EQ(Listed(list), (Lines{{"c.bmp", 2}, {"", 3}}));
  EXPECT_EQ(list.GetFrames(), (std::vector<std::string>{"/art/sub/c.bmp", "dir/"}));
  EXPECT_EQ(list.Name, "/art/a.bmp");
  // The list is full at 32767 entries.
  list.Create("a");
  for (int i = 1; i < classFrameList::MaxEntries; ++i) ASSERT_TRUE(list.AddFrame("x"));
  EXPECT_FALSE(list.AddFrame("y"));
  EXPECT_EQ(Listed(list).back().second, 32766);
}

class FrameImport : public test::ImageTest {
 protected:
  Recorder sink;
  ImportReport report;
  std::string Broken() {
    test::WriteFile(dir.File("bad.bmp"), {'B', 'M', 1, 2, 3});
    return dir.File("bad.bmp");
  }
};

// A BMP and a PNG of the same picture make the same frame: game indices,
// white among them, stored through the game palette reversed as each file's
// own table, so that only the mapping gives them back.
TEST_F(FrameImport, TheFrameTakesTheImagesIndicesAndTheOptions) {
  const Pixels indices{255, 9, 3, 200, 255, 17, 0, 254}, whiteClear{9, 9, 3, 200, 9, 17, 0, 254};
  std::vector<PaletteEntry> reversed(GamePalette.rbegin(), GamePalette.rend());
  test::PngShape s{.width = 4, .height = 2, .type = 3, .chunks = {test::Plte(reversed)}};
  for (uint8_t i : indices) s.pixels.push_back({uint16_t(255 - i)});
  for (const std::string& file : {Bitmap("a.bmp", 4, 2, indices), Put("a.png", test::BuildPng(s))}) {
    classGAFFrame plain, white;
    plain.FPS = 4;
    ASSERT_TRUE(ImportFrame(plain, file)) << file;
    ASSERT_TRUE(ImportFrame(white, file, true, true, true)) << file;
    EXPECT_EQ(std::tuple(plain.Width(), plain.Height(), plain.Pixels, plain.Compressed(), plain.FPS, plain.PositionX()),
              std::tuple(4, 2, indices, false, 4, 0)) << file;
    EXPECT_EQ(std::tuple(white.Pixels, white.Compressed(), white.PositionX(), white.PositionY()),
              std::tuple(whiteClear, true, 2, 1)) << file;
  }
  // Centring takes half of each side, halves going to even.
  for (const auto& [w, h, x, y] : {std::array{1, 1, 0, 0}, {3, 5, 2, 2}, {2, 2, 1, 1}, {5, 7, 2, 4}, {6, 6, 3, 3}}) {
    classGAFFrame frame;
    ASSERT_TRUE(ImportFrame(frame, Bitmap("c.bmp", w, h), true));
    EXPECT_EQ(frame.PositionX(), x) << w;
    EXPECT_EQ(frame.PositionY(), y) << h;
  }
}

TEST_F(FrameImport, UnreadableTooWideOrTooLargeFilesShowTheMessageAndLeaveTheFrameReset) {
  // 32768 × 1 fits a BMP but not a frame's 16-bit width; 2000 × 2000 does not
  // fit the heap, which is held to 1 MiB here; a PNG claims 30000 × 30000 in a
  // file of a few dozen bytes.
  const std::vector<std::string> files{
      Broken(), Bitmap("wide.bmp", 32768, 1), Rle("big.bmp", 2000, 2000),
      Put("claim.png", test::BuildPng({.width = 7, .height = 7, .pixels = std::vector<test::Samples>(49, {1}),
                                       .claimedWidth = 30000, .claimedHeight = 30000}))};
  const std::string small = Bitmap("small.bmp", 1, 1);
  const FramePtr large = test::MakeFrame(1200, 1000);
  const test::HeapWatch heap(1 << 20);
  for (const std::string& file : files) {
    classGAFFrame frame;
    EXPECT_FALSE(ImportFrame(frame, file, true, true, true, &sink, &report));
    EXPECT_EQ(std::tuple(frame.Width(), frame.Height(), frame.Pixels.size(), frame.Compressed()),
              std::tuple(0, 0, size_t{1}, false)) << file;
  }
  // Nor is there room for the copy of a large frame's own image that its
  // first subframe becomes: the frame stays as it was.
  EXPECT_FALSE(ImportSubframe(*large, small, false, false, false, &sink, &report));
  EXPECT_TRUE(large->Subframes.IsEmpty());
  EXPECT_EQ(sink.shown, std::vector<Message>(5, {kBmpLoadError, "Quilmark"}));
  EXPECT_EQ(report.failedFiles, (std::vector<std::string>{files[0], files[1], files[2], files[3], small}));
  // The report says why of each.
  EXPECT_EQ(report.reasons, (std::vector<std::string>{"a damaged BMP", "a side over 32767 pixels", "out of memory",
                                                      "a damaged PNG", "out of memory"}));
}

// The frame takes the decoded pixels; nothing else of their size is held
// beside them at any point of the import.
TEST_F(FrameImport, AnImportHoldsOneCopyOfTheImage) {
  const auto png =
      test::BuildPng({.width = 1500, .height = 1000, .type = 2, .pixels = std::vector<test::Samples>(1500000, {1, 2, 3})});
  for (const std::string& file : {Bitmap("plain.bmp", 1500, 1000), Rle("rle.bmp", 1500, 1000), Put("rgb.png", png)}) {
    classGAFFrame frame;
    const test::HeapWatch heap;
    ASSERT_TRUE(ImportFrame(frame, file));
    EXPECT_EQ(frame.Pixels.size(), 1500u * 1000u);
    EXPECT_LT(heap.PeakGrowth(), frame.Pixels.size() * 5 / 4) << file;
  }
}

// A loaded frame's pixels lie in a block with its neighbours' (FramePixels.h):
// an image imported over it, or its own image made a subframe, are held
// apart from that block.
TEST_F(FrameImport, ImportsOverLoadedFramesLeaveTheirNeighboursAlone) {
  classGAF doc;
  const AnimationPtr animation = test::AddAnimation(doc, "loaded");
  for (int f = 0; f < 3; ++f) animation->Frames.Add(test::MakeFrame(8, 8, Pixels(64, uint8_t(20 + f))));
  classGAF loaded;
  ASSERT_TRUE(doc.Save(dir.File("l.gaf")).ok && loaded.Load(dir.File("l.gaf")).complete);
  const AnimationPtr a = loaded.Animations.Item(1);
  ASSERT_EQ(a->Frames.Count(), 3);
  ASSERT_TRUE(a->Frames.Item(2)->Pixels.InBlock());
  // A larger image over the middle frame, then every one of its pixels changed.
  ASSERT_TRUE(ImportFrame(*a->Frames.Item(2), Bitmap("larger.bmp", 12, 10)));
  std::fill(a->Frames.Item(2)->Pixels.begin(), a->Frames.Item(2)->Pixels.end(), 0xEE);
  EXPECT_EQ(a->Frames.Item(1)->Pixels, Pixels(64, 20));
  EXPECT_EQ(a->Frames.Item(3)->Pixels, Pixels(64, 22));
  // The last frame's own image becomes its first subframe; the two are apart.
  const FramePtr last = a->Frames.Item(3);
  ASSERT_TRUE(ImportSubframe(*last, Bitmap("one.bmp", 1, 1, {5})));
  ASSERT_EQ(last->Subframes.Count(), 2);
  std::fill(last->Subframes.Item(1)->Pixels.begin(), last->Subframes.Item(1)->Pixels.end(), 0xDD);
  EXPECT_EQ(last->Pixels, Pixels(64, 22));
}

TEST_F(FrameImport, ListsOfSeveralFilesGiveAnUncompressedOwnImageAndSubframes) {
  const std::string a = Bitmap("a.bmp", 1, 1, {11});
  classGAFFrame frame;
  ASSERT_TRUE(ImportSequence(frame, List({a}), false, false, true));
  EXPECT_TRUE(frame.Subframes.IsEmpty() && frame.Compressed());
  ASSERT_TRUE(ImportSequence(frame, List({a, Bitmap("b.bmp", 3, 1, {14, 255, 16})}), true, true, true));
  ASSERT_EQ(frame.Subframes.Count(), 2);
  EXPECT_EQ(std::tuple(frame.Pixels, frame.Compressed(), frame.Subframes.Item(2)->Pixels, frame.Subframes.Item(2)->PositionX()),
            std::tuple(Pixels{11}, false, Pixels{14, 9, 16}, 2));
  EXPECT_TRUE(frame.Subframes.Item(1)->Compressed() && frame.Subframes.Item(2)->Compressed());
}

TEST_F(FrameImport, SequencesAreNamedAfterTheirFirstUsableFileAndAddedOnce) {
  classFrameList empty;
  empty.Initialize();
  const std::vector<classFrameList> lists{empty, List({Bitmap("tank.bmp", 2, 2)}), List({Bitmap("x.bmp", 1, 1)})};
  classGAF doc;
  ASSERT_TRUE(ImportSequence(doc, lists, false, false, false));
  ASSERT_EQ(doc.Animations.Count(), 1);
  EXPECT_EQ(std::tuple(doc.Animations.Key(1), doc.Animations.Item(1)->Animated, doc.Animations.Item(1)->Frames.Count()),
            std::tuple("tank", true, 2));
  EXPECT_FALSE(ImportSequence(doc, lists, false, false, false));  // the name is taken
  EXPECT_EQ(doc.Animations.Count(), 1);
  // A file name too short to name the animation ends the import.
  classGAFAnimation animation;
  EXPECT_FALSE(ImportSequence(animation, {List({dir.File("a.b")}), lists[1]}, false, false, false));
  EXPECT_EQ(animation.Frames.Count(), 0);
}

TEST_F(FrameImport, ImportFramesAppendsFramesOrSubframesAndShowsTheAnimation) {
  classGAFAnimation animation;
  // A file that fails twice is reported once; its frames stay, 0 × 0.
  const std::vector<std::string> files{Bitmap("a.bmp", 1, 1, {1}), Broken(), Bitmap("c.bmp", 1, 1, {3}), Broken()};
  ASSERT_TRUE(ImportFrames(animation, files, false, false, false, false, 0, &sink, &sink, &report));
  ASSERT_EQ(animation.Frames.Count(), 4);
  EXPECT_EQ(std::tuple(animation.Frames.Item(4)->Width(), sink.shown.size(), report.failedFiles),
            std::tuple(0, 1u, std::vector<std::string>{files[1]}));
  // As subframes of the current frame, whose own image and place become the
  // first; with no such frame, nothing is added or shown.
  const auto frame = animation.Frames.Item(3);
  ASSERT_TRUE(frame->SetPositionX(-5));
  ASSERT_TRUE(ImportFrames(animation, {files[0]}, false, false, true, true, 3, &sink));
  EXPECT_FALSE(ImportFrames(animation, {files[0]}, false, false, true, false, 5, &sink));
  EXPECT_EQ(sink.displayed, (std::vector<classGAFAnimation*>{&animation, &animation}));
  ASSERT_EQ(frame->Subframes.Count(), 2);
  const auto first = frame->Subframes.Item(1);
  EXPECT_EQ(std::tuple(first->Pixels, first->PositionX(), first->Compressed(), frame->Subframes.Item(2)->Pixels),
            std::tuple(Pixels{3}, -5, false, Pixels{1}));
}

FramePtr Frame(int w, int h, uint8_t value) { return test::MakeFrame(w, h, Pixels(static_cast<size_t>(w * h), value)); }

AnimationPtr Animation(const std::string& name, int frames) {
  auto a = std::make_shared<classGAFAnimation>();
  a->Name = name;
  for (int f = 1; f <= frames; ++f) a->Frames.Add(Frame(1, 1, static_cast<uint8_t>(f)));
  return a;
}

using FrameExport = test::ImageTest;

TEST_F(FrameExport, ExportFrameWritesTheOwnImageOnlyWithTheGamePalette) {
  const auto frame = Frame(3, 2, 42);
  const ExportReport r = ExportFrame(*frame, dir.File("f.bmp"));
  EXPECT_TRUE(r.written == 1 && r.ok());
  EXPECT_EQ(test::ReadFile(dir.File("f.bmp")), test::WrittenBmp(3, 2, Pixels(frame->Pixels), GamePalette));
  frame->Subframes.Add(Frame(1, 1, 2));  // with subframes it has no image of its own
  EXPECT_EQ(ExportFrame(*frame, dir.File("none.bmp")).written, 0);
  const auto cut = Frame(2, 2, 0);  // pixels that do not match the size: a failure
  cut->Pixels.resize(1);
  EXPECT_EQ(ExportFrame(*cut, dir.File("cut.bmp")).failed, 1);
  // A negative size is named as the reason.
  const auto negative = Frame(2, 3, 0);
  negative->SetWidth(-2);
  const ExportReport bad = ExportFrame(*negative, dir.File("neg.bmp"));
  ASSERT_EQ(bad.reasons.size(), 1u);
  EXPECT_NE(bad.reasons[0].find("negative size (-2 × 3)"), std::string::npos) << bad.reasons[0];
  EXPECT_EQ(FileNames(dir.path()), Names{"f.bmp"});
}

TEST_F(FrameExport, NamesCarryTwoDigitNumbersUpTo_100AndFailuresDoNotStopTheRest) {
  const auto walk = Animation("walk", 100);
  walk->Frames.Item(12)->Subframes.Add(Frame(1, 1, 100));
  walk->Frames.Item(12)->Subframes.Add(Frame(2, 1, 101));
  classGAF doc;
  // Folders standing where fail's two files go make both fail.
  std::filesystem::create_directory(dir.File("fail_01.bmp"));
  std::filesystem::create_directory(dir.File("fail_02.bmp"));
  ASSERT_TRUE(doc.Animations.Add(Animation("fail", 2), "fail"));
  ASSERT_TRUE(doc.Animations.Add(walk, walk->Name));
  ASSERT_TRUE(doc.Animations.Add(Animation("run", 1), "run"));
  const ExportReport r = ExportAllImages(doc, dir.path() + "/");
  EXPECT_EQ(std::tuple(r.written, r.failed, r.failedFiles),
            std::tuple(102, 2, std::vector<std::string>{dir.File("fail_01.bmp"), dir.File("fail_02.bmp")}));
  EXPECT_TRUE(r.reasons.size() == 2 && !r.reasons[0].empty() && !r.reasons[1].empty());
  const auto names = FileNames(dir.path());
  EXPECT_EQ(names.size(), 104u);
  for (const char* name : {"walk_01.bmp", "walk_09.bmp", "walk_11.bmp", "walk_12_01.bmp", "walk_12_02.bmp",
                           "walk_99.bmp", "walk_100.bmp", "run_01.bmp"})
    EXPECT_TRUE(names.count(name)) << name;
  EXPECT_EQ(test::ReadFile(dir.File("walk_12_02.bmp")), test::WrittenBmp(2, 1, {101, 101}, GamePalette));
}

TEST_F(FrameExport, FileNamesStayInTheChosenFolderAndNeverReplaceEachOther) {
  // Names from files and renames: separators, control characters, dot names,
  // Latin-1, and names whose files would coincide with another sequence's.
  classGAF doc;
  const auto walk = Animation("walk", 1);
  walk->Frames.Item(1)->Subframes.Add(Frame(1, 1, 7));
  walk->Frames.Item(1)->Subframes.Add(Frame(1, 1, 8));
  for (const AnimationPtr& a : {Animation("../../escaped", 1), Animation("A/B", 1), Animation("a_b", 1),
                                Animation("c\x01t\x7F\x85l", 1), Animation("..", 1), walk, Animation("walk_01", 1),
                                Animation("caf\xE9", 1)})
    ASSERT_TRUE(doc.Animations.Add(a, a->Name));
  const std::string folder = dir.File("x/y/z");
  std::filesystem::create_directories(folder);
  const ExportReport r = ExportAllImages(doc, folder + "/");
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(FileNames(folder), (Names{".._.._escaped_01.bmp", "A_B_01.bmp", "a_b~2_01.bmp",
                                                    "c_t__l_01.bmp", "___01.bmp", "walk_01_01.bmp", "walk_01_02.bmp",
                                                    "walk_01~2_01.bmp", "caf\xC3\xA9_01.bmp"}));
  EXPECT_EQ(FileNames(dir.File("x")), Names{"y"});
  EXPECT_EQ(FileNames(dir.path()), Names{"x"});
  // Each renamed sequence is told once; the second walk_01 file holds its own image.
  ASSERT_EQ(r.notes.size(), 2u);
  EXPECT_NE(r.notes[0].find("\"a_b\""), std::string::npos) << r.notes[0];
  EXPECT_EQ(test::ReadFile(folder + "/walk_01_01.bmp"), test::WrittenBmp(1, 1, {7}, GamePalette));
  // One sequence on its own (Export Sequence) stays in its folder too.
  const ExportReport one = ExportAllImages(*doc.Animations.Item(1), dir.File("x/"));
  EXPECT_EQ(one.written, 1);
  EXPECT_EQ(FileNames(dir.File("x")), (Names{"y", ".._.._escaped_01.bmp"}));
  // The document keeps its names.
  EXPECT_EQ(doc.Animations.Item(1)->Name, "../../escaped");
}

}  // namespace
}  // namespace quilmark
