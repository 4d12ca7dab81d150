// Reading PNG files. libspng takes the file apart a scanline at a time (one
// pass of an interlaced image after another) in the file's own sample layout;
// each scanline's pixels become indices straight in the image, so that besides
// the image only a scanline and libspng's small buffers are held.
#include <spng.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "base/FileAccess.h"
#include "document/classGAFFrame.h"
#include "images/ColourCache.h"
#include "images/Dither.h"
#include "images/modPng.h"

namespace quilmark {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Deflate packs at most 1032 bytes into one (a 258-byte match in two bits of
// code). An image whose rows need more than that many times the file's size
// cannot be in the file, whatever it claims.
constexpr uint64_t kInflateRatio = 1032;
// What libspng may keep of ancillary chunks (text, colour profiles), unpacked.
constexpr size_t kChunkCacheLimit = size_t{64} << 20;
constexpr const char* kDamagedPng = "a damaged PNG";

// Where each pass of the Adam7 interlace starts in a row, and its step.
constexpr uint32_t kPassStartX[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr uint32_t kPassStepX[7] = {8, 8, 4, 4, 2, 2, 1};

struct ContextFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};
using Context = std::unique_ptr<spng_ctx, ContextFree>;

unsigned Channels(uint8_t colourType) {
  switch (colourType) {
    case SPNG_COLOR_TYPE_TRUECOLOR:
      return 3;
    case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
      return 2;
    case SPNG_COLOR_TYPE_TRUECOLOR_ALPHA:
      return 4;
    default:  // grey, indexed
      return 1;
  }
}

// Turns the pixels of one scanline, in the file's own sample layout (samples
// of less than 8 bits packed from the high bit down, 16-bit ones big-endian),
// into indices, or (for dithering) into colours; and weighs what the mapping
// does (Mapping): palettised and grey pixels through a MappingTable of their
// samples (or grey levels), truecolour ones in the cache of their colours.
class PixelMapper {
 public:
  // mapped: a palettised file's indices go through table (to game colours),
  // else they stay the file's own.
  PixelMapper(const spng_ihdr& ihdr, const Palette& own, const std::bitset<256>& transparent, const spng_trns* trns,
              bool mapped)
      : type_(ihdr.color_type), depth_(ihdr.bit_depth), bytes_(ihdr.bit_depth == 16 ? 2 : 1), mapped_(mapped) {
    if (type_ == SPNG_COLOR_TYPE_INDEXED) {
      const std::array<uint8_t, 256> remap = RemapTable(own, GamePalette);
      for (size_t i = 0; i < 256; ++i)
        table_[i] = !mapped ? static_cast<uint8_t>(i) : transparent[i] ? TransparentIndex : remap[i];
      weigh_.emplace(own, table_, transparent, GamePalette);
      return;
    }
    Palette levels{};
    if (type_ == SPNG_COLOR_TYPE_GRAYSCALE || type_ == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA) {
      // An opaque grey never becomes the transparent index.
      for (size_t v = 0; v < 256; ++v) {
        grey_[v] = NearestOpaqueColour(Grey(v), GamePalette);
        levels[v] = Grey(v);
      }
    }
    if (trns && type_ == SPNG_COLOR_TYPE_GRAYSCALE) {
      hasKey_ = true;
      key_ = trns->gray;
    } else if (trns && type_ == SPNG_COLOR_TYPE_TRUECOLOR) {
      hasKey_ = true;
      key_ = uint64_t{trns->red} << 32 | uint64_t{trns->green} << 16 | trns->blue;
    }
    if (type_ == SPNG_COLOR_TYPE_GRAYSCALE && depth_ <= 8) {
      // Every sample value has its index in the table, the key among them.
      const unsigned top = (1u << depth_) - 1;
      Palette samples{};
      std::bitset<256> key;
      for (unsigned s = 0; s <= top; ++s) {
        table_[s] = hasKey_ && s == key_ ? TransparentIndex : grey_[s * 255 / top];
        samples[s] = Grey(s * 255 / top);
      }
      // Grey of up to 8 bits is mapped by its samples, the key among them.
      if (hasKey_ && key_ <= top) key[key_] = true;
      weigh_.emplace(samples, table_, key, GamePalette);
    } else if (type_ == SPNG_COLOR_TYPE_GRAYSCALE || type_ == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA) {
      // Deeper grey, and grey with alpha, by the high byte of its samples.
      weigh_.emplace(levels, grey_, std::bitset<256>{}, GamePalette);
    }
    if (type_ == SPNG_COLOR_TYPE_TRUECOLOR || type_ == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA)
      cache_ = std::make_unique<ColourCache>(GamePalette);
  }

  // count pixels of line into out, step bytes apart.
  void Map(const uint8_t* line, size_t count, uint8_t* out, size_t step) {
    switch (type_) {
      case SPNG_COLOR_TYPE_INDEXED:
      case SPNG_COLOR_TYPE_GRAYSCALE:
        if (depth_ == 16) {
          for (size_t i = 0; i < count; ++i, line += 2) {
            if (hasKey_ && Sample16(line) == key_) {
              out[i * step] = TransparentIndex;
            } else {
              out[i * step] = weigh_->MapOne(line[0]);
            }
          }
        } else if (depth_ == 8 && step == 1) {
          weigh_->Map(line, out, count);
        } else if (depth_ == 8) {
          for (size_t i = 0; i < count; ++i) out[i * step] = weigh_->MapOne(line[i]);
        } else {
          for (size_t i = 0; i < count; ++i) out[i * step] = weigh_->MapOne(Packed(line, i));
        }
        break;
      case SPNG_COLOR_TYPE_GRAYSCALE_ALPHA:
        for (size_t i = 0; i < count; ++i, line += 2 * bytes_) {
          if (line[bytes_] < 128) {
            out[i * step] = TransparentIndex;
          } else {
            out[i * step] = weigh_->MapOne(line[0]);
          }
        }
        break;
      default:  // truecolour, with or without alpha
        MapColours(line, count, out, step);
        break;
    }
  }

  // count pixels of a grey or truecolour line into out, step apart, as
  // colours for DitherToGame: 0xRRGGBB, or kClearPixel where the file makes
  // the pixel transparent.
  void Colours(const uint8_t* line, size_t count, uint32_t* out, size_t step) const {
    for (size_t i = 0; i < count; ++i) out[i * step] = Colour(line, i);
  }

  // What the pixels mapped so far became.
  ColourMapping Mapping() const {
    if (cache_) return cache_->Mapping();
    if (type_ == SPNG_COLOR_TYPE_INDEXED && !mapped_) return {};
    return weigh_->Mapping();
  }

 private:
  static uint32_t Sample16(const uint8_t* p) { return uint32_t{p[0]} << 8 | p[1]; }
  static PaletteEntry Grey(size_t level) { return {uint8_t(level), uint8_t(level), uint8_t(level), 0}; }
  static uint32_t GreyColour(uint8_t level) { return uint32_t{level} * 0x010101u; }
  // The i-th sample of a line of samples of fewer than 8 bits.
  uint8_t Packed(const uint8_t* line, size_t i) const {
    const size_t bit = i * depth_;
    return static_cast<uint8_t>((line[bit >> 3] >> (8 - depth_ - (bit & 7))) & ((1u << depth_) - 1));
  }
  // A truecolour pixel's samples as the file stores them, to compare with the key.
  template <size_t Bytes>
  static uint64_t Stored(const uint8_t* p) {
    return Bytes == 2 ? uint64_t{Sample16(p)} << 32 | uint64_t{Sample16(p + 2)} << 16 | Sample16(p + 4)
                      : uint64_t{p[0]} << 32 | uint64_t{p[1]} << 16 | p[2];
  }

  uint32_t Colour(const uint8_t* line, size_t i) const {
    if (type_ == SPNG_COLOR_TYPE_GRAYSCALE) {
      if (depth_ == 16) {
        const uint8_t* p = line + 2 * i;
        return hasKey_ && Sample16(p) == key_ ? kClearPixel : GreyColour(p[0]);
      }
      const unsigned sample = depth_ == 8 ? line[i] : Packed(line, i);
      return hasKey_ && sample == key_ ? kClearPixel : GreyColour(uint8_t(sample * 255 / ((1u << depth_) - 1)));
    }
    if (type_ == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA) {
      const uint8_t* p = line + 2 * bytes_ * i;
      return p[bytes_] < 128 ? kClearPixel : GreyColour(p[0]);
    }
    const bool alpha = type_ == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    const uint8_t* p = line + (alpha ? 4 : 3) * bytes_ * i;
    if (alpha && p[3 * bytes_] < 128) return kClearPixel;
    if (hasKey_ && (bytes_ == 2 ? Stored<2>(p) : Stored<1>(p)) == key_) return kClearPixel;
    return uint32_t{p[0]} << 16 | uint32_t{p[bytes_]} << 8 | p[2 * bytes_];
  }

  // Bytes is the size of a sample; alpha and key say what makes a pixel
  // transparent (the checks are left out of the loop where a file has none).
  template <size_t Bytes, bool Alpha, bool Key>
  void MapColoursOf(const uint8_t* line, size_t count, uint8_t* out, size_t step) {
    constexpr size_t kPixelBytes = (Alpha ? 4 : 3) * Bytes;
    ColourCache& cache = *cache_;
    const uint64_t key = key_;
    for (size_t i = 0; i < count; ++i, line += kPixelBytes) {
      uint8_t index;
      if (Alpha && line[3 * Bytes] < 128) {
        index = TransparentIndex;
      } else if (Key && Stored<Bytes>(line) == key) {
        index = TransparentIndex;
      } else {
        index = cache.Index(uint32_t{line[0]} << 16 | uint32_t{line[Bytes]} << 8 | line[2 * Bytes]);
      }
      out[i * step] = index;
    }
  }

  void MapColours(const uint8_t* line, size_t count, uint8_t* out, size_t step) {
    const bool alpha = type_ == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
    if (bytes_ == 1) {
      if (alpha) return MapColoursOf<1, true, false>(line, count, out, step);
      if (hasKey_) return MapColoursOf<1, false, true>(line, count, out, step);
      return MapColoursOf<1, false, false>(line, count, out, step);
    }
    if (alpha) return MapColoursOf<2, true, false>(line, count, out, step);
    if (hasKey_) return MapColoursOf<2, false, true>(line, count, out, step);
    MapColoursOf<2, false, false>(line, count, out, step);
  }

  uint8_t type_, depth_;
  size_t bytes_;  // per sample, for depths of 8 and 16
  bool mapped_;
  std::array<uint8_t, 256> table_{};  // indexed, and grey of up to 8 bits: sample → index
  std::array<uint8_t, 256> grey_{};   // grey level → game index
  bool hasKey_ = false;
  uint64_t key_ = 0;  // the tRNS colour, its samples as the file stores them
  std::unique_ptr<ColourCache> cache_;
  // Indexed and grey pixels: the mapping of their samples (or grey levels),
  // weighed.
  std::optional<MappingTable> weigh_;
};

// Whether each of count indices of depth bits, packed in line as a PNG packs
// them, names one of entries colours.
bool IndicesBelow(const uint8_t* line, size_t count, unsigned depth, size_t entries) {
  if (entries >= (size_t{1} << depth)) return true;
  if (depth == 8) return std::all_of(line, line + count, [&](uint8_t v) { return v < entries; });
  const unsigned perByte = 8 / depth, mask = (1u << depth) - 1;
  for (size_t i = 0; i < count; ++i)
    if ((line[i / perByte] >> (8 - depth * (i % perByte + 1)) & mask) >= entries) return false;
  return true;
}

// libspng drops a transparency table longer than the colour table without a
// word, and such a file is damaged. The chunks before the image data are
// walked by their heads, read(at, head) reading each head's 8 bytes: false
// when a tRNS chunk has more entries than the PLTE chunk before it colours.
// Files of very many chunks are walked only in part.
template <class ReadHead>
bool TransparencyFitsTable(uint64_t size, ReadHead read) {
  constexpr int kChunksWalked = 4096;
  uint64_t at = sizeof kSignature, colours = 0;
  uint8_t head[8];
  for (int chunk = 0; chunk < kChunksWalked && at + sizeof head <= size && read(at, head); ++chunk) {
    const uint64_t length = uint64_t{head[0]} << 24 | uint64_t{head[1]} << 16 | uint64_t{head[2]} << 8 | head[3];
    const auto is = [&](const char* type) { return std::memcmp(head + 4, type, 4) == 0; };
    if (is("IDAT") || is("IEND")) break;
    if (is("PLTE")) colours = length / 3;
    if (is("tRNS") && length > colours) return false;
    at += 12 + length;
  }
  return true;
}

// Decodes the PNG that ctx reads (fileSize bytes long) into out; see DecodePNG.
// With ColourMatch::Dither a grey or truecolour image is taken in as colours
// first and then dithered whole (an interlaced file gives its rows out of
// order).
bool Decode(spng_ctx* ctx, uint64_t fileSize, bool mapped, ColourMatch match, bool transparencyFits,
            LoadedBitmap& out, const Refusal& refuse) {
  if (spng_set_image_limits(ctx, kMaxFrameSide, kMaxFrameSide) != 0) return refuse(kDamagedPng);
  const uint64_t chunkLimit = std::min<uint64_t>(fileSize, std::numeric_limits<int32_t>::max());
  if (spng_set_chunk_limits(ctx, static_cast<size_t>(chunkLimit), kChunkCacheLimit) != 0) return refuse(kDamagedPng);
  spng_ihdr ihdr{};
  // libspng refuses sides beyond the limits set; they are named as such.
  if (const int status = spng_get_ihdr(ctx, &ihdr); status != 0)
    return refuse(status == SPNG_EWIDTH || status == SPNG_EHEIGHT || status == SPNG_EUSER_WIDTH ||
                          status == SPNG_EUSER_HEIGHT
                      ? kSideTooLong
                      : kDamagedPng);
  const uint64_t width = ihdr.width, height = ihdr.height;
  const unsigned bits = Channels(ihdr.color_type) * ihdr.bit_depth;
  const uint64_t lineBytes = (width * bits + 7) / 8;
  if (width > uint64_t{kMaxFrameSide} || height > uint64_t{kMaxFrameSide}) return refuse(kSideTooLong);
  if (width == 0 || height == 0 || height * lineBytes > kInflateRatio * fileSize) return refuse(kDamagedPng);
  if (spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RAW, SPNG_DECODE_PROGRESSIVE) != 0) return refuse(kDamagedPng);

  const bool indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
  size_t entries = 256;
  Palette own{};
  std::bitset<256> transparent;
  spng_trns trns{};
  const bool hasTrns = spng_get_trns(ctx, &trns) == 0;
  if (indexed) {
    spng_plte plte{};
    if (spng_get_plte(ctx, &plte) != 0) return refuse(kDamagedPng);
    if (!transparencyFits || (hasTrns && trns.n_type3_entries > plte.n_entries)) return refuse(kDamagedPng);
    entries = plte.n_entries;
    for (size_t i = 0; i < std::min<size_t>(plte.n_entries, 256); ++i)
      own[i] = {plte.entries[i].blue, plte.entries[i].green, plte.entries[i].red, 0};
    if (hasTrns)
      for (size_t i = 0; i < std::min<size_t>(trns.n_type3_entries, 256); ++i) transparent[i] = trns.type3_alpha[i] < 128;
  }

  const bool interlaced = ihdr.interlace_method == SPNG_INTERLACE_ADAM7;
  const bool dither = match == ColourMatch::Dither && !indexed;
  try {
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height));
    std::vector<uint32_t> colours(dither ? static_cast<size_t>(width * height) : 0);
    std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
    PixelMapper mapper(ihdr, own, transparent, hasTrns ? &trns : nullptr, mapped);
    for (;;) {
      spng_row_info row{};
      if (spng_get_row_info(ctx, &row) != 0) return refuse(kDamagedPng);
      const int status = spng_decode_scanline(ctx, line.data(), line.size());
      if (status != 0 && status != SPNG_EOI) return refuse(kDamagedPng);
      const size_t pass = interlaced ? static_cast<size_t>(row.pass) : 0;
      if (pass > 6 || row.row_num >= height) return refuse(kDamagedPng);
      const size_t start = interlaced ? kPassStartX[pass] : 0;
      const size_t step = interlaced ? kPassStepX[pass] : 1;
      if (start < width) {
        const size_t count = (static_cast<size_t>(width) - start + step - 1) / step;
        // An index past the colour table is a damaged file.
        if (indexed && !IndicesBelow(line.data(), count, ihdr.bit_depth, entries)) return refuse(kDamagedPng);
        const size_t first = static_cast<size_t>(row.row_num * width + start);
        if (dither) {
          mapper.Colours(line.data(), count, colours.data() + first, step);
        } else {
          mapper.Map(line.data(), count, pixels.data() + first, step);
        }
      }
      if (status == SPNG_EOI) break;
    }
    // The chunks after the image, up to the end chunk, are checked too.
    if (spng_decode_chunks(ctx) != 0) return refuse(kDamagedPng);
    LoadedBitmap result;
    result.Mapping = dither ? DitherToGame(colours.data(), static_cast<size_t>(width), static_cast<size_t>(height),
                                           GamePalette, pixels.data())
                            : mapper.Mapping();
    result.BMPInfoHeader.Width = static_cast<int32_t>(width);
    result.BMPInfoHeader.Height = static_cast<int32_t>(height);
    result.BMPInfoHeader.Planes = 1;
    result.BMPInfoHeader.BitCount = static_cast<uint16_t>(bits);
    result.BMPInfoHeader.TopDown = true;
    result.BMPPixels = std::move(pixels);
    result.BMPPalette = indexed ? own : GamePalette;
    result.OwnColourTable = indexed;
    result.TransparentEntries = transparent;
    out = std::move(result);
    return true;
  } catch (const std::bad_alloc&) {
    // An image that the heap cannot hold is refused like an unreadable one.
    return refuse(kOutOfMemory);
  }
}

bool DecodeInMemory(const uint8_t* data, size_t size, bool mapped, ColourMatch match, LoadedBitmap& out,
                    const Refusal& refuse) {
  if (!IsPNG(data, size)) return refuse("not a PNG image");
  Context ctx(spng_ctx_new(0));
  if (!ctx || spng_set_png_buffer(ctx.get(), data, size) != 0) return refuse(kOutOfMemory);
  const bool fits = TransparencyFitsTable(size, [&](uint64_t at, uint8_t* head) {
    std::memcpy(head, data + at, 8);
    return true;
  });
  return Decode(ctx.get(), size, mapped, match, fits, out, refuse);
}

// libspng's reader over an open file: the bytes asked for, from where the
// last read ended. libspng asks for a few kilobytes at a time at most, a
// chunk's head, its data and its checksum apart; they are taken from the file
// kReadAhead bytes at a time.
class FileStream {
 public:
  static constexpr size_t kReadAhead = 64 * 1024;

  explicit FileStream(InputFile& file) : file_(file), buffer_(new (std::nothrow) uint8_t[kReadAhead]) {}
  bool ok() const { return buffer_ != nullptr; }

  static int Read(spng_ctx*, void* user, void* dst, size_t length) {
    return static_cast<FileStream*>(user)->Read(static_cast<uint8_t*>(dst), length);
  }

 private:
  int Read(uint8_t* dst, size_t length) {
    while (length > 0) {
      if (at_ >= start_ && at_ < start_ + held_) {
        const size_t n = std::min<uint64_t>(length, start_ + held_ - at_);
        std::memcpy(dst, buffer_.get() + (at_ - start_), n);
        dst += n, at_ += n, length -= n;
      } else {
        const int64_t n = file_.ReadAt(buffer_.get(), kReadAhead, static_cast<int64_t>(at_));
        if (n < 0) return SPNG_IO_ERROR;
        if (n == 0) return SPNG_IO_EOF;
        start_ = at_;
        held_ = static_cast<size_t>(n);
      }
    }
    return 0;
  }

  InputFile& file_;
  std::unique_ptr<uint8_t[]> buffer_;
  uint64_t at_ = 0;     // where the next read starts
  uint64_t start_ = 0;  // where the bytes held start, and how many
  size_t held_ = 0;
};

}  // namespace

bool IsPNG(const uint8_t* data, size_t size) {
  return data != nullptr && size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

bool DecodePNG(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why) {
  return DecodeInMemory(data, size, false, ColourMatch::Nearest, out, Refusal(why));
}

bool ReadPNGFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why, ColourMatch match) {
  return DecodeInMemory(data, size, true, match, out, Refusal(why));
}

bool ReadPNG(const std::string& filename, LoadedBitmap& out, std::string* why, ColourMatch match) {
  InputFile file;
  if (!file.Open(filename)) return Refusal(why)(file.Error());
  return ReadPNG(file, out, why, match);
}

bool ReadPNG(InputFile& file, LoadedBitmap& out, std::string* why, ColourMatch match) {
  const Refusal refuse(why);
  if (file.Size() < 0) return refuse(file.Error());
  uint8_t head[sizeof kSignature];
  const int64_t got = file.ReadAt(head, sizeof head, 0);
  if (got < 0) return refuse(ReadFailure(file));
  if (got != static_cast<int64_t>(sizeof head) || !IsPNG(head, sizeof head)) return refuse("not a PNG image");
  Context ctx(spng_ctx_new(0));
  FileStream stream(file);
  if (!ctx || !stream.ok() || spng_set_png_stream(ctx.get(), FileStream::Read, &stream) != 0)
    return refuse(kOutOfMemory);
  const uint64_t size = static_cast<uint64_t>(file.Size());
  const bool fits = TransparencyFitsTable(size, [&](uint64_t at, uint8_t* head) {
    return file.ReadAt(head, 8, static_cast<int64_t>(at)) == 8;
  });
  return Decode(ctx.get(), size, true, match, fits, out, refuse);
}

}  // namespace quilmark
