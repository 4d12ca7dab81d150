#include "cli/CommandInput.h"

#include <ostream>

#include "archive/ArchiveDocuments.h"

namespace quilmark {

CommandInput LoadCommandInput(const std::string& path, classGAF& doc, bool partial, std::ostream& err) {
  CommandInput result;
  const LoadReport report = LoadDocumentArgument(path, doc);
  if (!report.opened) {
    err << path << ": cannot be read: " << report.problem << "\n";
    return result;
  }
  result.complete = report.complete;
  if (!report.complete && !partial) {
    err << path << ": could not be read completely (" << report.problem
        << "); nothing was written (--partial writes what was read)\n";
    return result;
  }
  if (!report.complete) err << path << ": read only in part: " << report.problem << "\n";
  result.loaded = true;
  return result;
}

}  // namespace quilmark
