// The place-list parse on arbitrary listing output. Names go back to the
// predictor as they came, so each must be bytes of the output unchanged, cut
// short but never inside a character of well-formed text, and trimmed.

#include "Utf8Check.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int announced = 0;
  const std::vector<std::string> names = parseLocationList(text, [&] { ++announced; });

  if (announced != (names.empty() ? 0 : 1))
    fail("the first name was not announced exactly once");
  const bool wellFormed = fuzzcheck::isWellFormedUtf8(text);
  for (const std::string& name : names) {
    if (name.size() > kNameBytes)
      fail("a name longer than a row holds");
    if (!name.empty() && (isBlank(name.front()) || isBlank(name.back())))
      fail("a name that is not trimmed");
    if (text.find(name) == std::string_view::npos)
      fail("a name whose bytes are not the output's");
    if (wellFormed && !fuzzcheck::isWellFormedUtf8(name))
      fail("a name cut inside a character");
  }
  return 0;
}
