#include <map>

#include "../document/TestSupport.h"
#include "display/FrameCompose.h"
#include "display/FrameDisplay.h"

namespace quilmark {
namespace {

// Frame controls without a window: remembers what it was given and copies the
// shown surface rectangle into a picture of view size.
struct FakeControls : FrameControls, SurfaceScreen {
  std::map<std::string, std::string> v;  // each control's last value; sliders take one only within 1 … max
  int32_t viewW = 200, viewH = 100;
  int32_t zoom = 100, scrollX = 0, scrollY = 0;
  std::vector<int> picture;  // -1 = background
  int shows = 0;
  classFastWin surface;

  FakeControls() {
    surface.Initialize(1024, 1024, 1);
    ClearPicture();
  }
  void Set(const char* key, const std::string& value) { v[key] = value; }
  void Slide(const char* key, int32_t value) {
    const auto max = v.find(std::string(key) + "Max");
    if (max != v.end() && value >= 1 && value <= std::stoi(max->second)) Set(key, std::to_string(value));
  }
  void SetScrollFramesValue(int32_t x) override { Slide("frames", x); }
  void SetScrollSubframesValue(int32_t x) override { Slide("sub", x); }
  void SetScrollFramesEnabled(bool e) override { Set("framesOn", std::to_string(e)); }
  void SetScrollFramesMax(int32_t m) override { Set("framesMax", std::to_string(m)); }
  void SetScrollSubframesEnabled(bool e) override { Set("subOn", std::to_string(e)); }
  void SetScrollSubframesMax(int32_t m) override { Set("subMax", std::to_string(m)); }
  void SetTxtWidth(const std::string& t) override { Set("w", t); }
  void SetTxtHeight(const std::string& t) override { Set("h", t); }
  void SetTxtFPS(const std::string& t) override { Set("fps", t); }
  void SetScrollXPosValue(int32_t x) override { Set("x", std::to_string(x)); }
  void SetScrollYPosValue(int32_t y) override { Set("y", std::to_string(y)); }
  void SetScrollFPSValue(int32_t f) override { Set("fpsSlider", std::to_string(f)); }
  void SetCompressedValue(bool c) override { Set("compressed", std::to_string(c)); }
  void SetCompressedEnabled(bool e) override { Set("compressedOn", std::to_string(e)); }
  void SetEditorsEnabled(bool e) override { Set("editorsOn", std::to_string(e)); }
  void SetCmdFrameEnabled(bool e) override { Set("cmdFrameOn", std::to_string(e)); }
  void SetCmdSubframeEnabled(bool e) override { Set("cmdSubOn", std::to_string(e)); }
  int32_t PictureWidth() const override { return viewW; }
  int32_t PictureHeight() const override { return viewH; }
  void ClearPicture() override { picture.assign(size_t(viewW * viewH), -1); }
  SurfaceScreen& PictureScreen() override { return *this; }
  void KeepPicture() override {}
  int32_t PictureZoom() const override { return zoom; }
  int32_t PictureScrollX() const override { return scrollX; }
  int32_t PictureScrollY() const override { return scrollY; }
  classFastWin& Surface() override { return surface; }
  // Scales the source rectangle onto the destination, as the window's screen does.
  void PutSurface(const classFastWin& s, int32_t dl, int32_t dt, int32_t dw, int32_t dh, int32_t sl, int32_t st,
                  int32_t sw, int32_t sh, bool) override {
    ++shows;
    for (int r = 0; r < dh; ++r)
      for (int c = 0; c < dw; ++c)
        if (dl + c >= 0 && dt + r >= 0 && dl + c < viewW && dt + r < viewH)
          picture[size_t((dt + r) * viewW + dl + c)] = s.addrBits[(st + r * sh / dh) * s.BmpWidth + sl + c * sw / dw];
  }
  int At(int px, int py) const { return picture[size_t(py * viewW + px)]; }
  // The controls given a value, in one line.
  std::string Describe() const {
    std::string s;
    for (const auto& [key, value] : v) s += (s.empty() ? "" : " ") + key + "=" + value;
    return s;
  }
};

using test::MakeFrame;

TEST(DisplayPlacement, OriginOrCentreOnTheViewMiddleHalvesToEvenAndFarCornersStayWhereTheyAre) {
  // {position x, y, view width, CenterInView, zoom %, left, top} of a 10 × 10 frame in a view 100 high. At 100%
  // a corner beyond 16 bits is 0; zoomed, the picture must not jump to the view's edge, and a part pixel rounds
  // down.
  const std::vector<std::tuple<int, int, int, bool, int, int, int>> cases = {
      {5, 5, 200, false, 100, 95, 45},         {0, 0, 200, false, 100, 100, 50},
      {0, 0, 200, true, 100, 95, 45},          {0, 0, 201, false, 100, 100, 50},
      {0, 0, 203, false, 100, 102, 50},        {-32000, 0, 200, false, 100, 32100, 50},
      {-32000, 0, 200, false, 200, 64100, 50}, {-32700, 0, 200, false, 100, 0, 50},
      {0, -32768, 200, false, 100, 100, 0},    {5, 5, 200, false, 50, 97, 47},
      {5, 5, 200, false, 25, 98, 48},          {0, 0, 200, true, 25, 98, 48}};
  for (const auto& [x, y, viewW, center, zoom, left, top] : cases) {
    const PicturePlace p = PicturePlacement(*MakeFrame(10, 10, x, y, 1), viewW, 100, center, zoom);
    EXPECT_EQ(std::make_pair(p.left, p.top), std::make_pair(left, top)) << x << " " << y << " " << viewW << " " << zoom;
  }
}

TEST(DisplayPicture, TheImageAloneEachPixelRepeatedByTheZoomWithIndex9Painted255) {
  FakeControls c;
  EditorState s;
  auto f = MakeFrame(2, 2, 1, 1, 4);
  f->Pixels = {9, 4, 4, 9};
  auto row = [&](int y) {  // the picture from (96, y) to (103, y)
    std::vector<int> r;
    for (int x = 96; x <= 103; ++x) r.push_back(c.At(x, y));
    return r;
  };
  // Only the image is drawn, its origin, pixel (1, 1)'s corner, at the view's middle (100, 50).
  DisplayPicture(*f, c, s);
  EXPECT_EQ(c.shows, 1);
  EXPECT_EQ((std::vector{row(48), row(49), row(50), row(51)}),
            (std::vector<std::vector<int>>{std::vector<int>(8, -1),
                                           {-1, -1, -1, 255, 4, -1, -1, -1},
                                           {-1, -1, -1, 4, 255, -1, -1, -1},
                                           std::vector<int>(8, -1)}));
  // Enlarged 3 times, the image covers 97..102 x 47..52 in 3 x 3 blocks.
  c.zoom = 300;
  DisplayPicture(*f, c, s);
  EXPECT_EQ(row(46), std::vector<int>(8, -1));
  for (int y : {47, 49}) EXPECT_EQ(row(y), (std::vector<int>{-1, 255, 255, 255, 4, 4, 4, -1})) << y;
  for (int y : {50, 52}) EXPECT_EQ(row(y), (std::vector<int>{-1, 4, 4, 4, 255, 255, 255, -1})) << y;
  EXPECT_EQ(row(53), std::vector<int>(8, -1));
  // Scrolled 3 right and 2 up, the picture moves 3 left and 2 down.
  c.scrollX = 3;
  c.scrollY = -2;
  DisplayPicture(*f, c, s);
  EXPECT_EQ((std::vector<int>{c.At(93, 49), c.At(94, 49), c.At(99, 54), c.At(100, 54), c.At(94, 48)}),
            (std::vector<int>{-1, 255, 255, -1, -1}));
  // Halved, each pixel shown stands for two: the 2 × 2 image is one pixel, its first, from the origin's half.
  c.scrollX = c.scrollY = 0;
  c.zoom = 50;
  DisplayPicture(*f, c, s);
  EXPECT_EQ((std::vector<int>{c.At(99, 49), c.At(100, 49), c.At(99, 50)}), (std::vector<int>{255, -1, -1}));
  c.zoom = 300;
  // Centred instead, the image's middle is the view's.
  s.CenterInView = true;
  DisplayPicture(*f, c, s);
  EXPECT_EQ((std::vector<int>{c.At(96, 47), c.At(97, 47), c.At(102, 52), c.At(103, 52)}),
            (std::vector<int>{-1, 255, 255, -1}));
}

TEST(DisplayZoom, StepsThroughTheZoomsAndStaysWithinAQuarterToSixteenTimes) {
  std::vector<int> in{25}, out{1600};
  for (int i = 0; i < 10; ++i) in.push_back(StepZoom(in.back(), 1));
  for (int i = 0; i < 10; ++i) out.push_back(StepZoom(out.back(), -1));
  EXPECT_EQ(in, (std::vector<int>{25, 50, 100, 200, 300, 400, 600, 800, 1200, 1600, 1600}));
  EXPECT_EQ(out, (std::vector<int>{1600, 1200, 800, 600, 400, 300, 200, 100, 50, 25, 25}));
  // A zoom between steps goes to the next step either way; several steps at once.
  EXPECT_EQ(std::make_pair(StepZoom(500, 1), StepZoom(500, -1)), std::make_pair(600, 400));
  EXPECT_EQ(std::make_pair(StepZoom(100, 3), StepZoom(1600, -20)), std::make_pair(400, 25));
  // Reduced, a part pixel still shows.
  EXPECT_EQ(std::make_pair(ZoomedSize(5, 4, 50).width, ZoomedSize(5, 4, 25).height), std::make_pair(3, 1));
}

TEST(DisplayZoom, OnAScaledScreenEveryZoomStepIsWholeDevicePixelsAndLargerThanTheStepBelow) {
  struct Row {
    double ratio;
    std::vector<int> device;  // at 25, 50, 100, 200, 300, 400, 600, 800, 1200 and 1600%
  };
  const Row rows[] = {
      {1, {25, 50, 100, 200, 300, 400, 600, 800, 1200, 1600}},
      {1.25, {25, 50, 100, 300, 400, 500, 800, 1000, 1500, 2000}},
      {1.5, {50, 100, 200, 300, 500, 600, 900, 1200, 1800, 2400}},
      {1.75, {50, 100, 200, 400, 500, 700, 1100, 1400, 2100, 2800}},
      {2, {50, 100, 200, 400, 600, 800, 1200, 1600, 2400, 3200}},
      {5, {100, 300, 500, 1000, 1500, 2000, 3000, 4000, 6000, 6400}},
  };
  for (const Row& row : rows) {
    std::vector<int> device;
    for (int zoom = kMinZoom;; zoom = StepZoom(zoom, 1)) {
      device.push_back(DeviceZoom(zoom, row.ratio));
      if (zoom == kMaxZoom) break;
    }
    EXPECT_EQ(device, row.device) << row.ratio;
  }
  // No ratio, or a broken one, is a plain screen; zooms out of range are held.
  EXPECT_EQ((std::vector<int>{DeviceZoom(200, 0), DeviceZoom(200, -2), DeviceZoom(5, 1), DeviceZoom(9000, 1)}),
            (std::vector<int>{200, 200, 25, 1600}));
}

TEST(DisplayAnimation, OneFrameAFrameWithOneSubframeAndNoFrames) {
  FakeControls c;
  EditorState s;
  classGAFAnimation a;
  a.Name = "walk";
  a.Frames.Add(MakeFrame(3, 4, 1, 2, 6, 7));
  DisplayAnimation(a, c, s);
  EXPECT_EQ(std::make_pair(s.CurrentFrame, s.CurrentSubframe), std::make_pair(1, 0));
  EXPECT_EQ(c.Describe(),
            "cmdFrameOn=1 cmdSubOn=1 compressed=0 compressedOn=1 editorsOn=1 fps=7 frames=1 "
            "framesMax=2 framesOn=0 h=4 sub=1 subMax=2 subOn=0 w=3 x=1 y=2");

  // The second frame has one subframe: it is what the controls and the picture show.
  auto f = MakeFrame(50, 50, 9, 9, 1);
  f->Subframes.Add(MakeFrame(6, 5, 3, 2, 2, 11));
  a.Frames.Add(f);
  FakeControls d;
  DisplayAnimation(a, d, s, 2);
  EXPECT_EQ(std::make_pair(s.CurrentFrame, s.CurrentSubframe), std::make_pair(2, 1));
  EXPECT_EQ(d.Describe(),
            "cmdFrameOn=1 cmdSubOn=1 compressed=0 compressedOn=1 editorsOn=1 fps=11 frames=2 "
            "framesMax=2 framesOn=1 h=5 sub=1 subMax=2 subOn=0 w=6 x=3 y=2");
  EXPECT_EQ(std::make_pair(d.At(97, 48), d.At(96, 48)), std::make_pair(2, -1));
  // Nothing in the document moved.
  EXPECT_EQ(std::make_pair(f->PositionX(), f->Subframes.Item(1)->PositionX()), std::make_pair(9, 3));

  // A selection outside the frames shows nothing but keeps the editors.
  FakeControls e;
  DisplayAnimation(a, e, s, 0);
  EXPECT_EQ(std::make_tuple(s.CurrentFrame, e.shows, e.v["editorsOn"]), std::make_tuple(0, 0, std::string("1")));

  // No frames: everything emptied and off but the frame menu, which needs a name.
  for (const char* name : {"empty", ""}) {
    FakeControls g;
    s.CurrentSubframe = 4;
    a.Frames.Clear();
    a.Name = name;
    DisplayAnimation(a, g, s);
    EXPECT_EQ(std::make_pair(s.CurrentSubframe, g.shows), std::make_pair(0, 0));
    EXPECT_EQ(g.Describe(), std::string("cmdFrameOn=") + (*name ? "1" : "0") +
                                " cmdSubOn=0 compressed=0 compressedOn=0 editorsOn=0 fpsSlider=0 frames=1 "
                                "framesMax=2 framesOn=0 h=0 subMax=2 subOn=0 w=0 x=0 y=0");
  }
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
  // As one picture of indices, the frame is what is drawn, 9 where nothing is.
  const ComposedImage composed = ComposeIndices(f);
  ASSERT_EQ(std::vector<int>({composed.left, composed.top, composed.width, composed.height}),
            std::vector<int>({-4, -4, 8, 8}));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const int drawn = w.addrBits[(46 + y) * 100 + 46 + x];
      EXPECT_EQ(composed.pixels[size_t(y * 8 + x)], drawn == 255 ? 9 : drawn) << x << "," << y;
    }
  EXPECT_TRUE(ComposeIndices(f, 63).Empty());
}

TEST(ScaledToFit, UpByWholeStepsDownToTheLongerSideNearestPixels) {
  struct Case {
    int width, height, side, toWidth, toHeight;
  };
  for (const Case c : {Case{10, 10, 40, 40, 40}, {11, 7, 40, 33, 21}, {512, 256, 40, 40, 20}, {1, 300, 40, 1, 40},
                       {40, 40, 40, 40, 40}, {3, 3, 2, 2, 2}}) {
    ComposedImage image{-1, -2, c.width, c.height, std::vector<uint8_t>(size_t(c.width * c.height), 5)};
    const ComposedImage scaled = ScaledToFit(image, c.side);
    EXPECT_EQ(std::vector<int>({scaled.left, scaled.top, scaled.width, scaled.height}),
              std::vector<int>({-1, -2, c.toWidth, c.toHeight}))
        << c.width << "x" << c.height;
    EXPECT_EQ(scaled.pixels.size(), size_t(c.toWidth * c.toHeight));
  }
  const ComposedImage row{0, 0, 4, 1, {1, 2, 3, 4}};
  EXPECT_EQ(ScaledToFit(row, 2).pixels, (std::vector<uint8_t>{1, 3}));
  // A frame's own pixels scale as its composed picture does.
  const FramePtr frame = MakeFrame(70, 50);
  ASSERT_TRUE(frame->SetPositionX(2) && frame->SetPositionY(-1));
  for (int side : {16, 40, 200}) {
    const ComposedImage direct = ThumbnailOf(*frame, side), composed = ScaledToFit(ComposeIndices(*frame), side);
    EXPECT_EQ(std::vector<int>({direct.left, direct.top, direct.width, direct.height}),
              std::vector<int>({composed.left, composed.top, composed.width, composed.height}));
    EXPECT_EQ(direct.pixels, composed.pixels) << side;
  }
  EXPECT_EQ(ScaledToFit(row, 8).pixels, (std::vector<uint8_t>{1, 1, 2, 2, 3, 3, 4, 4, 1, 1, 2, 2, 3, 3, 4, 4}));
}

}  // namespace
}  // namespace quilmark
