// The batch tool's folder commands: a document as a folder of images with a
// manifest, and back. Each returns the process exit status: 0 success, 1
// something failed (one line per failure on err), 2 usage error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quilmark {

// explode FILE.gaf DIR [--format png|bmp]
int RunExplodeCommand(const std::vector<std::string>& args, std::ostream& err, const std::string& palette = "");
// implode DIR OUT.gaf — OUT is written only when the whole folder was read.
int RunImplodeCommand(const std::vector<std::string>& args, std::ostream& err, const std::string& palette = "");

extern const char* const kExplodeUsage;
extern const char* const kImplodeUsage;

}  // namespace quilmark
