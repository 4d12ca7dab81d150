// The per-frame file list of a sequence being built.
#include <gtest/gtest.h>

#include "dialogs/classFrameList.h"

namespace quilmark {
namespace {

using Lines = std::vector<std::pair<std::string, int16_t>>;

Lines Listed(const classFrameList& list) {
  Lines lines;
  list.CreateFrameList([&](const std::string& text, int16_t index) { lines.emplace_back(text, index); });
  return lines;
}

classFrameList ABC() {
  classFrameList list;
  list.Create("/art/a.bmp");
  list.AddFrame("/art/b.bmp");
  list.AddFrame("/art/sub/c.bmp");
  return list;
}

TEST(FrameList, ANewListHoldsNothing) {
  classFrameList list;
  EXPECT_EQ(list.Name, "");
  EXPECT_EQ(list.FrameCount(), 0);
  EXPECT_TRUE(list.GetFrames().empty());
  EXPECT_TRUE(Listed(list).empty());
}

TEST(FrameList, CreateStartsTheFrameWithItsOwnFile) {
  classFrameList list;
  list.AddFrame("/old.bmp");
  list.Create("/art/a.bmp");
  EXPECT_EQ(list.Name, "/art/a.bmp");
  EXPECT_EQ(list.FrameCount(), 1);
  EXPECT_EQ(list.GetFrames(), std::vector<std::string>{"/art/a.bmp"});
}

TEST(FrameList, RemovingBlanksInPlaceAndKeepsTheOtherIndices) {
  classFrameList list = ABC();
  list.RemoveFrame(1);
  EXPECT_EQ(list.FrameCount(), 2);
  EXPECT_EQ(list.GetFrames(), (std::vector<std::string>{"/art/a.bmp", "/art/sub/c.bmp"}));
  EXPECT_EQ(Listed(list), (Lines{{"a.bmp", 0}, {"c.bmp", 2}}));
  // A second removal of the same index changes nothing.
  list.RemoveFrame(1);
  EXPECT_EQ(Listed(list), (Lines{{"a.bmp", 0}, {"c.bmp", 2}}));
  // Later additions get new indices after the blank.
  list.AddFrame("d.bmp");
  EXPECT_EQ(Listed(list), (Lines{{"a.bmp", 0}, {"c.bmp", 2}, {"d.bmp", 3}}));
}

TEST(FrameList, RemovingTheOwnEntryKeepsTheName) {
  classFrameList list = ABC();
  list.RemoveFrame(0);
  EXPECT_EQ(list.Name, "/art/a.bmp");
  EXPECT_EQ(list.FrameCount(), 2);
  EXPECT_EQ(list.GetFrames(), (std::vector<std::string>{"/art/b.bmp", "/art/sub/c.bmp"}));
}

TEST(FrameList, RemovingEverythingLeavesNoFramesButTheName) {
  classFrameList list = ABC();
  for (int16_t i = 0; i < 3; ++i) list.RemoveFrame(i);
  EXPECT_EQ(list.FrameCount(), 0);
  std::vector<std::string> out{"stale"};
  list.GetFrames(out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(list.Name, "/art/a.bmp");
  EXPECT_TRUE(Listed(list).empty());
}

TEST(FrameList, IndicesOutsideTheListChangeNothing) {
  classFrameList list = ABC();
  list.RemoveFrame(-1);
  list.RemoveFrame(3);
  list.RemoveFrame(32767);
  EXPECT_EQ(list.FrameCount(), 3);
}

TEST(FrameList, InitializeEmptiesTheList) {
  classFrameList list = ABC();
  list.Initialize();
  EXPECT_EQ(list.Name, "");
  EXPECT_EQ(list.FrameCount(), 0);
  EXPECT_TRUE(Listed(list).empty());
}

TEST(FrameList, APathWithoutAFolderIsShownWhole) {
  classFrameList list;
  list.Create("plain.bmp");
  list.AddFrame("dir/");
  EXPECT_EQ(Listed(list), (Lines{{"plain.bmp", 0}, {"", 1}}));
}

TEST(FrameList, TheListIsFullAt32767Entries) {
  classFrameList list;
  list.Create("a");
  for (int i = 1; i < classFrameList::MaxEntries; ++i) ASSERT_TRUE(list.AddFrame("x"));
  EXPECT_FALSE(list.AddFrame("y"));
  EXPECT_EQ(list.FrameCount(), 32767);
  const Lines lines = Listed(list);
  EXPECT_EQ(lines.back().second, 32766);
}

}  // namespace
}  // namespace quilmark
