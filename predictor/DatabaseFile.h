#pragma once
// Checks a harmonics file before the database library sees it. The library
// trusts its input: an empty file stops it on an assertion and a cut-off file
// on the first station read from the missing part. The text header at the top
// of a database states its own size, which catches both.

#include "predictor/Failure.h"

#include <optional>
#include <string>

namespace tide {

class DatabaseFile {
public:
  // nullopt when the file looks like a whole database.
  static std::optional<Failure> check(const std::string& path);
};

} // namespace tide
