// The per-frame file list of a sequence being built.
#include <gtest/gtest.h>

#include "images/classFrameList.h"

namespace quilmark {
namespace {

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

}  // namespace
}  // namespace quilmark
