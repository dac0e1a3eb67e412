#pragma once
// One month of found periods as a grid of day numbers under a weekday header:
// a day is red when a period starts on it, black otherwise. The grid is 8 cells
// wide (seven used, the eighth keeps the margins) and 7 cells high (the header
// and up to six weeks).

#include <string>

class TimeAndTide;

namespace fw {
class Date;
class Graphics;
} // namespace fw

class MonthCalendar {
public:
  static constexpr int gridColumns = 8;
  static constexpr int gridRows = 7;

  explicit MonthCalendar(fw::Graphics& g);

  // The white field with its black frame; the last column and row stay undrawn.
  void drawEmpty();
  // Header, rule and days of the month that `month` lies in.
  void drawMonth(const fw::Date& month, const TimeAndTide& found);

  // The month `months` after the month of `first`, at its first day.
  static fw::Date monthAfter(const fw::Date& first, int months);
  // Months from the month of `first` to that of `last`, both included; at least 1.
  static int monthCount(const fw::Date& first, const fw::Date& last);
  static std::string monthName(int month);

private:
  void drawHeader();
  void drawRule();
  void drawDays(const fw::Date& month, const TimeAndTide& found);

  fw::Graphics& g_;
  int cellWidth_ = 0;
  int cellHeight_ = 0;
  int headerBaseline_ = 0;
};
