// Frame images written out as numbered BMP files.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "ImageTestSupport.h"
#include "images/FrameImages.h"

namespace quilmark {
namespace {

FramePtr Frame(int w, int h, uint8_t value) {
  auto f = std::make_shared<classGAFFrame>();
  f->SetWidth(w);
  f->SetHeight(h);
  std::fill(f->Pixels.begin(), f->Pixels.end(), value);
  return f;
}

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
  return names;
}

class FrameExport : public ::testing::Test {
 protected:
  test::PaletteScope palette{test::DistinctPalette()};
  test::TempDir dir;
  std::string Location() const { return dir.path() + "/"; }
};

TEST_F(FrameExport, ExportFrameWritesTheOwnImageWithTheGamePalette) {
  const auto frame = Frame(3, 2, 42);
  const ExportReport r = frame->ExportFrame(dir.File("f.bmp"));
  EXPECT_EQ(r.written, 1);
  EXPECT_TRUE(r.ok());
  const test::PlainBmp p = test::ParsePlainBmp(test::ReadFile(dir.File("f.bmp")));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.width, 3);
  EXPECT_EQ(p.height, 2);
  EXPECT_EQ(p.pixels, std::vector<uint8_t>(6, 42));
  EXPECT_EQ(p.table[4 * 42 + 2], 42);  // red of entry 42 in DistinctPalette
  EXPECT_EQ(p.table[4 * 42 + 1], 255 - 42);
}

TEST_F(FrameExport, AFrameWithSubframesWritesNothingOfItsOwn) {
  const auto frame = Frame(1, 1, 1);
  frame->Subframes.Add(Frame(1, 1, 2));
  const ExportReport r = frame->ExportFrame(dir.File("none.bmp"));
  EXPECT_EQ(r.written, 0);
  EXPECT_EQ(r.failed, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("none.bmp")));
}

TEST_F(FrameExport, NamesCarryTwoDigitFrameAndSubframeNumbers) {
  auto walk = std::make_shared<classGAFAnimation>();
  walk->Name = "walk";
  for (int f = 1; f <= 12; ++f) walk->Frames.Add(Frame(1, 1, static_cast<uint8_t>(f)));
  const auto twelfth = walk->Frames.Item(12);
  twelfth->Subframes.Add(Frame(1, 1, 100));
  twelfth->Subframes.Add(Frame(2, 1, 101));
  auto run = std::make_shared<classGAFAnimation>();
  run->Name = "run";
  run->Frames.Add(Frame(1, 1, 7));
  classGAF doc;
  ASSERT_TRUE(doc.Animations.Add(walk, walk->Name));
  ASSERT_TRUE(doc.Animations.Add(run, run->Name));

  const ExportReport r = doc.ExportAllImages(Location());
  EXPECT_EQ(r.written, 14);
  EXPECT_TRUE(r.ok());
  const auto names = FilesIn(dir.path());
  EXPECT_EQ(names.size(), 14u);
  EXPECT_TRUE(names.count("walk_01.bmp"));
  EXPECT_TRUE(names.count("walk_11.bmp"));
  EXPECT_FALSE(names.count("walk_12.bmp"));
  EXPECT_TRUE(names.count("walk_12_01.bmp"));
  EXPECT_TRUE(names.count("walk_12_02.bmp"));
  EXPECT_TRUE(names.count("run_01.bmp"));
  const test::PlainBmp p = test::ParsePlainBmp(test::ReadFile(dir.File("walk_12_02.bmp")));
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.pixels, (std::vector<uint8_t>{101, 101}));
}

TEST_F(FrameExport, HundredFramesEndWith_99And_100) {
  classGAFAnimation a;
  a.Name = "big";
  for (int f = 1; f <= 100; ++f) a.Frames.Add(Frame(1, 1, 0));
  const ExportReport r = a.ExportAllImages(Location());
  EXPECT_EQ(r.written, 100);
  const auto names = FilesIn(dir.path());
  EXPECT_TRUE(names.count("big_09.bmp"));
  EXPECT_TRUE(names.count("big_99.bmp"));
  EXPECT_TRUE(names.count("big_100.bmp"));
  EXPECT_FALSE(names.count("big_0100.bmp"));
}

TEST_F(FrameExport, FailuresAreCountedAndTheRestIsWritten) {
  auto good = std::make_shared<classGAFAnimation>();
  good->Name = "good";
  good->Frames.Add(Frame(1, 1, 0));
  auto lost = std::make_shared<classGAFAnimation>();
  lost->Name = "no/such";  // a folder that does not exist
  lost->Frames.Add(Frame(1, 1, 0));
  lost->Frames.Add(Frame(1, 1, 0));
  classGAF doc;
  ASSERT_TRUE(doc.Animations.Add(lost, lost->Name));
  ASSERT_TRUE(doc.Animations.Add(good, good->Name));
  const ExportReport r = doc.ExportAllImages(Location());
  EXPECT_EQ(r.written, 1);
  EXPECT_EQ(r.failed, 2);
  ASSERT_EQ(r.failedFiles.size(), 2u);
  EXPECT_EQ(r.failedFiles[0], Location() + "no/such_01.bmp");
  EXPECT_EQ(r.failedFiles[1], Location() + "no/such_02.bmp");
  ASSERT_EQ(r.reasons.size(), 2u);
  EXPECT_FALSE(r.reasons[0].empty());
  EXPECT_EQ(FilesIn(dir.path()), std::set<std::string>{"good_01.bmp"});
}

TEST_F(FrameExport, AnImageWhosePixelsDoNotMatchItsSizeIsAFailure) {
  auto frame = Frame(2, 2, 0);
  frame->Initialize();  // one pixel byte left for a 2 × 2 image
  const ExportReport r = frame->ExportFrame(dir.File("x.bmp"));
  EXPECT_EQ(r.failed, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.File("x.bmp")));
}

}  // namespace
}  // namespace quilmark
