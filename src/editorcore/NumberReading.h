// How typed numbers and stored settings are read.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quilmark {

// Leading blanks, tabs and line feeds are skipped; the longest prefix that is a
// decimal number (sign, digits, "." and digits, exponent "E" or "D" with sign
// and digits) is read, blanks inside it ignored; "&H" reads hexadecimal and
// "&O" octal digits. Text without such a prefix reads as 0. Empty when the
// number is too large to hold.
std::optional<double> ReadNumber(std::string_view text);

// Nearest integer, halves to the even neighbour; empty when it does not fit.
std::optional<int32_t> RoundToInt32(double value);
std::optional<int16_t> RoundToInt16(double value);

}  // namespace quilmark
