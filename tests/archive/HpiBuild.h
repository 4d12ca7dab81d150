// Archives of every form for the reader's tests, made as the format note says
// other tools make them: LZ77 or zlib chunks or whole files, obfuscated
// payloads, entries in any order (letter-case twins too) and encryption. The
// directory block is laid out by the writer's own layout (whose bytes its
// tests check by hand); chunks, LZ77, obfuscation and encryption are done here.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "archive/HpiLayout.h"
#include "archive/HpiWriter.h"

namespace quilmark::test {

using Row = std::vector<uint8_t>;

// A greedy LZ77 encoder for one chunk: the window is a ring of 4096 bytes
// whose write position starts at 1, so output byte k lies at (1 + k) % 4096;
// a reference may start there when that is not 0 (the end code) and the byte
// is not yet overwritten.
inline Row Lz77Encode(const Row& in) {
  Row out;
  size_t flag_at = 0;
  int bits = 8;
  const auto item = [&](bool reference) {
    if (bits == 8) flag_at = out.size(), out.push_back(0), bits = 0;
    if (reference) out[flag_at] = uint8_t(out[flag_at] | 1 << bits);
    ++bits;
  };
  std::vector<int64_t> head(1 << 16, -1), prev(in.size(), -1);
  const auto hash = [&](size_t k) { return (in[k] * 251u + in[k + 1] * 7u + in[k + 2] * 65521u) & 0xFFFF; };
  const auto insert = [&](size_t k) {
    if (k + 2 < in.size()) prev[k] = head[hash(k)], head[hash(k)] = int64_t(k);
  };
  for (size_t k = 0; k < in.size();) {
    size_t best = 0, from = 0;
    for (int64_t j = k + 2 < in.size() ? head[hash(k)] : -1, steps = 0; j >= 0 && k - j < 4096 && steps < 64;
         j = prev[j], ++steps) {
      if ((j + 1) % 4096 == 0) continue;
      size_t n = 0;
      while (n < 17 && k + n < in.size() && in[j + n] == in[k + n]) ++n;
      if (n > best) best = n, from = size_t(j);
    }
    if (best >= 2) {
      item(true);
      const uint32_t v = uint32_t((from + 1) % 4096) << 4 | uint32_t(best - 2);
      out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8));
      for (size_t i = 0; i < best; ++i) insert(k + i);
      k += best;
    } else {
      item(false);
      out.push_back(in[k]);
      insert(k++);
    }
  }
  item(true);
  out.push_back(0), out.push_back(0);  // the end code
  return out;
}

// The byte at payload index i stored as (b ^ i) + i.
inline void ObfuscateForTest(Row& payload) {
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t((payload[i] ^ uint8_t(i)) + uint8_t(i));
}

// Every byte after the header at position p stored as b ^ (p & 0xFF) ^ t.
inline void EncryptForTest(Row& archive, uint32_t key) {
  const uint8_t k = uint8_t(key), t = uint8_t((k << 2) | (k >> 6));
  for (size_t p = 20; p < archive.size(); ++p) archive[p] ^= uint8_t(p) ^ t;
  archive[12] = uint8_t(key), archive[13] = uint8_t(key >> 8), archive[14] = uint8_t(key >> 16),
  archive[15] = uint8_t(key >> 24);
}

struct ArchiveFile {
  std::string path;  // folders joined with "\"
  Row bytes;
  int storage = 2;       // 0 whole, 1 LZ77 chunks, 2 zlib chunks
  int compression = -1;  // each chunk's; -1: the storage's own
  bool obfuscated = false;
};

struct BuiltArchive {
  Row bytes;
  std::map<std::string, size_t> record;  // a file's record in the block, by path
  std::map<std::string, size_t> data;    // where a file's data starts
  std::vector<size_t> chunks;            // where every chunk starts, file after file
};

inline uint32_t Get32(const Row& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
inline void Set32(Row& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> 8 * i);
}

// The chunk of one piece of a file: header and payload.
inline Row MakeChunk(const Row& piece, int compression, bool obfuscated) {
  Row payload = piece;
  if (compression == 1) payload = Lz77Encode(piece);
  if (compression == 2) {
    uLongf size = compressBound(uLong(piece.size()));
    payload.resize(size);
    compress2(payload.data(), &size, piece.data(), uLong(piece.size()), 6);
    payload.resize(size);
  }
  if (obfuscated) ObfuscateForTest(payload);
  uint32_t sum = 0;
  for (const uint8_t b : payload) sum += b;
  Row chunk = {'S', 'Q', 'S', 'H', 2, uint8_t(compression), uint8_t(obfuscated)};
  for (const uint32_t v : {uint32_t(payload.size()), uint32_t(piece.size()), sum})
    for (int i = 0; i < 4; ++i) chunk.push_back(uint8_t(v >> 8 * i));
  chunk.insert(chunk.end(), payload.begin(), payload.end());
  return chunk;
}

// The files in the order given: folders made as their paths first name them
// (names compared exactly, so letter-case twins stay apart), nothing sorted.
inline BuiltArchive BuildArchive(const std::vector<ArchiveFile>& files, uint32_t key = 0) {
  hpi::Node root;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::vector<std::string> parts = SplitArchivePath(files[i].path);
    hpi::Node* dir = &root;
    for (size_t p = 0; p + 1 < parts.size(); ++p) {
      hpi::Node* next = nullptr;
      for (hpi::Node& child : dir->children)
        if (child.is_dir && child.name == parts[p]) next = &child;
      if (!next) dir->children.push_back(hpi::Node{parts[p], true, 0, {}}), next = &dir->children.back();
      dir = next;
    }
    dir->children.push_back(hpi::Node{parts.back(), false, i, {}});
  }
  hpi::BlockBuilder layout(files.size());
  layout.AddDirectory(root);
  BuiltArchive built;
  Row& a = built.bytes;
  a.resize(20 + layout.block.size());
  hpi::PutHeader(a.data(), uint32_t(a.size()), 0);
  std::copy(layout.block.begin(), layout.block.end(), a.begin() + 20);
  for (const size_t index : layout.order) {
    const ArchiveFile& f = files[index];
    const size_t record = 20 + layout.file_record[index], offset = a.size();
    built.record[f.path] = record, built.data[f.path] = offset;
    Set32(a, record, uint32_t(offset)), Set32(a, record + 4, uint32_t(f.bytes.size()));
    a[record + 8] = uint8_t(f.storage);
    if (f.storage == 0) {
      a.insert(a.end(), f.bytes.begin(), f.bytes.end());
      continue;
    }
    const size_t n = (f.bytes.size() + 65535) / 65536;
    a.resize(a.size() + 4 * n);
    for (size_t c = 0; c < n; ++c) {
      const Row piece(f.bytes.begin() + 65536 * c, f.bytes.begin() + std::min(f.bytes.size(), 65536 * (c + 1)));
      const Row chunk = MakeChunk(piece, f.compression < 0 ? f.storage : f.compression, f.obfuscated);
      Set32(a, offset + 4 * c, uint32_t(chunk.size()));
      built.chunks.push_back(a.size());
      a.insert(a.end(), chunk.begin(), chunk.end());
    }
  }
  if (key != 0) EncryptForTest(a, key);
  return built;
}

}  // namespace quilmark::test
