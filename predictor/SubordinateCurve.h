#pragma once
// A subordinate station, predicted from its reference station the way tide
// tables are applied. Each high (low) of the reference is moved by the
// station's high-water (low-water) time offset and its level multiplied and
// raised by the matching level offsets; those are the station's own highs and
// lows. A time between two of them maps proportionally onto the matching two
// reference events; the reference curve there has risen or fallen some
// fraction of the way from one event to the next, and the station's level is
// that fraction of the way between its own two corrected levels.
//
// When the high and low offsets are the same, the station is the reference
// curve shifted and scaled: that case needs no events and is exact.

#include "predictor/HarmonicCurve.h"
#include "predictor/StationRecord.h"
#include "predictor/TideEvent.h"

#include <vector>

namespace tide {

class SubordinateCurve : public TideCurve {
public:
  // `referenceEvents`: the reference's highs and lows in order of time, over
  // enough time that the station's own events surround every sample asked for.
  SubordinateCurve(const HarmonicCurve& reference, const SubordinateOffsets& offsets,
                   const std::vector<TideEvent>& referenceEvents);
  // Exact shift and scale; for offsets that are the same for high and low.
  SubordinateCurve(const HarmonicCurve& reference, const SubordinateOffsets& offsets);

  // The span of time that the events cover; samples must fall inside it.
  bool covers(Seconds first, Seconds last) const;
  void levels(Seconds first, Seconds step, std::size_t n, double* out) const override;

private:
  struct Pair {
    TideEvent reference;
    TideEvent station;
  };

  const HarmonicCurve& reference_;
  SubordinateOffsets offsets_;
  bool exact_ = false;
  std::vector<Pair> events_;
};

} // namespace tide
