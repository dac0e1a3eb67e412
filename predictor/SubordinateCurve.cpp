#include "predictor/SubordinateCurve.h"

#include <algorithm>
#include <cmath>

namespace tide {

TideEvent SubordinateCurve::corrected(const TideEvent& event, const SubordinateOffsets& offsets) {
  Seconds shift = 0;
  bool flood = true;
  switch (event.kind) {
  case EventKind::high:
    shift = offsets.highTime;
    break;
  case EventKind::low:
    shift = offsets.lowTime;
    flood = false;
    break;
  case EventKind::minFlood:
    shift = offsets.floodBegins.value_or(offsets.highTime);
    break;
  case EventKind::minEbb:
    shift = offsets.ebbBegins.value_or(offsets.lowTime);
    flood = false;
    break;
  case EventKind::floodBegins:
    return TideEvent{event.time + static_cast<double>(offsets.floodBegins.value_or(0)), event.level,
                     event.kind};
  case EventKind::ebbBegins:
    return TideEvent{event.time + static_cast<double>(offsets.ebbBegins.value_or(0)), event.level,
                     event.kind};
  }
  const double level = flood ? event.level * offsets.highMultiply + offsets.highAdd
                             : event.level * offsets.lowMultiply + offsets.lowAdd;
  return TideEvent{event.time + static_cast<double>(shift), level, event.kind};
}

SubordinateCurve::SubordinateCurve(const HarmonicCurve& reference,
                                   const SubordinateOffsets& offsets,
                                   const std::vector<TideEvent>& referenceEvents)
    : reference_(reference), offsets_(offsets) {
  for (const TideEvent& event : referenceEvents)
    events_.push_back(Pair{event, corrected(event, offsets)});
  // Very different time offsets can make an event overtake the one before
  // it; the station's events still follow each other in their own order.
  std::stable_sort(events_.begin(), events_.end(),
                   [](const Pair& a, const Pair& b) { return a.station.time < b.station.time; });
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

void SubordinateCurve::levels(Seconds first, Seconds step, std::size_t n, double* out) const {
  if (exact_) {
    reference_.levels(first - offsets_.highTime, step, n, out);
    for (std::size_t i = 0; i < n; ++i)
      out[i] = out[i] * offsets_.highMultiply + offsets_.highAdd;
    return;
  }
  auto timeOf = [first, step](std::size_t i) {
    return static_cast<double>(first + static_cast<Seconds>(i) * step);
  };
  std::size_t pair = 1;
  std::size_t done = 0;
  while (done < n) {
    while (pair + 1 < events_.size() && events_[pair].station.time <= timeOf(done))
      ++pair;
    if (pair >= events_.size()) {
      std::fill(out + done, out + n, std::nan(""));
      return;
    }
    // The samples up to the next event map onto evenly spaced reference
    // times, which the reference curve takes in one run.
    const Pair& from = events_[pair - 1];
    const Pair& to = events_[pair];
    const bool lastPair = pair + 1 == events_.size();
    std::size_t count = 1;
    while (done + count < n && (lastPair || timeOf(done + count) < to.station.time))
      ++count;
    const double span = to.station.time - from.station.time;
    const double stretch = (to.reference.time - from.reference.time) / span;
    reference_.levelsAlong(from.reference.time + (timeOf(done) - from.station.time) * stretch,
                           static_cast<double>(step) * stretch, count, out + done);
    const double referenceRange = to.reference.level - from.reference.level;
    const double stationRange = to.station.level - from.station.level;
    for (std::size_t i = done; i < done + count; ++i) {
      const double swing = out[i] - from.reference.level;
      // Two events of one level (two slacks in a row) give no range to scale
      // by: the station follows the reference's own swing between them.
      out[i] = from.station.level +
               (referenceRange == 0 ? swing : swing / referenceRange * stationRange);
    }
    done += count;
  }
}

} // namespace tide
