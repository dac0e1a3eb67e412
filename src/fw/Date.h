#pragma once
// A civil date and time with no zone: TotalSeconds counts seconds since
// 1904-01-01 00:00:00 and every day is exactly 86400 seconds.

#include <string>
#include <string_view>

namespace fw {

class Date {
public:
  Date(); // the machine's current local wall-clock time
  static Date FromTotalSeconds(double totalSeconds);
  static Date FromFields(int year, int month, int day, int hour = 0, int minute = 0,
                         int second = 0);

  double TotalSeconds() const { return totalSeconds_; }
  void SetTotalSeconds(double totalSeconds);

  int Year() const;
  int Month() const;
  int Day() const;
  int Hour() const;
  int Minute() const;
  int Second() const;
  // Setting a field keeps the others and normalises overflow (month 13, 31 April).
  void SetYear(int year);
  void SetMonth(int month);
  void SetDay(int day);
  void SetHour(int hour);
  void SetMinute(int minute);
  void SetSecond(int second);

  int DayOfWeek() const;         // 1 = Sunday ... 7 = Saturday
  std::string ShortDate() const; // 12/6/2026
  std::string ShortTime() const; // 6:15 AM

private:
  // Skips reading the clock, for dates whose moment is set at once.
  explicit Date(double totalSeconds) : totalSeconds_(totalSeconds) {}
  void setFields(long long year, long long month, long long day, long long hour, long long minute,
                 long long second);
  double totalSeconds_ = 0;
};

// M/D/YYYY, M/D/YY (20YY) or YYYY-MM-DD, blanks around ignored; on success the
// date is 00:00:00 of that day. Impossible dates are refused.
bool ParseDate(std::string_view text, Date& date);

} // namespace fw
