#include "predictor/EventFinder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tide {

namespace {

constexpr double precisionSeconds = 1e-5;
// A Newton step this short leaves an error of about its square times the
// curve's angular speed (under 10^-3 per second): a microsecond or less.
constexpr double lastStepSeconds = 0.1;
constexpr double dipPrecisionSeconds = 1;
constexpr int mostSteps = 60;
constexpr std::size_t blockSamples = 4096;
const double goldenSection = (3 - std::sqrt(5.0)) / 2;

// A function whose zero is looked for, at one time: its value, its rate of
// change, and the harmonic sum there.
struct Probe {
  double value = 0;
  double ratePerHour = 0;
  double sum = 0;
};

struct Zero {
  double time = 0;
  double sum = 0; // the harmonic sum there
};

// The one zero of `f` between `before` and `after`, where it changes sign
// and is smooth. Newton's steps from a good guess close in within a few
// steps; a step that would leave the shrinking bracket halves it instead.
template <class Function>
Zero zeroBetween(const Function& f, double before, bool risingAtBefore, double after,
                 double guess) {
  double t = guess;
  Probe at;
  for (int step = 0; step < mostSteps; ++step) {
    at = f(t);
    if (at.value == 0)
      return Zero{t, at.sum};
    if ((at.value < 0) == risingAtBefore)
      before = t;
    else
      after = t;
    const double newton = -at.value / at.ratePerHour * static_cast<double>(secondsPerHour);
    if (t + newton >= before && t + newton <= after) {
      // The sum is flat at a turning point and its change over so short a
      // step is far below the precision of a level.
      if (std::fabs(newton) < lastStepSeconds)
        return Zero{t + newton, at.sum};
      t += newton;
    } else {
      if (after - before < precisionSeconds)
        break;
      t = (before + after) / 2;
    }
  }
  return Zero{t, at.sum};
}

// Where a straight line between two values crosses zero.
double straightLineGuess(double before, double fBefore, double after, double fAfter) {
  return before - fBefore * (after - before) / (fAfter - fBefore);
}

// The slope, whose zeros are the turning points, and its rate.
auto slopeOf(const HarmonicCurve& curve) {
  return [&curve](double t) {
    const HarmonicCurve::Rates rates = curve.rates(t);
    return Probe{rates.slope, rates.curvature, rates.sum};
  };
}

Zero turnBetween(const HarmonicCurve& curve, double before, double slopeBefore, double after,
                 double slopeAfter) {
  return zeroBetween(slopeOf(curve), before, slopeBefore < 0, after,
                     straightLineGuess(before, slopeBefore, after, slopeAfter));
}

} // namespace

void EventFinder::addDip(const HarmonicCurve& curve, double before, double after, bool rising,
                         std::vector<Turn>& turns) {
  // The slope keeps its sign at three samples but is smallest at the middle
  // one: look for the least slope between the outer two, and if it has the
  // other sign, the curve turns twice in between.
  const auto toward = [&](double t) {
    const double slope = curve.rates(t).slope;
    return rising ? slope : -slope;
  };
  double a = before;
  double b = after;
  double c = a + goldenSection * (b - a);
  double d = b - goldenSection * (b - a);
  double fc = toward(c);
  double fd = toward(d);
  while (fc > 0 && fd > 0 && b - a > dipPrecisionSeconds) {
    if (fc < fd) {
      b = d;
      d = c;
      fd = fc;
      c = a + goldenSection * (b - a);
      fc = toward(c);
    } else {
      a = c;
      c = d;
      fc = fd;
      d = b - goldenSection * (b - a);
      fd = toward(d);
    }
  }
  if (fc > 0 && fd > 0)
    return;
  const double dip = fc <= 0 ? c : d;
  const double slopeAtDip = curve.rates(dip).slope;
  const Zero first = turnBetween(curve, before, curve.rates(before).slope, dip, slopeAtDip);
  const Zero second = turnBetween(curve, dip, slopeAtDip, after, curve.rates(after).slope);
  turns.push_back(Turn{first.time, first.sum, rising});
  turns.push_back(Turn{second.time, second.sum, !rising});
}

std::vector<EventFinder::Turn> EventFinder::turningPoints(const HarmonicCurve& curve, Seconds from,
                                                          Seconds to) {
  std::vector<Turn> turns;
  const std::size_t count = static_cast<std::size_t>((to - from) / samplingStep) + 1;
  std::vector<double> slopes(blockSamples);
  // The two samples before the current one; a slope of 0 counts as a change.
  double older = 0;
  double previous = 0;
  for (std::size_t done = 0; done < count; done += blockSamples) {
    const std::size_t n = std::min(blockSamples, count - done);
    const Seconds blockStart = from + static_cast<Seconds>(done) * samplingStep;
    curve.slopes(blockStart, samplingStep, n, slopes.data());
    for (std::size_t i = 0; i < n; ++i) {
      const double current = slopes[i];
      const double after = static_cast<double>(blockStart + static_cast<Seconds>(i) * samplingStep);
      const double before = after - samplingStep;
      if (done + i >= 1 && previous != 0 && (current > 0) != (previous > 0)) {
        const Zero turn = turnBetween(curve, before, previous, after, current);
        turns.push_back(Turn{turn.time, turn.sum, previous > 0});
      } else if (done + i >= 2 && (older > 0) == (previous > 0) &&
                 (previous > 0) == (current > 0) && std::fabs(previous) < std::fabs(older) &&
                 std::fabs(previous) <= std::fabs(current)) {
        addDip(curve, before - samplingStep, after, previous > 0, turns);
      }
      older = previous;
      previous = current;
    }
  }
  return turns;
}

std::vector<TideEvent> EventFinder::find(const HarmonicCurve& curve, Seconds from, Seconds to,
                                         const Wanted& wanted) {
  std::vector<TideEvent> events;
  if (to <= from)
    return events;
  const double zero = curve.sumAtLevel(0);
  const auto aboveZero = [&](double t) {
    const HarmonicCurve::Rates rates = curve.rates(t);
    return Probe{rates.sum - zero, rates.slope, rates.sum};
  };
  TideEvent last;
  double lastSum = 0;
  for (const Turn& turn : turningPoints(curve, from, to)) {
    TideEvent event{turn.time, curve.levelAtSum(turn.sum),
                    turn.high ? EventKind::high : EventKind::low};
    if (wanted.current && turn.high && event.level < 0)
      event.kind = EventKind::minEbb;
    if (wanted.current && !turn.high && event.level > 0)
      event.kind = EventKind::minFlood;
    const bool rises = last.level < 0 && event.level > 0;
    const bool falls = last.level > 0 && event.level < 0;
    if (!events.empty() && ((rises && wanted.floodBegins) || (falls && wanted.ebbBegins))) {
      // Between two turns the curve runs much like half a cosine.
      const double middle = (lastSum + turn.sum) / 2 - zero;
      const double halfRange = (turn.sum - lastSum) / 2;
      const double guess = last.time + (event.time - last.time) *
                                           std::acos(std::clamp(middle / halfRange, -1.0, 1.0)) /
                                           std::numbers::pi;
      const double crossing = zeroBetween(aboveZero, last.time, rises, event.time, guess).time;
      events.push_back(
          TideEvent{crossing, 0, rises ? EventKind::floodBegins : EventKind::ebbBegins});
    }
    events.push_back(event);
    last = event;
    lastSum = turn.sum;
  }
  return events;
}

} // namespace tide
