#include "predictor/ExtremaFinder.h"

namespace tide {

namespace {

constexpr double precisionSeconds = 0.25;
constexpr std::size_t blockSamples = 4096;

} // namespace

double ExtremaFinder::refine(const HarmonicCurve& curve, double before, double after, bool high) {
  // Before a high the curve rises (slope > 0); before a low it falls.
  while (after - before > precisionSeconds) {
    const double middle = (before + after) / 2;
    const double slope = curve.slope(middle);
    if ((slope > 0) == high && slope != 0)
      before = middle;
    else
      after = middle;
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
          const double time = refine(curve, after - samplingStep, after, high);
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
