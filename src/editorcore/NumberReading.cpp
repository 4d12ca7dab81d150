#include "editorcore/NumberReading.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace quilmark {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::optional<double> ReadRadix(std::string_view text, size_t i, int radix) {
  double value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsBlank(c)) continue;
    int digit;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (radix == 16 && std::isxdigit(static_cast<unsigned char>(c)))
      digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    else
      break;
    if (digit >= radix) break;
    value = value * radix + digit;
    if (value > static_cast<double>(std::numeric_limits<uint64_t>::max())) return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<double> ReadNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i + 1 < text.size() && text[i] == '&') {
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
    if (kind == 'H') return ReadRadix(text, i + 2, 16);
    if (kind == 'O') return ReadRadix(text, i + 2, 8);
  }
  // Gather the characters of the longest numeric prefix, blanks left out.
  std::string number;
  auto peek = [&](size_t& j) -> char {
    while (j < text.size() && IsBlank(text[j])) ++j;
    return j < text.size() ? text[j] : '\0';
  };
  size_t j = i;
  char c = peek(j);
  if (c == '+' || c == '-') {
    number += c;
    ++j;
  }
  bool digits = false;
  while (std::isdigit(static_cast<unsigned char>(c = peek(j)))) {
    number += c;
    digits = true;
    ++j;
  }
  if (peek(j) == '.') {
    size_t k = j + 1;
    std::string frac = ".";
    while (std::isdigit(static_cast<unsigned char>(c = peek(k)))) {
      frac += c;
      ++k;
    }
    if (frac.size() > 1 || digits) {
      number += frac;
      digits = digits || frac.size() > 1;
      j = k;
    }
  }
  if (!digits) return 0.0;
  c = peek(j);
  if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
    size_t k = j + 1;
    std::string exponent = "e";
    char s = peek(k);
    if (s == '+' || s == '-') {
      exponent += s;
      ++k;
    }
    bool expDigits = false;
    while (std::isdigit(static_cast<unsigned char>(c = peek(k)))) {
      exponent += c;
      expDigits = true;
      ++k;
    }
    if (expDigits) number += exponent;
  }
  const double value = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int32_t> RoundToInt32(double value) {
  const double r = std::nearbyint(value);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) return std::nullopt;
  return static_cast<int32_t>(r);
}

std::optional<int16_t> RoundToInt16(double value) {
  const double r = std::nearbyint(value);
  if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max())) return std::nullopt;
  return static_cast<int16_t>(r);
}

}  // namespace quilmark
