#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "display/classFastWin.h"

namespace quilmark {
namespace {

using Row = std::vector<uint8_t>;

class FastWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(win.Initialize(8, 6, 1));
    Fill(0);
  }
  void Fill(uint8_t v) { std::fill(win.addrBits, win.addrBits + 8 * 6, v); }
  // The pixels at the given points, in order.
  Row At(std::initializer_list<std::pair<int, int>> points) const {
    Row out;
    for (const auto& [x, y] : points) out.push_back(win.addrBits[y * win.BmpWidth + x]);
    return out;
  }
  size_t Painted() const { return size_t(std::count_if(win.addrBits, win.addrBits + 48, [](uint8_t v) { return v; })); }
  classFastWin win;
};

TEST(FastWinInit, ColourTableFromThePaletteAndImpossibleSurfaces) {
  GamePalette[7] = {1, 2, 3, 0};
  classFastWin win;
  EXPECT_EQ(win.hBitmap, 0u);
  ASSERT_TRUE(win.Initialize(12, -4, 42));
  EXPECT_NE(win.hBitmap, 0u);
  EXPECT_NE(win.addrBits, nullptr);
  EXPECT_EQ(std::make_pair(win.ColourTable()[7].Blue, win.ColourTable()[7].Red), std::make_pair(uint8_t(1), uint8_t(3)));
  win.Free();
  EXPECT_EQ(std::make_pair(win.hBitmap, win.addrBits), std::make_pair(uintptr_t(0), static_cast<uint8_t*>(nullptr)));
  GamePalette[7] = {};
  for (int32_t size : {0, 0x7FFFFFFF}) {
    EXPECT_FALSE(win.Initialize(size, size == 0 ? 10 : size, 1));
    EXPECT_EQ(win.addrBits, nullptr);
  }
  // Drawing on a surface without memory does nothing and does not crash.
  win.PixelDraw(0, 0, 1);
  win.ClearTileDraw(0, 0, 2, 2, Row{1, 2, 3, 4}, 9, 255, 0);
}

TEST_F(FastWin, AddressingIsRowMajorForAnyWidth) {
  classFastWin odd;
  ASSERT_TRUE(odd.Initialize(5, 3, 1));
  odd.PixelDraw(4, 2, 77);
  EXPECT_EQ(odd.addrBits[2 * 5 + 4], 77);
  // Off the surface nothing is written, not even the neighbouring row.
  for (const auto& [x, y] : {std::pair{8, 0}, {-1, 1}, {0, 6}}) win.PixelDraw(x, y, 1);
  EXPECT_EQ(Painted(), 0u);
  win.PixelDraw(3, 2, 5);
  EXPECT_EQ(win.addrBits[2 * 8 + 3], 5);
}

TEST_F(FastWin, ClearTileKeepsOrPaintsTheMaskIndex) {
  // {surface, ClearFlag, the 2 × 2 block at (1, 1) afterwards}
  for (const auto& [background, flag, block] : {std::tuple{255, 1, Row{255, 3, 4, 255}}, {7, 1, Row{7, 3, 4, 7}},
                                                {7, 0, Row{255, 3, 4, 255}}}) {
    Fill(uint8_t(background));
    win.ClearTileDraw(1, 1, 2, 2, {9, 3, 4, 9}, 9, 255, flag);
    EXPECT_EQ(At({{1, 1}, {2, 1}, {1, 2}, {2, 2}}), block) << flag;
    EXPECT_EQ(At({{3, 1}, {1, 0}}), Row(2, uint8_t(background)));  // outside the block
  }
  Fill(0);
  win.MaskTileDraw(0, 0, 3, 1, {5, 9, 6}, 9, 200);
  EXPECT_EQ(At({{0, 0}, {1, 0}, {2, 0}}), (Row{5, 200, 6}));
}

TEST_F(FastWin, TilesClipAtEveryEdge) {
  // A 4 × 2 block at x = -3: only its rightmost column lands, in column 0.
  win.TileDraw(-3, 0, 4, 2, {1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(At({{0, 0}, {0, 1}}), (Row{4, 8}));
  EXPECT_EQ(Painted(), 2u);
  // Across the right and bottom edges: cut there, with no wrap into the row's start nor the top.
  Fill(0);
  win.ClearTileDraw(6, 5, 3, 2, {1, 2, 3, 4, 5, 6}, 9, 255, 0);
  EXPECT_EQ(At({{6, 5}, {7, 5}}), (Row{1, 2}));
  EXPECT_EQ(Painted(), 2u);
  // Entirely off: nothing.
  Fill(0);
  win.TileDraw(-10, -10, 2, 2, {1, 1, 1, 1});
  win.TileDraw(100, 0, 2, 2, {1, 1, 1, 1});
  EXPECT_EQ(Painted(), 0u);
}

TEST_F(FastWin, TileDrawStartsAtTilePositionAndNeverReadsPastTheBuffer) {
  win.TileDraw(0, 0, 2, 1, {10, 11, 12, 13}, 2);
  EXPECT_EQ(At({{0, 0}, {1, 0}}), (Row{12, 13}));
  // A block claiming more rows than its buffer has draws the rows it has.
  Fill(0);
  win.TileDraw(0, 0, 2, 3, {1, 2, 3, 4});
  EXPECT_EQ(At({{0, 1}, {0, 2}}), (Row{3, 0}));
  win.TileDraw(0, 0, 2, 1, {7, 7}, 5);  // start past the end: nothing
  EXPECT_EQ(At({{0, 0}}), Row{1});
}

TEST_F(FastWin, GrabRegionReadsTheClippedBlockAndLinesDrawBothEnds) {
  for (int i = 0; i < 48; ++i) win.addrBits[i] = uint8_t(i);
  Row buf(4, 99);
  win.GrabRegion(-1, 4, 2, 2, buf);
  EXPECT_EQ(buf, (Row{99, 32, 99, 40}));  // column -1 is not read
  Fill(0);
  win.LineDraw(0, 0, 3, 3, 4);
  EXPECT_EQ(At({{0, 0}, {1, 1}, {2, 2}, {3, 3}}), Row(4, 4));
  EXPECT_EQ(Painted(), 4u);
  Fill(0);
  win.LineDraw(-5, 2, 20, 2, 6);
  EXPECT_EQ(At({{0, 2}, {7, 2}}), (Row{6, 6}));
  EXPECT_EQ(Painted(), 8u);
}

// A screen that records the transfers it is asked to make.
struct RecordingScreen : SurfaceScreen {
  std::vector<std::array<int32_t, 9>> calls;
  void PutSurface(const classFastWin&, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f, int32_t g,
                  int32_t h, bool s) override {
    calls.push_back({a, b, c, d, e, f, g, h, s});
  }
};

TEST_F(FastWin, ShowCopiesTheDestinationSizeUnlessStretched) {
  RecordingScreen screen;
  win.Show(screen, 10, 20, 5, 4, 1, 2, 1, 1, false);
  win.Show(screen, 0, 0, 8, 8, 0, 0, 4, 4, true);
  EXPECT_EQ(screen.calls, (std::vector<std::array<int32_t, 9>>{{10, 20, 5, 4, 1, 2, 5, 4, 0}, {0, 0, 8, 8, 0, 0, 4, 4, 1}}));
  // A surface never initialised shows nothing.
  classFastWin none;
  none.Show(screen, 0, 0, 1, 1, 0, 0);
  none.Blt(screen, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(screen.calls.size(), 2u);
}

}  // namespace
}  // namespace quilmark
