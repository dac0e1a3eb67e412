#pragma once
// One station as the predictor needs it, copied out of the database library's
// record: names in UTF-8, offsets in seconds, phases ready for UTC.

#include "predictor/CivilTime.h"

#include <optional>
#include <string>
#include <vector>

namespace tide {

enum class Units { feet, meters, knots, knotsSquared, unknown };

constexpr double metresPerFoot = 0.3048;

// The factor that turns a length in `from` units into `to` units; 1 for
// anything that is not a length, as currents have no height to convert.
constexpr double lengthScale(Units from, Units to) {
  if (from == Units::feet && to == Units::meters)
    return metresPerFoot;
  if (from == Units::meters && to == Units::feet)
    return 1 / metresPerFoot;
  return 1;
}

struct Constituent {
  int index = 0;           // the database's constituent number
  double amplitude = 0;    // in the station's units
  double phaseDegrees = 0; // epoch moved to the Greenwich meridian
};

struct SubordinateOffsets {
  Seconds highTime = 0; // high water or maximum flood
  Seconds lowTime = 0;  // low water or maximum ebb
  double highMultiply = 1;
  double lowMultiply = 1;
  double highAdd = 0;
  double lowAdd = 0;
  // Currents: when flood and ebb begin, where the station has them.
  std::optional<Seconds> floodBegins = std::nullopt;
  std::optional<Seconds> ebbBegins = std::nullopt;

  // Every event moves by the same time and its level takes the same
  // correction, so that the station is the reference shifted and scaled.
  bool sameForEveryEvent() const {
    const bool slacksAlike = (!floodBegins || *floodBegins == highTime) &&
                             (!ebbBegins || *ebbBegins == highTime) &&
                             (highAdd == 0 || (!floodBegins && !ebbBegins));
    return highTime == lowTime && highMultiply == lowMultiply && highAdd == lowAdd && slacksAlike;
  }
};

struct StationRecord {
  std::string name;
  std::string zone; // ":America/Los_Angeles"
  Units units = Units::unknown;
  bool reference = true;
  int referenceRecord = -1; // for a subordinate station
  double datum = 0;
  std::vector<Constituent> constituents;
  SubordinateOffsets offsets;
};

} // namespace tide
