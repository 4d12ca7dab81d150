// list and extract: what an archive holds, and one of its files.
#include <cstdio>
#include <memory>
#include <ostream>

#include "archive/ArchiveDocuments.h"
#include "base/AtomicFile.h"
#include "base/Latin1.h"
#include "cli/Commands.h"

namespace quilmark {

namespace {

std::unique_ptr<HpiArchive> OpenArchive(const std::string& path, std::ostream& err) {
  std::string why;
  std::unique_ptr<HpiArchive> archive = HpiArchive::Open(path, &why);
  if (!archive) err << path << ": cannot be read: " << why << "\n";
  return archive;
}

}  // namespace

int RunListCommand(const CommandArgs& args, std::ostream& out, std::ostream& err) {
  const auto read = ReadArguments(*FindCommandLine("list"), args, err);
  if (!read) return 2;
  const std::string& path = read->Operand(0);
  const bool json = read->Has("--json");
  const std::unique_ptr<HpiArchive> archive = OpenArchive(path, err);
  if (!archive) return 1;
  bool whole = archive->Notes().empty();
  if (json) out << "{\"complete\": " << (whole ? "true" : "false") << ", \"entries\": [";
  bool first = true;
  for (const HpiEntry& entry : archive->Entries()) {
    const GafLook gaf = LooksLikeGaf(*archive, entry);
    if (gaf == GafLook::Unreadable) {
      err << path << ": " << Latin1ToUtf8(entry.path) << ": its first bytes cannot be read\n";
      whole = false;
    }
    if (json) {
      out << (first ? "" : ", ") << "{\"path\": " << JsonString(entry.path)
          << ", \"folder\": " << (entry.folder ? "true" : "false");
      if (!entry.folder)
        out << ", \"size\": " << entry.size << ", \"storage\": \"" << HpiStorageName(entry.storage) << "\", \"gaf\": "
            << (gaf == GafLook::Yes  ? "true"
                : gaf == GafLook::No ? "false"
                                     : "null");
      out << "}";
    } else {
      char line[64];
      if (entry.folder) {
        std::snprintf(line, sizeof line, "%10s  %-7s %-4s ", "-", "folder", "-");
      } else {
        std::snprintf(line, sizeof line, "%10u  %-7s %-4s ", entry.size, HpiStorageName(entry.storage),
                      gaf == GafLook::Yes  ? "gaf"
                      : gaf == GafLook::No ? "-"
                                           : "?");
      }
      out << line << Latin1ToUtf8(entry.path) << "\n";
    }
    first = false;
  }
  if (json) out << "]}\n";
  for (const std::string& note : archive->Notes()) err << path << ": " << Latin1ToUtf8(note) << "\n";
  return whole ? 0 : 1;
}

int RunExtractCommand(const CommandArgs& args, std::ostream& err) {
  const auto read = ReadArguments(*FindCommandLine("extract"), args, err);
  if (!read) return 2;
  const std::string& path = read->Operand(0);
  const std::unique_ptr<HpiArchive> archive = OpenArchive(path, err);
  if (!archive) return 1;
  const HpiEntry* entry = archive->Find(read->Operand(1));
  if (!entry || entry->folder) {
    err << path << ": ";
    if (entry) {
      err << "\"" << Latin1ToUtf8(entry->path) << "\" is a folder";
    } else {
      err << "no file \"" << read->Operand(1) << "\"";
      if (!archive->Notes().empty()) err << " (the directory could not be read whole)";
    }
    err << "\n";
    return 1;
  }
  AtomicFile file(read->Operand(2));
  if (!file.Open()) {
    err << read->Operand(2) << ": " << file.Error() << "\n";
    return 1;
  }
  std::string why;
  const bool copied = archive->Read(
      *entry, [&file](const uint8_t* data, size_t size) { return file.Write(data, size); }, &why);
  if (!copied) {
    // A write that failed stopped the read; its own reason says more.
    if (file.Error().empty()) {
      err << path << ": " << Latin1ToUtf8(entry->path) << ": " << why << "; nothing was written\n";
    } else {
      err << read->Operand(2) << ": " << file.Error() << "\n";
    }
    return 1;
  }
  if (!file.Commit()) {
    err << read->Operand(2) << ": " << file.Error() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace quilmark
