#pragma once
// Reads the predictor's options. Each option's value is attached (`-ml`) or
// the next argument (`-b "2026-12-05 00:00"`); anything not understood is an
// error that names it.

#include "predictor/Failure.h"
#include "predictor/TideOptions.h"

#include <string>
#include <variant>
#include <vector>

namespace tide {

class CommandLine {
public:
  static std::variant<TideOptions, Failure> parse(const std::vector<std::string>& arguments);

private:
  static std::optional<Failure> apply(char option, const std::string& value, TideOptions& options);
};

} // namespace tide
