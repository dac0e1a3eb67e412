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
  // The classic method finds a reference's events only to whole seconds and
  // often seconds late; where a subordinate station's level hangs on them,
  // it differs from events found exactly by up to a few thousandths.
  const double eventsLate = 0.01;
  const struct {
    std::string station;
    const char* begin;
    const char* end;
    const char* step;
    std::string first;         // the first line
    std::vector<double> later; // the levels a step, two steps, … after it
    double tolerance;          // 0: exactly as printed
  } cases[] = {
      {seattle,
       "2026-12-05 00:00",
       "2026-12-05 03:31",
       "3:30",
       "2026-12-05 12:00 AM PST 6.078608",
       {9.920789},
       0},
      {"San Francisco, San Francisco Bay, California",
       "2026-06-21 12:00",
       "2026-06-21 12:01",
       "1:00",
       "2026-06-21 12:00 PM PDT 0.627386",
       {},
       0},
      {"Honolulu, Honolulu Harbor, Oahu Island, Hawaii",
       "2026-06-21 12:00",
       "2026-06-21 12:01",
       "1:00",
       "2026-06-21 12:00 PM HST 1.157092",
       {},
       0},
      {"Juneau, Gastineau Channel, Stephens Pass, Alaska",
       "2026-12-05 00:00",
       "2026-12-05 00:01",
       "1:00",
       "2026-12-05 12:00 AM AKST 11.825920",
       {},
       0},
      {hellGate,
       "2026-06-21 12:00",
       "2026-06-21 12:01",
       "1:00",
       "2026-06-21 12:00 PM EDT 2.683284",
       {},
       0},
      // The two years blend around midnight UTC on New Year's Day.
      {"Chuuk, Moen Island, E. Caroline Islands, FSM",
       "2027-01-01 10:00",
       "2027-01-01 10:01",
       "1:00",
       "2027-01-01 10:00 AM +10 1.147565",
       {},
       0},
      // Highs and lows that overtake each other.
      {"Christmas Bay, Texas",
       "2027-01-16 15:00",
       "2027-01-16 19:01",
       "2:00",
       "2027-01-16  3:00 PM CST 0.187333",
       {0.192281, 0.485533},
       0},
      {"Admiralty Head",
       "2026-12-05 00:00",
       "2026-12-05 00:01",
       "1:00",
       "2026-12-05 12:00 AM PST 4.633239",
       {},
       eventsLate},
      // Currents that turn at their own slack times.
      {"Manhattan Bridge, East of (Depth 15ft), East River, New York Current",
       "2027-01-24 09:00",
       "2027-01-24 13:01",
       "1:00",
       "2027-01-24  9:00 AM EST 2.706234",
       {2.139915, 0.277470, -1.845390, -2.382321},
       eventsLate},
      {"Madison Ave. Bridge, Harlem River, New York Current",
       "2027-01-23 09:00",
       "2027-01-23 11:01",
       "1:00",
       "2027-01-23  9:00 AM EST 1.555856",
       {0.188778, -1.512548},
       eventsLate},
      {"Raccoon Key (Depth 10ft), Ossabaw Sound, Georgia Current",
       "2027-01-23 07:00",
       "2027-01-23 10:01",
       "1:00",
       "2027-01-23  7:00 AM EST 1.573580",
       {0.946265, 0.087812, -1.524185},
       eventsLate},
  };
  for (const auto& c : cases) {
    const auto result =
        tidetest::runTide({"-b", c.begin, "-e", c.end, "-mm", "-s", c.step, "-l", c.station});
    EXPECT_EQ(result.status, 0) << c.station << ": " << result.err;
    EXPECT_EQ(result.err, "");
    const auto output = lines(result.out);
    ASSERT_EQ(output.size(), 1 + c.later.size()) << c.station;
    const std::size_t level = c.first.rfind(' ') + 1;
    EXPECT_EQ(output[0].substr(0, level), c.first.substr(0, level));
    for (std::size_t i = 0; i < output.size(); ++i) {
      const double expected = i == 0 ? std::stod(c.first.substr(level)) : c.later[i - 1];
      const double printed = std::stod(output[i].substr(output[i].rfind(' ') + 1));
      if (c.tolerance == 0)
        EXPECT_EQ(printed, expected) << output[i];
      else
        EXPECT_NEAR(printed, expected, c.tolerance) << output[i];
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
