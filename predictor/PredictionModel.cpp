#include "predictor/PredictionModel.h"

#include "predictor/EventFinder.h"
#include "predictor/HarmonicsDatabase.h"

#include <algorithm>
#include <cstdlib>

namespace tide {

namespace {

// Highs and lows are looked for this far beyond the samples at first, and
// further, doubling, where a slow current leaves the samples uncovered.
constexpr Seconds firstEventMargin = 2 * secondsPerDay;
constexpr Seconds widestEventMargin = 64 * secondsPerDay;

int yearOf(Seconds instant) {
  return civilFromSeconds(instant).year;
}

Failure outsideTables(int year, const HarmonicsDatabase& database) {
  return Failure{"year " + std::to_string(year) + " is outside the database's tables (" +
                 std::to_string(database.firstYear()) + "-" + std::to_string(database.lastYear()) +
                 ")"};
}

Units levelUnits(Units stored) {
  return stored == Units::knotsSquared ? Units::knots : stored;
}

} // namespace

const TideCurve& PredictionModel::curve() const {
  if (subordinate_)
    return *subordinate_;
  return *reference_;
}

std::optional<Failure> PredictionModel::build(const HarmonicsDatabase& database,
                                              const StationRecord& station, Seconds first,
                                              Seconds last) {
  for (const Seconds instant : {first, last}) {
    const int year = yearOf(instant);
    if (year < database.firstYear() || year > database.lastYear())
      return outsideTables(year, database);
  }
  if (!station.reference)
    return buildSubordinate(database, station, first, last);
  units_ = levelUnits(station.units);
  buildReference(database, station, 1);
  return loadYears(database, first, last);
}

void PredictionModel::buildReference(const HarmonicsDatabase& database,
                                     const StationRecord& reference, double scale) {
  std::vector<HarmonicCurve::Term> terms;
  constituents_.clear();
  for (const Constituent& constituent : reference.constituents) {
    terms.push_back(HarmonicCurve::Term{database.speedDegreesPerHour(constituent.index),
                                        constituent.amplitude * scale, constituent.phaseDegrees});
    constituents_.push_back(constituent.index);
  }
  reference_ = std::make_unique<HarmonicCurve>(reference.datum * scale,
                                               reference.units == Units::knotsSquared, terms);
}

std::optional<Failure> PredictionModel::loadYears(const HarmonicsDatabase& database, Seconds from,
                                                  Seconds to) {
  for (const Seconds instant : {from, to})
    if (const int year = yearOf(instant); year < database.firstYear() || year > database.lastYear())
      return outsideTables(year, database);
  // Close to a new year, the year on its other side is blended in.
  const int firstYear = std::max(database.firstYear(), yearOf(from - HarmonicCurve::blendSeconds));
  const int lastYear = std::min(database.lastYear(), yearOf(to + HarmonicCurve::blendSeconds));
  std::vector<double> nodeFactors(constituents_.size());
  std::vector<double> equilibria(constituents_.size());
  for (int year = firstYear; year <= lastYear; ++year) {
    for (std::size_t k = 0; k < constituents_.size(); ++k) {
      nodeFactors[k] = database.nodeFactor(constituents_[k], year);
      equilibria[k] = database.equilibriumDegrees(constituents_[k], year);
    }
    reference_->addYear(year, nodeFactors, equilibria);
  }
  return std::nullopt;
}

std::optional<Failure> PredictionModel::buildSubordinate(const HarmonicsDatabase& database,
                                                         const StationRecord& station,
                                                         Seconds first, Seconds last) {
  const auto reference = database.station(station.referenceRecord);
  if (!reference || !reference->reference)
    return Failure{"the reference station of " + station.name + " cannot be read"};
  units_ =
      station.units == Units::unknown ? levelUnits(reference->units) : levelUnits(station.units);
  const double scale = lengthScale(reference->units, units_);
  const SubordinateOffsets& offsets = station.offsets;
  if (offsets.sameForEveryEvent()) {
    buildReference(database, *reference, scale);
    if (auto failure = loadYears(database, first - offsets.highTime, last - offsets.highTime))
      return failure;
    subordinate_ = std::make_unique<SubordinateCurve>(*reference_, offsets);
    return std::nullopt;
  }
  const Seconds tablesStart = startOfYear(database.firstYear());
  const Seconds tablesEnd = startOfYear(database.lastYear() + 1) - 1;
  Seconds shift = std::max(std::abs(offsets.highTime), std::abs(offsets.lowTime));
  for (const auto& slack : {offsets.floodBegins, offsets.ebbBegins})
    shift = std::max(shift, std::abs(slack.value_or(0)));
  const bool current = levelUnits(reference->units) == Units::knots;
  const EventFinder::Wanted wanted{current, current && offsets.floodBegins.has_value(),
                                   current && offsets.ebbBegins.has_value()};
  for (Seconds margin = firstEventMargin; margin <= widestEventMargin; margin *= 2) {
    const Seconds from = std::max(tablesStart, first - shift - margin);
    const Seconds to = std::min(tablesEnd, last + shift + margin);
    subordinate_ = nullptr;
    buildReference(database, *reference, scale);
    if (auto failure = loadYears(database, from, to))
      return failure;
    subordinate_ = std::make_unique<SubordinateCurve>(
        *reference_, offsets, EventFinder::find(*reference_, from, to, wanted));
    if (subordinate_->covers(first, last))
      return std::nullopt;
    if (from == tablesStart || to == tablesEnd)
      return Failure{"the times asked for at " + station.name +
                     " are too close to the ends of the database's tables (" +
                     std::to_string(database.firstYear()) + "-" +
                     std::to_string(database.lastYear()) + ")"};
  }
  return Failure{"no high and low water found around the times asked for at " + station.name};
}

} // namespace tide
