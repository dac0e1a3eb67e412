#include "fw/Date.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace {

using fw::Date;

constexpr double kDay = 86400;

std::string civil(const Date& d) {
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", d.Year(), d.Month(), d.Day(),
                d.Hour(), d.Minute(), d.Second());
  return text;
}

TEST(Date, TotalSeconds_CountsCivilSecondsSince1904InWholeDays) {
  // The civil time, the day of the week (Sunday 1) and the short forms.
  const std::pair<double, const char*> cases[] = {
      {0, "1904-01-01 00:00:00 6 1/1/1904 12:00 AM"},
      {3029529600 + 12 * 3600, "2000-01-01 12:00:00 7 1/1/2000 12:00 PM"},
      {3033417600 + 12 * 3600 + 34 * 60 + 56, "2000-02-15 12:34:56 3 2/15/2000 12:34 PM"},
      {3847824000 + 6 * 3600 + 15 * 60, "2025-12-06 06:15:00 7 12/6/2025 6:15 AM"},
      {-1.5, "1903-12-31 23:59:58 5 12/31/1903 11:59 PM"},
      {-36524 * kDay + 13 * 3600 + 60, "1804-01-01 13:01:00 1 1/1/1804 1:01 PM"},
  };
  for (const auto& [seconds, expected] : cases) {
    const Date d = Date::FromTotalSeconds(seconds);
    EXPECT_EQ(civil(d) + " " + std::to_string(d.DayOfWeek()) + " " + d.ShortDate() + " " +
                  d.ShortTime(),
              expected);
    EXPECT_EQ(Date::FromFields(d.Year(), d.Month(), d.Day(), d.Hour(), d.Minute(), d.Second())
                  .TotalSeconds(),
              std::floor(seconds));
  }
  Date d = Date::FromFields(1899, 1, 1);
  for (int i = 0; i < 73400; ++i) {
    const Date next = Date::FromTotalSeconds(d.TotalSeconds() + kDay);
    const bool follows = next.Day() == d.Day() + 1
                             ? next.Month() == d.Month()
                             : next.Day() == 1 && next.Month() == d.Month() % 12 + 1;
    ASSERT_TRUE(follows && next.DayOfWeek() == d.DayOfWeek() % 7 + 1) << next.ShortDate();
    d = next;
  }
  EXPECT_EQ(d.ShortDate(), "12/18/2099");
}

// The calendar asks for the month after its first; no caller sets the other fields.
TEST(Date, SetMonth_KeepsTheOtherFieldsAndNormalisesOverflow) {
  for (const auto& [month, expected] :
       {std::pair{13, "2027-01-31 10:20:30"}, {4, "2026-05-01 10:20:30"}}) {
    Date d = Date::FromFields(2026, 12, 31, 10, 20, 30);
    d.SetMonth(month);
    EXPECT_EQ(civil(d), expected) << month;
  }
}

TEST(Date, NewDate_IsTheLocalWallClock) {
  setenv("TZ", "NZST-12NZDT", 1); // far enough from UTC to miss any day
  tzset();
  const std::time_t before = std::time(nullptr);
  const Date now;
  std::tm local{};
  localtime_r(&before, &local);
  const Date expected = Date::FromFields(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                         local.tm_hour, local.tm_min, local.tm_sec);
  EXPECT_NEAR(now.TotalSeconds(), expected.TotalSeconds(), 2);
}

TEST(Date, ParseDate_AcceptsTheThreeFormsAndRefusesTheRest) {
  const std::pair<const char*, const char*> accepted[] = {
      {"12/6/2026", "2026-12-06"},  {"01/02/2026", "2026-01-02"},
      {"12/31/99", "2099-12-31"},   {" \t2/29/2024\r\n", "2024-02-29"},
      {"2026-12-05", "2026-12-05"}, {"2000-02-29", "2000-02-29"},
  };
  const auto parsed = [](const char* text) {
    Date d = Date::FromFields(1999, 9, 9, 9, 9, 9);
    const bool parsed = fw::ParseDate(text, d);
    return (parsed ? "" : "refused ") + civil(d);
  };
  for (const auto& [text, day] : accepted)
    EXPECT_EQ(parsed(text), day + std::string(" 00:00:00")) << '"' << text << '"';
  const char* refused[] = {
      "2/30/2026", "2/29/2025",  "13/1/2026", "0/1/2026",    "1900-02-29", "2026-13-01",
      "   ",       "12/6",       "12/6/202",  "12/6/20261",  "123/6/2026", "12//2026",
      "12-6-2026", "2026/12/06", "2026-1-5",  "2026-01-05x", "a12/6/2026", "-1/6/2026",
  };
  for (const char* text : refused)
    EXPECT_EQ(parsed(text), "refused 1999-09-09 09:09:09") << '"' << text << '"';
}

} // namespace
