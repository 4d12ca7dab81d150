// Reading 8-bit BMP files: their headers and colour table, uncompressed and
// RLE8 rows, and the translation of their colours to the game palette.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "base/LittleEndian.h"
#include "base/FileAccess.h"
#include "document/classGAFFrame.h"
#include "images/FrameImages.h"
#include "images/modBmp.h"

namespace quilmark {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
// The file header, the largest information header and a full colour table:
// all that the layout of a file is judged by.
constexpr size_t kHeadSize = kFileHeaderSize + 124 + 256 * 4;
// An RLE8 stream spends at least two bytes on 255 pixels of a run, but its
// end-of-line, delta and end-of-bitmap codes leave any number of pixels
// unset: a valid image of one run and an end code is four bytes. Images up to
// this many pixels are read whatever their code's size; beyond it, those that
// claim more pixels than 256 per byte of code are taken for damaged rather
// than allocated.
constexpr uint64_t kRlePixelsPerByte = 256;
constexpr uint64_t kRleAllowance = uint64_t{64} << 20;
// Pixel bytes are taken from a file a band of about this size at a time, so
// that the image itself is the only thing of its size that is held.
constexpr size_t kBandBytes = 64 * 1024;

constexpr const char* kDamagedBmp = "a damaged BMP";
constexpr const char* kCutBmp = "a damaged BMP: its pixels are cut short";


bool KnownHeaderSize(uint32_t size) {
  // BITMAPINFOHEADER, its two extended forms with colour masks, V4 and V5.
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// The bytes of a bitmap file, handed out a piece at a time.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // count bytes from offset on, valid until the next call; nullptr when the
  // file does not have them (any more) or they cannot be read.
  virtual const uint8_t* Get(uint64_t offset, size_t count) = 0;
};

class MemoryBytes final : public ByteSource {
 public:
  MemoryBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  const uint8_t* Get(uint64_t offset, size_t count) override {
    return offset <= size_ && count <= size_ - offset ? data_ + offset : nullptr;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

// Pieces are read into one buffer that is not cleared first: every byte of a
// piece handed out was read.
class FileBytes final : public ByteSource {
 public:
  explicit FileBytes(InputFile& file) : file_(file) {}
  const uint8_t* Get(uint64_t offset, size_t count) override {
    if (count > capacity_) {
      buffer_ = std::make_unique_for_overwrite<uint8_t[]>(count);
      capacity_ = count;
    }
    if (file_.ReadAt(buffer_.get(), count, static_cast<int64_t>(offset)) != static_cast<int64_t>(count)) return nullptr;
    return buffer_.get();
  }

 private:
  InputFile& file_;
  std::unique_ptr<uint8_t[]> buffer_;
  size_t capacity_ = 0;
};

// An RLE8 stream read from its start to its end, a band at a time. No code
// is longer than a literal run of 255 bytes with its two-byte head and pad.
class CodeStream {
 public:
  CodeStream(ByteSource& source, uint64_t start, uint64_t size) : source_(source), start_(start), size_(size) {}

  // The next count bytes; nullptr when fewer are left or they cannot be read.
  const uint8_t* Take(size_t count) {
    if (failed_ || count > Left()) return nullptr;
    if (at_ + count > piece_size_) {
      piece_start_ += at_;
      at_ = 0;
      piece_size_ = static_cast<size_t>(std::min<uint64_t>(std::max(kBandBytes, count), Left()));
      piece_ = source_.Get(start_ + piece_start_, piece_size_);
      if (!piece_) {
        failed_ = true;
        return nullptr;
      }
    }
    const uint8_t* bytes = piece_ + at_;
    at_ += count;
    return bytes;
  }
  uint64_t Left() const { return size_ - piece_start_ - at_; }
  // True when every byte was taken and all could be read.
  bool Finished() const { return !failed_ && Left() == 0; }

 private:
  ByteSource& source_;
  uint64_t start_, size_;
  uint64_t piece_start_ = 0;  // of the piece held, from start_
  const uint8_t* piece_ = nullptr;
  size_t piece_size_ = 0, at_ = 0;
  bool failed_ = false;
};

// Decodes an RLE8 stream (rows bottom-up) into the top-down pixels of w × h.
// Codes that would draw outside the image are clipped. A stream may stop
// without its end-of-bitmap code, but not inside a code.
bool DecodeRle8(CodeStream& stream, uint32_t w, uint32_t h, std::vector<uint8_t>& pixels) {
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
  while (const uint8_t* code = stream.Take(2)) {
    const uint8_t n = code[0];
    const uint8_t c = code[1];
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
      case 2: {  // delta
        const uint8_t* d = stream.Take(2);
        if (!d) return false;
        x += d[0];
        y += d[1];
        break;
      }
      default: {  // c literal bytes, padded to an even count
        const uint8_t* bytes = stream.Take(c);
        if (!bytes) return false;
        for (size_t k = 0; k < c; ++k) put(bytes[k], 1);
        // The pad of a stream's last literal may be missing.
        if ((c & 1u) && stream.Left() > 0) stream.Take(1);
        break;
      }
    }
  }
  return stream.Finished();
}

// Where the parts of a checked bitmap lie in its file.
struct Layout {
  BitmapInfo info;
  size_t tableStart = 0;
  size_t entries = 0;    // colour-table entries present in the file
  size_t entrySize = 4;  // 3 in the OS/2 form
  uint64_t pixelOffset = 0;
  uint64_t available = 0;  // bytes from the pixel offset to the end of the file
  size_t width = 0;
  size_t height = 0;
};

// Reads the information header at h (headerRoom bytes there) into info and
// the stored height; false for a form that is not read.
bool ReadInfoHeader(const uint8_t* h, size_t headerRoom, BitmapInfo& info, int64_t& rawHeight, size_t& entrySize) {
  if (headerRoom < 4) return false;
  info.Size = le::U32(h);
  if (info.Size == kCoreHeaderSize) {
    // The OS/2 form: unsigned 16-bit sizes, rows bottom-up and uncompressed,
    // colours of three bytes.
    if (headerRoom < kCoreHeaderSize) return false;
    info.Width = le::U16(h + 4);
    rawHeight = le::U16(h + 6);
    info.Planes = le::U16(h + 8);
    info.BitCount = le::U16(h + 10);
    entrySize = 3;
    return true;
  }
  if (!KnownHeaderSize(info.Size) || info.Size > headerRoom) return false;
  info.Width = le::I32(h + 4);
  rawHeight = le::I32(h + 8);
  info.Planes = le::U16(h + 12);
  info.BitCount = le::U16(h + 14);
  info.Compression = le::U32(h + 16);
  info.SizeImage = le::U32(h + 20);
  info.XPelsPerMeter = le::I32(h + 24);
  info.YPelsPerMeter = le::I32(h + 28);
  info.ClrUsed = le::U32(h + 32);
  info.ClrImportant = le::U32(h + 36);
  entrySize = 4;
  return true;
}

// Checks the headers, the colour table and that the pixels described fit the
// frame limit and the file, from the file's first headSize bytes (all of it,
// or at least kHeadSize) and its size. Nothing is allocated before this holds.
bool CheckLayout(const uint8_t* head, size_t headSize, uint64_t fileSize, Layout& layout, const Refusal& refuse) {
  if (head == nullptr || headSize < 2 || head[0] != 'B' || head[1] != 'M') return refuse("neither a BMP nor a PNG image");
  if (headSize < kFileHeaderSize) return refuse(kDamagedBmp);
  const uint32_t pixelOffset = le::U32(head + 10);
  BitmapInfo info;
  int64_t rawHeight = 0;
  size_t entrySize = 4;
  if (!ReadInfoHeader(head + kFileHeaderSize, headSize - kFileHeaderSize, info, rawHeight, entrySize))
    return refuse(kDamagedBmp);

  if (info.BitCount != 8)
    return refuse(std::string(kBmpLoadError) + " (This one has " + std::to_string(info.BitCount) + " bits per pixel.)");
  if (info.Planes != 1 || info.Width <= 0 || rawHeight == 0) return refuse(kDamagedBmp);
  if (info.Width > kMaxFrameSide || rawHeight < -kMaxFrameSide || rawHeight > kMaxFrameSide)
    return refuse(kSideTooLong);
  info.TopDown = rawHeight < 0;
  info.Height = static_cast<int32_t>(info.TopDown ? -rawHeight : rawHeight);
  if (info.Compression != kCompressionNone && info.Compression != kCompressionRle8)
    return refuse("a BMP compression other than none and RLE8");
  // Compressed rows always run bottom-up.
  if (info.Compression == kCompressionRle8 && info.TopDown) return refuse(kDamagedBmp);

  // The colour table lies between the headers and the pixels.
  const size_t tableStart = kFileHeaderSize + info.Size;
  if (pixelOffset < tableStart || pixelOffset > fileSize) return refuse(kDamagedBmp);
  const size_t room = pixelOffset - tableStart;
  if (info.ClrUsed > 256) return refuse(kDamagedBmp);
  size_t entries = info.ClrUsed != 0 ? info.ClrUsed : 256;
  if (entries * entrySize > room) {
    // A full table is implied but a shorter one was written: take what is there.
    if (info.ClrUsed != 0) return refuse(kDamagedBmp);
    entries = room / entrySize;
  }

  const uint64_t w = static_cast<uint32_t>(info.Width);
  const uint64_t hgt = static_cast<uint32_t>(info.Height);
  const uint64_t available = fileSize - pixelOffset;
  if (info.Compression == kCompressionNone) {
    const uint64_t stride = (w + 3) & ~uint64_t{3};
    // The last row may lack its padding.
    if (stride * (hgt - 1) + w > available) return refuse(kCutBmp);
  } else if (w * hgt > kRleAllowance && (w * hgt - kRleAllowance + kRlePixelsPerByte - 1) / kRlePixelsPerByte > available) {
    return refuse(kCutBmp);
  }

  layout.info = info;
  layout.tableStart = tableStart;
  layout.entries = entries;
  layout.entrySize = entrySize;
  layout.pixelOffset = pixelOffset;
  layout.available = available;
  layout.width = static_cast<size_t>(w);
  layout.height = static_cast<size_t>(hgt);
  return true;
}

Palette ColourTable(const uint8_t* head, const Layout& layout) {
  Palette table{};
  for (size_t i = 0; i < layout.entries; ++i) {
    const uint8_t* e = head + layout.tableStart + i * layout.entrySize;
    table[i].Blue = e[0];
    table[i].Green = e[1];
    table[i].Red = e[2];
    table[i].Reserved = layout.entrySize == 4 ? e[3] : 0;
  }
  return table;
}

// The rows of a checked uncompressed bitmap, top row first and unpadded, into
// pixels (width × height bytes), each index passed through table when given.
// The file's rows are taken in their stored order, a band at a time.
bool CopyRows(const Layout& layout, MappingTable* table, ByteSource& source, uint8_t* pixels) {
  const size_t width = layout.width;
  const size_t height = layout.height;
  const size_t stride = (width + 3) & ~size_t{3};
  const size_t band = std::max<size_t>(1, kBandBytes / stride);
  for (size_t first = 0; first < height; first += band) {
    const size_t rows = std::min(band, height - first);
    // The file's last row may lack its padding.
    const uint8_t* bytes = source.Get(layout.pixelOffset + first * stride, (rows - 1) * stride + width);
    if (!bytes) return false;
    for (size_t k = 0; k < rows; ++k) {
      const size_t stored = first + k;
      uint8_t* dst = pixels + (layout.info.TopDown ? stored : height - 1 - stored) * width;
      if (table) {
        table->Map(bytes + k * stride, dst, width);
      } else {
        std::memcpy(dst, bytes + k * stride, width);
      }
    }
  }
  return true;
}

// The pixels of a checked bitmap, decoded and (with table) translated, into
// out.BMPPixels; out's headers and colour table are not touched. False, with
// out untouched, for damaged or vanished pixel bytes.
bool DecodePixels(const Layout& layout, MappingTable* table, ByteSource& source, LoadedBitmap& out) {
  const size_t count = layout.width * layout.height;
  // RLE8 leaves pixels that no code reaches at index 0.
  std::vector<uint8_t> pixels(count, 0);
  if (layout.info.Compression == kCompressionNone) {
    if (!CopyRows(layout, table, source, pixels.data())) return false;
  } else {
    CodeStream stream(source, layout.pixelOffset, layout.available);
    if (!DecodeRle8(stream, static_cast<uint32_t>(layout.width), static_cast<uint32_t>(layout.height), pixels))
      return false;
    if (table) table->Map(pixels.data(), pixels.data(), count);
  }
  out.BMPPixels = std::move(pixels);
  return true;
}

// A bitmap into out, its indices translated to the game palette in the same
// pass when remap is set (the colour table kept is the bitmap's), and what
// that did weighed.
bool Decode(const uint8_t* head, size_t headSize, uint64_t fileSize, ByteSource& source, bool remap,
            LoadedBitmap& out, const Refusal& refuse) {
  Layout layout;
  if (!CheckLayout(head, headSize, fileSize, layout, refuse)) return false;
  const Palette colours = ColourTable(head, layout);
  std::optional<MappingTable> table;
  if (remap) table.emplace(colours, RemapTable(colours, GamePalette), std::bitset<256>{}, GamePalette);
  try {
    if (!DecodePixels(layout, table ? &*table : nullptr, source, out)) return refuse(kDamagedBmp);
  } catch (const std::bad_alloc&) {
    // An image that the heap cannot hold is refused like an unreadable one.
    return refuse(kOutOfMemory);
  }
  out.BMPInfoHeader = layout.info;
  out.BMPPalette = colours;
  out.Mapping = table ? table->Mapping() : ColourMapping{};
  return true;
}

bool DecodeInMemory(const uint8_t* data, size_t size, bool remap, LoadedBitmap& out, const Refusal& refuse) {
  MemoryBytes source(data, size);
  return Decode(data, std::min(size, kHeadSize), size, source, remap, out, refuse);
}

}  // namespace

std::string ReadFailure(const InputFile& file) {
  return file.Error().empty() ? "cut short while it was read" : "cannot be read: " + file.Error();
}

bool DecodeBMP(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why) {
  return DecodeInMemory(data, size, false, out, Refusal(why));
}

bool ReadBMPFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why) {
  return DecodeInMemory(data, size, true, out, Refusal(why));
}

bool ReadBMP(const std::string& filename, LoadedBitmap& out, std::string* why) {
  InputFile file;
  if (!file.Open(filename)) return Refusal(why)(file.Error());
  return ReadBMP(file, out, why);
}

bool ReadBMP(InputFile& file, LoadedBitmap& out, std::string* why) {
  const Refusal refuse(why);
  if (file.Size() < 0) return refuse(file.Error());
  const uint64_t size = static_cast<uint64_t>(file.Size());
  // The headers alone decide whether the rest is worth reading.
  uint8_t head[kHeadSize];
  const size_t headSize = static_cast<size_t>(std::min<uint64_t>(size, kHeadSize));
  if (file.ReadAt(head, headSize, 0) != static_cast<int64_t>(headSize)) return refuse(ReadFailure(file));
  FileBytes source(file);
  return Decode(head, headSize, size, source, true, out, refuse);
}

}  // namespace quilmark
