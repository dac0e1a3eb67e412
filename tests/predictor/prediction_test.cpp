// The predictor as Halvorn runs it: values of the classic harmonic method on
// the same database, daylight-saving changes, the sample count, UTC and units.

#include "TideRun.h"

#include <gtest/gtest.h>

using tidetest::lines;
using tidetest::predict;
using tidetest::seattle;

namespace {

const std::string hellGate = "Hell Gate (off Mill Rock), New York Current";

TEST(Prediction, KnownLevelsMatchTheClassicMethod) {
  const struct {
    std::string station;
    const char* begin;
    const char* end;
    std::string line;
    double tolerance; // 0: the line exactly
  } cases[] = {
      {seattle, "2026-12-05 00:00", "2026-12-05 00:15", "2026-12-05 12:00 AM PST 6.078608", 0},
      {seattle, "2026-12-05 03:30", "2026-12-05 03:45", "2026-12-05  3:30 AM PST 9.920789", 0},
      {"San Francisco, San Francisco Bay, California", "2026-06-21 12:00", "2026-06-21 12:15",
       "2026-06-21 12:00 PM PDT 0.627386", 0},
      {"Honolulu, Honolulu Harbor, Oahu Island, Hawaii", "2026-06-21 12:00", "2026-06-21 12:15",
       "2026-06-21 12:00 PM HST 1.157092", 0},
      {"Juneau, Gastineau Channel, Stephens Pass, Alaska", "2026-12-05 00:00", "2026-12-05 00:15",
       "2026-12-05 12:00 AM AKST 11.825920", 0},
      {hellGate, "2026-06-21 12:00", "2026-06-21 12:15", "2026-06-21 12:00 PM EDT 2.683284", 0},
      {"Admiralty Head", "2026-12-05 00:00", "2026-12-05 00:15", "2026-12-05 12:00 AM PST 4.633239",
       0.05},
  };
  for (const auto& c : cases) {
    const auto result = predict(c.station, c.begin, c.end);
    EXPECT_EQ(result.status, 0) << c.station << ": " << result.err;
    EXPECT_EQ(result.err, "");
    if (c.tolerance == 0) {
      EXPECT_EQ(result.out, c.line + "\n") << c.station;
    } else {
      const std::size_t level = c.line.rfind(' ') + 1;
      ASSERT_EQ(result.out.substr(0, level), c.line.substr(0, level));
      EXPECT_NEAR(std::stod(result.out.substr(level)), std::stod(c.line.substr(level)),
                  c.tolerance);
    }
  }
}

TEST(Prediction, StepsAreAbsoluteAcrossDaylightSavingChanges) {
  const struct {
    const char* begin;
    const char* end;
    std::string times;
  } cases[] = {
      {"2026-03-08 01:00", "2026-03-08 03:30",
       " 1:00 AM PST| 1:15 AM PST| 1:30 AM PST| 1:45 AM PST| 3:00 AM PDT| 3:15 AM PDT|"},
      {"2026-11-01 00:30", "2026-11-01 02:15",
       "12:30 AM PDT|12:45 AM PDT| 1:00 AM PDT| 1:15 AM PDT| 1:30 AM PDT| 1:45 AM PDT|"
       " 1:00 AM PST| 1:15 AM PST| 1:30 AM PST| 1:45 AM PST| 2:00 AM PST|"},
      // A skipped time reads as standard time, a repeated one as its first pass.
      {"2026-03-08 02:30", "2026-03-08 03:45", " 3:30 AM PDT|"},
      {"2026-11-01 01:30", "2026-11-01 01:45", " 1:30 AM PDT|"},
  };
  for (const auto& c : cases) {
    std::string times;
    for (const auto& line : lines(predict(seattle, c.begin, c.end).out))
      times += line.substr(11, 12) + "|";
    EXPECT_EQ(times, c.times) << c.begin;
  }
}

TEST(Prediction, EndIsExcluded) {
  const auto output = lines(predict(seattle, "2026-12-05 00:00", "2026-12-05 01:00").out);
  ASSERT_EQ(output.size(), 4u);
  EXPECT_EQ(output[3], "2026-12-05 12:45 AM PST 7.516136");
  EXPECT_EQ(predict(seattle, "2026-12-05 00:00", "2026-12-05 00:00").out, "");
}

TEST(Prediction, UtcTimesAndMetresOnRequest) {
  EXPECT_EQ(predict(seattle, "2026-12-05 08:00", "2026-12-05 08:15", {"-z", "y"}).out,
            "2026-12-05  8:00 AM UTC 6.078608\n");
  const auto metres = predict(seattle, "2026-12-05 00:00", "2026-12-05 00:15", {"-u", "m"});
  ASSERT_EQ(metres.status, 0) << metres.err;
  EXPECT_NEAR(std::stod(metres.out.substr(24)), 6.078608 * 0.3048, 1e-6);
  // Currents have no height to convert.
  EXPECT_EQ(predict(hellGate, "2026-06-21 12:00", "2026-06-21 12:15", {"-u", "m"}).out,
            "2026-06-21 12:00 PM EDT 2.683284\n");
}

TEST(Prediction, AYearLongRunEndsAsShortRunsOnEitherSideOfNewYearDo) {
  // Samples are summed step by step, and the year's tables change at midnight UTC.
  for (const std::string& station : {seattle, hellGate}) {
    const auto run = [&](const char* begin, const char* end) {
      return predict(station, begin, end, {"-z", "y"}).out;
    };
    const std::string year = run("2026-01-01 12:00", "2027-01-01 12:00");
    const std::string tail =
        run("2026-12-31 23:45", "2027-01-01 00:00") + run("2027-01-01 00:00", "2027-01-01 12:00");
    ASSERT_EQ(lines(year).size(), 365u * 96) << station;
    EXPECT_EQ(year.substr(year.size() - tail.size()), tail) << station;
  }
}

} // namespace
