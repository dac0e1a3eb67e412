#include "engine/TimeAndTide.h"

#include "fw/Yield.h"

namespace {
constexpr double secondsPerDay = 86400.0;
}

void TimeAndTide::Append(double t, float v) {
  const auto n = static_cast<std::size_t>(ntimesandtides);
  // resize rather than push_back: the first Append drops the two placeholder
  // zeros, so the arrays then hold exactly the entries. Growth stays amortised.
  times.resize(n + 1);
  tides.resize(n + 1);
  times[n] = t;
  tides[n] = v;
  ntimesandtides = static_cast<std::int32_t>(n + 1);
}

bool TimeAndTide::TidesOnDay(double d) const {
  const double dayEnd = d + secondsPerDay;
  for (std::int32_t i = 0; i < ntimesandtides; ++i) {
    const double t = times[static_cast<std::size_t>(i)];
    if (t >= d && t < dayEnd) {
      return true;
    }
    fw::yield();
  }
  return false;
}
