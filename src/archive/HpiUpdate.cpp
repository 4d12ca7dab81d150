#include "archive/HpiUpdate.h"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "archive/HpiLayout.h"
#include "archive/HpiReader.h"
#include "base/AtomicFile.h"
#include "base/FileAccess.h"

namespace quilmark {

namespace {

constexpr size_t kCopyBlock = size_t{1} << 20;

// The directory tree of the archive as it was read: entries come folder
// before contents, so the folders open at any point are a path from the root.
hpi::Node TreeOf(const std::vector<HpiEntry>& entries) {
  hpi::Node root;
  std::vector<hpi::Node*> open = {&root};
  for (size_t i = 0; i < entries.size(); ++i) {
    const HpiEntry& e = entries[i];
    const size_t depth = static_cast<size_t>(std::count(e.path.begin(), e.path.end(), '\\'));
    open.resize(std::min(open.size(), depth + 1));
    const size_t slash = e.path.rfind('\\');
    hpi::Node& parent = *open.back();
    parent.children.push_back(
        hpi::Node{slash == std::string::npos ? e.path : e.path.substr(slash + 1), e.folder, i, {}});
    if (e.folder) open.push_back(&parent.children.back());
  }
  return root;
}

// Files its copied bytes and the new file's into the archive being written,
// encrypting what is written when a key is kept.
class Output {
 public:
  Output(AtomicFile& file, uint32_t key) : file_(file), key_(key) {}
  bool Write(const uint8_t* data, size_t size) {
    if (key_ == 0) return file_.Write(data, size);
    scratch_.assign(data, data + size);
    hpi::Crypt(key_, file_.Position(), scratch_.data(), size);
    return file_.Write(scratch_.data(), size);
  }
  bool WriteAt(uint64_t position, const uint8_t* data, size_t size) {
    if (key_ == 0) return file_.WriteAt(position, data, size);
    scratch_.assign(data, data + size);
    hpi::Crypt(key_, position, scratch_.data(), size);
    return file_.WriteAt(position, scratch_.data(), size);
  }
  uint64_t Position() const { return file_.Position(); }

 private:
  AtomicFile& file_;
  uint32_t key_;
  std::vector<uint8_t> scratch_;
};

// Writes the file at path as zlib chunks (stored whole when empty); its size
// and storage on success.
bool WriteNewFile(const std::string& path, Output& out, uint32_t& size, uint8_t& storage, std::string& error) {
  InputFile in;
  if (!in.Open(path)) {
    error = path + ": " + in.Error();
    return false;
  }
  if (static_cast<uint64_t>(in.Size()) + out.Position() > hpi::kMaxArchiveSize) {
    error = "the archive would exceed 2 GiB";
    return false;
  }
  size = static_cast<uint32_t>(in.Size());
  storage = size == 0 ? hpi::kStored : hpi::kZlib;
  const uint64_t chunks = (uint64_t{size} + hpi::kChunkSize - 1) / hpi::kChunkSize;
  std::vector<uint8_t> table(4 * chunks, 0);
  const uint64_t table_at = out.Position();
  if (!out.Write(table.data(), table.size())) return false;
  hpi::ChunkCompressor compressor(HpiWriter::kDefaultLevel);
  if (!compressor.ok()) {
    error = "zlib could not be started";
    return false;
  }
  std::vector<uint8_t> piece(hpi::kChunkSize);
  for (uint64_t c = 0; c < chunks; ++c) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(hpi::kChunkSize, size - c * hpi::kChunkSize));
    const int64_t got = in.ReadAt(piece.data(), want, static_cast<int64_t>(c * hpi::kChunkSize));
    if (got != static_cast<int64_t>(want)) {
      error = path + ": " + (got < 0 ? in.Error() : std::string("the file shrank while it was packed"));
      return false;
    }
    const uint8_t* chunk = nullptr;
    size_t chunk_size = 0;
    if (!compressor.Make(piece.data(), static_cast<uint32_t>(want), chunk, chunk_size)) {
      error = "zlib failed on " + path;
      return false;
    }
    le::Put32(&table[4 * c], static_cast<uint32_t>(chunk_size));
    if (!out.Write(chunk, chunk_size)) return false;
  }
  return out.WriteAt(table_at, table.data(), table.size());
}

void Run(const std::string& archive_path, std::string_view path_in_archive, const std::string& file_path, bool keep_key,
         HpiUpdateResult& result) {
  std::vector<std::string> parts;
  if (!ArchivePathParts(path_in_archive, parts, &result.error)) return;
  std::string why;
  const std::unique_ptr<HpiArchive> archive = HpiArchive::Open(archive_path, &why);
  if (!archive) {
    result.error = archive_path + ": " + why;
    return;
  }
  if (!archive->Notes().empty()) {
    result.error = "its directory could not be read whole (" + archive->Notes().front() + "); it is left as it is";
    return;
  }
  const std::vector<HpiEntry>& entries = archive->Entries();
  const size_t new_file = entries.size();

  // The new file's place: folders made where missing, an entry of its path replaced.
  hpi::Node root = TreeOf(entries);
  hpi::Node* dir = &root;
  std::string spelled;
  for (size_t p = 0; p < parts.size(); ++p) {
    const bool last = p + 1 == parts.size();
    auto it = std::find_if(dir->children.begin(), dir->children.end(),
                           [&](const hpi::Node& n) { return CompareArchiveNames(n.name, parts[p]) == 0; });
    if (it != dir->children.end() && it->is_dir == last) {
      result.error = "\"" + spelled + it->name + "\" is a " + (last ? "folder" : "file") + " in the archive";
      return;
    }
    if (it == dir->children.end()) {
      it = std::find_if(dir->children.begin(), dir->children.end(),
                        [&](const hpi::Node& n) { return CompareArchiveNames(n.name, parts[p]) > 0; });
      it = dir->children.insert(it, hpi::Node{parts[p], !last, new_file, {}});
    } else if (last) {
      result.replaced = true;
      it->file = new_file;
    }
    spelled += it->name + (last ? "" : "\\");
    dir = &*it;
  }
  result.path_in_archive = spelled;

  // Where every other file's stored bytes lie; files that share the same
  // bytes keep sharing them, and no others may overlap, so that the new
  // archive can never outgrow the old one by more than the new file.
  std::vector<uint64_t> length(entries.size(), 0);
  std::map<std::pair<uint64_t, uint64_t>, uint64_t> copied;  // (offset, length) → new offset
  uint64_t total = 0;
  std::vector<bool> kept(entries.size(), false);
  const auto mark = [&](const hpi::Node& node, auto&& self) -> void {
    for (const hpi::Node& child : node.children) {
      if (child.is_dir)
        self(child, self);
      else if (child.file != new_file)
        kept[child.file] = true;
    }
  };
  mark(root, mark);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!kept[i]) continue;
    if (!archive->StoredLength(entries[i], &length[i], &why)) {
      result.error = entries[i].path + ": cannot be copied: " + why;
      return;
    }
    if (copied.emplace(std::make_pair(uint64_t{entries[i].data_offset}, length[i]), 0).second) total += length[i];
  }
  if (total > static_cast<uint64_t>(archive->FileSize())) {
    result.error = "entries share stored bytes in part; the archive is left as it is";
    return;
  }

  hpi::BlockBuilder layout(entries.size() + 1);
  layout.AddDirectory(root);
  std::vector<uint8_t>& block = layout.block;
  if (hpi::kStart + block.size() > hpi::kMaxArchiveSize) {
    result.error = "the archive's directory is too large";
    return;
  }
  const uint32_t key = keep_key ? archive->HeaderKey() : 0;
  AtomicFile file(archive_path);
  if (!file.Open()) {
    result.error = file.Error();
    return;
  }
  Output out(file, key);
  uint8_t header[hpi::kStart];
  hpi::PutHeader(header, static_cast<uint32_t>(hpi::kStart + block.size()), key);
  if (!file.Write(header, sizeof header) || !out.Write(block.data(), block.size())) {
    result.error = file.Error();
    return;
  }
  std::vector<uint8_t> buffer(kCopyBlock);
  for (const size_t index : layout.order) {
    uint8_t* record = &block[layout.file_record[index]];
    uint32_t size = 0;
    uint8_t storage = 0;
    const uint64_t offset = out.Position();
    uint64_t at = offset;
    if (index == new_file) {
      if (!WriteNewFile(file_path, out, size, storage, result.error)) {
        if (result.error.empty()) result.error = file.Error();
        return;
      }
    } else {
      const HpiEntry& e = entries[index];
      size = e.size;
      storage = e.storage;
      uint64_t& placed = copied[{e.data_offset, length[index]}];
      if (placed != 0) {
        at = placed;
      } else {
        if (offset + length[index] > hpi::kMaxArchiveSize) {
          result.error = "the archive would exceed 2 GiB";
          return;
        }
        placed = offset;
        for (uint64_t done = 0; done < length[index];) {
          const size_t piece = static_cast<size_t>(std::min<uint64_t>(kCopyBlock, length[index] - done));
          if (!archive->ReadAt(e.data_offset + done, buffer.data(), piece)) {
            result.error = archive_path + ": " + e.path + " cannot be read";
            return;
          }
          if (!out.Write(buffer.data(), piece)) {
            result.error = file.Error();
            return;
          }
          done += piece;
        }
      }
    }
    if (out.Position() > hpi::kMaxArchiveSize) {
      result.error = "the archive would exceed 2 GiB";
      return;
    }
    le::Put32(record, static_cast<uint32_t>(at));
    le::Put32(record + 4, size);
    record[8] = storage;
  }
  if (!out.WriteAt(hpi::kStart, block.data(), block.size()) || !file.Commit()) {
    result.error = file.Error();
    return;
  }
  result.ok = true;
}

}  // namespace

HpiUpdateResult ReplaceEntry(const std::string& archive_path, std::string_view path_in_archive,
                             const std::string& file_path, bool keep_key) {
  HpiUpdateResult result;
  Run(archive_path, path_in_archive, file_path, keep_key, result);
  return result;
}

}  // namespace quilmark
