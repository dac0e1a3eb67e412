#include "fw/Date.h"

#include "fw/Text.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace fw {

namespace {

constexpr long long kSecondsPerDay = 86400;
constexpr long long kSecondsPerHour = 3600;
constexpr long long kSecondsPerMinute = 60;
// 1904-01-01 counted from 1970-01-01.
constexpr long long kEpochDaysFrom1970 = -24107;
// 1904-01-01 was a Friday; DayOfWeek counts Sunday as 1.
constexpr long long kEpochWeekday = 6;
// Far enough to hold every year an int can name, near enough that the day
// count never overflows.
constexpr double kLargestSeconds = 6e16;

long long floorDiv(long long a, long long b) {
  const long long q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

long long floorMod(long long a, long long b) {
  return a - floorDiv(a, b) * b;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
long long daysFromCivil(long long year, long long month, long long day) {
  year -= month <= 2;
  const long long era = floorDiv(year, 400);
  const long long yearOfEra = year - era * 400;
  const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDay {
  long long year;
  int month;
  int day;
};

CivilDay civilFromDays(long long days) {
  days += 719468;
  const long long era = floorDiv(days, 146097);
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long shifted = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  const int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  return {yearOfEra + era * 400 + (month <= 2), month, day};
}

struct Split {
  long long days;         // since 1904-01-01
  long long secondsOfDay; // 0 .. 86399
  double fraction;        // 0 <= fraction < 1
};

Split split(double totalSeconds) {
  if (std::isnan(totalSeconds))
    totalSeconds = 0;
  totalSeconds = std::clamp(totalSeconds, -kLargestSeconds, kLargestSeconds);
  const double whole = std::floor(totalSeconds);
  const auto seconds = static_cast<long long>(whole);
  return {floorDiv(seconds, kSecondsPerDay), floorMod(seconds, kSecondsPerDay),
          totalSeconds - whole};
}

bool isLeapYear(long long year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(long long year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Reads digits[from, from + count) when they are all digits.
bool readNumber(std::string_view text, std::size_t from, std::size_t count, int& value) {
  if (from + count > text.size())
    return false;
  value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// One to `most` digits followed by `separator` (or the end when separator is 0).
bool readField(std::string_view text, std::size_t& pos, std::size_t most, char separator,
               int& value) {
  std::size_t end = pos;
  while (end < text.size() && text[end] >= '0' && text[end] <= '9')
    ++end;
  const std::size_t count = end - pos;
  if (count == 0 || count > most || !readNumber(text, pos, count, value))
    return false;
  if (separator == 0 ? end != text.size() : (end == text.size() || text[end] != separator))
    return false;
  pos = end + (separator == 0 ? 0 : 1);
  return true;
}

bool parseSlashed(std::string_view text, int& year, int& month, int& day) {
  constexpr int kCenturyOfShortYears = 2000;
  std::size_t pos = 0;
  if (!readField(text, pos, 2, '/', month) || !readField(text, pos, 2, '/', day))
    return false;
  const std::size_t yearDigits = text.size() - pos;
  if (yearDigits != 2 && yearDigits != 4)
    return false;
  if (!readField(text, pos, 4, 0, year))
    return false;
  if (yearDigits == 2)
    year += kCenturyOfShortYears;
  return true;
}

bool parseIso(std::string_view text, int& year, int& month, int& day) {
  constexpr std::size_t kIsoLength = 10; // YYYY-MM-DD
  return text.size() == kIsoLength && text[4] == '-' && text[7] == '-' &&
         readNumber(text, 0, 4, year) && readNumber(text, 5, 2, month) &&
         readNumber(text, 8, 2, day);
}

} // namespace

Date::Date() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  setFields(local.tm_year + 1900LL, local.tm_mon + 1LL, local.tm_mday, local.tm_hour, local.tm_min,
            local.tm_sec);
}

Date Date::FromTotalSeconds(double totalSeconds) {
  return Date(totalSeconds);
}

Date Date::FromFields(int year, int month, int day, int hour, int minute, int second) {
  Date date(0.0);
  date.setFields(year, month, day, hour, minute, second);
  return date;
}

void Date::SetTotalSeconds(double totalSeconds) {
  totalSeconds_ = totalSeconds;
}

int Date::Year() const {
  return static_cast<int>(civilFromDays(split(totalSeconds_).days + kEpochDaysFrom1970).year);
}

int Date::Month() const {
  return civilFromDays(split(totalSeconds_).days + kEpochDaysFrom1970).month;
}

int Date::Day() const {
  return civilFromDays(split(totalSeconds_).days + kEpochDaysFrom1970).day;
}

int Date::Hour() const {
  return static_cast<int>(split(totalSeconds_).secondsOfDay / kSecondsPerHour);
}

int Date::Minute() const {
  return static_cast<int>(split(totalSeconds_).secondsOfDay % kSecondsPerHour / kSecondsPerMinute);
}

int Date::Second() const {
  return static_cast<int>(split(totalSeconds_).secondsOfDay % kSecondsPerMinute);
}

void Date::SetYear(int year) {
  setFields(year, Month(), Day(), Hour(), Minute(), Second());
}
void Date::SetMonth(int month) {
  setFields(Year(), month, Day(), Hour(), Minute(), Second());
}
void Date::SetDay(int day) {
  setFields(Year(), Month(), day, Hour(), Minute(), Second());
}
void Date::SetHour(int hour) {
  setFields(Year(), Month(), Day(), hour, Minute(), Second());
}
void Date::SetMinute(int minute) {
  setFields(Year(), Month(), Day(), Hour(), minute, Second());
}
void Date::SetSecond(int second) {
  setFields(Year(), Month(), Day(), Hour(), Minute(), second);
}

int Date::DayOfWeek() const {
  return static_cast<int>(floorMod(split(totalSeconds_).days + kEpochWeekday - 1, 7)) + 1;
}

std::string Date::ShortDate() const {
  const CivilDay civil = civilFromDays(split(totalSeconds_).days + kEpochDaysFrom1970);
  return Str(civil.month) + "/" + Str(civil.day) + "/" + Str(civil.year);
}

std::string Date::ShortTime() const {
  constexpr int kHoursPerHalfDay = 12;
  const int hour = Hour();
  const int clockHour = hour % kHoursPerHalfDay == 0 ? kHoursPerHalfDay : hour % kHoursPerHalfDay;
  return Str(clockHour) + ":" + Format(Minute(), "00") + (hour < kHoursPerHalfDay ? " AM" : " PM");
}

void Date::setFields(long long year, long long month, long long day, long long hour,
                     long long minute, long long second) {
  // A fraction of a second is the one part no field names; keep it.
  const double fraction = split(totalSeconds_).fraction;
  year += floorDiv(month - 1, 12);
  month = floorMod(month - 1, 12) + 1;
  const long long days = daysFromCivil(year, month, 1) - kEpochDaysFrom1970 + day - 1;
  const long long seconds =
      days * kSecondsPerDay + hour * kSecondsPerHour + minute * kSecondsPerMinute + second;
  totalSeconds_ = static_cast<double>(seconds) + fraction;
}

bool ParseDate(std::string_view text, Date& date) {
  const std::string trimmed = Trim(text);
  int year = 0;
  int month = 0;
  int day = 0;
  if (!parseSlashed(trimmed, year, month, day) && !parseIso(trimmed, year, month, day))
    return false;
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
    return false;
  date = Date::FromFields(year, month, day);
  return true;
}

} // namespace fw
