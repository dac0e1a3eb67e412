#pragma once
// What went wrong, as the one line the predictor prints, and the exit status.

#include <string>

namespace tide {

struct Failure {
  static constexpr int runFailed = 1;
  static constexpr int badCommandLine = 2;

  std::string message; // without the "tide: " prefix
  int exitStatus = runFailed;
};

} // namespace tide
