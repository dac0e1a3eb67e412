#pragma once
// Wall-clock readings of a station's time zone, taken from the system's
// time-zone database through the C library. The C library keeps one zone per
// process (TZ), so only one non-UTC TimeZone is meaningful at a time.
//
// Samples come in long runs of increasing instants; the zone is asked once per
// stretch without a change, and the reading is reused until the next change.

#include "predictor/CivilTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace tide {

class TimeZone {
public:
  struct Reading {
    int offsetSeconds = 0; // local minus UTC
    bool daylight = false;
    std::string abbreviation = "UTC";
    bool operator==(const Reading&) const = default;
  };

  static TimeZone utc() { return TimeZone(); }
  // A database zone name such as ":America/Los_Angeles"; nullopt when the
  // system has no such zone.
  static std::optional<TimeZone> open(std::string_view databaseName);

  const Reading& at(Seconds instant) const;
  // A wall-clock time of this zone as an instant. A time that occurs twice
  // (clocks set back) is its first occurrence; a time skipped when clocks go
  // forward is read with the offset in force before the change.
  Seconds toInstant(const CivilDateTime& wallClock) const;
  bool isUtc() const { return utc_; }

private:
  TimeZone() = default;
  Reading probe(Seconds instant) const;
  Seconds nextChange(Seconds from, const Reading& reading) const;

  bool utc_ = true;
  mutable Reading cached_;
  mutable Seconds cachedFrom_ = 1;
  mutable Seconds cachedUntil_ = 0; // empty until the first reading
};

} // namespace tide
