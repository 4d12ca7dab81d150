#include "archive/ArchiveDocuments.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "archive/HpiWriter.h"
#include "archive/UfoExport.h"
#include "base/AtomicFile.h"
#include "base/PathNames.h"

namespace quilmark {

bool SplitArchiveArgument(const std::string& argument, std::string& archive, std::string& path) {
  const size_t colon = argument.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  struct stat st {};
  if (::stat(argument.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR)) return false;
  archive = argument.substr(0, colon);
  path = argument.substr(colon + 1);
  return IsHpiArchive(archive);
}

namespace {

LoadReport NotOpened(const std::string& why) {
  LoadReport report;
  report.opened = false;
  report.complete = false;
  report.problem = why;
  return report;
}

}  // namespace

std::string ShownArchiveName(const std::string& name) {
  std::string archive, path;
  return SplitArchiveArgument(name, archive, path) ? StripPath(archive) + ": " + path : std::string();
}

GafLook LooksLikeGaf(HpiArchive& archive, const HpiEntry& entry) {
  // A GAF file starts with its version, 0x00010100.
  constexpr uint8_t kGafStart[4] = {0x00, 0x01, 0x01, 0x00};
  if (entry.folder || entry.size < sizeof kGafStart) return GafLook::No;
  const std::vector<uint8_t> head = archive.ReadHead(entry, sizeof kGafStart);
  if (head.size() < sizeof kGafStart) return GafLook::Unreadable;
  return std::equal(head.begin(), head.end(), kGafStart) ? GafLook::Yes : GafLook::No;
}

LoadReport LoadFromArchive(HpiArchive& archive, const std::string& path, classGAF& doc) {
  const HpiEntry* entry = archive.Find(path);
  if (!entry) return NotOpened("the archive has no file \"" + path + "\"");
  if (entry->folder) return NotOpened("\"" + entry->path + "\" is a folder in the archive");
  std::vector<uint8_t> bytes;
  std::string why;
  if (!archive.ReadAll(*entry, bytes, &why)) return NotOpened("\"" + entry->path + "\" cannot be read: " + why);
  return doc.LoadBytes(bytes.data(), bytes.size());
}

HpiUpdateResult PutDocument(const classGAF& doc, const std::string& archive, std::string_view path, bool keep_key) {
  AtomicFile scratch(UfoTemporaryPath(archive), AtomicFile::Scratch{});
  const SaveResult saved = doc.Save(scratch);
  HpiUpdateResult result;
  if (!saved) {
    result.error = "the document could not be saved as " + scratch.Target() + ": " + saved.error;
    return result;
  }
  result = ReplaceEntry(archive, path, scratch.Target(), keep_key);
  std::string why;
  if (!scratch.Remove(&why))
    result.warning = "the temporary file " + scratch.Target() + " could not be removed: " + why;
  return result;
}

LoadReport LoadDocumentArgument(const std::string& argument, classGAF& doc) {
  std::string archive_path, path;
  if (!SplitArchiveArgument(argument, archive_path, path)) return doc.Load(argument);
  std::string why;
  const std::unique_ptr<HpiArchive> archive = HpiArchive::Open(archive_path, &why);
  if (!archive) return NotOpened(why);
  return LoadFromArchive(*archive, path, doc);
}

std::string DocumentArgumentName(const std::string& argument) {
  std::string archive, path;
  if (!SplitArchiveArgument(argument, archive, path)) return StripPath(argument);
  const std::vector<std::string> parts = SplitArchivePath(path);
  return parts.empty() ? std::string() : parts.back();
}

}  // namespace quilmark
