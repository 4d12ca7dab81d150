#include "base/Latin1.h"

namespace quilmark {

namespace {
// The character of the well-formed UTF-8 sequence that starts at text[at] and
// the sequence's length; length 0 when none starts there (a stray or
// truncated sequence, an overlong form, a surrogate or a value past U+10FFFF).
struct Utf8Char {
  char32_t code = 0;
  size_t length = 0;
};
Utf8Char DecodeUtf8(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return {lead, 1};
  size_t length = 0;
  char32_t code = 0, least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1Fu, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0Fu, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07u, least = 0x10000;
  } else {
    return {};
  }
  if (text.size() - at < length) return {};
  for (size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(text[at + k]);
    if ((c & 0xC0) != 0x80) return {};
    code = (code << 6) | (c & 0x3Fu);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return {};
  return {code, length};
}
}  // namespace

std::string Latin1ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToLatin1(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    const Utf8Char c = DecodeUtf8(text, at);
    if (c.length == 0) {
      out += text[at++];
      continue;
    }
    out += c.code <= 0xFF ? static_cast<char>(c.code) : '?';
    at += c.length;
  }
  return out;
}

}  // namespace quilmark
