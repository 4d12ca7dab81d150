#include <gtest/gtest.h>

#include "display/EditorState.h"
#include "display/NumberReading.h"

namespace quilmark {
namespace {

TEST(PathHelpers, SlashSeparatedPaths) {
  EXPECT_EQ(StripPath("/a/b.gaf"), "b.gaf");
  EXPECT_EQ(GetFolder("/a/b.gaf"), "/a");
  EXPECT_EQ(GetDrive("/a/b.gaf"), "/");
  EXPECT_EQ(StripPath("b.gaf"), "b.gaf");
  EXPECT_EQ(GetFolder("b.gaf"), "b.gaf");
  EXPECT_EQ(TitleFor("/units/walk.gaf"), "walk.gaf - Quilmark");
  EXPECT_EQ(TitleFor(""), "Quilmark");
}

TEST(SelectedFrame, FrameSubframeOrUnattached) {
  EditorState s;
  auto frame = std::make_shared<classGAFFrame>();
  auto sub = std::make_shared<classGAFFrame>();
  frame->Subframes.Add(sub);
  s.CurrentAnimation->Frames.Add(frame);
  EXPECT_NE(s.GetSelectedFrame(), frame);  // CurrentFrame 0
  s.CurrentFrame = 1;
  EXPECT_EQ(s.GetSelectedFrame(), frame);
  s.CurrentSubframe = 1;
  EXPECT_EQ(s.GetSelectedFrame(), sub);
  s.CurrentSubframe = 2;
  auto loose = s.GetSelectedFrame();
  EXPECT_NE(loose, frame);
  EXPECT_NE(loose, sub);
  EXPECT_TRUE(loose->SetPositionX(40));
  EXPECT_EQ(frame->PositionX(), 0);
  EXPECT_EQ(sub->PositionX(), 0);
}

TEST(NumberReading, LongestNumericPrefix) {
  EXPECT_EQ(ReadNumber("5000"), 5000.0);
  EXPECT_EQ(ReadNumber("12abc"), 12.0);
  EXPECT_EQ(ReadNumber("abc"), 0.0);
  EXPECT_EQ(ReadNumber(""), 0.0);
  EXPECT_EQ(ReadNumber("  \t\n-3"), -3.0);
  EXPECT_EQ(ReadNumber("2.5"), 2.5);
  EXPECT_EQ(ReadNumber("1 2 3"), 123.0);
  EXPECT_EQ(ReadNumber("1.5E2x"), 150.0);
  EXPECT_EQ(ReadNumber("1D3"), 1000.0);
  EXPECT_EQ(ReadNumber("4E"), 4.0);
  EXPECT_EQ(ReadNumber(".5"), 0.5);
  EXPECT_EQ(ReadNumber("&H1F"), 31.0);
  EXPECT_EQ(ReadNumber("&o17"), 15.0);
  EXPECT_EQ(ReadNumber("&O19"), 1.0);
  EXPECT_FALSE(ReadNumber("1E400").has_value());
}

TEST(NumberReading, RoundingHalvesToEven) {
  EXPECT_EQ(RoundToInt32(2.5), 2);
  EXPECT_EQ(RoundToInt32(3.5), 4);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_FALSE(RoundToInt32(3e9).has_value());
  EXPECT_EQ(RoundToInt16(32767.4), 32767);
  EXPECT_FALSE(RoundToInt16(32767.6).has_value());
}

}  // namespace
}  // namespace quilmark
