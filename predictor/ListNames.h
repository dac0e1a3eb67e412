#pragma once
// The names that list mode prints and that `-l` accepts back. A reader keeps
// only the first 51 columns of a list line, so every list name must fit there
// and still tell its station apart from every other one. A name that fits is
// kept; a longer one is shortened step by step (state names, depths, compass
// words, common words) and cut only as a last resort, keeping the endings that
// tell kinds of stations apart ("Current", "(sub)").

#include <string>
#include <string_view>
#include <vector>

namespace tide {

class ListNames {
public:
  static constexpr std::size_t width = 51;

  // One list name per full name, in the same order, unique ignoring case.
  // Earlier names win a clash, and names that fit unchanged win over
  // shortened ones.
  static std::vector<std::string> make(const std::vector<std::string>& fullNames);
  // Whether a full name is its own list name (unless an earlier station has it too).
  static bool keepsName(std::string_view fullName);
  // The shortened name alone, before clashes are settled.
  static std::string shorten(std::string_view fullName);
};

} // namespace tide
