#include "ChartPixels.h"
#include "charts/MonthCalendar.h"
#include "fw/Date.h"

#include <gtest/gtest.h>

using namespace chartpixels;

namespace {

constexpr int W = 226, H = 142;

double at0(int y, int m, int d, int hh = 0, int mm = 0) {
  return fw::Date::FromFields(y, m, d, hh, mm).TotalSeconds();
}

struct Drawn {
  QImage img = blankImage(W, H);
  fw::Graphics g{img};
};

void drawMonth(Drawn& d, int year, int month, const TimeAndTide& found) {
  MonthCalendar cal(d.g);
  cal.drawEmpty();
  cal.drawMonth(fw::Date::FromFields(year, month, 1), found);
}

int cellX(int column) {
  return 14 + 28 * column;
}
int rowBaseline(int row) {
  return 33 + 20 * row;
}

} // namespace

TEST(MonthCalendar, HeaderNamesTheWeekdaysAboveARule) {
  Drawn d;
  drawMonth(d, 2026, 3, TimeAndTide{});
  const char* names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  for (int i = 0; i < 7; ++i)
    EXPECT_TRUE(textAt(d.img, names[i], cellX(i), 13, black)) << names[i];
  EXPECT_EQ(count(d.img, QRect(14, 16, 199, 1), black), 199); // 14 .. 212
  EXPECT_EQ(at(d.img, 13, 16), white);
  EXPECT_EQ(at(d.img, 213, 16), white);
}

TEST(MonthCalendar, FirstDayFallsInItsWeekdayColumn) {
  Drawn sunday; // 1 March 2026 is a Sunday
  drawMonth(sunday, 2026, 3, TimeAndTide{});
  EXPECT_TRUE(textAt(sunday.img, "1", cellX(0), rowBaseline(0), black));
  EXPECT_TRUE(textAt(sunday.img, "7", cellX(6), rowBaseline(0), black));
  EXPECT_TRUE(textAt(sunday.img, "8", cellX(0), rowBaseline(1), black));

  Drawn saturday; // 1 August 2026 is a Saturday: a 31-day month over six rows
  drawMonth(saturday, 2026, 8, TimeAndTide{});
  EXPECT_TRUE(textAt(saturday.img, "1", cellX(6), rowBaseline(0), black));
  EXPECT_TRUE(textAt(saturday.img, "2", cellX(0), rowBaseline(1), black));
  EXPECT_TRUE(textAt(saturday.img, "30", cellX(0), 133, black));
  EXPECT_TRUE(textAt(saturday.img, "31", cellX(1), 133, black));
  EXPECT_EQ(count(saturday.img, QRect(cellX(2), 120, 28, 16), black), 0); // no 1 September
}

TEST(MonthCalendar, FebruaryOfACommonYearStopsAt28) {
  Drawn d; // 1 February 2027 is a Monday, so the 28th opens the fifth row
  drawMonth(d, 2027, 2, TimeAndTide{});
  EXPECT_TRUE(textAt(d.img, "28", cellX(0), rowBaseline(4), black));
  EXPECT_EQ(count(d.img, QRect(cellX(1), rowBaseline(4) - 14, 28 * 6, 18), black), 0);
  EXPECT_EQ(count(d.img, QRect(1, rowBaseline(5) - 14, W - 3, 18), black), 0);
}

TEST(MonthCalendar, RedMarksExactlyTheDaysOnWhichAPeriodStarts) {
  TimeAndTide found;
  found.Append(at0(2026, 12, 5), 3600);          // at midnight: the 5th, not the 4th
  found.Append(at0(2026, 12, 10, 23, 45), 7200); // runs into the 11th, marks only the 10th
  found.Append(at0(2026, 12, 12), 3600);
  found.Append(at0(2026, 12, 20, 23, 59), 3600);
  Drawn d; // 1 December 2026 is a Tuesday
  drawMonth(d, 2026, 12, found);
  auto dayAt = [](int day) { return std::pair{cellX((day + 1) % 7), rowBaseline((day + 1) / 7)}; };
  for (int day : {4, 5, 6, 9, 10, 11, 12, 13, 19, 20, 21}) {
    const bool marked = day == 5 || day == 10 || day == 12 || day == 20;
    const auto [x, y] = dayAt(day);
    EXPECT_TRUE(textAt(d.img, std::to_string(day), x, y, marked ? red : black)) << day;
  }
}

TEST(MonthCalendar, MonthCountSpansFirstToLastPeriodMonth) {
  struct Case {
    fw::Date first, last;
    int count;
  } cases[] = {
      {fw::Date::FromFields(2026, 11, 10), fw::Date::FromFields(2027, 1, 5), 3},
      {fw::Date::FromFields(2026, 12, 1), fw::Date::FromFields(2026, 12, 31, 23, 59), 1},
      {fw::Date::FromFields(2026, 12, 3), fw::Date::FromFields(2027, 2, 8), 3},
      {fw::Date::FromFields(2027, 2, 8), fw::Date::FromFields(2026, 12, 3), 1}, // never below 1
  };
  for (const Case& c : cases)
    EXPECT_EQ(MonthCalendar::monthCount(c.first, c.last), c.count) << c.first.ShortDate();
  EXPECT_EQ(MonthCalendar::monthName(12), "December");
  EXPECT_EQ(MonthCalendar::monthName(13), "");
}

TEST(MonthCalendar, MonthAfterStepsWholeMonthsAlsoFromTheEndOfAMonth) {
  struct Case {
    fw::Date first;
    int months, year, month;
  } cases[] = {
      {fw::Date::FromFields(2026, 11, 10, 6, 15), 1, 2026, 12},
      {fw::Date::FromFields(2026, 11, 10), 2, 2027, 1},
      {fw::Date::FromFields(2026, 1, 31), 1, 2026, 2}, // not 3 March
      {fw::Date::FromFields(2026, 8, 31), 13, 2027, 9},
  };
  for (const Case& c : cases) {
    const fw::Date d = MonthCalendar::monthAfter(c.first, c.months);
    EXPECT_EQ(d.Year(), c.year);
    EXPECT_EQ(d.Month(), c.month);
  }
}
