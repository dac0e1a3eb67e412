#pragma once
// A subordinate station, predicted from its reference station the way tide
// and current tables are applied. Each event of the reference is corrected
// by the station's offsets for its kind: highs (maximum flood) by the high
// time offset and level factor and addition, lows (maximum ebb) by the low
// ones, the start of flood or ebb by its own time offset, a minimum flood or
// ebb by that slack time offset and the flood or ebb level correction. Those
// are the station's own events. A time between two of them maps
// proportionally onto the matching two reference events; the reference curve
// there has risen or fallen some fraction of the way from one event's level
// to the next, and the station's level is that fraction of the way between
// its own two corrected levels. Between two events of the same level (two
// slacks in a row, where a slack has overtaken the strength between them)
// there is no fraction to take: the station's level is its first event's
// plus the reference's rise or fall from its own first event, unscaled.
//
// When every event takes the same offsets, the station is the reference curve
// shifted and scaled: that case needs no events and is exact.

#include "predictor/HarmonicCurve.h"
#include "predictor/StationRecord.h"
#include "predictor/TideEvent.h"

#include <vector>

namespace tide {

class SubordinateCurve : public TideCurve {
public:
  // `referenceEvents`: the reference's events in order of time, over enough
  // time that the station's own events surround every sample asked for.
  SubordinateCurve(const HarmonicCurve& reference, const SubordinateOffsets& offsets,
                   const std::vector<TideEvent>& referenceEvents);
  // Exact shift and scale; for offsets that are the same for every event.
  SubordinateCurve(const HarmonicCurve& reference, const SubordinateOffsets& offsets);

  // The span of time that the events cover; samples must fall inside it.
  bool covers(Seconds first, Seconds last) const;
  void levels(Seconds first, Seconds step, std::size_t n, double* out) const override;

private:
  struct Pair {
    TideEvent reference;
    TideEvent station;
  };

  static TideEvent corrected(const TideEvent& event, const SubordinateOffsets& offsets);

  const HarmonicCurve& reference_;
  SubordinateOffsets offsets_;
  bool exact_ = false;
  std::vector<Pair> events_;
};

} // namespace tide
