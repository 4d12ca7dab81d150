#include <gtest/gtest.h>

#include <vector>

#include "display/classFastWin.h"

namespace quilmark {
namespace {

class FastWin : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(win.Initialize(8, 6, 1)); }
  uint8_t At(int x, int y) const { return win.addrBits[y * win.BmpWidth + x]; }
  void Fill(uint8_t v) { std::fill(win.addrBits, win.addrBits + 8 * 6, v); }
  classFastWin win;
};

TEST(FastWinInit, RecordsSizesWindowAndColourTable) {
  GamePalette[7] = {1, 2, 3, 0};
  classFastWin win;
  EXPECT_EQ(win.hBitmap, 0u);
  ASSERT_TRUE(win.Initialize(12, -4, 42));
  EXPECT_NE(win.hBitmap, 0u);
  EXPECT_NE(win.addrBits, nullptr);
  EXPECT_EQ(win.BmpWidth, 12);
  EXPECT_EQ(win.BmpHeight, -4);
  EXPECT_EQ(win.hWindow, 42u);
  EXPECT_EQ(win.ColourTable()[7].Blue, 1);
  EXPECT_EQ(win.ColourTable()[7].Red, 3);
  win.Free();
  EXPECT_EQ(win.hBitmap, 0u);
  EXPECT_EQ(win.addrBits, nullptr);
  GamePalette[7] = {};
}

TEST(FastWinInit, ImpossibleSurfaceFails) {
  classFastWin win;
  EXPECT_FALSE(win.Initialize(0, 10, 1));
  EXPECT_EQ(win.addrBits, nullptr);
  EXPECT_FALSE(win.Initialize(0x7FFFFFFF, 0x7FFFFFFF, 1));
  EXPECT_EQ(win.addrBits, nullptr);
  // Drawing on a surface without memory does nothing and does not crash.
  win.PixelDraw(0, 0, 1);
  win.ClearTileDraw(0, 0, 2, 2, std::vector<uint8_t>{1, 2, 3, 4}, 9, 255, 0);
}

TEST_F(FastWin, AddressingIsRowMajorForAnyWidth) {
  classFastWin odd;
  ASSERT_TRUE(odd.Initialize(5, 3, 1));
  odd.PixelDraw(4, 2, 77);
  EXPECT_EQ(odd.addrBits[2 * 5 + 4], 77);
  win.PixelDraw(3, 2, 5);
  EXPECT_EQ(win.addrBits[2 * 8 + 3], 5);
  // Off the surface nothing is written, not even the neighbouring row.
  Fill(0);
  win.PixelDraw(8, 0, 1);
  win.PixelDraw(-1, 1, 1);
  win.PixelDraw(0, 6, 1);
  for (int i = 0; i < 48; ++i) EXPECT_EQ(win.addrBits[i], 0) << i;
}

TEST_F(FastWin, ClearTileFlagOneKeepsSurfaceUnderIndex9) {
  Fill(255);
  win.ClearTileDraw(1, 1, 2, 2, {9, 3, 4, 9}, 9, 255, 1);
  EXPECT_EQ(At(1, 1), 255);
  EXPECT_EQ(At(2, 1), 3);
  EXPECT_EQ(At(1, 2), 4);
  EXPECT_EQ(At(2, 2), 255);
  Fill(7);
  win.ClearTileDraw(1, 1, 2, 2, {9, 3, 4, 9}, 9, 255, 1);
  EXPECT_EQ(At(1, 1), 7);
  EXPECT_EQ(At(2, 2), 7);
}

TEST_F(FastWin, ClearTileFlagZeroPaintsBackColour) {
  Fill(7);
  win.ClearTileDraw(0, 0, 2, 2, {9, 3, 4, 9}, 9, 255, 0);
  EXPECT_EQ(At(0, 0), 255);
  EXPECT_EQ(At(1, 0), 3);
  EXPECT_EQ(At(0, 1), 4);
  EXPECT_EQ(At(1, 1), 255);
  EXPECT_EQ(At(2, 0), 7);  // outside the block
}

TEST_F(FastWin, TilesClipAtEveryEdge) {
  Fill(0);
  // 4 x 2 block at x = -3: only its rightmost column lands, in column 0.
  win.TileDraw(-3, 0, 4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(At(0, 0), 4);
  EXPECT_EQ(At(0, 1), 8);
  EXPECT_EQ(At(1, 0), 0);
  // Across the right and bottom edges: cut there.
  Fill(0);
  win.ClearTileDraw(6, 5, 3, 2, {1, 2, 3, 4, 5, 6}, 9, 255, 0);
  EXPECT_EQ(At(6, 5), 1);
  EXPECT_EQ(At(7, 5), 2);
  EXPECT_EQ(At(0, 5), 0);  // no wrap into the row's start
  EXPECT_EQ(At(0, 0), 0);  // nor into the top
  // Entirely off: nothing.
  Fill(0);
  win.TileDraw(-10, -10, 2, 2, {1, 1, 1, 1});
  win.TileDraw(100, 0, 2, 2, {1, 1, 1, 1});
  for (int i = 0; i < 48; ++i) EXPECT_EQ(win.addrBits[i], 0);
}

TEST_F(FastWin, TileDrawStartsAtTilePositionAndNeverReadsPastBuffer) {
  Fill(0);
  win.TileDraw(0, 0, 2, 1, {10, 11, 12, 13}, 2);
  EXPECT_EQ(At(0, 0), 12);
  EXPECT_EQ(At(1, 0), 13);
  // A block claiming more rows than its buffer has draws the rows it has.
  Fill(0);
  win.TileDraw(0, 0, 2, 3, {1, 2, 3, 4});
  EXPECT_EQ(At(0, 1), 3);
  EXPECT_EQ(At(0, 2), 0);
  win.TileDraw(0, 0, 2, 1, {1, 2}, 5);  // start past the end: nothing
  EXPECT_EQ(At(0, 0), 1);
}

TEST_F(FastWin, MaskTileReplacesMaskIndex) {
  Fill(0);
  win.MaskTileDraw(0, 0, 3, 1, {5, 9, 6}, 9, 200);
  EXPECT_EQ(At(0, 0), 5);
  EXPECT_EQ(At(1, 0), 200);
  EXPECT_EQ(At(2, 0), 6);
}

TEST_F(FastWin, GrabRegionReadsClippedBlock) {
  for (int i = 0; i < 48; ++i) win.addrBits[i] = static_cast<uint8_t>(i);
  std::vector<uint8_t> buf(4, 99);
  win.GrabRegion(-1, 4, 2, 2, buf);
  EXPECT_EQ(buf[0], 99);  // column -1 is not read
  EXPECT_EQ(buf[1], 32);
  EXPECT_EQ(buf[2], 99);
  EXPECT_EQ(buf[3], 40);
}

TEST_F(FastWin, LineDrawsBothEndsAndClips) {
  Fill(0);
  win.LineDraw(0, 0, 3, 3, 4);
  for (int i = 0; i <= 3; ++i) EXPECT_EQ(At(i, i), 4);
  EXPECT_EQ(At(1, 0), 0);
  Fill(0);
  win.LineDraw(-5, 2, 20, 2, 6);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(At(x, 2), 6);
  EXPECT_EQ(At(0, 3), 0);
}

// A screen that records the transfers it is asked to make.
struct RecordingScreen : SurfaceScreen {
  int calls = 0;
  int32_t dl = 0, dt = 0, dw = 0, dh = 0, sl = 0, st = 0, sw = 0, sh = 0;
  bool stretch = false;
  void PutSurface(const classFastWin&, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g,
                  int32_t h, bool s) override {
    ++calls;
    dl = a, dt = b, dw = c, dh = d, sl = e, st = f, sw = g, sh = h, stretch = s;
  }
};

TEST_F(FastWin, ShowUnscaledCopiesDestinationSize) {
  RecordingScreen screen;
  win.Show(screen, 10, 20, 5, 4, 1, 2, 1, 1, false);
  ASSERT_EQ(screen.calls, 1);
  EXPECT_EQ(screen.dw, 5);
  EXPECT_EQ(screen.sw, 5);
  EXPECT_EQ(screen.sh, 4);
  EXPECT_EQ(screen.sl, 1);
  win.Show(screen, 0, 0, 8, 8, 0, 0, 4, 4, true);
  EXPECT_EQ(screen.sw, 4);
  EXPECT_TRUE(screen.stretch);
}

TEST(FastWinShow, NeverInitialisedSurfaceShowsNothing) {
  classFastWin win;
  RecordingScreen screen;
  win.Show(screen, 0, 0, 1, 1, 0, 0);
  win.Blt(screen, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(screen.calls, 0);
}

}  // namespace
}  // namespace quilmark
