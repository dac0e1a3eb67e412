// The search for turns, and subordinate stations built from them, on the real
// curves of Seattle and of a current: what single values at the end of the
// line cannot show.

#include "TideRun.h"
#include "predictor/EventFinder.h"
#include "predictor/HarmonicsDatabase.h"
#include "predictor/PredictionModel.h"
#include "predictor/StationCatalog.h"
#include "predictor/SubordinateCurve.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace tide;

namespace {

const Seconds start = startOfYear(2026);

// The database library keeps one open database per process: every station
// of these tests comes from this one.
struct Database {
  HarmonicsDatabase database;
  StationCatalog catalog;
  Database() { catalog.load({tidetest::databasePath}, database); }
};

Database& opened() {
  static Database once;
  return once;
}

// A reference station's curve over 40 days and its events over the first 30.
struct Reference {
  PredictionModel model;
  std::vector<TideEvent> events;

  Reference(const std::string& name, const EventFinder::Wanted& wanted) {
    const auto& database = opened().database;
    const auto record = database.station(opened().catalog.find(name).value().record).value();
    model.build(database, record, start, start + 40 * secondsPerDay);
    events = EventFinder::find(curve(), start, start + 30 * secondsPerDay, wanted);
  }
  const HarmonicCurve& curve() const { return dynamic_cast<const HarmonicCurve&>(model.curve()); }
};

const Reference& seattle() {
  static const Reference once(tidetest::seattle, {});
  return once;
}

// A current with weak turns of both kinds, two of them so close together
// that the slope keeps its sign at every sample of the search.
const Reference& westPoint() {
  static const Reference once("West Point, west of (Depth 94.5ft)", {.current = true});
  return once;
}

double levelAt(const TideCurve& curve, Seconds at) {
  double level = 0;
  curve.levels(at, 1, 1, &level);
  return level;
}

// A subordinate station's levels at its own event times are the reference's
// events corrected by the offsets of their kind: a weak turn by its flood's
// or ebb's.
TEST(Harmonics, TurnsAlternateWhereTheCurveTurnsAndSubordinatesTakeTheirOwnOffsets) {
  const SubordinateOffsets offsets{
      .highTime = 1800, .lowTime = -1200, .highMultiply = 0.5, .lowAdd = -1};
  for (const Reference* station : {&seattle(), &westPoint()}) {
    const auto& reference = station->curve();
    const auto& events = station->events;
    const SubordinateCurve curve(reference, offsets, events);
    // Every turn is found: one per change of the slope's sign, minute by minute.
    std::vector<double> slopes(30 * 24 * 60 + 1);
    reference.slopes(start, 60, slopes.size(), slopes.data());
    std::size_t turns = 0;
    for (std::size_t i = 1; i < slopes.size(); ++i)
      turns += (slopes[i] > 0) != (slopes[i - 1] > 0);
    EXPECT_TRUE(events.size() > 100 && events.size() == turns)
        << events.size() << " events, " << turns << " turns";
    const auto up = [](const TideEvent& e) {
      return e.kind == EventKind::high || e.kind == EventKind::minEbb;
    };
    for (std::size_t i = 1; i < events.size(); ++i) {
      const TideEvent &e = events[i], &before = events[i - 1];
      const bool flood = e.kind == EventKind::high || e.kind == EventKind::minFlood;
      // A turn: both neighbours a minute away lie on the same side of it.
      EXPECT_EQ(std::tuple(up(e) != up(before), e.time > before.time,
                           reference.level(e.time - 60) <= e.level,
                           reference.level(e.time + 60) <= e.level),
                std::tuple(true, true, up(e), up(e)))
          << e.time;
      const Seconds at = std::llround(e.time) + (flood ? offsets.highTime : offsets.lowTime);
      if (i + 1 < events.size()) { // the last one's neighbours lie beyond the events
        EXPECT_NEAR(levelAt(curve, at), flood ? e.level * 0.5 : e.level - 1, 1e-3) << i;
      }
    }
  }
  const auto& reference = seattle().curve();
  const auto& events = seattle().events;
  // With the same offsets for highs and lows, events and the exact shift agree.
  const SubordinateOffsets same{1800, 1800, 0.8, 0.8, 0.5, 0.5}; // times, factors, heights
  const SubordinateCurve exact(reference, same);
  const SubordinateCurve byEvents(reference, same, events);
  for (Seconds at = start + 2 * secondsPerDay; at < start + 20 * secondsPerDay; at += 900) {
    EXPECT_NEAR(levelAt(byEvents, at), levelAt(exact, at), 1e-9) << at;
    ASSERT_NEAR(levelAt(exact, at), 0.8 * reference.level(double(at - 1800)) + 0.5, 1e-9);
  }
}

TEST(Harmonics, CurrentsChangeSignAtTheirCorrectedSlackTimes) {
  const HarmonicsDatabase& database = opened().database;
  const auto& headers = database.headers();
  const auto manhattan = [](const StationHeader& h) { return h.name.starts_with("Manhattan Br"); };
  const auto station =
      database.station(std::find_if(headers.begin(), headers.end(), manhattan)->record).value();
  const Seconds from = startOfYear(2027), to = from + 31 * secondsPerDay;
  PredictionModel own, reference;
  ASSERT_FALSE(own.build(database, station, from, to));
  ASSERT_FALSE(reference.build(database, database.station(station.referenceRecord).value(),
                               from - secondsPerDay, to + secondsPerDay));
  std::vector<double> slacks;
  for (const TideEvent& e :
       EventFinder::find(dynamic_cast<const HarmonicCurve&>(reference.curve()),
                         from - secondsPerDay, to + secondsPerDay, {true, true, true}))
    if (e.kind == EventKind::floodBegins || e.kind == EventKind::ebbBegins)
      slacks.push_back(e.time + double(e.kind == EventKind::floodBegins
                                           ? station.offsets.floodBegins.value()
                                           : station.offsets.ebbBegins.value()));
  std::vector<double> levels((to - from) / 900);
  own.curve().levels(from, 900, levels.size(), levels.data());
  int changes = 0;
  for (std::size_t i = 1; i < levels.size(); ++i)
    if ((levels[i] > 0) != (levels[i - 1] > 0)) {
      ++changes;
      const double at = double(from + Seconds(i) * 900);
      EXPECT_TRUE(std::any_of(slacks.begin(), slacks.end(), [at](double slack) {
        return std::fabs(slack - at) <= 900;
      })) << i;
    }
  EXPECT_GT(changes, 110);
}

} // namespace
