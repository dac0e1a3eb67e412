#pragma once
// Small text helpers for station names: the database stores ISO-8859-1, the
// predictor prints and reads UTF-8, and names are compared ignoring ASCII case.

#include <string>
#include <string_view>

namespace tide {

std::string latin1ToUtf8(std::string_view latin1);
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
// Characters, not bytes, of UTF-8 text: what a reader sees as columns.
std::size_t utf8Columns(std::string_view text);
// The longest start of `text` of at most `bytes` bytes that does not split a character.
std::string_view utf8Prefix(std::string_view text, std::size_t bytes);
// Control characters shown as '?', so that a message stays on one line.
std::string printable(std::string_view text);

} // namespace tide
