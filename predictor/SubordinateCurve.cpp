#include "predictor/SubordinateCurve.h"

#include <cmath>

namespace tide {

SubordinateCurve::SubordinateCurve(const HarmonicCurve& reference,
                                   const SubordinateOffsets& offsets,
                                   const std::vector<TideEvent>& referenceEvents)
    : reference_(reference), offsets_(offsets) {
  for (const TideEvent& event : referenceEvents) {
    TideEvent own = event;
    own.time += static_cast<double>(event.high ? offsets.highTime : offsets.lowTime);
    own.level = event.level * (event.high ? offsets.highMultiply : offsets.lowMultiply) +
                (event.high ? offsets.highAdd : offsets.lowAdd);
    // Very different high and low time offsets can make an event overtake
    // the one before it; that high and low pair has no interval between them,
    // so both go, which keeps highs and lows alternating.
    if (!events_.empty() && own.time <= events_.back().station.time) {
      events_.pop_back();
      continue;
    }
    events_.push_back(Pair{event, own});
  }
}

SubordinateCurve::SubordinateCurve(const HarmonicCurve& reference,
                                   const SubordinateOffsets& offsets)
    : reference_(reference), offsets_(offsets), exact_(true) {}

bool SubordinateCurve::covers(Seconds first, Seconds last) const {
  if (exact_)
    return true;
  return events_.size() >= 2 && events_.front().station.time <= static_cast<double>(first) &&
         events_.back().station.time > static_cast<double>(last);
}

double SubordinateCurve::interpolate(const Pair& from, const Pair& to, double time) const {
  const double share = (time - from.station.time) / (to.station.time - from.station.time);
  const double referenceTime =
      from.reference.time + share * (to.reference.time - from.reference.time);
  const double referenceRange = to.reference.level - from.reference.level;
  const double fraction =
      referenceRange == 0
          ? share
          : (reference_.level(referenceTime) - from.reference.level) / referenceRange;
  return from.station.level + fraction * (to.station.level - from.station.level);
}

void SubordinateCurve::levels(Seconds first, Seconds step, std::size_t n, double* out) const {
  if (exact_) {
    reference_.levels(first - offsets_.highTime, step, n, out);
    for (std::size_t i = 0; i < n; ++i)
      out[i] = out[i] * offsets_.highMultiply + offsets_.highAdd;
    return;
  }
  std::size_t next = 1;
  for (std::size_t i = 0; i < n; ++i) {
    const double time = static_cast<double>(first + static_cast<Seconds>(i) * step);
    while (next + 1 < events_.size() && events_[next].station.time <= time)
      ++next;
    if (next >= events_.size()) {
      out[i] = std::nan("");
      continue;
    }
    out[i] = interpolate(events_[next - 1], events_[next], time);
  }
}

} // namespace tide
