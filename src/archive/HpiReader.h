// Reads HPI archives (.hpi, .ufo, .ccx, .gp3 …: one format, told by its
// header): the directory for listing, and one file at a time, streamed chunk
// by chunk. Encrypted archives are decrypted as they are read.
//
// Archives come from anywhere, so nothing they claim is taken on trust: the
// directory block is read once (it lies within the file) and walked with a
// depth limit, each folder followed once, and no more entries taken than the
// block can hold; a file's chunk table and chunks must lie within the file,
// and a file may not claim more bytes than its chunks can decode to, so time
// and memory stay in proportion to the archive's size.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "archive/HpiChunk.h"
#include "base/FileAccess.h"

namespace quilmark {

struct HpiEntry {
  std::string path;  // folders joined with "\", as the archive spells them
  bool folder = false;
  uint32_t size = 0;           // a file's size, uncompressed
  uint8_t storage = 0;         // 0 stored whole, 1 LZ77 chunks, 2 zlib chunks
  uint32_t data_offset = 0;    // where a file's data (or chunk table) starts
  uint32_t record_offset = 0;  // where its file record (or directory record) lies
  // The chunks a file stored in chunks has: ⌈size ÷ 65536⌉.
  uint64_t Chunks() const {
    return storage == hpi::kStored ? 0 : (uint64_t{size} + hpi::kChunkSize - 1) / hpi::kChunkSize;
  }
};

// The storage's word: "stored", "lz77", "zlib" ("unknown" for others).
const char* HpiStorageName(uint8_t storage);

// Whether the bytes start with an archive's marker.
bool HasHpiHeader(const uint8_t* data, size_t size);
// Whether the file at path is a regular file that starts with an archive's marker.
bool IsHpiArchive(const std::string& path);

class HpiArchive {
 public:
  // Opens the archive at path and reads its directory. nullptr, with why,
  // when it is not an archive (no marker, a saved game, an unknown version)
  // or its header or directory block cannot be read at all. Parts of the
  // directory that cannot be read are left out and told in Notes().
  static std::unique_ptr<HpiArchive> Open(const std::string& path, std::string* why);

  // Every folder and file, in directory order (a folder before what it holds).
  const std::vector<HpiEntry>& Entries() const { return entries_; }
  // What was left out of the directory, one line each: twins by letter case,
  // folders that lead back, nesting too deep, records outside the block.
  // Empty when the directory was read whole.
  const std::vector<std::string>& Notes() const { return notes_; }
  // The entry at path ("\" or "/" between folders, letter case ignored);
  // nullptr when there is none.
  const HpiEntry* Find(std::string_view path) const;

  uint32_t HeaderKey() const { return key_; }
  int64_t FileSize() const { return file_size_; }

  // Called with the file's bytes piece by piece (each at most 64 KiB);
  // returning false stops the read.
  using Sink = std::function<bool(const uint8_t* data, size_t size)>;
  // Reads a file's bytes into sink, checking every chunk. False, with why
  // (the damage, or that the sink stopped), when not all were read.
  bool Read(const HpiEntry& entry, const Sink& sink, std::string* why);
  // The same into bytes (emptied first).
  bool ReadAll(const HpiEntry& entry, std::vector<uint8_t>& bytes, std::string* why);
  // The first bytes of a file, at most want (≤ 64 KiB), reading only the
  // little of the archive they need and checking no checksum: a look at what
  // the file starts with. Fewer when the file is shorter or damaged.
  std::vector<uint8_t> ReadHead(const HpiEntry& entry, size_t want);

  // How many bytes a file takes in the archive from its data offset: its
  // size when stored whole, else its chunk table and chunks. False, with why,
  // when they do not lie within the archive or claim more than they can hold.
  bool StoredLength(const HpiEntry& entry, uint64_t* length, std::string* why);
  // Reads bytes at an absolute position, decrypted. False when not all of
  // them lie within the file or the read fails.
  bool ReadAt(uint64_t position, uint8_t* data, size_t size);

 private:
  HpiArchive() = default;
  bool ReadDirectory(std::string* why);
  // prefix: the folder's path; folded_prefix: the same folded to lower case.
  void ReadFolder(uint32_t record, const std::string& prefix, const std::string& folded_prefix, int depth);
  void Note(std::string text);
  // The chunk table of a chunked file, checked against the archive: n
  // lengths, each a whole chunk header or more and all within the file.
  bool ChunkTable(const HpiEntry& entry, std::vector<uint32_t>& table, std::string* why);

  InputFile file_;
  int64_t file_size_ = 0;
  uint32_t key_ = 0;
  uint32_t start_ = 0;
  uint32_t end_ = 0;
  std::vector<uint8_t> block_;  // the directory block, decrypted; block_[0] is at start_
  std::vector<HpiEntry> entries_;
  std::vector<std::string> notes_;
  uint64_t notes_left_out_ = 0;
  std::unordered_map<std::string, size_t> index_;  // entries by their folded path
  std::vector<bool> visited_;                      // directory records followed, by their offset in the block
  uint64_t entries_left_ = 0;
  bool entries_cut_ = false;
  uint64_t path_bytes_left_ = 0;
  hpi::ChunkDecoder decoder_;
  std::vector<uint8_t> chunk_;
  std::vector<uint8_t> cache_;  // bytes of the file from cached_at_ on, as stored
  uint64_t cached_at_ = 0;
};

}  // namespace quilmark
