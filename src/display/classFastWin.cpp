#include "display/classFastWin.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>

namespace quilmark {

bool classFastWin::Initialize(int32_t Width, int32_t Height, WindowHandle ActiveWindow) {
  Free();
  colour_table_ = GamePalette;
  const int64_t rows = Height < 0 ? -static_cast<int64_t>(Height) : Height;
  BmpWidth = Width;
  BmpHeight = Height;
  hWindow = ActiveWindow;
  if (Width <= 0 || rows == 0) return false;
  // No screen shows more than this; a larger request is a mistake, not a surface.
  constexpr uint64_t kMostBytes = uint64_t{1} << 31;
  if (static_cast<uint64_t>(Width) * static_cast<uint64_t>(rows) > kMostBytes) return false;
  try {
    memory_.assign(static_cast<size_t>(Width) * static_cast<size_t>(rows), 0);
  } catch (const std::bad_alloc&) {
    memory_.clear();
    return false;
  } catch (const std::length_error&) {
    memory_.clear();
    return false;
  }
  addrBits = memory_.data();
  hBitmap = reinterpret_cast<uintptr_t>(addrBits);
  return addrBits != nullptr;
}

void classFastWin::Free() {
  std::vector<uint8_t>().swap(memory_);
  addrBits = nullptr;
  hBitmap = 0;
}

void classFastWin::Show(SurfaceScreen& ScreenDC, int32_t DestLeft, int32_t DestTop, int32_t DestWidth,
                        int32_t DestHeight, int32_t SrcLeft, int32_t SrcTop, int32_t SrcWidth, int32_t SrcHeight,
                        bool StretchFlag) const {
  if (hWindow == 0 || addrBits == nullptr) return;
  if (!StretchFlag) {
    // Unscaled: the destination size is the size copied.
    SrcWidth = DestWidth;
    SrcHeight = DestHeight;
  }
  ScreenDC.PutSurface(*this, DestLeft, DestTop, DestWidth, DestHeight, SrcLeft, SrcTop, SrcWidth, SrcHeight,
                      StretchFlag);
}

void classFastWin::Blt(SurfaceScreen& ScreenDC, int32_t DestLeft, int32_t DestTop, int32_t DestWidth,
                       int32_t DestHeight, int32_t SrcLeft, int32_t SrcTop, int32_t SrcWidth, int32_t SrcHeight,
                       bool StretchFlag) {
  if (hWindow == 0 || addrBits == nullptr) return;
  if (!StretchFlag) {
    SrcWidth = DestWidth;
    SrcHeight = DestHeight;
  }
  ScreenDC.GetSurface(*this, DestLeft, DestTop, DestWidth, DestHeight, SrcLeft, SrcTop, SrcWidth, SrcHeight,
                      StretchFlag);
}

void classFastWin::TileDraw(int32_t xPos, int32_t yPos, int32_t Width, int32_t Height,
                            const std::vector<uint8_t>& Buffer, int32_t TilePosition) {
  if (TilePosition < 0 || static_cast<size_t>(TilePosition) > Buffer.size()) return;
  surface::WriteTile(xPos, yPos, Width, Height, BmpWidth, BmpHeight, addrBits, Buffer.data() + TilePosition,
                     Buffer.size() - static_cast<size_t>(TilePosition));
}

void classFastWin::LineDraw(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t Color) {
  surface::DrawLine(x1, y1, x2, y2, Color, BmpWidth, BmpHeight, addrBits);
}

void classFastWin::PixelDraw(int32_t x, int32_t y, uint8_t Color) {
  // The pixel call itself takes a flat offset; a point off the surface is not
  // written (the offset alone could wrap to the next row).
  if (x < 0 || y < 0 || x >= BmpWidth || y >= std::abs(BmpHeight)) return;
  surface::WritePixel(addrBits, static_cast<int64_t>(y) * BmpWidth + x, static_cast<int64_t>(memory_.size()),
                      Color);
}

void classFastWin::ClearTileDraw(int32_t x, int32_t y, int32_t Width, int32_t Height,
                                 std::span<const uint8_t> Buffer, uint8_t MaskColor, uint8_t BackColor,
                                 int32_t ClearFlag) {
  surface::ClearTile(x, y, Width, Height, BmpWidth, BmpHeight, addrBits, Buffer.data(), Buffer.size(), MaskColor,
                     BackColor, ClearFlag);
}

void classFastWin::MaskTileDraw(int32_t x, int32_t y, int32_t Width, int32_t Height,
                                const std::vector<uint8_t>& Buffer, uint8_t MaskColor, uint8_t ReplaceColor) {
  surface::MaskTile(x, y, Width, Height, BmpWidth, BmpHeight, addrBits, Buffer.data(), Buffer.size(), MaskColor,
                    ReplaceColor);
}

void classFastWin::GrabRegion(int32_t x, int32_t y, int32_t Width, int32_t Height,
                              std::vector<uint8_t>& Buffer) const {
  surface::GetRegion(x, y, Width, Height, BmpWidth, BmpHeight, addrBits, Buffer.data(), Buffer.size());
}

namespace surface {
namespace {

// The part of a width x height block at (x, y) that lies on the surface, as
// block columns [c0, c1) and rows [r0, r1). Empty when nothing lies on it, or
// when the block is larger than its buffer (a block never reads past it).
struct Clip {
  int64_t c0 = 0, c1 = 0, r0 = 0, r1 = 0;
  bool empty() const { return c0 >= c1 || r0 >= r1; }
};

Clip ClipBlock(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
               size_t bufferSize) {
  Clip c;
  if (width <= 0 || height <= 0 || bmpWidth <= 0) return c;
  const int64_t rows = bmpHeight < 0 ? -static_cast<int64_t>(bmpHeight) : bmpHeight;
  // Rows the buffer really holds; a short buffer draws its whole rows only.
  const int64_t bufferRows = static_cast<int64_t>(bufferSize) / width;
  const int64_t h = std::min<int64_t>(height, bufferRows);
  c.c0 = std::max<int64_t>(0, -static_cast<int64_t>(x));
  c.c1 = std::min<int64_t>(width, static_cast<int64_t>(bmpWidth) - x);
  c.r0 = std::max<int64_t>(0, -static_cast<int64_t>(y));
  c.r1 = std::min<int64_t>(h, rows - y);
  return c;
}

}  // namespace

void WriteTile(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
               uint8_t* bits, const uint8_t* buffer, size_t bufferSize) {
  if (!bits || !buffer) return;
  const Clip c = ClipBlock(x, y, width, height, bmpWidth, bmpHeight, bufferSize);
  if (c.empty()) return;
  for (int64_t r = c.r0; r < c.r1; ++r) {
    const uint8_t* src = buffer + r * width + c.c0;
    uint8_t* dst = bits + (y + r) * bmpWidth + x + c.c0;
    std::copy(src, src + (c.c1 - c.c0), dst);
  }
}

void ClearTile(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
               uint8_t* bits, const uint8_t* buffer, size_t bufferSize, uint8_t maskColor, uint8_t backColor,
               int32_t clearFlag) {
  if (!bits || !buffer) return;
  const Clip c = ClipBlock(x, y, width, height, bmpWidth, bmpHeight, bufferSize);
  if (c.empty()) return;
  const int64_t n = c.c1 - c.c0;
  for (int64_t r = c.r0; r < c.r1; ++r) {
    const uint8_t* src = buffer + r * width + c.c0;
    uint8_t* dst = bits + (y + r) * bmpWidth + x + c.c0;
    if (clearFlag != 0) {
      for (int64_t i = 0; i < n; ++i)
        if (src[i] != maskColor) dst[i] = src[i];
    } else {
      for (int64_t i = 0; i < n; ++i) dst[i] = src[i] == maskColor ? backColor : src[i];
    }
  }
}

void MaskTile(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
              uint8_t* bits, const uint8_t* buffer, size_t bufferSize, uint8_t maskColor, uint8_t replaceColor) {
  ClearTile(x, y, width, height, bmpWidth, bmpHeight, bits, buffer, bufferSize, maskColor, replaceColor, 0);
}

void GetRegion(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
               const uint8_t* bits, uint8_t* buffer, size_t bufferSize) {
  if (!bits || !buffer) return;
  const Clip c = ClipBlock(x, y, width, height, bmpWidth, bmpHeight, bufferSize);
  if (c.empty()) return;
  for (int64_t r = c.r0; r < c.r1; ++r) {
    const uint8_t* src = bits + (y + r) * bmpWidth + x + c.c0;
    std::copy(src, src + (c.c1 - c.c0), buffer + r * width + c.c0);
  }
}

void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t color, int32_t bmpWidth, int32_t bmpHeight,
              uint8_t* bits) {
  if (!bits || bmpWidth <= 0) return;
  const int64_t rows = bmpHeight < 0 ? -static_cast<int64_t>(bmpHeight) : bmpHeight;
  // Bresenham over 64-bit values: both ends are drawn, points off the surface
  // are skipped.
  int64_t x = x1, y = y1;
  const int64_t dx = std::llabs(static_cast<int64_t>(x2) - x1), sx = x1 < x2 ? 1 : -1;
  const int64_t dy = -std::llabs(static_cast<int64_t>(y2) - y1), sy = y1 < y2 ? 1 : -1;
  int64_t err = dx + dy;
  for (;;) {
    if (x >= 0 && y >= 0 && x < bmpWidth && y < rows) bits[y * bmpWidth + x] = color;
    if (x == x2 && y == y2) break;
    const int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

void WritePixel(uint8_t* bits, int64_t offset, int64_t size, uint8_t color) {
  if (!bits || offset < 0 || offset >= size) return;
  bits[offset] = color;
}

}  // namespace surface
}  // namespace quilmark
