#include "document/CommandInput.h"

#include <ostream>

#include "document/FileAccess.h"

namespace quilmark {

CommandInput LoadCommandInput(const std::string& path, classGAF& doc, bool partial, std::ostream& err) {
  CommandInput result;
  {
    InputFile probe;
    if (!probe.Open(path)) {
      err << path << ": cannot be read: " << probe.Error() << "\n";
      return result;
    }
  }
  LoadReport report;
  doc.Load(path, nullptr, &report);
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
