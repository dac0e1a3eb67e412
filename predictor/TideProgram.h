#pragma once
// The `tide` program: reads the command line, opens the databases of
// HFILE_PATH, and either lists the stations or predicts one station's levels
// at even steps. Every failure is one line "tide: …" on stderr with a non-zero
// status, and is found before anything is written to stdout.

#include "predictor/CivilTime.h"
#include "predictor/Failure.h"
#include "predictor/TideOptions.h"

#include <optional>
#include <string>
#include <vector>

namespace tide {

class HarmonicsDatabase;
class StationCatalog;

class TideProgram {
public:
  struct Environment {
    std::optional<std::string> hfilePath;
    Seconds now = 0;
    int out = 1;
    int err = 2;
  };

  static constexpr const char* version = "tide 1.0";

  static int run(const std::vector<std::string>& arguments, const Environment& environment);

private:
  static std::optional<Failure> predict(const TideOptions& options, StationCatalog& catalog,
                                        HarmonicsDatabase& database,
                                        const Environment& environment);
  static int report(const Failure& failure, int err);
};

} // namespace tide
