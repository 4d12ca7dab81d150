#include "archive/HpiChunk.h"

#include <algorithm>
#include <cstring>

#include "base/LittleEndian.h"

namespace quilmark::hpi {

namespace {

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

constexpr size_t kWindowSize = 4096;

}  // namespace

uint64_t MostDecodedBytes(uint8_t compression, uint64_t payload_size) {
  switch (compression) {
    case kStored:
      return payload_size;
    case kLz77:
      return kLz77MostPerByte * payload_size;
    case kZlib:
      return kZlibMostPerByte * payload_size;
    default:
      return 0;
  }
}

void Crypt(uint32_t key, uint64_t position, uint8_t* data, size_t size) {
  if (key == 0) return;
  const uint8_t k = static_cast<uint8_t>(key);
  const uint8_t t = static_cast<uint8_t>((k << 2) | (k >> 6));
  size_t i = 0;
  if (position < kHeaderSize) i = static_cast<size_t>(std::min<uint64_t>(kHeaderSize - position, size));
  for (; i < size; ++i) data[i] ^= static_cast<uint8_t>((position + i) & 0xFF) ^ t;
}

void Unobfuscate(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t n = static_cast<uint8_t>(i);
    data[i] = static_cast<uint8_t>(static_cast<uint8_t>(data[i] - n) ^ n);
  }
}

void Obfuscate(uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const uint8_t n = static_cast<uint8_t>(i);
    data[i] = static_cast<uint8_t>((data[i] ^ n) + n);
  }
}

uint32_t ByteSum(const uint8_t* data, size_t size) {
  uint32_t sum = 0;
  for (size_t i = 0; i < size; ++i) sum += data[i];
  return sum;
}

bool ParseChunkHeader(const uint8_t* bytes, ChunkHeader& header, std::string* why) {
  if (le::U32(bytes) != kChunkMarker) return Fail(why, "no SQSH marker");
  header.version = bytes[4];
  header.compression = bytes[5];
  header.obfuscated = bytes[6] != 0;
  header.payload_size = le::U32(bytes + 7);
  header.plain_size = le::U32(bytes + 11);
  header.checksum = le::U32(bytes + 15);
  if (header.compression > kZlib) return Fail(why, "unknown compression " + std::to_string(header.compression));
  if (bytes[6] > 1) return Fail(why, "unknown obfuscation flag " + std::to_string(bytes[6]));
  if (header.plain_size > kChunkSize)
    return Fail(why, "claims " + std::to_string(header.plain_size) + " bytes, more than a chunk holds");
  if (header.payload_size > kMaxPayload)
    return Fail(why,
                "claims a payload of " + std::to_string(header.payload_size) + " bytes, more than any chunk needs");
  if (header.compression == kStored && header.payload_size != header.plain_size)
    return Fail(why, "an uncompressed payload of " + std::to_string(header.payload_size) + " bytes for " +
                         std::to_string(header.plain_size));
  if (header.plain_size > MostDecodedBytes(header.compression, header.payload_size))
    return Fail(why, "claims " + std::to_string(header.plain_size) + " bytes, more than its payload of " +
                         std::to_string(header.payload_size) + " can hold");
  return true;
}

int64_t Lz77Decode(const uint8_t* in, size_t size, uint8_t* out, size_t want, bool exact, std::string* why) {
  uint8_t window[kWindowSize] = {};
  size_t write = 1;
  size_t made = 0;
  size_t at = 0;
  const auto cut = [&]() -> int64_t {
    if (!exact) return static_cast<int64_t>(made);
    Fail(why, "LZ77 data ends before its end code");
    return -1;
  };
  while (true) {
    if (at >= size) return cut();
    const uint8_t flags = in[at++];
    for (int bit = 0; bit < 8; ++bit) {
      if (!exact && made == want) return static_cast<int64_t>(made);
      if ((flags >> bit & 1) == 0) {
        if (at >= size) return cut();
        if (made == want) {
          Fail(why, "LZ77 data runs past the chunk's length");
          return -1;
        }
        const uint8_t b = in[at++];
        out[made++] = b;
        window[write] = b;
        write = (write + 1) & (kWindowSize - 1);
        continue;
      }
      if (size - at < 2) return cut();
      const uint32_t v = le::U16(in + at);
      at += 2;
      size_t from = v >> 4;
      if (from == 0) {
        if (made == want) return static_cast<int64_t>(made);
        Fail(why, "LZ77 data ends after " + std::to_string(made) + " of " + std::to_string(want) + " bytes");
        return exact ? -1 : static_cast<int64_t>(made);
      }
      size_t count = (v & 15) + 2;
      if (count > want - made) {
        if (exact) {
          Fail(why, "LZ77 data runs past the chunk's length");
          return -1;
        }
        count = want - made;
      }
      for (size_t i = 0; i < count; ++i) {
        const uint8_t b = window[from];
        from = (from + 1) & (kWindowSize - 1);
        out[made++] = b;
        window[write] = b;
        write = (write + 1) & (kWindowSize - 1);
      }
    }
  }
}

ChunkDecoder::ChunkDecoder() { zlib_ready_ = inflateInit(&zlib_) == Z_OK; }

ChunkDecoder::~ChunkDecoder() {
  if (zlib_ready_) inflateEnd(&zlib_);
}

int64_t ChunkDecoder::Inflate(const uint8_t* in, size_t size, uint8_t* out, size_t want, bool exact, std::string* why) {
  if (!zlib_ready_ || inflateReset(&zlib_) != Z_OK) {
    Fail(why, "zlib could not be started");
    return -1;
  }
  // One byte of room past want tells a stream that would make more.
  uint8_t spare = 0;
  zlib_.next_in = const_cast<Bytef*>(in);
  zlib_.avail_in = static_cast<uInt>(size);
  zlib_.next_out = out;
  zlib_.avail_out = static_cast<uInt>(want);
  int status = want > 0 ? inflate(&zlib_, Z_FINISH) : Z_BUF_ERROR;
  if (exact && (status == Z_BUF_ERROR || status == Z_OK) && zlib_.avail_out == 0) {
    zlib_.next_out = &spare;
    zlib_.avail_out = 1;
    status = inflate(&zlib_, Z_FINISH);
  }
  const size_t made = static_cast<size_t>(zlib_.total_out);
  if (!exact) return static_cast<int64_t>(std::min(made, want));
  if (status == Z_STREAM_END && made == want) return static_cast<int64_t>(made);
  if (made > want) {
    Fail(why, "the zlib stream runs past the chunk's length");
  } else if (status == Z_STREAM_END) {
    Fail(why, "the zlib stream ends after " + std::to_string(made) + " of " + std::to_string(want) + " bytes");
  } else if (status == Z_DATA_ERROR) {
    Fail(why, std::string("the zlib stream is broken (") + (zlib_.msg ? zlib_.msg : "bad data") + ")");
  } else {
    Fail(why, "the zlib stream is cut off");
  }
  return -1;
}

bool ChunkDecoder::Decode(const ChunkHeader& header, uint8_t* payload, uint8_t* out, std::string* why) {
  const uint32_t sum = ByteSum(payload, header.payload_size);
  if (sum != header.checksum)
    return Fail(why,
                "checksum " + std::to_string(header.checksum) + " does not match the payload's " + std::to_string(sum));
  if (header.obfuscated) Unobfuscate(payload, header.payload_size);
  switch (header.compression) {
    case kStored:
      if (header.plain_size > 0) std::memcpy(out, payload, header.plain_size);
      return true;
    case kLz77:
      return Lz77Decode(payload, header.payload_size, out, header.plain_size, true, why) >= 0;
    default:
      return Inflate(payload, header.payload_size, out, header.plain_size, true, why) >= 0;
  }
}

size_t ChunkDecoder::DecodeHead(const ChunkHeader& header, uint8_t* payload, size_t size, uint8_t* out, size_t want) {
  size = std::min<size_t>(size, header.payload_size);
  want = std::min<size_t>(want, header.plain_size);
  if (header.obfuscated) Unobfuscate(payload, size);
  int64_t made = 0;
  switch (header.compression) {
    case kStored:
      made = static_cast<int64_t>(std::min(size, want));
      if (made > 0) std::memcpy(out, payload, static_cast<size_t>(made));
      break;
    case kLz77:
      made = Lz77Decode(payload, size, out, want, false, nullptr);
      break;
    default:
      made = Inflate(payload, size, out, want, false, nullptr);
      break;
  }
  return made < 0 ? 0 : static_cast<size_t>(made);
}

}  // namespace quilmark::hpi
