#pragma once
// Finds the highs and lows of a reference station: the slope of the harmonic
// sum is sampled every few minutes and each change of sign is narrowed down to
// well under a second. Two turns closer together than a sampling step cancel
// out and are not seen, which keeps highs and lows alternating.

#include "predictor/HarmonicCurve.h"
#include "predictor/TideEvent.h"

#include <vector>

namespace tide {

class ExtremaFinder {
public:
  static constexpr Seconds samplingStep = 6 * secondsPerMinute;

  static std::vector<TideEvent> find(const HarmonicCurve& curve, Seconds from, Seconds to);

private:
  static double refine(const HarmonicCurve& curve, double before, double slopeBefore, double after,
                       double slopeAfter);
};

} // namespace tide
