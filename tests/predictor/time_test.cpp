// Dates and steps as typed, calendar arithmetic, and wall-clock time in a
// station's zone around daylight-saving changes.

#include "predictor/CivilTime.h"
#include "predictor/TimeZone.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using namespace tide;

namespace {

TEST(CivilTime, WellFormedDatesAreRead) {
  const struct {
    const char* text;
    CivilDateTime expected;
  } cases[] = {
      {"2026-12-05 00:00", {2026, 12, 5, 0, 0, 0}},
      {"2026-12-05 23:59", {2026, 12, 5, 23, 59, 0}},
      {"2024-02-29 7:05", {2024, 2, 29, 7, 5, 0}},
      {"1700-01-01 00:00", {1700, 1, 1, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const auto parsed = parseDateTime(c.text);
    ASSERT_TRUE(parsed) << c.text;
    EXPECT_EQ(secondsFromCivil(*parsed), secondsFromCivil(c.expected)) << c.text;
  }
}

TEST(CivilTime, MalformedDatesAreRefused) {
  for (const char* text :
       {"", "tomorrow", "2026-13-01 00:00", "2026-00-10 00:00", "2026-02-29 00:00",
        "2026-04-31 00:00", "2026-12-05 24:00", "2026-12-05 12:60", "2026-12-05", "2026-12-5 00:00",
        "2026/12/05 00:00", "2026-12-05T00:00", "2026-12-05 00:00:00", " 2026-12-05 00:00",
        "2026-12-05 -1:00", "+026-12-05 00:00"})
    EXPECT_FALSE(parseDateTime(text)) << text;
}

TEST(CivilTime, StepsAreHoursAndMinutes) {
  EXPECT_EQ(parseStep("0:15"), 900);
  EXPECT_EQ(parseStep("1:00"), 3600);
  EXPECT_EQ(parseStep("0:00"), 0);
  EXPECT_EQ(parseStep("100:30"), 100 * 3600 + 1800);
  for (const char* text :
       {"", ":15", "0:5", "0:60", "-0:15", "1", "1:00:00", "a:bc", "0:1x", "99999999999:00"})
    EXPECT_FALSE(parseStep(text)) << text;
}

TEST(CivilTime, SecondsAndCalendarAgreeOverTheWholeTableRange) {
  for (Seconds t = startOfYear(1699); t < startOfYear(2102); t += 86400 * 7 + 3671) {
    const CivilDateTime civil = civilFromSeconds(t);
    ASSERT_EQ(secondsFromCivil(civil), t);
    ASSERT_GE(civil.day, 1);
    ASSERT_LE(civil.day, daysInMonth(civil.year, civil.month));
  }
  EXPECT_EQ(startOfYear(1970), 0);
  EXPECT_EQ(civilFromSeconds(-1).year, 1969);
  EXPECT_EQ(daysInMonth(1900, 2), 28);
  EXPECT_EQ(daysInMonth(2000, 2), 29);
}

class Zone : public ::testing::Test {
protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    saved_ = tz ? std::optional<std::string>(tz) : std::nullopt;
  }
  void TearDown() override {
    if (saved_)
      setenv("TZ", saved_->c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  std::optional<std::string> saved_;
};

Seconds utc(const char* text) {
  return secondsFromCivil(*parseDateTime(text));
}

TEST_F(Zone, WallClockTimesBecomeInstantsAcrossBothChanges) {
  const auto pacific = TimeZone::open(":America/Los_Angeles");
  ASSERT_TRUE(pacific);
  const struct {
    const char* local;
    const char* utc;
  } cases[] = {
      {"2026-12-05 00:00", "2026-12-05 08:00"},
      {"2026-07-01 12:00", "2026-07-01 19:00"},
      // Clocks go forward at 2:00: the skipped 2:30 reads as standard time.
      {"2026-03-08 01:59", "2026-03-08 09:59"},
      {"2026-03-08 02:30", "2026-03-08 10:30"},
      {"2026-03-08 03:00", "2026-03-08 10:00"},
      // Clocks go back at 2:00: 1:30 happens twice, the first time counts.
      {"2026-11-01 01:30", "2026-11-01 08:30"},
      {"2026-11-01 02:00", "2026-11-01 10:00"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(pacific->toInstant(*parseDateTime(c.local)), utc(c.utc)) << c.local;
}

TEST_F(Zone, ReadingsChangeAtTheExactSecondOfEachChange) {
  const auto pacific = TimeZone::open("America/Los_Angeles");
  ASSERT_TRUE(pacific);
  const Seconds change = utc("2026-03-08 10:00");
  // Walk forward as the samples do, so the cached stretch is put to use.
  EXPECT_EQ(pacific->at(change - 86400).abbreviation, "PST");
  EXPECT_EQ(pacific->at(change - 1).abbreviation, "PST");
  EXPECT_EQ(pacific->at(change).abbreviation, "PDT");
  EXPECT_EQ(pacific->at(change).offsetSeconds, -7 * 3600);
  EXPECT_EQ(pacific->at(utc("2026-11-01 09:00")).abbreviation, "PST");
  // And backward again.
  EXPECT_EQ(pacific->at(change - 1).offsetSeconds, -8 * 3600);

  const auto honolulu = TimeZone::open(":Pacific/Honolulu");
  ASSERT_TRUE(honolulu);
  EXPECT_EQ(honolulu->at(utc("2026-06-21 22:00")).abbreviation, "HST");
  EXPECT_EQ(TimeZone::utc().at(change).abbreviation, "UTC");
}

TEST_F(Zone, UnknownZonesAreRefused) {
  for (const char* name :
       {"", ":", "Unknown", ":Atlantis/Capital", ":../../etc/passwd", "/etc/passwd", ":America"})
    EXPECT_FALSE(TimeZone::open(name)) << name;
}

} // namespace
