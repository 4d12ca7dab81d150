// The layout that the archive writer and the archive update share: the
// directory block laid out from a tree of names, the header, and chunks made
// with zlib.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "archive/HpiChunk.h"
#include "archive/HpiWriter.h"
#include "base/LittleEndian.h"

namespace quilmark::hpi {

inline constexpr uint32_t kStart = kHeaderSize;  // the directory block follows the header

// The header of an archive whose directory block starts at kStart and ends
// before directory_size.
inline void PutHeader(uint8_t* header, uint32_t directory_size, uint32_t key) {
  le::Put32(header, kMarker);
  le::Put32(header + 4, kVersion);
  le::Put32(header + 8, directory_size);
  le::Put32(header + 12, key);
  le::Put32(header + 16, kStart);
}

// One directory level of the archive while its block is laid out.
struct Node {
  std::string name;
  bool is_dir = true;
  size_t file = 0;  // the caller's number for the file when !is_dir
  std::vector<Node> children;
};

inline Node* ChildNamed(Node& dir, std::string_view name) {
  for (Node& child : dir.children)
    if (CompareArchiveNames(child.name, name) == 0) return &child;
  return nullptr;
}

inline void SortTree(Node& dir) {
  std::sort(dir.children.begin(), dir.children.end(), [](const Node& a, const Node& b) {
    const int c = CompareArchiveNames(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  for (Node& child : dir.children)
    if (child.is_dir) SortTree(child);
}

// Lays out the directory block: a directory record, its entry list, then for
// each entry its name and its data (a directory laid out the same way, or a
// file record). Offsets are absolute, the block starting at kStart.
class BlockBuilder {
 public:
  std::vector<uint8_t> block;
  // For each file (by its number): position of its file record in block.
  std::vector<size_t> file_record;
  // Files in the order they appear in the tree.
  std::vector<size_t> order;

  explicit BlockBuilder(size_t files) : file_record(files, 0) {}

  uint32_t Abs(size_t pos) const { return static_cast<uint32_t>(kStart + pos); }

  size_t AddDirectory(const Node& dir) {
    const size_t record = Reserve(8);
    const size_t entries = Reserve(9 * dir.children.size());
    le::Put32(&block[record], static_cast<uint32_t>(dir.children.size()));
    le::Put32(&block[record + 4], Abs(entries));
    for (size_t i = 0; i < dir.children.size(); ++i) {
      const Node& child = dir.children[i];
      const size_t name = block.size();
      block.insert(block.end(), child.name.begin(), child.name.end());
      block.push_back(0);
      size_t data;
      if (child.is_dir) {
        data = AddDirectory(child);
      } else {
        data = Reserve(9);
        file_record[child.file] = data;
        order.push_back(child.file);
      }
      uint8_t* entry = &block[entries + 9 * i];
      le::Put32(entry, Abs(name));
      le::Put32(entry + 4, Abs(data));
      entry[8] = child.is_dir ? 1 : 0;
    }
    return record;
  }

 private:
  size_t Reserve(size_t size) {
    const size_t at = block.size();
    block.resize(at + size, 0);
    return at;
  }
};

// Compresses chunks into complete zlib streams, reusing one deflate state.
class ChunkCompressor {
 public:
  explicit ChunkCompressor(int level) {
    ok_ = deflateInit(&stream_, level) == Z_OK;
    if (ok_) out_.resize(kChunkHeaderSize + deflateBound(&stream_, kChunkSize));
  }
  ~ChunkCompressor() {
    if (ok_) deflateEnd(&stream_);
  }
  ChunkCompressor(const ChunkCompressor&) = delete;
  ChunkCompressor& operator=(const ChunkCompressor&) = delete;
  bool ok() const { return ok_; }

  // The whole chunk, header included, for size bytes of data; empty on a zlib failure.
  bool Make(const uint8_t* data, uint32_t size, const uint8_t*& chunk, size_t& chunk_size) {
    if (deflateReset(&stream_) != Z_OK) return false;
    uint8_t* payload = out_.data() + kChunkHeaderSize;
    stream_.next_in = const_cast<Bytef*>(data);
    stream_.avail_in = size;
    stream_.next_out = payload;
    stream_.avail_out = static_cast<uInt>(out_.size() - kChunkHeaderSize);
    if (deflate(&stream_, Z_FINISH) != Z_STREAM_END) return false;
    uint32_t payload_size = static_cast<uint32_t>(stream_.total_out);
    uint8_t compression = 2;
    if (payload_size > size) {
      // Data that zlib cannot shrink is kept as it is.
      std::memcpy(payload, data, size);
      payload_size = size;
      compression = 0;
    }
    uint32_t sum = 0;
    for (uint32_t i = 0; i < payload_size; ++i) sum += payload[i];
    uint8_t* header = out_.data();
    le::Put32(header, kChunkMarker);
    header[4] = 2;  // chunk version
    header[5] = compression;
    header[6] = 0;  // not obfuscated
    le::Put32(header + 7, payload_size);
    le::Put32(header + 11, size);
    le::Put32(header + 15, sum);
    chunk = out_.data();
    chunk_size = kChunkHeaderSize + payload_size;
    return true;
  }

 private:
  z_stream stream_{};
  bool ok_ = false;
  std::vector<uint8_t> out_;
};

}  // namespace quilmark::hpi
