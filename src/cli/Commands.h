// The batch tool's commands. Each returns the process exit status:
// 0 success, 1 something failed (one line per failure on err), 2 usage error.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quilmark {

int RunInfoCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunConvertCommand(const std::vector<std::string>& args, std::ostream& err);

// JSON text of an 8-bit (Latin-1) string, quotes included.
std::string JsonString(const std::string& latin1);

}  // namespace quilmark
