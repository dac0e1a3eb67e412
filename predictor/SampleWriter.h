#pragma once
// Medium-rare lines: "2026-12-05 12:00 AM PST 6.078608", the wall-clock time
// of the sample in the station's zone (or UTC), its zone abbreviation and the
// level with six decimals.

#include "predictor/CivilTime.h"

#include <climits>
#include <cstdint>
#include <string>

namespace tide {

class TimeZone;

class SampleWriter {
public:
  explicit SampleWriter(const TimeZone& zone) : zone_(zone) {}

  // The date and the 12-hour clock: "2026-12-05 12:00 AM".
  static void appendClock(std::string& out, const CivilDateTime& when);
  void appendLine(std::string& out, Seconds instant, double level);

private:
  static constexpr std::size_t dateLength = 10; // "2026-12-05"

  const TimeZone& zone_;
  // Most samples fall on the same day as the one before.
  std::int64_t day_ = INT64_MIN;
  char date_[dateLength] = {};
};

} // namespace tide
