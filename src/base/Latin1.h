// Names are 8-bit text: the game's code page is Latin-1 for its letters. The
// conversions to and from the UTF-8 of file names and of text outside the
// program.
#pragma once

#include <string>
#include <string_view>

namespace quilmark {

// A name as UTF-8 text, for file names and text outside the program.
std::string Latin1ToUtf8(std::string_view text);
// A name from UTF-8 text, for names taken from file names: each character
// becomes its Latin-1 byte, or '?' when Latin-1 has none. Bytes that are not
// UTF-8 (a file name in an 8-bit encoding) are kept as they are.
std::string Utf8ToLatin1(std::string_view text);

}  // namespace quilmark
