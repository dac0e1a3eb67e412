#include "engine/TimeAndTide.h"

#include <gtest/gtest.h>

namespace {

constexpr double day = 86400.0;

TEST(TimeAndTide, NewSeriesHasNoEntriesBehindItsTwoZeros) {
  TimeAndTide series;
  EXPECT_EQ(series.ntimesandtides, 0);
  EXPECT_EQ(series.times.size(), 2u);
  EXPECT_EQ(series.tides.size(), 2u);
  // The placeholder zeros lie in the day that starts at 0, yet are not entries.
  EXPECT_FALSE(series.TidesOnDay(0));
  EXPECT_FALSE(series.TidesOnDay(-day / 2));
}

TEST(TimeAndTide, AppendKeepsArraysExactlyAsLongAsTheEntries) {
  TimeAndTide series;
  series.Append(3600, 1.5f);
  ASSERT_EQ(series.ntimesandtides, 1);
  EXPECT_EQ(series.times.size(), 1u);
  EXPECT_EQ(series.tides.size(), 1u);
  EXPECT_EQ(series.times[0], 3600);
  EXPECT_EQ(series.tides[0], 1.5f);

  for (int i = 1; i < 1000; ++i) {
    series.Append(3600 + 900.0 * i, static_cast<float>(i));
  }
  ASSERT_EQ(series.ntimesandtides, 1000);
  EXPECT_EQ(series.times.size(), 1000u);
  EXPECT_EQ(series.tides.size(), 1000u);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_EQ(series.times[i], 3600 + 900.0 * i);
  }
}

struct DayCase {
  const char* name;
  std::vector<double> times;
  double dayStart;
  bool expected;
};

class TidesOnDayTest : public ::testing::TestWithParam<DayCase> {};

TEST_P(TidesOnDayTest, FindsEntriesInsideTheHalfOpenDay) {
  const DayCase& c = GetParam();
  TimeAndTide series;
  for (double t : c.times) {
    series.Append(t, 0);
  }
  EXPECT_EQ(series.TidesOnDay(c.dayStart), c.expected);
}

const double d = 3'880'000'000.0; // a day start in 2026 on the 1904 scale

INSTANTIATE_TEST_SUITE_P(
    Days, TidesOnDayTest,
    ::testing::Values(DayCase{"AtDayStart", {d}, d, true},
                      DayCase{"LastSecond", {d + day - 1}, d, true},
                      DayCase{"NextDayStart", {d + day}, d, false},
                      DayCase{"SecondBefore", {d - 1}, d, false},
                      DayCase{"OutOfOrder", {d + 5 * day, d - day, d + 600, d + 2 * day}, d, true},
                      DayCase{"AllOutside", {d + 5 * day, d - day, d + day}, d, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
