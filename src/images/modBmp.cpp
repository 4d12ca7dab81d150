#include "images/modBmp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "document/AtomicFile.h"

namespace quilmark {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kHeaderAndTable = 14 + 40 + 256 * 4;  // 1078
// An RLE8 stream spends at least two bytes on 255 pixels of a run; end-of-line,
// delta and end-of-bitmap codes can skip further. Images that claim more pixels
// than 256 per byte of code are taken for damaged rather than allocated.
constexpr uint64_t kRlePixelsPerByte = 256;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

void Put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

bool KnownHeaderSize(uint32_t size) {
  // BITMAPINFOHEADER, its two extended forms with colour masks, V4 and V5.
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Decodes an RLE8 stream (rows bottom-up) into the top-down pixels of w × h.
// Codes that would draw outside the image are clipped; a stream cut short
// before its end-of-bitmap code is damaged.
bool DecodeRle8(const uint8_t* data, size_t size, uint32_t w, uint32_t h, std::vector<uint8_t>& pixels) {
  size_t pos = 0;
  uint64_t x = 0, y = 0;
  auto put = [&](uint8_t value, size_t count) {
    if (y >= h || x >= w) {
      x += count;
      return;
    }
    const size_t room = static_cast<size_t>(std::min<uint64_t>(count, w - x));
    uint8_t* row = pixels.data() + static_cast<size_t>(h - 1 - y) * w;
    std::memset(row + x, value, room);
    x += count;
  };
  while (pos + 2 <= size) {
    const uint8_t n = data[pos];
    const uint8_t c = data[pos + 1];
    pos += 2;
    if (n > 0) {
      put(c, n);
      continue;
    }
    switch (c) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // delta
        if (pos + 2 > size) return false;
        x += data[pos];
        y += data[pos + 1];
        pos += 2;
        break;
      default: {  // c literal bytes, padded to an even count
        if (pos + c > size) return false;
        for (size_t k = 0; k < c; ++k) put(data[pos + k], 1);
        pos += c + (c & 1u);
        break;
      }
    }
  }
  return false;
}

// Where the parts of a checked bitmap lie in its file.
struct Layout {
  BitmapInfo info;
  size_t tableStart = 0;
  size_t entries = 0;  // colour-table entries present in the file
  const uint8_t* bits = nullptr;
  size_t available = 0;  // bytes from the pixel offset to the end of the file
  size_t width = 0;
  size_t height = 0;
};

// Checks the headers, the colour table and that the pixels described fit the
// file. Nothing past this can fail for an uncompressed bitmap.
bool CheckLayout(const uint8_t* data, size_t size, Layout& layout) {
  if (data == nullptr || size < kFileHeaderSize + 40) return false;
  if (data[0] != 'B' || data[1] != 'M') return false;
  const uint32_t pixelOffset = U32(data + 10);
  BitmapInfo info;
  const uint8_t* h = data + kFileHeaderSize;
  info.Size = U32(h);
  if (!KnownHeaderSize(info.Size) || kFileHeaderSize + info.Size > size) return false;
  info.Width = I32(h + 4);
  const int32_t rawHeight = I32(h + 8);
  info.Planes = U16(h + 12);
  info.BitCount = U16(h + 14);
  info.Compression = U32(h + 16);
  info.SizeImage = U32(h + 20);
  info.XPelsPerMeter = I32(h + 24);
  info.YPelsPerMeter = I32(h + 28);
  info.ClrUsed = U32(h + 32);
  info.ClrImportant = U32(h + 36);

  if (info.BitCount != 8 || info.Planes != 1) return false;
  if (info.Width <= 0 || rawHeight == 0 || rawHeight == std::numeric_limits<int32_t>::min()) return false;
  info.TopDown = rawHeight < 0;
  info.Height = info.TopDown ? -rawHeight : rawHeight;
  if (info.Compression != kCompressionNone && info.Compression != kCompressionRle8) return false;
  // Compressed rows always run bottom-up.
  if (info.Compression == kCompressionRle8 && info.TopDown) return false;

  // The colour table lies between the headers and the pixels.
  const size_t tableStart = kFileHeaderSize + info.Size;
  if (pixelOffset < tableStart || pixelOffset > size) return false;
  const size_t room = pixelOffset - tableStart;
  if (info.ClrUsed > 256) return false;
  size_t entries = info.ClrUsed != 0 ? info.ClrUsed : 256;
  if (entries * 4 > room) {
    // A full table is implied but a shorter one was written: take what is there.
    if (info.ClrUsed != 0) return false;
    entries = room / 4;
  }

  const uint64_t w = static_cast<uint32_t>(info.Width);
  const uint64_t hgt = static_cast<uint32_t>(info.Height);
  const uint64_t count = w * hgt;
  const size_t available = size - pixelOffset;
  if (info.Compression == kCompressionNone) {
    const uint64_t stride = (w + 3) & ~uint64_t{3};
    // The last row may lack its padding.
    if (stride * (hgt - 1) + w > available) return false;
  } else {
    if (count > static_cast<uint64_t>(available) * kRlePixelsPerByte) return false;
  }
  if (count > std::numeric_limits<size_t>::max() / 2) return false;

  layout.info = info;
  layout.tableStart = tableStart;
  layout.entries = entries;
  layout.bits = data + pixelOffset;
  layout.available = available;
  layout.width = static_cast<size_t>(w);
  layout.height = static_cast<size_t>(hgt);
  return true;
}

Palette ColourTable(const uint8_t* data, const Layout& layout) {
  Palette table{};
  const uint8_t* t = data + layout.tableStart;
  for (size_t i = 0; i < layout.entries; ++i) {
    table[i].Blue = t[4 * i];
    table[i].Green = t[4 * i + 1];
    table[i].Red = t[4 * i + 2];
    table[i].Reserved = t[4 * i + 3];
  }
  return table;
}

// to[i] = table[from[i]] for count bytes, eight at a time; from and to may be
// the same buffer.
void MapIndices(const uint8_t* from, uint8_t* to, size_t count, const uint8_t* table) {
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t v;
    std::memcpy(&v, from + i, 8);
    const uint64_t r = static_cast<uint64_t>(table[v & 0xFF]) | static_cast<uint64_t>(table[(v >> 8) & 0xFF]) << 8 |
                       static_cast<uint64_t>(table[(v >> 16) & 0xFF]) << 16 |
                       static_cast<uint64_t>(table[(v >> 24) & 0xFF]) << 24 |
                       static_cast<uint64_t>(table[(v >> 32) & 0xFF]) << 32 |
                       static_cast<uint64_t>(table[(v >> 40) & 0xFF]) << 40 |
                       static_cast<uint64_t>(table[(v >> 48) & 0xFF]) << 48 |
                       static_cast<uint64_t>(table[v >> 56]) << 56;
    std::memcpy(to + i, &r, 8);
  }
  for (; i < count; ++i) to[i] = table[from[i]];
}

// The rows of a checked uncompressed bitmap, top row first and unpadded, into
// pixels (width × height bytes), each index passed through table when given.
void CopyRows(const Layout& layout, const uint8_t* table, uint8_t* pixels) {
  const size_t stride = (layout.width + 3) & ~size_t{3};
  const size_t width = layout.width;
  const size_t height = layout.height;
  for (size_t r = 0; r < height; ++r) {
    const uint8_t* src = layout.bits + (layout.info.TopDown ? r : height - 1 - r) * stride;
    uint8_t* dst = pixels + r * width;
    if (table) {
      MapIndices(src, dst, width, table);
    } else {
      std::memcpy(dst, src, width);
    }
  }
}

// The pixels of a checked bitmap, decoded and (with table) translated, into
// out.BMPPixels; out's headers and colour table are not touched. False, with
// out untouched, for a damaged RLE8 stream.
bool DecodePixels(const Layout& layout, const uint8_t* table, LoadedBitmap& out) {
  const size_t count = layout.width * layout.height;
  // RLE8 leaves pixels that no code reaches at index 0.
  std::vector<uint8_t> pixels(count, 0);
  if (layout.info.Compression == kCompressionNone) {
    CopyRows(layout, table, pixels.data());
  } else if (DecodeRle8(layout.bits, layout.available, static_cast<uint32_t>(layout.width),
                        static_cast<uint32_t>(layout.height), pixels)) {
    if (table) MapIndices(pixels.data(), pixels.data(), count, table);
  } else {
    return false;
  }
  out.BMPPixels = std::move(pixels);
  return true;
}

// A checked bitmap into out, its indices translated to the game palette in the
// same pass when remap is set (the colour table kept is the bitmap's).
bool Decode(const uint8_t* data, size_t size, bool remap, LoadedBitmap& out);

}  // namespace

bool DecodeBMP(const uint8_t* data, size_t size, LoadedBitmap& out) { return Decode(data, size, false, out); }

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

void RemapToGamePalette(LoadedBitmap& bitmap, const Palette& gameColours) {
  const std::array<uint8_t, 256> table = RemapTable(bitmap.BMPPalette, gameColours);
  MapIndices(bitmap.BMPPixels.data(), bitmap.BMPPixels.data(), bitmap.BMPPixels.size(), table.data());
}

bool ReadBMPFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out) { return Decode(data, size, true, out); }

namespace {

bool Decode(const uint8_t* data, size_t size, bool remap, LoadedBitmap& out) {
  Layout layout;
  if (!CheckLayout(data, size, layout)) return false;
  const Palette colours = ColourTable(data, layout);
  std::array<uint8_t, 256> table{};
  if (remap) table = RemapTable(colours, GamePalette);
  if (!DecodePixels(layout, remap ? table.data() : nullptr, out)) return false;
  out.BMPInfoHeader = layout.info;
  out.BMPPalette = colours;
  return true;
}

}  // namespace

bool ReadBMP(const std::string& filename, LoadedBitmap& out) {
  const int fd = ::open(filename.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      static_cast<uint64_t>(st.st_size) > std::numeric_limits<size_t>::max()) {
    ::close(fd);
    return false;
  }
  // The whole file in one buffer, read straight in (not cleared first).
  const size_t size = static_cast<size_t>(st.st_size);
  const std::unique_ptr<uint8_t[]> bytes = std::make_unique_for_overwrite<uint8_t[]>(size);
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, bytes.get() + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got != size) return false;
  return ReadBMPFromMemory(bytes.get(), size, out);
}

bool EncodeBMP(const std::vector<uint8_t>& buffer, const Palette& palette, int32_t width, int32_t height,
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
  Put32(file, static_cast<uint32_t>(kHeaderAndTable + pixelBytes));
  Put16(file, 0);
  Put16(file, 0);
  Put32(file, kHeaderAndTable);
  Put32(file, 40);
  Put32(file, static_cast<uint32_t>(width));
  Put32(file, static_cast<uint32_t>(height));
  Put16(file, 1);
  Put16(file, 8);
  Put32(file, kCompressionNone);
  Put32(file, 0);  // image size
  Put32(file, 0);  // resolutions
  Put32(file, 0);
  Put32(file, 256);  // colours used
  Put32(file, 256);  // important colours
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

bool WriteBMP(const std::string& filename, const std::vector<uint8_t>& buffer, const Palette& palette,
              int32_t width, int32_t height, bool flipRows, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!EncodeBMP(buffer, palette, width, height, flipRows, bytes)) {
    if (error) *error = "the image's size does not match its pixels";
    return false;
  }
  AtomicFile file(filename);
  if (file.Open() && file.Write(bytes.data(), bytes.size()) && file.Commit()) return true;
  if (error) *error = file.Error();
  return false;
}

}  // namespace quilmark
