#include "archive/ArchiveDocuments.h"

#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "archive/HpiReader.h"
#include "archive/HpiWriter.h"
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

LoadReport LoadDocumentArgument(const std::string& argument, classGAF& doc) {
  std::string archive_path, path;
  if (!SplitArchiveArgument(argument, archive_path, path)) return doc.Load(argument);
  std::string why;
  const std::unique_ptr<HpiArchive> archive = HpiArchive::Open(archive_path, &why);
  if (!archive) return NotOpened(why);
  const HpiEntry* entry = archive->Find(path);
  if (!entry) return NotOpened("the archive has no file \"" + path + "\"");
  if (entry->folder) return NotOpened("\"" + entry->path + "\" is a folder in the archive");
  std::vector<uint8_t> bytes;
  if (!archive->ReadAll(*entry, bytes, &why)) return NotOpened("\"" + entry->path + "\" cannot be read: " + why);
  return doc.LoadBytes(bytes.data(), bytes.size());
}

std::string DocumentArgumentName(const std::string& argument) {
  std::string archive, path;
  if (!SplitArchiveArgument(argument, archive, path)) return StripPath(argument);
  const std::vector<std::string> parts = SplitArchivePath(path);
  return parts.empty() ? std::string() : parts.back();
}

}  // namespace quilmark
