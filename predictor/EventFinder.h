#pragma once
// Finds the events of a reference station's curve: its turning points, and
// for currents where asked the zero crossings between them. The slope of the
// harmonic sum is sampled every few minutes; each change of its sign, and
// each dip of its size between samples that reaches zero, is narrowed down
// to a small fraction of a second.

#include "predictor/HarmonicCurve.h"
#include "predictor/TideEvent.h"

#include <vector>

namespace tide {

class EventFinder {
public:
  static constexpr Seconds samplingStep = 12 * secondsPerMinute;

  struct Wanted {
    bool current = false;     // turns that stay on one side of zero are minimum flood or ebb
    bool floodBegins = false; // rising zero crossings
    bool ebbBegins = false;   // falling zero crossings
  };

  // The events from `from` to `to`, in order of time.
  static std::vector<TideEvent> find(const HarmonicCurve& curve, Seconds from, Seconds to,
                                     const Wanted& wanted);

private:
  struct Turn {
    double time = 0;
    double sum = 0; // the harmonic sum there
    bool high = false;
  };
  static std::vector<Turn> turningPoints(const HarmonicCurve& curve, Seconds from, Seconds to);
  static void addDip(const HarmonicCurve& curve, double before, double after, bool rising,
                     std::vector<Turn>& turns);
};

} // namespace tide
