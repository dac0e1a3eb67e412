// The place-list parse on arbitrary listing output. Names go back to the
// predictor as they came, so each must be bytes of the output unchanged, cut
// short but never inside a character of well-formed text, and trimmed.

#include "engine/LocationGetter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kNameBytes = 52;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "place list: %s\n", what);
  std::abort();
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Well-formed UTF-8: no stray continuation byte, no overlong form, no
// surrogate, nothing above U+10FFFF, no sequence cut short.
bool isWellFormed(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : 0x80;
      high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
      return false;
    }
    if (i + length > text.size())
      return false;
    const auto second = static_cast<unsigned char>(text[i + 1]);
    if (second < low || second > high)
      return false;
    for (std::size_t k = 2; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
        return false;
    i += length;
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int announced = 0;
  const std::vector<std::string> names = parseLocationList(text, [&] { ++announced; });

  if (announced != (names.empty() ? 0 : 1))
    fail("the first name was not announced exactly once");
  const bool wellFormed = isWellFormed(text);
  for (const std::string& name : names) {
    if (name.size() > kNameBytes)
      fail("a name longer than a row holds");
    if (!name.empty() && (isBlank(name.front()) || isBlank(name.back())))
      fail("a name that is not trimmed");
    if (text.find(name) == std::string_view::npos)
      fail("a name whose bytes are not the output's");
    if (wellFormed && !isWellFormed(name))
      fail("a name cut inside a character");
  }
  return 0;
}
