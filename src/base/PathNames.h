// Path helpers on file names as bytes; "/" separates folders.
#pragma once

#include <string>

namespace quilmark {

// The text after the last "/", the whole text when there is none.
std::string StripPath(const std::string& path);
// The text before the last "/", the whole text when there is none.
std::string GetFolder(const std::string& path);
// The root of the path: "/" for an absolute path, else its first three characters.
std::string GetDrive(const std::string& path);

}  // namespace quilmark
