// The search for highs and lows, and subordinate stations built from them, on
// Seattle's real curve: what the single values at the end of the line cannot show.

#include "TideRun.h"
#include "predictor/ExtremaFinder.h"
#include "predictor/HarmonicsDatabase.h"
#include "predictor/PredictionModel.h"
#include "predictor/StationCatalog.h"
#include "predictor/SubordinateCurve.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tide;

namespace {

const Seconds start = startOfYear(2026);

struct Seattle {
  HarmonicsDatabase database;
  PredictionModel model;
  std::vector<TideEvent> events;

  Seattle() {
    StationCatalog catalog;
    catalog.load({tidetest::databasePath}, database);
    const auto record = database.station(catalog.find(tidetest::seattle).value().record).value();
    model.build(database, record, start, start + 40 * secondsPerDay);
    events = ExtremaFinder::find(curve(), start, start + 30 * secondsPerDay);
  }
  const HarmonicCurve& curve() const { return dynamic_cast<const HarmonicCurve&>(model.curve()); }
};

const Seattle& seattle() {
  static const Seattle once;
  return once;
}

double levelAt(const TideCurve& curve, Seconds at) {
  double level = 0;
  curve.levels(at, 1, 1, &level);
  return level;
}

TEST(Harmonics, HighsAndLowsAlternateWhereTheCurveTurns) {
  const auto& events = seattle().events;
  // Seattle's mixed tide: close to four turns a day.
  EXPECT_GT(events.size(), 100u);
  EXPECT_LT(events.size(), 124u);
  for (std::size_t i = 1; i < events.size(); ++i) {
    const TideEvent& e = events[i];
    EXPECT_NE(e.high, events[i - 1].high);
    EXPECT_GT(e.time, events[i - 1].time);
    // A turn: both neighbours a minute away lie on the same side of it.
    EXPECT_EQ(seattle().curve().level(e.time - 60) <= e.level, e.high) << e.time;
    EXPECT_EQ(seattle().curve().level(e.time + 60) <= e.level, e.high) << e.time;
  }
}

TEST(Harmonics, SubordinateEventsTakeTheirOwnOffsets) {
  const auto& reference = seattle().curve();
  const auto& events = seattle().events;
  const SubordinateOffsets offsets{
      .highTime = 1800, .lowTime = -1200, .highMultiply = 0.5, .lowAdd = -1};
  const SubordinateCurve curve(reference, offsets, events);
  for (std::size_t i = 1; i + 1 < events.size(); ++i) {
    const TideEvent& e = events[i];
    const Seconds at = std::llround(e.time) + (e.high ? offsets.highTime : offsets.lowTime);
    EXPECT_NEAR(levelAt(curve, at), e.high ? e.level * 0.5 : e.level - 1, 1e-3) << i;
  }
  // With the same offsets for highs and lows, events and the exact shift agree.
  const SubordinateOffsets same{.highTime = 1800,
                                .lowTime = 1800,
                                .highMultiply = 0.8,
                                .lowMultiply = 0.8,
                                .highAdd = 0.5,
                                .lowAdd = 0.5};
  const SubordinateCurve exact(reference, same);
  const SubordinateCurve byEvents(reference, same, events);
  for (Seconds at = start + 2 * secondsPerDay; at < start + 20 * secondsPerDay; at += 900) {
    EXPECT_NEAR(levelAt(byEvents, at), levelAt(exact, at), 1e-9) << at;
    ASSERT_NEAR(levelAt(exact, at), 0.8 * reference.level(double(at - 1800)) + 0.5, 1e-9);
  }
}

TEST(Harmonics, OvertakingEventsAreDroppedInPairs) {
  const std::vector<TideEvent> events{
      {0, 1, true}, {3600, -1, false}, {10000, 2, true}, {20000, -2, false}};
  // The high at 0 lands after the low at 3600.
  const SubordinateCurve curve(seattle().curve(), SubordinateOffsets{.highTime = 5400}, events);
  EXPECT_FALSE(curve.covers(5400, 5400));
  EXPECT_TRUE(curve.covers(15400, 19999));
}

} // namespace
