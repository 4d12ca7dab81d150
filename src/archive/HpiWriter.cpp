#include "base/LittleEndian.h"
#include "archive/HpiWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "archive/HpiLayout.h"
#include "base/AtomicFile.h"

namespace quilmark {

namespace {

using hpi::BlockBuilder;
using hpi::ChunkCompressor;
using hpi::kMaxArchiveSize;
using hpi::kStart;
using hpi::Node;

// A name in quotes, for messages.
std::string Quoted(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  out.append(text.data(), text.size());
  out += '"';
  return out;
}

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

bool SameParts(const std::vector<std::string>& a, const std::vector<std::string>& b, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (CompareArchiveNames(a[i], b[i]) != 0) return false;
  return true;
}

// Closes a file descriptor on every ending.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads up to size bytes; fewer only at the end of the file. -1 on a read error.
ssize_t ReadFull(int fd, uint8_t* data, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, data + got, size - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(got);
}


}  // namespace

std::vector<std::string> SplitArchivePath(std::string_view path) {
  std::vector<std::string> parts;
  size_t begin = 0;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\' || path[i] == '/') {
      if (i > begin) parts.emplace_back(path.substr(begin, i - begin));
      begin = i + 1;
    }
  }
  return parts;
}

int CompareArchiveNames(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
    const unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

HpiWriter::HpiWriter(std::string archive_path) : archive_path_(std::move(archive_path)) {}

bool ArchivePathParts(std::string_view path_in_archive, std::vector<std::string>& parts, std::string* why) {
  parts = SplitArchivePath(path_in_archive);
  const auto fail = [why](const std::string& text) {
    if (why) *why = text;
    return false;
  };
  if (parts.empty()) return fail("no file name in the archive path " + Quoted(path_in_archive));
  for (const std::string& part : parts) {
    if (part.find('\0') != std::string::npos) return fail("a name inside the archive holds a 0 byte");
    // A reader unpacking the archive would take these as a way out of the
    // folder, or as no name at all.
    if (part == "." || part == "..")
      return fail("a name inside the archive is \"" + part + "\", which is no folder's name");
    if (std::any_of(part.begin(), part.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
      return fail("a name inside the archive holds a control character");
  }
  return true;
}

bool HpiWriter::AddFile(std::string_view path_in_archive, const std::string& path_on_disk) {
  std::vector<std::string> parts;
  if (!ArchivePathParts(path_in_archive, parts, &error_)) return false;
  for (const File& file : files_) {
    // The same path, or a file standing where the other needs a folder.
    if (SameParts(file.parts, parts, std::min(file.parts.size(), parts.size()))) {
      error_ = Quoted(path_in_archive) + " is already taken in the archive";
      return false;
    }
  }
  struct stat st {};
  if (::stat(path_on_disk.c_str(), &st) != 0) {
    error_ = path_on_disk + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error_ = path_on_disk + ": not a regular file";
    return false;
  }
  const int fd = ::open(path_on_disk.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error_ = path_on_disk + ": " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  files_.push_back(File{std::move(parts), path_on_disk});
  return true;
}

HpiWriteResult HpiWriter::Write(const HpiProgressFn& progress, bool compress, int level) {
  HpiWriteResult result;
  auto fail = [&](const std::string& why) {
    result.ok = false;
    result.error = why;
    error_ = why;
    return result;
  };

  // Sizes first, for the progress total and to refuse what cannot fit.
  HpiProgress state;
  state.files_total = static_cast<uint32_t>(files_.size());
  for (const File& file : files_) {
    struct stat st {};
    if (::stat(file.disk_path.c_str(), &st) != 0) return fail(file.disk_path + ": " + std::strerror(errno));
    state.bytes_total += static_cast<uint64_t>(st.st_size);
  }
  auto report = [&]() { return !progress || progress(state); };
  if (!report()) {
    result.cancelled = true;
    return fail("packing was cancelled");
  }

  Node root;
  for (size_t i = 0; i < files_.size(); ++i) {
    Node* dir = &root;
    const std::vector<std::string>& parts = files_[i].parts;
    for (size_t p = 0; p + 1 < parts.size(); ++p) {
      Node* next = hpi::ChildNamed(*dir, parts[p]);
      if (!next) {
        dir->children.push_back(Node{parts[p], true, 0, {}});
        next = &dir->children.back();
      }
      dir = next;
    }
    dir->children.push_back(Node{parts.back(), false, i, {}});
  }
  hpi::SortTree(root);
  BlockBuilder layout(files_.size());
  layout.AddDirectory(root);
  std::vector<uint8_t>& block = layout.block;
  if (kStart + block.size() > kMaxArchiveSize) return fail("the archive's directory is too large");

  AtomicFile out(archive_path_);
  if (!out.Open()) return fail(out.Error());

  uint8_t header[kStart];
  hpi::PutHeader(header, static_cast<uint32_t>(kStart + block.size()), 0);  // not encrypted
  // The block goes out now to hold its place; its file records are filled in
  // once the data offsets are known.
  if (!out.Write(header, sizeof header) || !out.Write(block.data(), block.size())) return fail(out.Error());

  std::unique_ptr<ChunkCompressor> compressor;
  if (compress) {
    compressor = std::make_unique<ChunkCompressor>(level);
    if (!compressor->ok()) return fail("zlib could not be started");
  }
  std::vector<uint8_t> data(16 * kChunkSize);
  std::vector<uint8_t> table;

  for (const size_t index : layout.order) {
    const File& file = files_[index];
    Fd fd(::open(file.disk_path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return fail(file.disk_path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return fail(file.disk_path + ": " + std::strerror(errno));
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    const uint64_t offset = out.Position();
    if (size > kMaxArchiveSize || offset + size > kMaxArchiveSize) return fail("the archive would exceed 2 GiB");
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    const bool chunked = compress && size > 0;
    const uint64_t chunks = chunked ? (size + kChunkSize - 1) / kChunkSize : 0;
    const uint64_t table_pos = offset;
    if (chunked) {
      table.assign(4 * chunks, 0);
      if (!out.Write(table.data(), table.size())) return fail(out.Error());
    }
    uint64_t left = size;
    uint64_t c = 0;
    while (left > 0) {
      // Reads go in blocks of several chunks: fewer calls into the system.
      const size_t block_size = static_cast<size_t>(std::min<uint64_t>(left, data.size()));
      const ssize_t got = ReadFull(fd.get(), data.data(), block_size);
      if (got < 0) return fail(file.disk_path + ": " + std::strerror(errno));
      if (static_cast<size_t>(got) != block_size) return fail(file.disk_path + ": the file shrank while it was packed");
      for (size_t at = 0; at < block_size; at += kChunkSize, ++c) {
        const uint32_t want = static_cast<uint32_t>(std::min<size_t>(block_size - at, kChunkSize));
        if (chunked) {
          const uint8_t* chunk = nullptr;
          size_t chunk_size = 0;
          if (!compressor->Make(data.data() + at, want, chunk, chunk_size))
            return fail("zlib failed on " + file.disk_path);
          le::Put32(&table[4 * c], static_cast<uint32_t>(chunk_size));
          if (!out.Write(chunk, chunk_size)) return fail(out.Error());
        } else if (!out.Write(data.data() + at, want)) {
          return fail(out.Error());
        }
        if (out.Position() > kMaxArchiveSize) return fail("the archive would exceed 2 GiB");
        left -= want;
        state.bytes_done += want;
        if (!report()) {
          result.cancelled = true;
          return fail("packing was cancelled");
        }
      }
    }
    uint8_t extra;
    if (ReadFull(fd.get(), &extra, 1) != 0) return fail(file.disk_path + ": the file changed while it was packed");
    if (chunked && !out.WriteAt(table_pos, table.data(), table.size())) return fail(out.Error());

    uint8_t* record = &block[layout.file_record[index]];
    le::Put32(record, static_cast<uint32_t>(offset));
    le::Put32(record + 4, static_cast<uint32_t>(size));
    record[8] = chunked ? hpi::kZlib : hpi::kStored;
    ++state.files_done;
    if (!report()) {
      result.cancelled = true;
      return fail("packing was cancelled");
    }
  }

  if (!out.WriteAt(kStart, block.data(), block.size())) return fail(out.Error());
  if (!out.Commit()) return fail(out.Error());
  result.ok = true;
  error_.clear();
  return result;
}

}  // namespace quilmark
