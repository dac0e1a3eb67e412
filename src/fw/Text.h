#pragma once
// Text helpers on UTF-8 std::string. Character forms (Left, Mid, Len, InStr)
// count UTF-8 characters; the B forms count bytes. Positions are 1-based and
// InStr gives 0 when the text is absent. Comparisons ignore letter case (the
// B forms fold only ASCII letters). A byte that is not well-formed UTF-8
// counts as one character.

#include <cstdint>
#include <string>
#include <string_view>

namespace fw {

double Val(std::string_view text);
std::string Str(double value);
std::string Str(float value);
std::string Str(int value);
std::string Str(long long value);
// The value rounded to a whole number, with zeros in front to at least as many
// digits as the pattern has "0"s ("00" gives "05").
std::string Format(double value, std::string_view pattern);

int Len(std::string_view text);
std::string Left(std::string_view text, int count);
std::string Right(std::string_view text, int count);
std::string Mid(std::string_view text, int start);
std::string Mid(std::string_view text, int start, int count);
int InStr(std::string_view text, std::string_view find);
int InStr(int start, std::string_view text, std::string_view find);

int LenB(std::string_view text);
std::string LeftB(std::string_view text, int count);
std::string RightB(std::string_view text, int count);
std::string MidB(std::string_view text, int start);
std::string MidB(std::string_view text, int start, int count);
int InStrB(std::string_view text, std::string_view find);
int InStrB(int start, std::string_view text, std::string_view find);

// The longest start of the text within maxBytes bytes that splits no character;
// bytes that are not well-formed UTF-8 are cut where they fall.
std::string_view leftWholeCharacters(std::string_view text, std::size_t maxBytes);

std::string Trim(std::string_view text);
std::string Lowercase(std::string_view text);
bool TextEquals(std::string_view a, std::string_view b);
int Asc(std::string_view text);
std::string Chr(int codePoint);

// Truncation toward zero, saturating instead of overflowing.
std::int32_t ToInt32(double value);

} // namespace fw
