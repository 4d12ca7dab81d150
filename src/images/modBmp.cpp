#include "base/LittleEndian.h"
#include "images/modBmp.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "base/AtomicFile.h"
#include "document/classGAFFrame.h"

namespace quilmark {

namespace {

constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kHeaderAndTable = 14 + 40 + 256 * 4;  // 1078


}  // namespace

std::array<uint8_t, 256> RemapTable(const Palette& bitmapColours, const Palette& gameColours) {
  // The game colours as separate channel rows, so that the distances from one
  // colour to all 256 are worked out side by side.
  int16_t red[256], green[256], blue[256];
  for (size_t g = 0; g < 256; ++g) {
    red[g] = gameColours[g].Red;
    green[g] = gameColours[g].Green;
    blue[g] = gameColours[g].Blue;
  }
  std::array<uint8_t, 256> table{};
  int16_t distance[256];
  for (size_t c = 0; c < 256; ++c) {
    const int16_t r = bitmapColours[c].Red;
    const int16_t gr = bitmapColours[c].Green;
    const int16_t b = bitmapColours[c].Blue;
    for (size_t g = 0; g < 256; ++g) {
      const int16_t dr = static_cast<int16_t>(r - red[g]);
      const int16_t dg = static_cast<int16_t>(gr - green[g]);
      const int16_t db = static_cast<int16_t>(b - blue[g]);
      distance[g] = static_cast<int16_t>((dr < 0 ? -dr : dr) + (dg < 0 ? -dg : dg) + (db < 0 ? -db : db));
    }
    int16_t nearest = 765;
    for (size_t g = 0; g < 256; ++g) nearest = std::min(nearest, distance[g]);
    // Only a distance below 765 counts; the first game colour at it wins.
    uint8_t best = 255;
    if (nearest < 765)
      for (size_t g = 0; g < 256; ++g)
        if (distance[g] == nearest) {
          best = static_cast<uint8_t>(g);
          break;
        }
    table[c] = best;
  }
  return table;
}

namespace {
// The nearest game colour, skip (when an index) left out.
uint8_t Nearest(const PaletteEntry& colour, const Palette& gameColours, int skip) {
  int best = 765;
  uint8_t index = 255;
  for (size_t g = 0; g < 256; ++g) {
    if (static_cast<int>(g) == skip) continue;
    const PaletteEntry& e = gameColours[g];
    const int d = std::abs(colour.Red - e.Red) + std::abs(colour.Green - e.Green) + std::abs(colour.Blue - e.Blue);
    if (d < best) {
      best = d;
      index = static_cast<uint8_t>(g);
    }
  }
  return index;
}
}  // namespace

uint8_t NearestColour(const PaletteEntry& colour, const Palette& gameColours) {
  return Nearest(colour, gameColours, -1);
}

uint8_t NearestOpaqueColour(const PaletteEntry& colour, const Palette& gameColours) {
  return Nearest(colour, gameColours, TransparentIndex);
}

void RemapToGamePalette(LoadedBitmap& bitmap, const Palette& gameColours) {
  if (!bitmap.OwnColourTable) return;
  std::array<uint8_t, 256> table = RemapTable(bitmap.BMPPalette, gameColours);
  for (size_t i = 0; i < 256; ++i)
    if (bitmap.TransparentEntries[i]) table[i] = TransparentIndex;
  MappingTable mapping(bitmap.BMPPalette, table, bitmap.TransparentEntries, gameColours);
  mapping.Map(bitmap.BMPPixels.data(), bitmap.BMPPixels.data(), bitmap.BMPPixels.size());
  bitmap.Mapping = mapping.Mapping();
}

bool EncodeBMP(std::span<const uint8_t> buffer, const Palette& palette, int32_t width, int32_t height,
               bool flipRows, std::vector<uint8_t>& file) {
  if (width < 0 || height < 0) return false;
  const uint64_t w = static_cast<uint64_t>(width);
  const uint64_t h = static_cast<uint64_t>(height);
  const uint64_t stride = (w + 3) & ~uint64_t{3};
  const uint64_t pixelBytes = flipRows ? stride * h : buffer.size();
  if (flipRows && buffer.size() < w * h) return false;
  if (pixelBytes > std::numeric_limits<uint32_t>::max() - kHeaderAndTable) return false;

  file.clear();
  file.reserve(static_cast<size_t>(kHeaderAndTable + pixelBytes));
  file.push_back('B');
  file.push_back('M');
  le::Append32(file, static_cast<uint32_t>(kHeaderAndTable + pixelBytes));
  le::Append16(file, 0);
  le::Append16(file, 0);
  le::Append32(file, kHeaderAndTable);
  le::Append32(file, 40);
  le::Append32(file, static_cast<uint32_t>(width));
  le::Append32(file, static_cast<uint32_t>(height));
  le::Append16(file, 1);
  le::Append16(file, 8);
  le::Append32(file, kCompressionNone);
  le::Append32(file, 0);  // image size
  le::Append32(file, 0);  // resolutions
  le::Append32(file, 0);
  le::Append32(file, 256);  // colours used
  le::Append32(file, 256);  // important colours
  for (const PaletteEntry& e : palette) {
    file.push_back(e.Blue);
    file.push_back(e.Green);
    file.push_back(e.Red);
    file.push_back(e.Reserved);
  }
  if (!flipRows) {
    file.insert(file.end(), buffer.begin(), buffer.end());
    return true;
  }
  const size_t rowStart = file.size();
  file.resize(rowStart + static_cast<size_t>(pixelBytes), 0);
  for (uint64_t r = 0; r < h; ++r) {
    const uint8_t* src = buffer.data() + (h - 1 - r) * w;
    std::memcpy(file.data() + rowStart + r * stride, src, static_cast<size_t>(w));
  }
  return true;
}

bool WriteBMP(const std::string& filename, std::span<const uint8_t> buffer, const Palette& palette,
              int32_t width, int32_t height, bool flipRows, std::string* error, OutputName name) {
  std::vector<uint8_t> bytes;
  if (!EncodeBMP(buffer, palette, width, height, flipRows, bytes)) {
    if (error) *error = "the image's size does not match its pixels";
    return false;
  }
  AtomicFile file(filename, name);
  if (file.Open() && file.Write(bytes.data(), bytes.size()) && file.Commit()) return true;
  if (error) *error = file.Error();
  return false;
}

}  // namespace quilmark
