#include <gtest/gtest.h>

#include "editorcore/EditorState.h"
#include "editorcore/FrameOrder.h"
#include "editorcore/NumberReading.h"

namespace quilmark {
namespace {

TEST(PathHelpers, SlashSeparatedPaths) {
  // {path, StripPath, GetFolder}
  for (const auto& [path, name, folder] : {std::tuple{"/a/b.gaf", "b.gaf", "/a"}, {"b.gaf", "b.gaf", "b.gaf"}}) {
    EXPECT_EQ(StripPath(path), name);
    EXPECT_EQ(GetFolder(path), folder);
  }
  EXPECT_EQ(GetDrive("/a/b.gaf"), "/");
  EXPECT_EQ(TitleFor("/units/walk.gaf"), "walk.gaf - Quilmark");
  EXPECT_EQ(TitleFor(""), "Quilmark");
}

TEST(SelectedFrame, FrameSubframeOrUnattached) {
  EditorState s;
  auto frame = std::make_shared<classGAFFrame>(), sub = std::make_shared<classGAFFrame>();
  frame->Subframes.Add(sub);
  s.CurrentAnimation->Frames.Add(frame);
  EXPECT_NE(s.GetSelectedFrame(), frame);  // CurrentFrame 0
  s.CurrentFrame = 1;
  EXPECT_EQ(s.GetSelectedFrame(), frame);
  s.CurrentSubframe = 1;
  EXPECT_EQ(s.GetSelectedFrame(), sub);
  // A subframe that is not there: a frame of no document, whose edits land nowhere.
  s.CurrentSubframe = 2;
  auto loose = s.GetSelectedFrame();
  EXPECT_TRUE(loose != frame && loose != sub);
  EXPECT_TRUE(loose->SetPositionX(40));
  EXPECT_EQ(std::make_pair(frame->PositionX(), sub->PositionX()), std::make_pair(0, 0));
}

TEST(NumberReading, LongestNumericPrefix) {
  // nullopt: the text gives a number too large for a double.
  using Case = std::pair<const char*, std::optional<double>>;
  for (const auto& [text, value] : {Case{"5000", 5000.0}, {"12abc", 12.0}, {"abc", 0.0}, {"", 0.0}, {"  \t\n-3", -3.0},
                                    {"2.5", 2.5}, {"1 2 3", 123.0}, {"1.5E2x", 150.0}, {"1D3", 1000.0}, {"4E", 4.0},
                                    {".5", 0.5}, {"&H1F", 31.0}, {"&o17", 15.0}, {"&O19", 1.0}, {"1E400", std::nullopt}})
    EXPECT_EQ(ReadNumber(text), value) << text;
}

TEST(NumberReading, RoundingHalvesToEven) {
  for (const auto& [value, rounded] : {std::pair{2.5, 2}, {3.5, 4}, {-2.5, -2}}) EXPECT_EQ(RoundToInt32(value), rounded);
  EXPECT_FALSE(RoundToInt32(3e9).has_value());
  EXPECT_EQ(RoundToInt16(32767.4), 32767);
  EXPECT_FALSE(RoundToInt16(32767.6).has_value());
}

TEST(MovedOrder, TheSelectedGoTogetherInTheirOrderIntoTheGap) {
  const std::vector<int> items{1, 2, 3, 4, 5, 6};
  struct Case {
    std::vector<bool> selected;
    size_t gap;
    std::vector<int> order;
  };
  for (const Case& c : {Case{{0, 1, 0, 0, 0, 0}, 4, {1, 3, 4, 2, 5, 6}}, {{0, 1, 1, 0, 1, 0}, 6, {1, 4, 6, 2, 3, 5}},
                        {{0, 0, 0, 1, 0, 1}, 0, {4, 6, 1, 2, 3, 5}}, {{0, 1, 1, 0, 0, 0}, 2, {1, 2, 3, 4, 5, 6}},
                        {{1, 0, 0, 0, 0, 1}, 3, {2, 3, 1, 6, 4, 5}}, {{}, 3, {1, 2, 3, 4, 5, 6}}})
    EXPECT_EQ(MovedOrder(items, c.selected, c.gap), c.order) << c.gap;
}

}  // namespace
}  // namespace quilmark
