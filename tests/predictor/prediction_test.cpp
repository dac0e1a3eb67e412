// The predictor as Halvorn runs it: values of the classic harmonic method on
// the same database, daylight-saving changes, the sample count, UTC and units.

#include "TideRun.h"

#include <cmath>
#include <gtest/gtest.h>

using tidetest::lines;
using tidetest::predict;

namespace {

struct KnownLevel {
  const char* station;
  const char* begin;
  const char* end;
  const char* line;
};

// Begin and end a quarter hour apart give exactly one sample.
const KnownLevel referenceLevels[] = {
    {"Seattle, Puget Sound, Washington", "2026-12-05 00:00", "2026-12-05 00:15",
     "2026-12-05 12:00 AM PST 6.078608"},
    {"Seattle, Puget Sound, Washington", "2026-12-05 03:30", "2026-12-05 03:45",
     "2026-12-05  3:30 AM PST 9.920789"},
    {"San Francisco, San Francisco Bay, California", "2026-06-21 12:00", "2026-06-21 12:15",
     "2026-06-21 12:00 PM PDT 0.627386"},
    {"Honolulu, Honolulu Harbor, Oahu Island, Hawaii", "2026-06-21 12:00", "2026-06-21 12:15",
     "2026-06-21 12:00 PM HST 1.157092"},
    {"Juneau, Gastineau Channel, Stephens Pass, Alaska", "2026-12-05 00:00", "2026-12-05 00:15",
     "2026-12-05 12:00 AM AKST 11.825920"},
    {"Hell Gate (off Mill Rock), New York Current", "2026-06-21 12:00", "2026-06-21 12:15",
     "2026-06-21 12:00 PM EDT 2.683284"},
};

TEST(Prediction, ReferenceStationsMatchTheClassicMethodToSixDecimals) {
  for (const KnownLevel& known : referenceLevels) {
    const auto result = predict(known.station, known.begin, known.end);
    EXPECT_EQ(result.status, 0) << known.station << ": " << result.err;
    EXPECT_EQ(result.out, std::string(known.line) + "\n") << known.station;
    EXPECT_EQ(result.err, "");
  }
}

TEST(Prediction, SubordinateStationByHighAndLowOffsetsIsCloseToTheClassicMethod) {
  const auto result = predict("Admiralty Head", "2026-12-05 00:00", "2026-12-05 00:15");
  ASSERT_EQ(result.status, 0) << result.err;
  ASSERT_EQ(result.out.substr(0, 24), "2026-12-05 12:00 AM PST ");
  EXPECT_NEAR(std::stod(result.out.substr(24)), 4.633239, 0.05);
}

TEST(Prediction, StepsAreAbsoluteAcrossDaylightSavingChanges) {
  const auto spring =
      predict("Seattle, Puget Sound, Washington", "2026-03-08 01:00", "2026-03-08 03:30");
  std::vector<std::string> springTimes;
  for (const auto& line : lines(spring.out))
    springTimes.push_back(line.substr(11, 12));
  EXPECT_EQ(springTimes,
            (std::vector<std::string>{" 1:00 AM PST", " 1:15 AM PST", " 1:30 AM PST",
                                      " 1:45 AM PST", " 3:00 AM PDT", " 3:15 AM PDT"}));

  const auto autumn =
      predict("Seattle, Puget Sound, Washington", "2026-11-01 00:30", "2026-11-01 02:15");
  std::vector<std::string> autumnTimes;
  for (const auto& line : lines(autumn.out))
    autumnTimes.push_back(line.substr(11, 12));
  EXPECT_EQ(autumnTimes, (std::vector<std::string>{"12:30 AM PDT", "12:45 AM PDT", " 1:00 AM PDT",
                                                   " 1:15 AM PDT", " 1:30 AM PDT", " 1:45 AM PDT",
                                                   " 1:00 AM PST", " 1:15 AM PST", " 1:30 AM PST",
                                                   " 1:45 AM PST", " 2:00 AM PST"}));
}

TEST(Prediction, EndIsExcludedAndEveryLineHasTheFixedColumns) {
  const auto result =
      predict("Seattle, Puget Sound, Washington", "2026-12-05 00:00", "2026-12-05 01:00");
  const auto output = lines(result.out);
  ASSERT_EQ(output.size(), 4u);
  EXPECT_EQ(output[3], "2026-12-05 12:45 AM PST 7.516136");
  for (const auto& line : output) {
    EXPECT_EQ(line[4], '-');
    EXPECT_EQ(line[7], '-');
    EXPECT_EQ(line[13], ':');
    EXPECT_EQ(line[23], ' ');
  }
  EXPECT_EQ(predict("Seattle, Puget Sound, Washington", "2026-12-05 00:00", "2026-12-05 00:00").out,
            "");
}

TEST(Prediction, UtcTimesAndMetresOnRequest) {
  const auto feet = predict("Seattle, Puget Sound, Washington", "2026-12-05 08:00",
                            "2026-12-05 08:15", {"-z", "y"});
  EXPECT_EQ(feet.out, "2026-12-05  8:00 AM UTC 6.078608\n");
  const auto metres = predict("Seattle, Puget Sound, Washington", "2026-12-05 00:00",
                              "2026-12-05 00:15", {"-u", "m"});
  ASSERT_EQ(metres.status, 0) << metres.err;
  EXPECT_NEAR(std::stod(metres.out.substr(24)), 6.078608 * 0.3048, 1e-6);
  // Currents have no height to convert.
  const auto knots = predict("Hell Gate (off Mill Rock), New York Current", "2026-06-21 12:00",
                             "2026-06-21 12:15", {"-u", "m"});
  EXPECT_EQ(knots.out, "2026-06-21 12:00 PM EDT 2.683284\n");
}

TEST(Prediction, LookupByPrefixAndCaseGivesTheSameStation) {
  const auto full =
      predict("Seattle, Puget Sound, Washington", "2026-12-05 00:00", "2026-12-05 00:15");
  EXPECT_EQ(predict("SEATTLE, puget sound, washington", "2026-12-05 00:00", "2026-12-05 00:15").out,
            full.out);
  EXPECT_EQ(predict("Seattle, Puget", "2026-12-05 00:00", "2026-12-05 00:15").out, full.out);
}

TEST(Prediction, ARunAcrossNewYearEqualsTheTwoRunsOnEitherSide) {
  // The year's tables change at midnight UTC, in the middle of the run.
  const auto across =
      predict("Seattle, Puget Sound, Washington", "2026-12-31 15:00", "2026-12-31 17:00");
  const auto before =
      predict("Seattle, Puget Sound, Washington", "2026-12-31 15:00", "2026-12-31 16:00");
  const auto after =
      predict("Seattle, Puget Sound, Washington", "2026-12-31 16:00", "2026-12-31 17:00");
  EXPECT_EQ(lines(across.out).size(), 8u);
  EXPECT_EQ(across.out, before.out + after.out);
}

} // namespace
