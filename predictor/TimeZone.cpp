#include "predictor/TimeZone.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>

namespace tide {

namespace {

constexpr const char* systemZoneFolder = "/usr/share/zoneinfo";
// Rules change at most a few times a year; a day between probes finds every
// change of a real zone, and the search stops after a year and a bit.
constexpr Seconds probeStride = secondsPerDay;
constexpr int probesAhead = 400;

bool zoneFileExists(const std::string& name) {
  if (name.empty() || name.front() == '/' || name.find("..") != std::string::npos)
    return false;
  const char* folder = std::getenv("TZDIR");
  const std::string path = std::string(folder && *folder ? folder : systemZoneFolder) + "/" + name;
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::optional<TimeZone> TimeZone::open(std::string_view databaseName) {
  std::string name(databaseName);
  if (!name.empty() && name.front() == ':')
    name.erase(0, 1);
  if (!zoneFileExists(name))
    return std::nullopt;
  setenv("TZ", (":" + name).c_str(), 1);
  tzset();
  TimeZone zone;
  zone.utc_ = false;
  return zone;
}

TimeZone::Reading TimeZone::probe(Seconds instant) const {
  Reading reading;
  if (utc_)
    return reading;
  const std::time_t t = static_cast<std::time_t>(instant);
  std::tm fields{};
  if (!localtime_r(&t, &fields))
    return reading;
  reading.offsetSeconds = static_cast<int>(fields.tm_gmtoff);
  reading.daylight = fields.tm_isdst > 0;
  reading.abbreviation = fields.tm_zone ? fields.tm_zone : "";
  return reading;
}

Seconds TimeZone::nextChange(Seconds from, const Reading& reading) const {
  Seconds same = from;
  for (int i = 1; i <= probesAhead; ++i) {
    const Seconds ahead = from + i * probeStride;
    if (probe(ahead) == reading) {
      same = ahead;
      continue;
    }
    Seconds changed = ahead;
    while (changed - same > 1) {
      const Seconds middle = same + (changed - same) / 2;
      if (probe(middle) == reading)
        same = middle;
      else
        changed = middle;
    }
    return changed;
  }
  return same;
}

const TimeZone::Reading& TimeZone::at(Seconds instant) const {
  if (instant >= cachedFrom_ && instant < cachedUntil_)
    return cached_;
  cached_ = probe(instant);
  cachedFrom_ = instant;
  cachedUntil_ = utc_ ? instant + probesAhead * probeStride : nextChange(instant, cached_);
  return cached_;
}

Seconds TimeZone::toInstant(const CivilDateTime& wallClock) const {
  const Seconds local = secondsFromCivil(wallClock);
  const int offsetBefore = at(local - secondsPerDay).offsetSeconds;
  const int offsetAfter = at(local + secondsPerDay).offsetSeconds;
  const Seconds first = local - offsetBefore;
  const Seconds second = local - offsetAfter;
  const bool firstFits = at(first).offsetSeconds == offsetBefore;
  const bool secondFits = at(second).offsetSeconds == offsetAfter;
  if (firstFits && secondFits)
    return std::min(first, second);
  if (secondFits)
    return second;
  return first;
}

} // namespace tide
