#include "predictor/Text.h"

namespace tide {

namespace {

constexpr unsigned char firstNonAscii = 0x80;
constexpr unsigned char continuationMask = 0xC0;
constexpr unsigned char continuationBits = 0x80;

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & continuationMask) == continuationBits;
}

} // namespace

std::string latin1ToUtf8(std::string_view latin1) {
  bool ascii = true;
  for (const char c : latin1)
    ascii = ascii && static_cast<unsigned char>(c) < firstNonAscii;
  if (ascii)
    return std::string(latin1);
  std::string utf8;
  utf8.reserve(latin1.size());
  for (const char c : latin1) {
    const auto code = static_cast<unsigned char>(c);
    if (code < firstNonAscii) {
      utf8.push_back(c);
    } else {
      utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return utf8;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i]))
      return false;
  return true;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

std::size_t utf8Columns(std::string_view text) {
  std::size_t columns = 0;
  for (const char c : text)
    if (!isContinuation(c))
      ++columns;
  return columns;
}

std::string_view utf8Prefix(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes)
    return text;
  std::size_t end = bytes;
  while (end > 0 && isContinuation(text[end]))
    --end;
  return text.substr(0, end);
}

std::string printable(std::string_view text) {
  std::string shown(text);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      c = '?';
  return shown;
}

} // namespace tide
