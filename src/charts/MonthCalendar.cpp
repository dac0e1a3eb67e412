#include "charts/MonthCalendar.h"

#include "engine/TimeAndTide.h"
#include "fw/Date.h"
#include "fw/Text.h"
#include "fw/Yield.h"
#include "fw/gui/Graphics.h"

#include <algorithm>
#include <array>

namespace {
constexpr fw::Color white = fw::RGB(0xFF, 0xFF, 0xFF);
constexpr fw::Color black = fw::RGB(0x00, 0x00, 0x00);
constexpr fw::Color periodRed = fw::RGB(0xFF, 0x00, 0x00);

constexpr double secondsPerDay = 86400.0;
constexpr int daysInWeek = 7;
constexpr int monthsInYear = 12;
constexpr int longestMonth = 31;
constexpr std::string_view weekdayNames = "SunMonTueWedThuFriSat";
constexpr int weekdayNameLength = 3;
// The header baseline sits this far below the middle of its cell, the rule this far below it.
constexpr int headerDrop = 3;
constexpr int ruleDrop = 3;

constexpr std::array<const char*, monthsInYear> monthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
} // namespace

MonthCalendar::MonthCalendar(fw::Graphics& g) : g_(g) {}

void MonthCalendar::drawEmpty() {
  g_.ForeColor = white;
  g_.FillRect(0, 0, g_.Width() - 1, g_.Height() - 1);
  g_.ForeColor = black;
  g_.DrawRect(0, 0, g_.Width() - 1, g_.Height() - 1);
}

void MonthCalendar::drawMonth(const fw::Date& month, const TimeAndTide& found) {
  cellWidth_ = fw::ToInt32(g_.Width() / static_cast<double>(gridColumns));
  cellHeight_ = fw::ToInt32(g_.Height() / static_cast<double>(gridRows));
  headerBaseline_ = fw::ToInt32(cellHeight_ / 2.0 + headerDrop);
  drawHeader();
  drawRule();
  drawDays(month, found);
}

fw::Date MonthCalendar::monthAfter(const fw::Date& first, int months) {
  // Step from day 1: from the 31st, adding a month to January would land in
  // March and February could never be shown.
  fw::Date d = fw::Date::FromFields(first.Year(), first.Month(), 1);
  for (int i = 0; i < months; ++i) {
    d.SetMonth(d.Month() + 1);
    fw::yield();
  }
  return d;
}

int MonthCalendar::monthCount(const fw::Date& first, const fw::Date& last) {
  const int count =
      monthsInYear * (last.Year() - first.Year()) + (last.Month() - first.Month()) + 1;
  return std::max(1, count);
}

std::string MonthCalendar::monthName(int month) {
  if (month < 1 || month > monthsInYear)
    return "";
  return monthNames[static_cast<std::size_t>(month - 1)];
}

void MonthCalendar::drawHeader() {
  g_.ForeColor = black;
  int x = fw::ToInt32(cellWidth_ / 2.0);
  for (int i = 0; i < daysInWeek; ++i) {
    g_.DrawString(fw::Mid(weekdayNames, weekdayNameLength * i + 1, weekdayNameLength), x,
                  headerBaseline_);
    x += cellWidth_;
    fw::yield();
  }
}

void MonthCalendar::drawRule() {
  const int y = headerBaseline_ + ruleDrop;
  g_.ForeColor = black;
  g_.DrawLine(fw::ToInt32(cellWidth_ / 2.0), y, fw::ToInt32(g_.Width() - cellWidth_ / 2.0), y);
}

void MonthCalendar::drawDays(const fw::Date& month, const TimeAndTide& found) {
  fw::Date d = fw::Date::FromFields(month.Year(), month.Month(), 1);
  const int firstColumnX = fw::ToInt32(cellWidth_ / 2.0);
  int x = fw::ToInt32(cellWidth_ / 2.0 + cellWidth_ * (d.DayOfWeek() - 1));
  int y = headerBaseline_ + cellHeight_;
  const int month0 = d.Month();
  for (int k = 1; k <= longestMonth; ++k) {
    if (d.Month() != month0)
      break;
    g_.ForeColor = found.TidesOnDay(d.TotalSeconds()) ? periodRed : black;
    g_.DrawString(fw::Str(d.Day()), x, y);
    x += cellWidth_;
    if (g_.Width() <= x + cellWidth_) {
      x = firstColumnX;
      y += cellHeight_;
    }
    d.SetTotalSeconds(d.TotalSeconds() + secondsPerDay);
    fw::yield();
  }
}
