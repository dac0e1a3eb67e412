// The harmonic sum, the search for highs and lows, and subordinate stations
// built from them, checked against each other on the real database.

#include "TideRun.h"
#include "predictor/ExtremaFinder.h"
#include "predictor/HarmonicCurve.h"
#include "predictor/HarmonicsDatabase.h"
#include "predictor/PredictionModel.h"
#include "predictor/StationCatalog.h"
#include "predictor/SubordinateCurve.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tide;

namespace {

class Harmonics : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    database_ = new HarmonicsDatabase;
    ASSERT_EQ(database_->open(tidetest::databasePath), std::nullopt);
  }
  static void TearDownTestSuite() { delete database_; }

  static StationRecord station(const std::string& name) {
    StationCatalog catalog;
    catalog.assign(database_->headers());
    const auto found = catalog.find(name);
    EXPECT_TRUE(found) << name;
    return *database_->station(found ? found->record : 0);
  }

  static HarmonicsDatabase* database_;
};

HarmonicsDatabase* Harmonics::database_ = nullptr;

const Seconds start2026 = startOfYear(2026);

TEST_F(Harmonics, EvenStepsAgreeWithTheSumTakenSampleBySample) {
  for (const char* name :
       {"Seattle, Puget Sound, Washington", "Hell Gate (off Mill Rock), New York Current"}) {
    PredictionModel model;
    const Seconds last = startOfYear(2027) + 86400;
    ASSERT_EQ(model.build(*database_, station(name), start2026, last), std::nullopt);
    const auto& curve = dynamic_cast<const HarmonicCurve&>(model.curve());
    const std::size_t n = static_cast<std::size_t>((last - start2026) / 900) + 1;
    std::vector<double> levels(n);
    curve.levels(start2026, 900, n, levels.data());
    double worst = 0;
    for (std::size_t i = 0; i < n; ++i)
      worst = std::max(worst, std::fabs(levels[i] - curve.level(double(start2026 + 900 * i))));
    EXPECT_LT(worst, 1e-9) << name;
  }
}

TEST_F(Harmonics, HighsAndLowsAlternateWhereTheCurveTurns) {
  PredictionModel model;
  ASSERT_EQ(model.build(*database_, station("Seattle, Puget Sound, Washington"), start2026,
                        start2026 + 40 * 86400),
            std::nullopt);
  const auto& curve = dynamic_cast<const HarmonicCurve&>(model.curve());
  const auto events = ExtremaFinder::find(curve, start2026, start2026 + 30 * 86400);
  // Seattle's mixed tide: close to four turns a day.
  EXPECT_GT(events.size(), 100u);
  EXPECT_LT(events.size(), 124u);
  for (std::size_t i = 0; i < events.size(); ++i) {
    const TideEvent& e = events[i];
    if (i > 0) {
      EXPECT_NE(e.high, events[i - 1].high);
      EXPECT_GT(e.time, events[i - 1].time);
      EXPECT_EQ(e.level > events[i - 1].level, e.high);
    }
    // A turn: both neighbours a minute away lie on the same side of it.
    const double before = curve.level(e.time - 60);
    const double after = curve.level(e.time + 60);
    EXPECT_EQ(before <= e.level, e.high) << e.time;
    EXPECT_EQ(after <= e.level, e.high) << e.time;
  }
}

TEST_F(Harmonics, SubordinateWithoutOffsetsIsItsReferenceEitherWay) {
  PredictionModel model;
  ASSERT_EQ(model.build(*database_, station("Seattle, Puget Sound, Washington"), start2026,
                        start2026 + 10 * 86400),
            std::nullopt);
  const auto& reference = dynamic_cast<const HarmonicCurve&>(model.curve());
  const SubordinateOffsets none;
  const SubordinateCurve exact(reference, none);
  const SubordinateCurve byEvents(
      reference, none, ExtremaFinder::find(reference, start2026, start2026 + 10 * 86400));
  const Seconds first = start2026 + 2 * 86400;
  ASSERT_TRUE(byEvents.covers(first, first + 5 * 86400));
  std::vector<double> a(480), b(480), c(480);
  reference.levels(first, 900, a.size(), a.data());
  exact.levels(first, 900, b.size(), b.data());
  byEvents.levels(first, 900, c.size(), c.data());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_DOUBLE_EQ(b[i], a[i]);
    EXPECT_NEAR(c[i], a[i], 1e-9);
  }
}

TEST_F(Harmonics, SubordinateEventsTakeTheirOwnOffsetsAndFollowTheReferenceShape) {
  PredictionModel model;
  ASSERT_EQ(model.build(*database_, station("Seattle, Puget Sound, Washington"), start2026,
                        start2026 + 10 * 86400),
            std::nullopt);
  const auto& reference = dynamic_cast<const HarmonicCurve&>(model.curve());
  SubordinateOffsets offsets;
  offsets.highTime = 30 * 60;
  offsets.lowTime = -20 * 60;
  offsets.highMultiply = 0.5;
  offsets.lowAdd = -1;
  const auto events = ExtremaFinder::find(reference, start2026, start2026 + 10 * 86400);
  const SubordinateCurve curve(reference, offsets, events);
  for (std::size_t i = 1; i + 1 < events.size(); ++i) {
    const TideEvent& e = events[i];
    const Seconds at =
        static_cast<Seconds>(std::llround(e.time)) + (e.high ? offsets.highTime : offsets.lowTime);
    double level = 0;
    curve.levels(at, 1, 1, &level);
    const double expected = e.high ? e.level * 0.5 : e.level - 1;
    EXPECT_NEAR(level, expected, 1e-3) << (e.high ? "high " : "low ") << i;
  }
}

TEST_F(Harmonics, OvertakingEventsAreDroppedInPairs) {
  PredictionModel model;
  ASSERT_EQ(model.build(*database_, station("Seattle, Puget Sound, Washington"), start2026,
                        start2026 + 10 * 86400),
            std::nullopt);
  const auto& reference = dynamic_cast<const HarmonicCurve&>(model.curve());
  const std::vector<TideEvent> events{
      {0, 1, true}, {3600, -1, false}, {10000, 2, true}, {20000, -2, false}};
  SubordinateOffsets offsets;
  offsets.highTime = 5400; // the high at 0 lands after the low at 3600
  const SubordinateCurve curve(reference, offsets, events);
  EXPECT_FALSE(curve.covers(5400, 5400));
  EXPECT_TRUE(curve.covers(15400, 19999));
}

} // namespace
