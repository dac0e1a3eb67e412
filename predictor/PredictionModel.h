#pragma once
// Builds the curve of one station for a span of samples: the reference
// station's harmonic curve with the year tables that span needs, and for a
// subordinate station the reference's highs and lows around it.

#include "predictor/Failure.h"
#include "predictor/HarmonicCurve.h"
#include "predictor/StationRecord.h"
#include "predictor/SubordinateCurve.h"

#include <memory>
#include <optional>

namespace tide {

class HarmonicsDatabase;

class PredictionModel {
public:
  // `first` and `last` are the first and last sample, UTC.
  std::optional<Failure> build(const HarmonicsDatabase& database, const StationRecord& station,
                               Seconds first, Seconds last);
  const TideCurve& curve() const;
  // Units of the levels: a knots-squared station's levels are in knots.
  Units units() const { return units_; }

private:
  void buildReference(const HarmonicsDatabase& database, const StationRecord& reference,
                      double scale);
  std::optional<Failure> loadYears(const HarmonicsDatabase& database, Seconds from, Seconds to);
  std::optional<Failure> buildSubordinate(const HarmonicsDatabase& database,
                                          const StationRecord& station, Seconds first,
                                          Seconds last);

  std::unique_ptr<HarmonicCurve> reference_;
  std::unique_ptr<SubordinateCurve> subordinate_;
  std::vector<int> constituents_;
  Units units_ = Units::unknown;
};

} // namespace tide
