#pragma once
// A station's predicted level as a function of time: heights for tide
// stations, speeds for current stations, in the station's own units.

#include "predictor/CivilTime.h"

#include <cstddef>

namespace tide {

class TideCurve {
public:
  virtual ~TideCurve() = default;
  // Levels at first, first + step, … (n of them), into out.
  virtual void levels(Seconds first, Seconds step, std::size_t n, double* out) const = 0;
};

} // namespace tide
