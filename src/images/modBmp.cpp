#include "images/modBmp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

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

}  // namespace

bool DecodeBMP(const uint8_t* data, size_t size, LoadedBitmap& out) {
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
  const uint8_t* bits = data + pixelOffset;
  if (info.Compression == kCompressionNone) {
    const uint64_t stride = (w + 3) & ~uint64_t{3};
    // The last row may lack its padding.
    if (stride * (hgt - 1) + w > available) return false;
  } else {
    if (count > static_cast<uint64_t>(available) * kRlePixelsPerByte) return false;
  }
  if (count > std::numeric_limits<size_t>::max() / 2) return false;

  std::vector<uint8_t> pixels;
  pixels.assign(static_cast<size_t>(count), 0);
  if (info.Compression == kCompressionNone) {
    const size_t stride = static_cast<size_t>((w + 3) & ~uint64_t{3});
    const size_t width = static_cast<size_t>(w);
    const size_t height = static_cast<size_t>(hgt);
    for (size_t r = 0; r < height; ++r) {
      const size_t src = info.TopDown ? r : height - 1 - r;
      std::memcpy(pixels.data() + r * width, bits + src * stride, width);
    }
  } else if (!DecodeRle8(bits, available, static_cast<uint32_t>(w), static_cast<uint32_t>(hgt), pixels)) {
    return false;
  }

  Palette table{};
  const uint8_t* t = data + tableStart;
  for (size_t i = 0; i < entries; ++i) {
    table[i].Blue = t[4 * i];
    table[i].Green = t[4 * i + 1];
    table[i].Red = t[4 * i + 2];
    table[i].Reserved = t[4 * i + 3];
  }

  out.BMPInfoHeader = info;
  out.BMPPixels = std::move(pixels);
  out.BMPPalette = table;
  return true;
}

std::array<uint8_t, 256> RemapTable(const Palette& bitmapColours, const Palette& gameColours) {
  std::array<uint8_t, 256> table{};
  for (size_t c = 0; c < 256; ++c) {
    const PaletteEntry& from = bitmapColours[c];
    int best = 255;
    int bestDistance = 765;
    for (int g = 0; g < 256; ++g) {
      const PaletteEntry& to = gameColours[static_cast<size_t>(g)];
      const int d = std::abs(from.Red - to.Red) + std::abs(from.Green - to.Green) + std::abs(from.Blue - to.Blue);
      if (d < bestDistance) {
        best = g;
        bestDistance = d;
      }
    }
    table[c] = static_cast<uint8_t>(best);
  }
  return table;
}

void RemapToGamePalette(LoadedBitmap& bitmap, const Palette& gameColours) {
  const std::array<uint8_t, 256> table = RemapTable(bitmap.BMPPalette, gameColours);
  for (uint8_t& p : bitmap.BMPPixels) p = table[p];
}

bool ReadBMPFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out) {
  LoadedBitmap bitmap;
  if (!DecodeBMP(data, size, bitmap)) return false;
  RemapToGamePalette(bitmap);
  out = std::move(bitmap);
  return true;
}

bool ReadBMP(const std::string& filename, LoadedBitmap& out) {
  const int fd = ::open(filename.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    ::close(fd);
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got != bytes.size()) return false;
  return ReadBMPFromMemory(bytes.data(), bytes.size(), out);
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
