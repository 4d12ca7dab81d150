#include "base/PathNames.h"

namespace quilmark {

std::string StripPath(const std::string& path) {
  const auto pos = path.rfind('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string GetFolder(const std::string& path) {
  const auto pos = path.rfind('/');
  return pos == std::string::npos ? path : path.substr(0, pos);
}

std::string GetDrive(const std::string& path) {
  if (!path.empty() && path[0] == '/') return "/";
  return path.substr(0, 3);
}

}  // namespace quilmark
