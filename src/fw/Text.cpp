#include "fw/Text.h"

#include <QChar>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace fw {

namespace {

// A byte that is not part of a well-formed UTF-8 sequence counts as one
// character of its own, and never compares equal to a real code point.
constexpr char32_t kInvalidByteBase = 0x110000;

struct Utf8Char {
  char32_t code;
  std::size_t length;
};

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

Utf8Char decodeAt(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  const Utf8Char invalid{kInvalidByteBase + lead, 1};
  if (lead < 0x80)
    return {lead, 1};
  std::size_t length = 0;
  char32_t code = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, code = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, code = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, code = lead & 0x07, smallest = 0x10000;
  } else {
    return invalid;
  }
  if (pos + length > text.size())
    return invalid;
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[pos + i]);
    if (!isContinuation(byte))
      return invalid;
    code = (code << 6) | (byte & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return invalid;
  return {code, length};
}

void appendUtf8(std::string& out, char32_t code) {
  if (code >= kInvalidByteBase) {
    out += static_cast<char>(code - kInvalidByteBase);
  } else if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Byte offset of the character at 0-based character index `index`, or the
// text's size when the text is shorter.
std::size_t byteOffsetOfChar(std::string_view text, long long index) {
  std::size_t pos = 0;
  for (; index > 0 && pos < text.size(); --index)
    pos += decodeAt(text, pos).length;
  return pos;
}

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

char32_t folded(char32_t code) {
  return code >= kInvalidByteBase ? code : QChar::toCaseFolded(code);
}

std::u32string foldedCodes(std::string_view text) {
  std::u32string codes;
  codes.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char c = decodeAt(text, pos);
    codes += folded(c.code);
    pos += c.length;
  }
  return codes;
}

// 0-based offset of the first case-insensitive match of `find` in `text`, or npos.
std::size_t findAsciiFolded(std::string_view text, std::string_view find) {
  const auto hit = std::search(text.begin(), text.end(), find.begin(), find.end(),
                               [](char a, char b) { return asciiLower(a) == asciiLower(b); });
  return hit == text.end() && !find.empty() ? std::string_view::npos
                                            : static_cast<std::size_t>(hit - text.begin());
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t skipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && isDigit(text[pos]))
    ++pos;
  return pos;
}

// A decimal number that from_chars cannot hold: overflow keeps its sign and
// becomes infinite, underflow becomes zero.
double outOfRangeValue(std::string_view number) {
  const bool negative = number.front() == '-';
  const std::size_t expAt = number.find_first_of("eE");
  const std::string_view mantissa = number.substr(0, expAt);
  long long exponent = 0;
  if (expAt != std::string_view::npos) {
    std::string_view digits = number.substr(expAt + 1);
    const bool negativeExp = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
      digits.remove_prefix(1);
    constexpr long long kExponentCap = 1'000'000'000;
    for (char c : digits)
      exponent = std::min(kExponentCap, exponent * 10 + (c - '0'));
    if (negativeExp)
      exponent = -exponent;
  }
  // Position of the first significant digit relative to the point.
  const std::size_t point = mantissa.find('.');
  const std::size_t intEnd = point == std::string_view::npos ? mantissa.size() : point;
  const std::size_t firstNonZero = mantissa.find_first_of("123456789");
  if (firstNonZero == std::string_view::npos)
    return 0.0;
  const long long magnitude = firstNonZero < intEnd
                                  ? static_cast<long long>(intEnd - firstNonZero)
                                  : -static_cast<long long>(firstNonZero - intEnd) + 1;
  const double huge = std::numeric_limits<double>::infinity();
  if (magnitude + exponent > 0)
    return negative ? -huge : huge;
  return negative ? -0.0 : 0.0;
}

template <typename Number> std::string shortestText(Number value) {
  if (value == 0)
    return "0"; // also for -0
  // Fixed notation reads best for the heights and times the program shows;
  // far outside that range the shortest form (with an exponent) is kept.
  constexpr Number kFixedFrom = Number(1e-5);
  constexpr Number kFixedBelow = Number(1e15);
  const Number magnitude = std::abs(value);
  const bool fixed = std::isfinite(value) && magnitude >= kFixedFrom && magnitude < kFixedBelow;
  char buffer[64];
  const auto result =
      fixed ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

} // namespace

double Val(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && isBlank(text[start]))
    ++start;
  std::size_t pos = start;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
    ++pos;
  const std::size_t intStart = pos;
  pos = skipDigits(text, pos);
  std::size_t digits = pos - intStart;
  if (pos < text.size() && text[pos] == '.') {
    const std::size_t fracStart = pos + 1;
    const std::size_t fracEnd = skipDigits(text, fracStart);
    digits += fracEnd - fracStart;
    pos = fracEnd;
  }
  if (digits == 0)
    return 0.0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    std::size_t expPos = pos + 1;
    if (expPos < text.size() && (text[expPos] == '+' || text[expPos] == '-'))
      ++expPos;
    const std::size_t expEnd = skipDigits(text, expPos);
    if (expEnd > expPos)
      pos = expEnd;
  }
  std::string_view number = text.substr(start, pos - start);
  // from_chars takes neither a leading plus nor depends on the locale.
  if (number.front() == '+')
    number.remove_prefix(1);
  double value = 0.0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range)
    return outOfRangeValue(number);
  return value;
}

std::string Str(double value) {
  return shortestText(value);
}
std::string Str(float value) {
  return shortestText(value);
}
std::string Str(int value) {
  return std::to_string(value);
}
std::string Str(long long value) {
  return std::to_string(value);
}

std::string Format(double value, std::string_view pattern) {
  if (!std::isfinite(value))
    return Str(value);
  // Halves round away from zero, as people expect of a displayed number.
  const double rounded = std::round(value);
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, std::abs(rounded), std::chars_format::fixed, 0);
  if (result.ec != std::errc())
    return Str(value);
  std::string digits(buffer, result.ptr);
  const auto leastDigits =
      static_cast<std::size_t>(std::count(pattern.begin(), pattern.end(), '0'));
  if (digits.size() < leastDigits)
    digits.insert(0, leastDigits - digits.size(), '0');
  return rounded < 0 ? "-" + digits : digits;
}

std::string_view leftWholeCharacters(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes)
    return text;
  std::size_t end = 0;
  for (std::size_t next = 0; (next = end + decodeAt(text, end).length) <= maxBytes;)
    end = next;
  return text.substr(0, end);
}

int Len(std::string_view text) {
  int count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += decodeAt(text, pos).length)
    ++count;
  return count;
}

std::string Left(std::string_view text, int count) {
  if (count <= 0)
    return {};
  return std::string(text.substr(0, byteOffsetOfChar(text, count)));
}

std::string Right(std::string_view text, int count) {
  if (count <= 0)
    return {};
  const int length = Len(text);
  if (count >= length)
    return std::string(text);
  return std::string(text.substr(byteOffsetOfChar(text, length - count)));
}

std::string Mid(std::string_view text, int start) {
  const std::size_t from = byteOffsetOfChar(text, std::max(start, 1) - 1LL);
  return std::string(text.substr(from));
}

std::string Mid(std::string_view text, int start, int count) {
  if (count <= 0)
    return {};
  const std::string_view tail = text.substr(byteOffsetOfChar(text, std::max(start, 1) - 1LL));
  return std::string(tail.substr(0, byteOffsetOfChar(tail, count)));
}

int InStr(std::string_view text, std::string_view find) {
  return InStr(1, text, find);
}

int InStr(int start, std::string_view text, std::string_view find) {
  start = std::max(start, 1);
  const std::size_t from = byteOffsetOfChar(text, start - 1LL);
  if (from == text.size() && start - 1 > Len(text))
    return 0;
  const std::string_view tail = text.substr(from);
  if (isAscii(tail) && isAscii(find)) {
    const std::size_t hit = findAsciiFolded(tail, find);
    return hit == std::string_view::npos ? 0 : start + static_cast<int>(hit);
  }
  const std::u32string haystack = foldedCodes(tail);
  const std::u32string needle = foldedCodes(find);
  const std::size_t hit = haystack.find(needle);
  return hit == std::u32string::npos ? 0 : start + static_cast<int>(hit);
}

int LenB(std::string_view text) {
  return static_cast<int>(text.size());
}

std::string LeftB(std::string_view text, int count) {
  return count <= 0 ? std::string() : std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string RightB(std::string_view text, int count) {
  if (count <= 0)
    return {};
  const std::size_t keep = std::min(text.size(), static_cast<std::size_t>(count));
  return std::string(text.substr(text.size() - keep));
}

std::string MidB(std::string_view text, int start) {
  const std::size_t from = static_cast<std::size_t>(std::max(start, 1) - 1);
  return from >= text.size() ? std::string() : std::string(text.substr(from));
}

std::string MidB(std::string_view text, int start, int count) {
  return count <= 0 ? std::string() : LeftB(MidB(text, start), count);
}

int InStrB(std::string_view text, std::string_view find) {
  return InStrB(1, text, find);
}

int InStrB(int start, std::string_view text, std::string_view find) {
  const std::size_t from = static_cast<std::size_t>(std::max(start, 1) - 1);
  if (from > text.size())
    return 0;
  const std::size_t hit = findAsciiFolded(text.substr(from), find);
  return hit == std::string_view::npos ? 0 : static_cast<int>(from + hit + 1);
}

std::string Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin]))
    ++begin;
  while (end > begin && isBlank(text[end - 1]))
    --end;
  return std::string(text.substr(begin, end - begin));
}

std::string Lowercase(std::string_view text) {
  std::string lower;
  lower.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const Utf8Char c = decodeAt(text, pos);
    appendUtf8(lower, c.code >= kInvalidByteBase ? c.code : QChar::toLower(c.code));
    pos += c.length;
  }
  return lower;
}

bool TextEquals(std::string_view a, std::string_view b) {
  if (isAscii(a) && isAscii(b))
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return asciiLower(x) == asciiLower(y);
           });
  return foldedCodes(a) == foldedCodes(b);
}

int Asc(std::string_view text) {
  if (text.empty())
    return 0;
  const Utf8Char c = decodeAt(text, 0);
  return static_cast<int>(c.code >= kInvalidByteBase ? c.code - kInvalidByteBase : c.code);
}

std::string Chr(int codePoint) {
  if (codePoint < 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return {};
  std::string text;
  appendUtf8(text, static_cast<char32_t>(codePoint));
  return text;
}

std::int32_t ToInt32(double value) {
  if (std::isnan(value))
    return 0;
  const double truncated = std::trunc(value);
  if (truncated >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
    return std::numeric_limits<std::int32_t>::max();
  if (truncated <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(truncated);
}

} // namespace fw
