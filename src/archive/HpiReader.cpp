#include "archive/HpiReader.h"

#include <algorithm>
#include <cstring>

#include "archive/HpiWriter.h"
#include "base/LittleEndian.h"

namespace quilmark {

namespace {

constexpr size_t kEntrySize = 9;
constexpr size_t kRecordSize = 8;
constexpr size_t kFileRecordSize = 9;
// Deeper than any archive the game's tools make, shallow enough for the stack.
constexpr int kMaxDepth = 64;
constexpr size_t kMaxName = 255;
constexpr size_t kMaxNotes = 100;
// Reads of up to kSmallRead bytes are served from a block of kReadAhead bytes.
constexpr size_t kSmallRead = 2048;
constexpr size_t kReadAhead = 16384;
// The paths of the entries may take this many times the directory block's
// bytes (a real archive's take less than it), so that names shared by many
// entries or folders nested deep cannot blow the listing up.
constexpr uint64_t kPathBytesPerBlockByte = 16;
constexpr uint64_t kPathBytesFloor = 1 << 16;

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

// The path with its parts joined by "\" and ASCII letters folded to lower case.
std::string FoldedPath(std::string_view path) {
  std::string folded;
  for (const std::string& part : SplitArchivePath(path)) {
    if (!folded.empty()) folded += '\\';
    for (const char c : part) folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  return folded;
}

}  // namespace

const char* HpiStorageName(uint8_t storage) {
  switch (storage) {
    case hpi::kStored:
      return "stored";
    case hpi::kLz77:
      return "lz77";
    case hpi::kZlib:
      return "zlib";
    default:
      return "unknown";
  }
}

bool HasHpiHeader(const uint8_t* data, size_t size) { return size >= 4 && le::U32(data) == hpi::kMarker; }

bool IsHpiArchive(const std::string& path) {
  InputFile file;
  uint8_t marker[4];
  return file.Open(path) && file.ReadAt(marker, sizeof marker, 0) == sizeof marker && HasHpiHeader(marker, 4);
}

std::unique_ptr<HpiArchive> HpiArchive::Open(const std::string& path, std::string* why) {
  std::unique_ptr<HpiArchive> archive(new HpiArchive());
  if (!archive->file_.Open(path)) {
    Fail(why, archive->file_.Error());
    return nullptr;
  }
  archive->file_size_ = archive->file_.Size();
  if (!archive->ReadDirectory(why)) return nullptr;
  return archive;
}

bool HpiArchive::ReadDirectory(std::string* why) {
  uint8_t header[hpi::kHeaderSize];
  const int64_t got = file_.ReadAt(header, sizeof header, 0);
  if (got < 0) return Fail(why, file_.Error());
  if (got >= 4 && le::U32(header) != hpi::kMarker) return Fail(why, "not an HPI archive (no HAPI marker)");
  if (got < static_cast<int64_t>(sizeof header)) return Fail(why, "shorter than an archive's header");
  const uint32_t version = le::U32(header + 4);
  if (version == hpi::kSavedGame) return Fail(why, "a saved game, not an archive of files");
  if (version != hpi::kVersion) return Fail(why, "an archive of unknown version " + std::to_string(version));
  end_ = le::U32(header + 8);
  key_ = le::U32(header + 12);
  start_ = le::U32(header + 16);
  if (start_ < hpi::kHeaderSize || uint64_t{start_} + kRecordSize > end_)
    return Fail(why, "the directory block lies outside the archive (" + std::to_string(start_) + " to " +
                         std::to_string(end_) + ")");
  if (end_ > file_size_) return Fail(why, "the directory block runs past the end of the archive");
  block_.resize(end_ - start_);
  if (!ReadAt(start_, block_.data(), block_.size())) return Fail(why, "the directory block cannot be read");
  visited_.assign(block_.size(), false);
  // A sound block spends 9 bytes on every entry, besides its name and record.
  entries_left_ = block_.size() / kEntrySize;
  path_bytes_left_ = kPathBytesFloor + kPathBytesPerBlockByte * block_.size();
  // A sound block of this size lists at most about a third of this many
  // entries (each takes 9 bytes, a name and a record); growing is slow.
  const size_t expected = std::min<size_t>(entries_left_ / 3, size_t{1} << 18);
  entries_.reserve(expected);
  index_.reserve(expected);
  ReadFolder(start_, "", "", 0);
  if (notes_left_out_ > 0) notes_.push_back("and " + std::to_string(notes_left_out_) + " more problems");
  if (entries_cut_) notes_.push_back("the directory lists more entries than its block can hold; the rest are left out");
  return true;
}

void HpiArchive::Note(std::string text) {
  if (notes_.size() < kMaxNotes) {
    notes_.push_back(std::move(text));
  } else {
    ++notes_left_out_;
  }
}

void HpiArchive::ReadFolder(uint32_t record, const std::string& prefix, const std::string& folded_prefix, int depth) {
  const std::string where = prefix.empty() ? std::string("the root folder") : "folder " + prefix;
  if (record < start_ || uint64_t{record} + kRecordSize > end_) {
    Note(where + ": its record lies outside the directory block");
    return;
  }
  if (visited_[record - start_]) {
    Note(where + ": leads back to a folder already listed; not followed");
    return;
  }
  visited_[record - start_] = true;
  if (depth > kMaxDepth) {
    Note(where + ": folders nest deeper than " + std::to_string(kMaxDepth) + "; not followed");
    return;
  }
  const uint8_t* r = &block_[record - start_];
  const uint32_t count = le::U32(r), list = le::U32(r + 4);
  if (list < start_ || uint64_t{list} + uint64_t{count} * kEntrySize > end_) {
    Note(where + ": its list of " + std::to_string(count) + " entries lies outside the directory block");
    return;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (entries_left_ == 0) {
      entries_cut_ = true;
      return;
    }
    --entries_left_;
    const uint8_t* e = &block_[list - start_ + kEntrySize * i];
    const uint32_t name_at = le::U32(e), data = le::U32(e + 4);
    const uint8_t flag = e[8];
    if (name_at < start_ || name_at >= end_) {
      Note(where + ": entry " + std::to_string(i + 1) + " has its name outside the directory block");
      continue;
    }
    const char* name_bytes = reinterpret_cast<const char*>(&block_[name_at - start_]);
    const size_t room = std::min<size_t>(end_ - name_at, kMaxName + 1);
    const size_t length = strnlen(name_bytes, room);
    const std::string_view name(name_bytes, length);
    if (length == room || length == 0 || name.find_first_of("\\/") != std::string_view::npos) {
      Note(where + ": entry " + std::to_string(i + 1) + " has no usable name");
      continue;
    }
    std::string path = prefix.empty() ? std::string(name) : prefix + "\\" + std::string(name);
    if (path.size() > path_bytes_left_) {
      Note(path + ": the directory's paths take more room than its block can account for; left out");
      continue;
    }
    path_bytes_left_ -= path.size();
    if (flag > 1) {
      Note(path + ": unknown entry flag " + std::to_string(flag) + "; left out");
      continue;
    }
    HpiEntry entry;
    entry.folder = flag == 1;
    entry.record_offset = data;
    if (!entry.folder) {
      if (data < start_ || uint64_t{data} + kFileRecordSize > end_) {
        Note(path + ": its file record lies outside the directory block; left out");
        continue;
      }
      const uint8_t* f = &block_[data - start_];
      entry.data_offset = le::U32(f);
      entry.size = le::U32(f + 4);
      entry.storage = f[8];
    }
    std::string folded;
    folded.reserve(folded_prefix.size() + 1 + length);
    folded = folded_prefix;
    if (!folded.empty()) folded += '\\';
    for (const char c : name) folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    const auto [at, fresh] = index_.try_emplace(std::move(folded), entries_.size());
    if (!fresh) {
      Note(path + ": a second entry of that name (letter case ignored); left out");
      continue;
    }
    entry.path = std::move(path);
    if (!entry.folder) {
      entries_.push_back(std::move(entry));
      continue;
    }
    // The folder's own path, for what it holds: the entries may move as they grow.
    const std::string inside = entry.path;
    entries_.push_back(std::move(entry));
    ReadFolder(data, inside, at->first, depth + 1);
  }
}

const HpiEntry* HpiArchive::Find(std::string_view path) const {
  const auto it = index_.find(FoldedPath(path));
  return it == index_.end() ? nullptr : &entries_[it->second];
}

bool HpiArchive::ReadAt(uint64_t position, uint8_t* data, size_t size) {
  if (position > static_cast<uint64_t>(file_size_) || size > static_cast<uint64_t>(file_size_) - position) return false;
  const bool cached = position >= cached_at_ && position + size <= cached_at_ + cache_.size();
  if (!cached && (size > kSmallRead || position < cached_at_)) {
    if (file_.ReadAt(data, size, static_cast<int64_t>(position)) != static_cast<int64_t>(size)) return false;
  } else {
    // Small reads (a file's first bytes, a chunk's header) mostly follow each
    // other through the archive: they come from a block read ahead. The block
    // only ever moves on, so that a layout jumping back and forth cannot make
    // it read the archive more than about once.
    if (!cached) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(kReadAhead, file_size_ - position));
      cache_.resize(kReadAhead);
      const int64_t got = file_.ReadAt(cache_.data(), want, static_cast<int64_t>(position));
      cache_.resize(got < 0 ? 0 : static_cast<size_t>(got));
      cached_at_ = position;
      if (cache_.size() < size) return false;
    }
    if (size > 0) std::memcpy(data, &cache_[position - cached_at_], size);
  }
  hpi::Crypt(key_, position, data, size);
  return true;
}

bool HpiArchive::ChunkTable(const HpiEntry& entry, std::vector<uint32_t>& table, std::string* why) {
  const uint64_t n = entry.Chunks();
  const uint64_t size = static_cast<uint64_t>(file_size_);
  if (entry.data_offset > size || 4 * n > size - entry.data_offset)
    return Fail(why, "its chunk table of " + std::to_string(n) + " chunks runs past the end of the archive");
  std::vector<uint8_t> raw(4 * n);
  if (!ReadAt(entry.data_offset, raw.data(), raw.size())) return Fail(why, "its chunk table cannot be read");
  table.resize(n);
  uint64_t at = entry.data_offset + 4 * n;
  for (uint64_t i = 0; i < n; ++i) {
    const uint32_t length = le::U32(&raw[4 * i]);
    const uint64_t expected = i + 1 < n ? hpi::kChunkSize : entry.size - hpi::kChunkSize * (n - 1);
    const std::string chunk = "chunk " + std::to_string(i + 1) + " of " + std::to_string(n);
    if (length < hpi::kChunkHeaderSize || length > hpi::kChunkHeaderSize + hpi::kMaxPayload)
      return Fail(why, chunk + ": the table gives it an impossible length of " + std::to_string(length));
    if (expected > hpi::kZlibMostPerByte * (length - hpi::kChunkHeaderSize))
      return Fail(why, chunk + ": " + std::to_string(length) + " bytes cannot hold " + std::to_string(expected) +
                           " bytes of the file");
    if (length > size - at) return Fail(why, chunk + ": runs past the end of the archive");
    at += length;
    table[i] = length;
  }
  return true;
}

bool HpiArchive::StoredLength(const HpiEntry& entry, uint64_t* length, std::string* why) {
  if (entry.folder) return Fail(why, "a folder, not a file");
  const uint64_t size = static_cast<uint64_t>(file_size_);
  if (entry.storage == hpi::kStored) {
    if (entry.data_offset > size || entry.size > size - entry.data_offset)
      return Fail(why, "its " + std::to_string(entry.size) + " bytes run past the end of the archive");
    *length = entry.size;
    return true;
  }
  if (entry.storage > hpi::kZlib) return Fail(why, "unknown storage " + std::to_string(entry.storage));
  std::vector<uint32_t> table;
  if (!ChunkTable(entry, table, why)) return false;
  uint64_t total = 4 * table.size();
  for (const uint32_t t : table) total += t;
  *length = total;
  return true;
}

bool HpiArchive::Read(const HpiEntry& entry, const Sink& sink, std::string* why) {
  uint8_t out[hpi::kChunkSize];
  if (entry.folder || entry.storage == hpi::kStored) {
    uint64_t length = 0;
    if (!StoredLength(entry, &length, why)) return false;
    for (uint64_t done = 0; done < entry.size;) {
      const size_t piece = static_cast<size_t>(std::min<uint64_t>(hpi::kChunkSize, entry.size - done));
      if (!ReadAt(entry.data_offset + done, out, piece)) return Fail(why, "its bytes cannot be read");
      if (!sink(out, piece)) return Fail(why, "reading was stopped");
      done += piece;
    }
    return true;
  }
  if (entry.storage > hpi::kZlib) return Fail(why, "unknown storage " + std::to_string(entry.storage));
  std::vector<uint32_t> table;
  if (!ChunkTable(entry, table, why)) return false;
  chunk_.resize(hpi::kChunkHeaderSize + hpi::kMaxPayload);
  uint64_t at = entry.data_offset + 4 * table.size();
  for (size_t i = 0; i < table.size(); ++i) {
    const std::string chunk = "chunk " + std::to_string(i + 1) + " of " + std::to_string(table.size()) + ": ";
    const uint32_t expected =
        i + 1 < table.size() ? hpi::kChunkSize : static_cast<uint32_t>(entry.size - hpi::kChunkSize * i);
    if (!ReadAt(at, chunk_.data(), table[i])) return Fail(why, chunk + "cannot be read");
    hpi::ChunkHeader header;
    std::string problem;
    if (!hpi::ParseChunkHeader(chunk_.data(), header, &problem)) return Fail(why, chunk + problem);
    if (header.payload_size + hpi::kChunkHeaderSize != table[i])
      return Fail(why, chunk + "its payload of " + std::to_string(header.payload_size) +
                           " bytes does not match the table's length of " + std::to_string(table[i]));
    if (header.plain_size != expected)
      return Fail(
          why, chunk + "holds " + std::to_string(header.plain_size) + " bytes instead of " + std::to_string(expected));
    if (!decoder_.Decode(header, chunk_.data() + hpi::kChunkHeaderSize, out, &problem))
      return Fail(why, chunk + problem);
    if (!sink(out, expected)) return Fail(why, "reading was stopped");
    at += table[i];
  }
  return true;
}

bool HpiArchive::ReadAll(const HpiEntry& entry, std::vector<uint8_t>& bytes, std::string* why) {
  bytes.clear();
  uint64_t length = 0;
  // The size claimed was checked against the chunks before anything is
  // reserved; a claim that only a zlib stream of the utmost ratio could meet
  // gets its memory as its chunks decode.
  if (!StoredLength(entry, &length, why)) return false;
  bytes.reserve(static_cast<size_t>(std::min<uint64_t>(entry.size, 16 * length + hpi::kChunkSize)));
  return Read(
      entry,
      [&bytes](const uint8_t* data, size_t size) {
        bytes.insert(bytes.end(), data, data + size);
        return true;
      },
      why);
}

std::vector<uint8_t> HpiArchive::ReadHead(const HpiEntry& entry, size_t want) {
  want = std::min<size_t>({want, entry.size, hpi::kChunkSize});
  std::vector<uint8_t> head(want);
  if (entry.folder || want == 0) return {};
  if (entry.storage == hpi::kStored) {
    if (!ReadAt(entry.data_offset, head.data(), want)) return {};
    return head;
  }
  if (entry.storage > hpi::kZlib) return {};
  // The first chunk follows the table; a few bytes of its payload make the
  // first bytes of the file (a zlib stream's code tables come first).
  const uint64_t first = uint64_t{entry.data_offset} + 4 * entry.Chunks();
  uint8_t raw[hpi::kChunkHeaderSize];
  hpi::ChunkHeader header;
  if (!ReadAt(first, raw, sizeof raw) || !hpi::ParseChunkHeader(raw, header, nullptr)) return {};
  const uint64_t left = static_cast<uint64_t>(file_size_) - (first + sizeof raw);
  std::vector<uint8_t> payload(std::min<uint64_t>({header.payload_size, 1024 + 2 * want, left}));
  if (!ReadAt(first + sizeof raw, payload.data(), payload.size())) return {};
  head.resize(decoder_.DecodeHead(header, payload.data(), payload.size(), head.data(), want));
  return head;
}

}  // namespace quilmark
