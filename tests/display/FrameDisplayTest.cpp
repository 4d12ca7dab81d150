#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/FrameDisplay.h"

namespace quilmark {
namespace {

// Frame controls without a window: remembers what it was given and copies the
// shown surface rectangle into a picture of view size.
struct FakeControls : FrameControls, SurfaceScreen {
  int32_t framesMax = 0, framesValue = 0, subMax = 0, subValue = 0;
  bool framesEnabled = true, subEnabled = true;
  std::string width = "0", height = "0", fps = "0";
  int32_t x = 0, y = 0, fpsValue = 0;
  bool compressed = false, compressedEnabled = true, editorsEnabled = true;
  bool cmdFrame = true, cmdSubframe = true;
  int32_t viewW = 200, viewH = 100;
  std::vector<int> picture;  // -1 = background
  int shows = 0;
  classFastWin surface;

  FakeControls() {
    surface.Initialize(1024, 1024, 1);
    ClearPicture();
  }
  void SetScrollFramesEnabled(bool e) override { framesEnabled = e; }
  void SetScrollFramesMax(int32_t m) override { framesMax = m; }
  void SetScrollFramesValue(int32_t v) override {
    if (v >= 1 && v <= framesMax) framesValue = v;
  }
  void SetScrollSubframesEnabled(bool e) override { subEnabled = e; }
  void SetScrollSubframesMax(int32_t m) override { subMax = m; }
  void SetScrollSubframesValue(int32_t v) override {
    if (v >= 1 && v <= subMax) subValue = v;
  }
  void SetTxtWidth(const std::string& t) override { width = t; }
  void SetTxtHeight(const std::string& t) override { height = t; }
  void SetTxtFPS(const std::string& t) override { fps = t; }
  void SetScrollXPosValue(int32_t v) override { x = v; }
  void SetScrollYPosValue(int32_t v) override { y = v; }
  void SetScrollFPSValue(int32_t v) override { fpsValue = v; }
  void SetCompressedValue(bool c) override { compressed = c; }
  void SetCompressedEnabled(bool e) override { compressedEnabled = e; }
  void SetEditorsEnabled(bool e) override { editorsEnabled = e; }
  void SetCmdFrameEnabled(bool e) override { cmdFrame = e; }
  void SetCmdSubframeEnabled(bool e) override { cmdSubframe = e; }
  int32_t PictureWidth() const override { return viewW; }
  int32_t PictureHeight() const override { return viewH; }
  void ClearPicture() override { picture.assign(static_cast<size_t>(viewW * viewH), -1); }
  SurfaceScreen& PictureScreen() override { return *this; }
  void KeepPicture() override {}
  classFastWin& Surface() override { return surface; }
  void PutSurface(const classFastWin& s, int32_t dl, int32_t dt, int32_t dw, int32_t dh, int32_t sl, int32_t st,
                  int32_t, int32_t, bool) override {
    ++shows;
    for (int r = 0; r < dh; ++r)
      for (int c = 0; c < dw; ++c) {
        const int px = dl + c, py = dt + r;
        if (px < 0 || py < 0 || px >= viewW || py >= viewH) continue;
        picture[static_cast<size_t>(py * viewW + px)] = s.addrBits[(st + r) * s.BmpWidth + sl + c];
      }
  }
  int At(int px, int py) const { return picture[static_cast<size_t>(py * viewW + px)]; }
};

FramePtr MakeFrame(int w, int h, int px, int py, uint8_t fill, int fps = 0) {
  auto f = std::make_shared<classGAFFrame>();
  f->SetWidth(w);
  f->SetHeight(h);
  EXPECT_TRUE(f->SetPositionX(px));
  EXPECT_TRUE(f->SetPositionY(py));
  std::fill(f->Pixels.begin(), f->Pixels.end(), fill);
  f->FPS = fps;
  return f;
}

TEST(DisplayPlacement, OriginOrCentreOnViewMiddle) {
  auto f = MakeFrame(10, 10, 5, 5, 1);
  auto p = PicturePlacement(*f, 200, 100, false);
  EXPECT_EQ(p.left, 95);
  EXPECT_EQ(p.top, 45);
  auto g = MakeFrame(10, 10, 0, 0, 1);
  p = PicturePlacement(*g, 200, 100, false);
  EXPECT_EQ(p.left, 100);
  EXPECT_EQ(p.top, 50);
  p = PicturePlacement(*g, 200, 100, true);
  EXPECT_EQ(p.left, 95);
  EXPECT_EQ(p.top, 45);
  // Halves go to the even neighbour.
  EXPECT_EQ(PicturePlacement(*g, 201, 100, false).left, 100);
  EXPECT_EQ(PicturePlacement(*g, 203, 100, false).left, 102);
}

TEST(DisplayPicture, ImageAloneWithIndex9Painted255) {
  FakeControls c;
  EditorState s;
  auto f = MakeFrame(2, 2, 0, 0, 4);
  f->Pixels = {9, 4, 4, 9};
  DisplayPicture(*f, c, s);
  EXPECT_EQ(c.shows, 1);
  EXPECT_EQ(c.At(100, 50), 255);
  EXPECT_EQ(c.At(101, 50), 4);
  EXPECT_EQ(c.At(100, 51), 4);
  EXPECT_EQ(c.At(101, 51), 255);
  EXPECT_EQ(c.At(99, 50), -1);  // only the image is drawn
  EXPECT_EQ(c.At(102, 50), -1);
}

TEST(DisplayAnimation, OneFrameWithoutSubframes) {
  FakeControls c;
  EditorState s;
  classGAFAnimation a;
  a.Name = "walk";
  a.Frames.Add(MakeFrame(3, 4, 1, 2, 6, 7));
  DisplayAnimation(a, c, s);
  EXPECT_FALSE(c.framesEnabled);
  EXPECT_EQ(c.framesMax, 2);
  EXPECT_EQ(c.framesValue, 1);
  EXPECT_EQ(s.CurrentFrame, 1);
  EXPECT_EQ(s.CurrentSubframe, 0);
  EXPECT_EQ(c.subMax, 2);
  EXPECT_EQ(c.subValue, 1);
  EXPECT_FALSE(c.subEnabled);
  EXPECT_EQ(c.width, "3");
  EXPECT_EQ(c.height, "4");
  EXPECT_EQ(c.fps, "7");
  EXPECT_EQ(c.x, 1);
  EXPECT_EQ(c.y, 2);
  EXPECT_TRUE(c.editorsEnabled);
  EXPECT_TRUE(c.cmdSubframe);
}

TEST(DisplayAnimation, FrameWithSubframesShowsFirstSubframe) {
  FakeControls c;
  EditorState s;
  classGAFAnimation a;
  a.Frames.Add(MakeFrame(1, 1, 0, 0, 1));
  auto f = MakeFrame(50, 50, 9, 9, 1);
  f->Subframes.Add(MakeFrame(6, 5, 3, 2, 2, 11));
  a.Frames.Add(f);
  DisplayAnimation(a, c, s, 2);
  EXPECT_TRUE(c.framesEnabled);
  EXPECT_EQ(c.framesMax, 2);
  EXPECT_EQ(c.framesValue, 2);
  EXPECT_EQ(s.CurrentSubframe, 1);
  EXPECT_FALSE(c.subEnabled);  // one subframe only
  EXPECT_EQ(c.width, "6");
  EXPECT_EQ(c.x, 3);
  EXPECT_EQ(c.fps, "11");
  // The subframe's picture, origin on the view middle.
  EXPECT_EQ(c.At(97, 48), 2);
  EXPECT_EQ(c.At(96, 48), -1);
  // Nothing in the document moved.
  EXPECT_EQ(f->PositionX(), 9);
  EXPECT_EQ(f->Subframes.Item(1)->PositionX(), 3);
}

TEST(DisplayAnimation, EmptyAnimationState) {
  FakeControls c;
  EditorState s;
  s.CurrentSubframe = 4;
  classGAFAnimation a;
  a.Name = "empty";
  DisplayAnimation(a, c, s);
  EXPECT_EQ(s.CurrentSubframe, 0);
  EXPECT_EQ(c.width, "0");
  EXPECT_EQ(c.height, "0");
  EXPECT_FALSE(c.editorsEnabled);
  EXPECT_FALSE(c.compressedEnabled);
  EXPECT_FALSE(c.compressed);
  EXPECT_TRUE(c.cmdFrame);
  EXPECT_FALSE(c.cmdSubframe);
  EXPECT_FALSE(c.subEnabled);
  EXPECT_EQ(c.shows, 0);
  a.Name.clear();
  DisplayAnimation(a, c, s);
  EXPECT_FALSE(c.cmdFrame);
}

TEST(DisplayAnimation, SelectionOutsideCollectionShowsNothing) {
  FakeControls c;
  EditorState s;
  classGAFAnimation a;
  a.Frames.Add(MakeFrame(1, 1, 0, 0, 1));
  a.Frames.Add(MakeFrame(1, 1, 0, 0, 1));
  DisplayAnimation(a, c, s, 0);
  EXPECT_EQ(s.CurrentFrame, 0);
  EXPECT_EQ(c.shows, 0);
  EXPECT_TRUE(c.editorsEnabled);  // the animation has frames
}

TEST(DrawImage, SubframesComposeOverEachOther) {
  classFastWin w;
  ASSERT_TRUE(w.Initialize(100, 100, 1));
  std::fill(w.addrBits, w.addrBits + 100 * 100, 255);
  classGAFFrame f;
  auto first = MakeFrame(8, 8, 4, 4, 1);
  auto second = MakeFrame(2, 2, 0, 0, 2);
  second->Pixels = {2, 9, 9, 2};
  f.Subframes.Add(first);
  f.Subframes.Add(second);
  f.SetWidth(4);
  f.SetHeight(4);
  std::fill(f.Pixels.begin(), f.Pixels.end(), 3);  // never drawn: it has subframes
  DrawImage(f, w, 50, 50);
  auto at = [&](int x, int y) { return w.addrBits[y * 100 + x]; };
  EXPECT_EQ(at(46, 46), 1);
  EXPECT_EQ(at(45, 46), 255);
  EXPECT_EQ(at(50, 50), 2);
  EXPECT_EQ(at(51, 50), 1);  // index 9 lets the first show through
  EXPECT_EQ(at(51, 51), 2);
  EXPECT_EQ(at(53, 53), 1);
  EXPECT_EQ(at(54, 54), 255);
}

}  // namespace
}  // namespace quilmark
