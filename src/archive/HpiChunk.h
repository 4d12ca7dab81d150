// The pieces of the HPI format that the reader, the writer and the archive
// update share: the header's numbers, the encryption of an archive's bytes,
// and the chunks (SQSH) that hold the data of files stored in pieces.
//
// Every check on a chunk's claimed sizes is made before anything is
// allocated or decoded: a chunk never holds more than 64 KiB of a file, its
// payload lies within the bytes given, and its uncompressed length must be
// one that its payload can decode to at all.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace quilmark::hpi {

inline constexpr uint32_t kMarker = 0x49504148;     // "HAPI"
inline constexpr uint32_t kVersion = 0x00010000;    // an ordinary archive
inline constexpr uint32_t kSavedGame = 0x4B4E4142;  // "BANK"
inline constexpr uint32_t kHeaderSize = 20;
inline constexpr uint32_t kChunkMarker = 0x48535153;  // "SQSH"
inline constexpr size_t kChunkHeaderSize = 19;
inline constexpr uint32_t kChunkSize = 65536;  // a file's bytes in every chunk but its last
// The longest payload any sound chunk needs: 64 KiB of LZ77 literals take
// 65536 + 8192 flag bytes and the end code; zlib's stored blocks take less.
inline constexpr uint32_t kMaxPayload = kChunkSize + kChunkSize / 8 + 64;
// Offsets and sizes are 32-bit numbers that readers take as signed.
inline constexpr uint64_t kMaxArchiveSize = 0x7FFFFFFF;

inline constexpr uint8_t kStored = 0;
inline constexpr uint8_t kLz77 = 1;
inline constexpr uint8_t kZlib = 2;

// The most bytes a payload of payload_size bytes can decode to, whatever its
// compression. A deflate stream spends at least two bits on 258 bytes (a
// length code and a distance code of one bit each), so zlib inflates at most
// 1032 bytes per byte; an LZ77 group of a flag byte and eight references
// (17 bytes) makes at most 8 × 17 = 136 bytes, 8 per byte.
inline constexpr uint64_t kZlibMostPerByte = 1032;
inline constexpr uint64_t kLz77MostPerByte = 8;
uint64_t MostDecodedBytes(uint8_t compression, uint64_t payload_size);

// Encryption of an archive's bytes after its header: with k the key's low
// byte and t = k rotated left by 2, the byte at absolute position p is stored
// as original ^ (p & 0xFF) ^ t. The same call encrypts and decrypts; bytes of
// the header (p < 20) are left alone. Nothing happens for key 0.
void Crypt(uint32_t key, uint64_t position, uint8_t* data, size_t size);

// Restores an obfuscated payload: the byte at payload index i was stored as
// (b ^ i) + i (i taken modulo 256), and the reverse as Obfuscate.
void Unobfuscate(uint8_t* data, size_t size);
void Obfuscate(uint8_t* data, size_t size);

// The sum of the bytes as unsigned numbers, modulo 2^32 (a chunk's checksum).
uint32_t ByteSum(const uint8_t* data, size_t size);

struct ChunkHeader {
  uint8_t version = 0;
  uint8_t compression = 0;
  bool obfuscated = false;
  uint32_t payload_size = 0;
  uint32_t plain_size = 0;
  uint32_t checksum = 0;
};

// Reads a chunk header (kChunkHeaderSize bytes) and checks what it claims by
// itself: the marker, a known compression and obfuscation flag, a payload no
// longer than kMaxPayload, at most 64 KiB uncompressed, and no more than the
// payload can decode to. False, with why, otherwise.
bool ParseChunkHeader(const uint8_t* bytes, ChunkHeader& header, std::string* why);

// Decodes chunks, keeping one zlib state for all of them.
class ChunkDecoder {
 public:
  ChunkDecoder();
  ~ChunkDecoder();
  ChunkDecoder(const ChunkDecoder&) = delete;
  ChunkDecoder& operator=(const ChunkDecoder&) = delete;

  // The chunk whose header is parsed and whose payload (header.payload_size
  // bytes, as stored) is at payload: checks the checksum, undoes the
  // obfuscation in place, and decodes exactly header.plain_size bytes into
  // out. False, with why, for a checksum that does not match or a payload
  // that does not decode to exactly that many bytes.
  bool Decode(const ChunkHeader& header, uint8_t* payload, uint8_t* out, std::string* why);

  // Only the first want bytes (at most header.plain_size) of a chunk from
  // the first size bytes of its payload, without the checksum: a look at
  // what a file starts with. The count decoded (fewer when the payload ends
  // or is damaged first).
  size_t DecodeHead(const ChunkHeader& header, uint8_t* payload, size_t size, uint8_t* out, size_t want);

 private:
  // Inflates into out: exactly want bytes and the stream's end when exact,
  // otherwise at most want bytes. The count made, or -1 (with why).
  int64_t Inflate(const uint8_t* in, size_t size, uint8_t* out, size_t want, bool exact, std::string* why);

  z_stream zlib_{};
  bool zlib_ready_ = false;
};

// Decodes an LZ77 payload (after the obfuscation was undone) into out. With
// exact set the payload must decode to exactly want bytes and then the end
// code; otherwise decoding stops after want bytes. The count made, or -1
// (with why) when the data would run past want bytes, a reference is cut off
// or the payload ends before the end code.
int64_t Lz77Decode(const uint8_t* in, size_t size, uint8_t* out, size_t want, bool exact, std::string* why);

}  // namespace quilmark::hpi
