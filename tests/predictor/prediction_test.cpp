// The predictor as Halvorn runs it: values of the classic harmonic method on
// the same database, daylight-saving changes, the sample count, UTC and units.

#include "TideRun.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

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
  // The first levels printed from `begin` (local time) every `step`; stations
  // by the start of their names. A tolerance of 0: exactly as printed.
  const struct {
    const char *station, *begin, *step, *levels;
    double tolerance = 0;
  } cases[] = {
      {"Seattle,", "2026-12-05 00:00", "3:30", "6.078608 9.920789"},
      {"San Francisco,", "2026-06-21 12:00", "1:00", "0.627386"},
      {"Honolulu,", "2026-06-21 12:00", "1:00", "1.157092"},
      {"Juneau,", "2026-12-05 00:00", "1:00", "11.825920"},
      {"Hell Gate (", "2026-06-21 12:00", "1:00", "2.683284"},
      // 00:00 UTC: the two years blend around midnight on New Year's Day.
      {"Chuuk,", "2027-01-01 10:00", "1:00", "1.147565"},
      // Highs and lows that overtake each other.
      {"Christmas Bay", "2027-01-16 15:00", "2:00", "0.187333 0.192281 0.485533"},
      {"Admiralty Head", "2026-12-05 00:00", "1:00", "4.633239", eventsLate},
      // Currents that turn at their own slack times.
      {"Manhattan Br., East", "2027-01-24 09:00", "1:00",
       "2.706234 2.139915 0.277470 -1.845390 -2.382321", eventsLate},
      {"Madison Ave.", "2027-01-23 09:00", "1:00", "1.555856 0.188778 -1.512548", eventsLate},
      {"Raccoon Key (", "2027-01-23 07:00", "1:00", "1.573580 0.946265 0.087812 -1.524185",
       eventsLate},
      // Two slacks in a row, where one has overtaken the strength between them.
      {"Morgans Point (Depth 6ft)", "2027-01-14 19:30", "0:30", "0.100560 0.276917", eventsLate},
      {"Morgans Point (Depth 6ft)", "2027-01-14 20:15", "0:30", "0.324622 0.182041", eventsLate},
      {"Carson Creek entrance, 1.4", "2027-01-02 11:30", "0:45", "-1.607122 -2.436453", eventsLate},
      // Its slacks 6.5 h apart in the reference fall 2 h apart: their seconds weigh 3.2 times more.
      {"Carson Creek entrance, 1.4", "2027-01-02 12:45", "1:00", "-1.702769", 2 * eventsLate},
      {"Kings Point, Lopez", "2027-01-05 13:30", "0:30", "0.430904 0.235738", eventsLate},
  };
  for (const auto& c : cases) {
    const auto result = tidetest::runTide({"-b", c.begin, "-mm", "-s", c.step, "-l", c.station});
    ASSERT_EQ(std::tuple(result.status, result.err), std::tuple(0, "")) << c.station;
    const auto output = lines(result.out);
    std::istringstream expected(c.levels);
    for (std::size_t i = 0; expected.peek() != EOF; ++i) {
      double level = 0;
      expected >> level;
      ASSERT_LT(i, output.size()) << c.station;
      EXPECT_NEAR(std::stod(output[i].substr(output[i].rfind(' ') + 1)), level, c.tolerance)
          << c.station << ": " << output[i];
    }
  }
}

TEST(Prediction, ACurrentRunsBetweenTwoSlacksInARow) {
  // A slack that overtakes the strength after it leaves two slacks in a row,
  // four times in this month; the station still runs with the reference between them.
  const auto month = predict("Morgans Point (Depth 6ft)", "2027-01-01 00:00", "2027-02-01 00:00");
  ASSERT_EQ(lines(month.out).size(), 31u * 96);
  EXPECT_FALSE(std::regex_search(month.out, std::regex(" 0\\.000000\n.* 0\\.000000\n")));
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
