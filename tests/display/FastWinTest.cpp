#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>
#include <vector>

#include "display/classFastWin.h"

namespace quilmark {
namespace {

using Row = std::vector<uint8_t>;
using Pixels = std::vector<std::tuple<int, int, int>>;  // {x, y, index} of every pixel not 0

class FastWin : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(win.Initialize(8, 6, 1)); }
  void Fill(uint8_t v) { std::fill(win.addrBits, win.addrBits + 8 * 6, v); }
  Pixels Painted() const {
    Pixels out;
    for (int i = 0; i < 48; ++i)
      if (win.addrBits[i]) out.emplace_back(i % 8, i / 8, win.addrBits[i]);
    return out;
  }
  classFastWin win;
};

// A screen that counts the transfers it is asked to make.
struct CountingScreen : SurfaceScreen {
  int calls = 0;
  void PutSurface(const classFastWin&, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                  bool) override {
    ++calls;
  }
};

TEST(FastWinInit, ColourTableFromThePaletteAndImpossibleSurfacesThatDrawAndShowNothing) {
  GamePalette[7] = {1, 2, 3, 0};
  classFastWin win;
  ASSERT_TRUE(win.Initialize(5, -3, 42));  // a negative height still gives 3 rows
  EXPECT_EQ(std::make_pair(win.ColourTable()[7].Blue, win.ColourTable()[7].Red), std::make_pair(uint8_t(1), uint8_t(3)));
  win.PixelDraw(4, 2, 77);
  EXPECT_EQ(win.addrBits[2 * 5 + 4], 77);  // rows of any width, row-major
  GamePalette[7] = {};
  for (int32_t size : {0, 0x7FFFFFFF}) {
    EXPECT_FALSE(win.Initialize(size, size == 0 ? 10 : size, 1));
    EXPECT_EQ(win.addrBits, nullptr);
  }
  // Drawing on a surface without memory does nothing and does not crash; it,
  // and one never initialised, show nothing.
  win.PixelDraw(0, 0, 1);
  win.ClearTileDraw(0, 0, 2, 2, Row{1, 2, 3, 4}, 9, 255, 0);
  CountingScreen screen;
  classFastWin none;
  for (classFastWin* surface : {&win, &none}) {
    surface->Show(screen, 0, 0, 1, 1, 0, 0);
    surface->Blt(screen, 0, 0, 1, 1, 0, 0);
  }
  EXPECT_EQ(screen.calls, 0);
  ASSERT_TRUE(none.Initialize(1, 1, 1));
  none.Show(screen, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(screen.calls, 1);
}

TEST_F(FastWin, DrawingWritesExactlyTheClippedPixels) {
  const Row eight{1, 2, 3, 4, 5, 6, 7, 8};
  const std::vector<std::pair<std::function<void(classFastWin&)>, Pixels>> cases = {
      // Off the surface nothing is written, not even the neighbouring row.
      {[](classFastWin& w) { w.PixelDraw(8, 0, 1), w.PixelDraw(-1, 1, 1), w.PixelDraw(0, 6, 1), w.PixelDraw(3, 2, 5); },
       {{3, 2, 5}}},
      // A 4 × 2 block at x = -3: only its rightmost column lands, in column 0.
      {[&](classFastWin& w) { w.TileDraw(-3, 0, 4, 2, eight); }, {{0, 0, 4}, {0, 1, 8}}},
      // Across the right and bottom edges: cut, with no wrap into the row's start nor the top.
      {[&](classFastWin& w) { w.ClearTileDraw(6, 5, 3, 2, eight, 9, 255, 0); }, {{6, 5, 1}, {7, 5, 2}}},
      {[](classFastWin& w) { w.TileDraw(-10, -10, 2, 2, {1, 1, 1, 1}), w.TileDraw(100, 0, 2, 2, {1, 1, 1, 1}); }, {}},
      {[](classFastWin& w) { w.TileDraw(0, 0, 2, 1, {10, 11, 12, 13}, 2); }, {{0, 0, 12}, {1, 0, 13}}},
      // More rows than the buffer has: the rows it has. A start past the end: nothing.
      {[](classFastWin& w) { w.TileDraw(0, 0, 2, 3, {1, 2, 3, 4}); }, {{0, 0, 1}, {1, 0, 2}, {0, 1, 3}, {1, 1, 4}}},
      {[](classFastWin& w) { w.TileDraw(0, 0, 2, 1, {7, 7}, 5); }, {}},
      // Index 9 keeps the surface, or is painted 255; the mask draw paints it the given index.
      {[](classFastWin& w) { w.ClearTileDraw(1, 1, 2, 2, Row{9, 3, 4, 9}, 9, 255, 1); }, {{2, 1, 3}, {1, 2, 4}}},
      {[](classFastWin& w) { w.ClearTileDraw(1, 1, 2, 2, Row{9, 3, 4, 9}, 9, 255, 0); },
       {{1, 1, 255}, {2, 1, 3}, {1, 2, 4}, {2, 2, 255}}},
      {[](classFastWin& w) { w.MaskTileDraw(0, 0, 3, 1, {5, 9, 6}, 9, 200); }, {{0, 0, 5}, {1, 0, 200}, {2, 0, 6}}},
      // Lines draw both ends and skip what is off the surface.
      {[](classFastWin& w) { w.LineDraw(0, 0, 3, 3, 4); }, {{0, 0, 4}, {1, 1, 4}, {2, 2, 4}, {3, 3, 4}}},
      {[](classFastWin& w) { w.LineDraw(-5, 2, 20, 2, 6); },
       {{0, 2, 6}, {1, 2, 6}, {2, 2, 6}, {3, 2, 6}, {4, 2, 6}, {5, 2, 6}, {6, 2, 6}, {7, 2, 6}}},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    Fill(0);
    cases[i].first(win);
    EXPECT_EQ(Painted(), cases[i].second) << "case " << i;
  }
}

TEST_F(FastWin, GrabRegionReadsTheClippedBlock) {
  for (int i = 0; i < 48; ++i) win.addrBits[i] = uint8_t(i);
  Row buf(4, 99);
  win.GrabRegion(-1, 4, 2, 2, buf);
  EXPECT_EQ(buf, (Row{99, 32, 99, 40}));  // column -1 is not read
}

}  // namespace
}  // namespace quilmark
