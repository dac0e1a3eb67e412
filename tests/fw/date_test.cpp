#include "fw/Date.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>
#include <string>

namespace {

using fw::Date;

constexpr double kDay = 86400;

struct Civil {
  int year, month, day, hour, minute, second;
};

void expectFields(const Date& d, const Civil& c, const std::string& context) {
  EXPECT_EQ(d.Year(), c.year) << context;
  EXPECT_EQ(d.Month(), c.month) << context;
  EXPECT_EQ(d.Day(), c.day) << context;
  EXPECT_EQ(d.Hour(), c.hour) << context;
  EXPECT_EQ(d.Minute(), c.minute) << context;
  EXPECT_EQ(d.Second(), c.second) << context;
}

TEST(Date, TotalSeconds_CountsCivilSecondsSince1904) {
  const struct {
    double seconds;
    Civil civil;
    int dayOfWeek;
  } cases[] = {
      {0, {1904, 1, 1, 0, 0, 0}, 6},
      {59 * kDay, {1904, 2, 29, 0, 0, 0}, 2},
      {2082844800, {1970, 1, 1, 0, 0, 0}, 5},
      {3029529600, {2000, 1, 1, 0, 0, 0}, 7},
      {3033417600 + 12 * 3600 + 34 * 60 + 56, {2000, 2, 15, 12, 34, 56}, 3},
      {3035836800, {2000, 3, 14, 0, 0, 0}, 3},
      {3847824000 + 6 * 3600 + 15 * 60, {2025, 12, 6, 6, 15, 0}, 7},
      {-1, {1903, 12, 31, 23, 59, 59}, 5},
      {-1.5, {1903, 12, 31, 23, 59, 58}, 5},
      {-36524 * kDay, {1804, 1, 1, 0, 0, 0}, 1},
  };
  for (const auto& c : cases) {
    const Date d = Date::FromTotalSeconds(c.seconds);
    const std::string context = std::to_string(c.seconds);
    expectFields(d, c.civil, context);
    EXPECT_EQ(d.DayOfWeek(), c.dayOfWeek) << context;
    const Civil& f = c.civil;
    EXPECT_EQ(Date::FromFields(f.year, f.month, f.day, f.hour, f.minute, f.second).TotalSeconds(),
              std::floor(c.seconds))
        << context;
  }
}

TEST(Date, DaysAreAlwaysWholeAcrossCenturies) {
  // Every day from 1899 to 2101 follows the one before it.
  Date d = Date::FromFields(1899, 1, 1);
  for (int i = 0; i < 73400; ++i) {
    const Date next = Date::FromTotalSeconds(d.TotalSeconds() + kDay);
    const bool sameMonth = next.Month() == d.Month() && next.Day() == d.Day() + 1;
    const bool newMonth = next.Day() == 1 && (next.Month() == d.Month() % 12 + 1);
    ASSERT_TRUE(sameMonth || newMonth) << d.ShortDate() << " -> " << next.ShortDate();
    ASSERT_EQ(next.DayOfWeek(), d.DayOfWeek() % 7 + 1) << next.ShortDate();
    d = next;
  }
  EXPECT_EQ(d.ShortDate(), "12/18/2099");
}

TEST(Date, Setters_NormaliseOverflow) {
  const struct {
    const char* what;
    void (Date::*set)(int);
    int value;
    Civil result;
  } cases[] = {
      {"month 13", &Date::SetMonth, 13, {2027, 1, 31, 10, 20, 30}},
      {"month 0", &Date::SetMonth, 0, {2025, 12, 31, 10, 20, 30}},
      {"month -13", &Date::SetMonth, -13, {2024, 12, 1, 10, 20, 30}},
      {"month 4 with day 31", &Date::SetMonth, 4, {2026, 5, 1, 10, 20, 30}},
      {"month 2 with day 31", &Date::SetMonth, 2, {2026, 3, 3, 10, 20, 30}},
      {"day 0", &Date::SetDay, 0, {2026, 11, 30, 10, 20, 30}},
      {"day 32", &Date::SetDay, 32, {2027, 1, 1, 10, 20, 30}},
      {"day -1", &Date::SetDay, -1, {2026, 11, 29, 10, 20, 30}},
      {"hour 24", &Date::SetHour, 24, {2027, 1, 1, 0, 20, 30}},
      {"hour -1", &Date::SetHour, -1, {2026, 12, 30, 23, 20, 30}},
      {"minute 60", &Date::SetMinute, 60, {2026, 12, 31, 11, 0, 30}},
      {"minute -1441", &Date::SetMinute, -1441, {2026, 12, 30, 9, 59, 30}},
      {"second 86400", &Date::SetSecond, 86400, {2027, 1, 1, 10, 20, 0}},
      {"year 2028", &Date::SetYear, 2028, {2028, 12, 31, 10, 20, 30}},
  };
  for (const auto& c : cases) {
    Date d = Date::FromFields(2026, 12, 31, 10, 20, 30);
    (d.*c.set)(c.value);
    expectFields(d, c.result, c.what);
  }
  // 29 February moved to a common year.
  Date leap = Date::FromFields(2024, 2, 29);
  leap.SetYear(2025);
  EXPECT_EQ(leap.ShortDate(), "3/1/2025");
}

TEST(Date, Setters_KeepTheOtherFields) {
  Date d = Date::FromFields(2026, 12, 5);
  d.SetHour(23);
  d.SetMinute(59);
  EXPECT_EQ(d.TotalSeconds(), Date::FromFields(2026, 12, 5, 23, 59).TotalSeconds());
  d.SetDay(6);
  EXPECT_EQ(d.TotalSeconds(), Date::FromFields(2026, 12, 6, 23, 59).TotalSeconds());
}

TEST(Date, ShortDateAndShortTime) {
  const struct {
    Civil civil;
    const char* date;
    const char* time;
  } cases[] = {
      {{2026, 12, 6, 6, 15, 0}, "12/6/2026", "6:15 AM"},
      {{2026, 1, 9, 12, 0, 0}, "1/9/2026", "12:00 PM"},
      {{2026, 7, 4, 0, 5, 59}, "7/4/2026", "12:05 AM"},
      {{2009, 3, 7, 23, 59, 0}, "3/7/2009", "11:59 PM"},
      {{2026, 12, 6, 13, 1, 0}, "12/6/2026", "1:01 PM"},
      {{2026, 12, 6, 11, 0, 0}, "12/6/2026", "11:00 AM"},
  };
  for (const auto& c : cases) {
    const Civil& f = c.civil;
    const Date d = Date::FromFields(f.year, f.month, f.day, f.hour, f.minute, f.second);
    EXPECT_EQ(d.ShortDate(), c.date);
    EXPECT_EQ(d.ShortTime(), c.time);
  }
}

TEST(Date, NewDate_IsTheLocalWallClock) {
  const char* saved = std::getenv("TZ");
  const std::string savedTz = saved ? saved : "";
  for (const char* zone : {"UTC0", "PST8PDT", "NZST-12NZDT"}) {
    setenv("TZ", zone, 1);
    tzset();
    const std::time_t before = std::time(nullptr);
    const Date now;
    std::tm local{};
    localtime_r(&before, &local);
    const Date expected = Date::FromFields(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                           local.tm_hour, local.tm_min, local.tm_sec);
    EXPECT_NEAR(now.TotalSeconds(), expected.TotalSeconds(), 2) << zone;
    EXPECT_EQ(std::fmod(now.TotalSeconds(), 1), 0) << zone;
  }
  if (saved)
    setenv("TZ", savedTz.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}

TEST(Date, ParseDate_AcceptsTheThreeForms) {
  const struct {
    const char* text;
    Civil civil;
  } cases[] = {
      {"12/6/2026", {2026, 12, 6, 0, 0, 0}},     {"1/2/2026", {2026, 1, 2, 0, 0, 0}},
      {"01/02/2026", {2026, 1, 2, 0, 0, 0}},     {"3/7/09", {2009, 3, 7, 0, 0, 0}},
      {"12/31/99", {2099, 12, 31, 0, 0, 0}},     {"2026-12-05", {2026, 12, 5, 0, 0, 0}},
      {"  2/29/2024\t", {2024, 2, 29, 0, 0, 0}}, {"2000-02-29", {2000, 2, 29, 0, 0, 0}},
      {"4/30/2026\r\n", {2026, 4, 30, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    Date d = Date::FromFields(1999, 9, 9, 9, 9, 9);
    ASSERT_TRUE(fw::ParseDate(c.text, d)) << c.text;
    expectFields(d, c.civil, c.text);
  }
}

TEST(Date, ParseDate_RefusesEverythingElse) {
  const char* cases[] = {
      "2/30/2026",  "2/29/2025",  "13/1/2026",  "0/1/2026",    "1/0/2026",   "4/31/2026",
      "1900-02-29", "2026-13-01", "2026-00-10", "0000-01-01",  "",           "   ",
      "12/6",       "12/6/",      "12/6/202",   "12/6/20261",  "123/6/2026", "12//2026",
      "12-6-2026",  "2026/12/06", "2026-1-5",   "2026-01-05x", "a12/6/2026", "12/6/2026 1",
      "12 /6/2026", "-1/6/2026",  "+1/6/2026",  "1/6/2026/",   "2026-12-5",  "today",
  };
  for (const char* text : cases) {
    Date d = Date::FromFields(1999, 9, 9, 9, 9, 9);
    const double before = d.TotalSeconds();
    EXPECT_FALSE(fw::ParseDate(text, d)) << '"' << text << '"';
    EXPECT_EQ(d.TotalSeconds(), before) << '"' << text << '"';
  }
}

TEST(Date, AbsurdMomentsStayDefined) {
  for (double seconds : {1e300, -1e300, std::nan("")}) {
    const Date d = Date::FromTotalSeconds(seconds);
    EXPECT_GE(d.Month(), 1);
    EXPECT_LE(d.Month(), 12);
    EXPECT_FALSE(d.ShortDate().empty());
  }
  Date d = Date::FromFields(2026, 1, 1);
  d.SetYear(std::numeric_limits<int>::max());
  d.SetDay(std::numeric_limits<int>::min());
  EXPECT_GE(d.Day(), 1);
}

} // namespace
