#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "display/FrameDisplay.h"

namespace quilmark {
namespace {

// Frame controls without a window: remembers what it was given and copies the
// shown surface rectangle into a picture of view size.
struct FakeControls : FrameControls, SurfaceScreen {
  int32_t framesMax = 0, framesValue = 0, subMax = 0, subValue = 0, x = 0, y = 0, fpsValue = 0;
  bool framesOn = true, subOn = true, compressed = false, compressedOn = true, editorsOn = true, cmdFrame = true,
       cmdSubframe = true;
  std::string width = "0", height = "0", fps = "0";
  int32_t viewW = 200, viewH = 100;
  std::vector<int> picture;  // -1 = background
  int shows = 0;
  classFastWin surface;

  FakeControls() {
    surface.Initialize(1024, 1024, 1);
    ClearPicture();
  }
  // Sliders take a value only within their range.
  void SetScrollFramesValue(int32_t v) override { framesValue = v >= 1 && v <= framesMax ? v : framesValue; }
  void SetScrollSubframesValue(int32_t v) override { subValue = v >= 1 && v <= subMax ? v : subValue; }
  void SetScrollFramesEnabled(bool e) override { framesOn = e; }
  void SetScrollFramesMax(int32_t m) override { framesMax = m; }
  void SetScrollSubframesEnabled(bool e) override { subOn = e; }
  void SetScrollSubframesMax(int32_t m) override { subMax = m; }
  void SetTxtWidth(const std::string& t) override { width = t; }
  void SetTxtHeight(const std::string& t) override { height = t; }
  void SetTxtFPS(const std::string& t) override { fps = t; }
  void SetScrollXPosValue(int32_t v) override { x = v; }
  void SetScrollYPosValue(int32_t v) override { y = v; }
  void SetScrollFPSValue(int32_t v) override { fpsValue = v; }
  void SetCompressedValue(bool c) override { compressed = c; }
  void SetCompressedEnabled(bool e) override { compressedOn = e; }
  void SetEditorsEnabled(bool e) override { editorsOn = e; }
  void SetCmdFrameEnabled(bool e) override { cmdFrame = e; }
  void SetCmdSubframeEnabled(bool e) override { cmdSubframe = e; }
  int32_t PictureWidth() const override { return viewW; }
  int32_t PictureHeight() const override { return viewH; }
  void ClearPicture() override { picture.assign(size_t(viewW * viewH), -1); }
  SurfaceScreen& PictureScreen() override { return *this; }
  void KeepPicture() override {}
  classFastWin& Surface() override { return surface; }
  void PutSurface(const classFastWin& s, int32_t dl, int32_t dt, int32_t dw, int32_t dh, int32_t sl, int32_t st,
                  int32_t, int32_t, bool) override {
    ++shows;
    for (int r = 0; r < dh; ++r)
      for (int c = 0; c < dw; ++c)
        if (dl + c >= 0 && dt + r >= 0 && dl + c < viewW && dt + r < viewH)
          picture[size_t((dt + r) * viewW + dl + c)] = s.addrBits[(st + r) * s.BmpWidth + sl + c];
  }
  int At(int px, int py) const { return picture[size_t(py * viewW + px)]; }
  // The controls in one line: sliders as value/maximum, then on or off.
  std::string Describe() const {
    std::ostringstream s;
    const auto on = [](bool b) { return b ? " on" : " off"; };
    s << "frames " << framesValue << "/" << framesMax << on(framesOn) << ", subframes " << subValue << "/" << subMax
      << on(subOn) << ", " << width << "x" << height << " at " << x << "," << y << ", fps " << fps
      << ", compressed " << compressed << on(compressedOn) << ", editors" << on(editorsOn) << ", menus"
      << on(cmdFrame) << on(cmdSubframe);
    return s.str();
  }
};

FramePtr MakeFrame(int w, int h, int px, int py, uint8_t fill, int fps = 0) {
  auto f = std::make_shared<classGAFFrame>();
  f->SetWidth(w);
  f->SetHeight(h);
  EXPECT_TRUE(f->SetPositionX(px) && f->SetPositionY(py));
  std::fill(f->Pixels.begin(), f->Pixels.end(), fill);
  f->FPS = fps;
  return f;
}

TEST(DisplayPlacement, OriginOrCentreOnTheViewMiddleHalvesToEven) {
  // {position, view width, CenterInView, left, top} of a 10 × 10 frame in a view 100 high
  for (const auto& [pos, viewW, center, left, top] : {std::tuple{5, 200, false, 95, 45}, {0, 200, false, 100, 50},
                                                      {0, 200, true, 95, 45}, {0, 201, false, 100, 50},
                                                      {0, 203, false, 102, 50}}) {
    const PicturePlace p = PicturePlacement(*MakeFrame(10, 10, pos, pos, 1), viewW, 100, center);
    EXPECT_EQ(std::make_pair(p.left, p.top), std::make_pair(left, top)) << pos << " " << viewW << " " << center;
  }
}

TEST(DisplayPicture, ImageAloneWithIndex9Painted255) {
  FakeControls c;
  EditorState s;
  auto f = MakeFrame(2, 2, 0, 0, 4);
  f->Pixels = {9, 4, 4, 9};
  DisplayPicture(*f, c, s);
  EXPECT_EQ(c.shows, 1);
  // Only the image is drawn: the view's middle is at (100, 50).
  EXPECT_EQ((std::vector<int>{c.At(99, 50), c.At(100, 50), c.At(101, 50), c.At(102, 50), c.At(100, 51), c.At(101, 51)}),
            (std::vector<int>{-1, 255, 4, -1, 4, 255}));
}

TEST(DisplayAnimation, OneFrameAndAFrameWithOneSubframe) {
  FakeControls c;
  EditorState s;
  classGAFAnimation a;
  a.Frames.Add(MakeFrame(3, 4, 1, 2, 6, 7));
  DisplayAnimation(a, c, s);
  EXPECT_EQ(std::make_pair(s.CurrentFrame, s.CurrentSubframe), std::make_pair(1, 0));
  EXPECT_EQ(c.Describe(), "frames 1/2 off, subframes 1/2 off, 3x4 at 1,2, fps 7, compressed 0 on, editors on, menus on on");

  // The second frame has one subframe: it is what the controls and the picture show.
  auto f = MakeFrame(50, 50, 9, 9, 1);
  f->Subframes.Add(MakeFrame(6, 5, 3, 2, 2, 11));
  a.Frames.Add(f);
  FakeControls d;
  DisplayAnimation(a, d, s, 2);
  EXPECT_EQ(std::make_pair(s.CurrentFrame, s.CurrentSubframe), std::make_pair(2, 1));
  EXPECT_EQ(d.Describe(), "frames 2/2 on, subframes 1/2 off, 6x5 at 3,2, fps 11, compressed 0 on, editors on, menus on on");
  EXPECT_EQ(std::make_pair(d.At(97, 48), d.At(96, 48)), std::make_pair(2, -1));
  // Nothing in the document moved.
  EXPECT_EQ(std::make_pair(f->PositionX(), f->Subframes.Item(1)->PositionX()), std::make_pair(9, 3));
}

TEST(DisplayAnimation, EmptyAnimationAndASelectionOutsideTheFrames) {
  FakeControls c;
  c.x = c.y = c.fpsValue = 5;
  EditorState s;
  s.CurrentSubframe = 4;
  classGAFAnimation a;
  a.Name = "empty";
  DisplayAnimation(a, c, s);
  EXPECT_EQ(s.CurrentSubframe, 0);
  EXPECT_EQ(c.width + "x" + c.height, "0x0");
  EXPECT_EQ(std::make_tuple(c.x, c.y, c.fpsValue), std::make_tuple(0, 0, 0));
  EXPECT_EQ(std::make_tuple(c.subOn, c.editorsOn, c.compressed, c.compressedOn, c.cmdFrame, c.cmdSubframe, c.shows),
            std::make_tuple(false, false, false, false, true, false, 0));
  a.Name.clear();  // an animation without a name has no frame menu
  DisplayAnimation(a, c, s);
  EXPECT_FALSE(c.cmdFrame);

  FakeControls d;
  a.Frames.Add(MakeFrame(1, 1, 0, 0, 1));
  a.Frames.Add(MakeFrame(1, 1, 0, 0, 1));
  DisplayAnimation(a, d, s, 0);
  EXPECT_EQ(s.CurrentFrame, 0);
  EXPECT_EQ(d.shows, 0);
  EXPECT_TRUE(d.editorsOn);  // the animation has frames
}

TEST(DrawImage, SubframesComposeOverEachOther) {
  classFastWin w;
  ASSERT_TRUE(w.Initialize(100, 100, 1));
  std::fill(w.addrBits, w.addrBits + 100 * 100, 255);
  classGAFFrame f;
  auto second = MakeFrame(2, 2, 0, 0, 2);
  second->Pixels = {2, 9, 9, 2};
  f.Subframes.Add(MakeFrame(8, 8, 4, 4, 1));
  f.Subframes.Add(second);
  f.SetWidth(4);
  f.SetHeight(4);
  std::fill(f.Pixels.begin(), f.Pixels.end(), 3);  // never drawn: it has subframes
  DrawImage(f, w, 50, 50);
  std::vector<int> at;
  for (const auto& [x, y] : {std::pair{46, 46}, {45, 46}, {50, 50}, {51, 50}, {51, 51}, {53, 53}, {54, 54}})
    at.push_back(w.addrBits[y * 100 + x]);
  // Index 9 of the second lets the first show through at (51, 50).
  EXPECT_EQ(at, (std::vector<int>{1, 255, 2, 1, 2, 1, 255}));
}

}  // namespace
}  // namespace quilmark
