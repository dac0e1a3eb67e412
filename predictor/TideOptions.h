#pragma once
// What the command line asked for.

#include "predictor/CivilTime.h"

#include <optional>
#include <string>

namespace tide {

enum class Mode { none, list, mediumRare };
enum class UnitChoice { station, feet, meters };

struct TideOptions {
  Mode mode = Mode::none;
  bool version = false;
  bool utc = false;
  UnitChoice units = UnitChoice::station;
  std::optional<std::string> station;
  std::optional<CivilDateTime> begin;
  std::optional<CivilDateTime> end;
  Seconds step = secondsPerHour;
};

} // namespace tide
