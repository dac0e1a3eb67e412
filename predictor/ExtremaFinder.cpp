#include "predictor/ExtremaFinder.h"

#include <algorithm>

namespace tide {

namespace {

constexpr double precisionSeconds = 0.25;
constexpr int falsePositionSteps = 12;
constexpr std::size_t blockSamples = 4096;

} // namespace

double ExtremaFinder::refine(const HarmonicCurve& curve, double before, double slopeBefore,
                             double after, double slopeAfter) {
  // The slope changes sign once in the bracket and is smooth there: false
  // position, halving the weight of an end that stays put (the Illinois
  // variant), closes in within a few steps; plain halving takes over should
  // it ever dawdle.
  int keptBefore = 0;
  int keptAfter = 0;
  for (int step = 0; after - before > precisionSeconds; ++step) {
    double middle = (before + after) / 2;
    if (step < falsePositionSteps && slopeAfter != slopeBefore) {
      const double guess = before - slopeBefore * (after - before) / (slopeAfter - slopeBefore);
      if (guess > before && guess < after)
        middle = guess;
    }
    const double slope = curve.slope(middle);
    if (slope == 0)
      return middle;
    if ((slope > 0) == (slopeBefore > 0)) {
      before = middle;
      slopeBefore = slope;
      keptBefore = 0;
      if (++keptAfter >= 2)
        slopeAfter /= 2;
    } else {
      after = middle;
      slopeAfter = slope;
      keptAfter = 0;
      if (++keptBefore >= 2)
        slopeBefore /= 2;
    }
  }
  return (before + after) / 2;
}

std::vector<TideEvent> ExtremaFinder::find(const HarmonicCurve& curve, Seconds from, Seconds to) {
  std::vector<TideEvent> events;
  if (to <= from)
    return events;
  const std::size_t count = static_cast<std::size_t>((to - from) / samplingStep) + 1;
  std::vector<double> slopes(blockSamples + 1);
  double previous = 0;
  bool havePrevious = false;
  for (std::size_t done = 0; done < count; done += blockSamples) {
    const std::size_t n = std::min(blockSamples, count - done);
    const Seconds blockStart = from + static_cast<Seconds>(done) * samplingStep;
    curve.slopes(blockStart, samplingStep, n, slopes.data());
    for (std::size_t i = 0; i < n; ++i) {
      const double slope = slopes[i];
      if (havePrevious) {
        const bool high = previous > 0 && slope <= 0;
        const bool low = previous < 0 && slope >= 0;
        if (high || low) {
          const double after =
              static_cast<double>(blockStart + static_cast<Seconds>(i) * samplingStep);
          const double time = refine(curve, after - samplingStep, previous, after, slope);
          events.push_back(TideEvent{time, curve.level(time), high});
        }
      }
      previous = slope;
      havePrevious = true;
    }
  }
  return events;
}

} // namespace tide
