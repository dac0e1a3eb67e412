#pragma once
// A growable series of (time, value) pairs, shared by std::shared_ptr between the
// search shell that fills it and the window and charts that read it. Times are
// fw::Date TotalSeconds; values are heights (collected samples) or lengths in
// seconds (found periods). Readers bound their loops by ntimesandtides: before
// the first Append the arrays hold two zeros that are not entries.

#include <cstdint>
#include <vector>

class TimeAndTide {
public:
  std::int32_t ntimesandtides = 0;
  std::vector<double> times = std::vector<double>(2, 0.0);
  std::vector<float> tides = std::vector<float>(2, 0.0f);

  void Append(double t, float v);
  // True when some entry lies in the day that starts at d: d <= time < d + 86400.
  bool TidesOnDay(double d) const;
};
