// The 8-bit palettised off-screen surface on which frames are composed.
//
// Pixel bytes are game-palette indices, rows top to bottom, the byte of pixel
// (x, y) at addrBits + y * BmpWidth + x for every width (rows are not padded,
// so the rule holds for widths that are not a multiple of 4 as well). Drawing writes straight into that
// memory; showing hands the memory to the window system through a
// SurfaceScreen, which does one block transfer.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "images/GamePalette.h"

namespace quilmark {

class classFastWin;

// The window side of a surface: a device the surface is shown on, or copied
// from. The editor implements it over its widgets; tests implement it too.
class SurfaceScreen {
 public:
  virtual ~SurfaceScreen() = default;
  // Copy (stretched when stretch is set) from the surface into the screen.
  virtual void PutSurface(const classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth,
                          int32_t destHeight, int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight,
                          bool stretch) = 0;
  // Copy from the screen into the surface; screens that cannot be read leave
  // the surface as it is.
  virtual void GetSurface(classFastWin& surface, int32_t destLeft, int32_t destTop, int32_t destWidth,
                          int32_t destHeight, int32_t srcLeft, int32_t srcTop, int32_t srcWidth, int32_t srcHeight,
                          bool stretch) {
    (void)surface, (void)destLeft, (void)destTop, (void)destWidth, (void)destHeight;
    (void)srcLeft, (void)srcTop, (void)srcWidth, (void)srcHeight, (void)stretch;
  }
};

// A window that owns a surface. Initialize records it; the palette is applied
// to it once the memory exists.
using WindowHandle = uintptr_t;

class classFastWin {
 public:
  // Set only by Initialize. hBitmap is 0 before Initialize and after Free.
  uintptr_t hBitmap = 0;
  uint8_t* addrBits = nullptr;
  int32_t BmpWidth = 0;
  int32_t BmpHeight = 0;
  WindowHandle hWindow = 0;

  classFastWin() = default;
  classFastWin(const classFastWin&) = delete;
  classFastWin& operator=(const classFastWin&) = delete;

  // Creates the pixel memory (|Width| x |Height| bytes) and the colour table
  // from GamePalette. False when the memory could not be had; addrBits is then
  // null.
  bool Initialize(int32_t Width, int32_t Height, WindowHandle ActiveWindow);
  // Releases the pixel memory; the surface can be initialised again.
  void Free();

  void Show(SurfaceScreen& ScreenDC, int32_t DestLeft, int32_t DestTop, int32_t DestWidth, int32_t DestHeight,
            int32_t SrcLeft, int32_t SrcTop, int32_t SrcWidth = 1, int32_t SrcHeight = 1,
            bool StretchFlag = false) const;
  void Blt(SurfaceScreen& ScreenDC, int32_t DestLeft, int32_t DestTop, int32_t DestWidth, int32_t DestHeight,
           int32_t SrcLeft, int32_t SrcTop, int32_t SrcWidth = 1, int32_t SrcHeight = 1, bool StretchFlag = false);

  // Buffer is a dense block: row r starts r * Width bytes after its first byte.
  void TileDraw(int32_t xPos, int32_t yPos, int32_t Width, int32_t Height, const std::vector<uint8_t>& Buffer,
                int32_t TilePosition = 0);
  void LineDraw(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t Color);
  void PixelDraw(int32_t x, int32_t y, uint8_t Color);
  // Pixels equal to MaskColor are skipped when ClearFlag is nonzero and written
  // as BackColor when it is 0.
  void ClearTileDraw(int32_t x, int32_t y, int32_t Width, int32_t Height, std::span<const uint8_t> Buffer,
                     uint8_t MaskColor, uint8_t BackColor, int32_t ClearFlag);
  // Pixels equal to MaskColor are written as ReplaceColor; all others as they are.
  void MaskTileDraw(int32_t x, int32_t y, int32_t Width, int32_t Height, const std::vector<uint8_t>& Buffer,
                    uint8_t MaskColor, uint8_t ReplaceColor);
  void GrabRegion(int32_t x, int32_t y, int32_t Width, int32_t Height, std::vector<uint8_t>& Buffer) const;

  // The colour table the surface was made with (blue, green, red, 0).
  const Palette& ColourTable() const { return colour_table_; }

 private:
  std::vector<uint8_t> memory_;
  Palette colour_table_{};
};

// The drawing primitives over raw 8-bit memory (the surface's library). All
// clip to 0..bmpWidth-1 x 0..bmpHeight-1; blocks are dense, the surface rows
// bmpWidth bytes apart. Null memory or null buffers draw nothing.
namespace surface {
void WriteTile(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
               uint8_t* bits, const uint8_t* buffer, size_t bufferSize);
void ClearTile(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
               uint8_t* bits, const uint8_t* buffer, size_t bufferSize, uint8_t maskColor, uint8_t backColor,
               int32_t clearFlag);
void MaskTile(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
              uint8_t* bits, const uint8_t* buffer, size_t bufferSize, uint8_t maskColor, uint8_t replaceColor);
void GetRegion(int32_t x, int32_t y, int32_t width, int32_t height, int32_t bmpWidth, int32_t bmpHeight,
               const uint8_t* bits, uint8_t* buffer, size_t bufferSize);
void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint8_t color, int32_t bmpWidth, int32_t bmpHeight,
              uint8_t* bits);
void WritePixel(uint8_t* bits, int64_t offset, int64_t size, uint8_t color);
}  // namespace surface

}  // namespace quilmark
