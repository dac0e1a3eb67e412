#include "predictor/CivilTime.h"

namespace tide {

namespace {

constexpr int daysPerEra = 146097;
constexpr int yearsPerEra = 400;
constexpr int daysFromEraStartToEpoch = 719468; // 0000-03-01 to 1970-01-01
constexpr Seconds longestStepHours = 1000000;   // far beyond any table, far below overflow

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Reads exactly `count` digits at `pos`; fails on anything else.
std::optional<int> readDigits(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos + count > text.size())
    return std::nullopt;
  int value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (!isDigit(text[i]))
      return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

Seconds floorDiv(Seconds a, Seconds b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

std::int64_t daysFromCivil(int year, int month, int day) {
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - (yearsPerEra - 1)) / yearsPerEra;
  const std::int64_t yearOfEra = y - era * yearsPerEra;
  const int shiftedMonth = month > 2 ? month - 3 : month + 9;
  const std::int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * daysPerEra + dayOfEra - daysFromEraStartToEpoch;
}

CivilDateTime civilFromSeconds(Seconds seconds) {
  const std::int64_t days = floorDiv(seconds, secondsPerDay);
  const Seconds secondOfDay = seconds - days * secondsPerDay;
  const std::int64_t z = days + daysFromEraStartToEpoch;
  const std::int64_t era = (z >= 0 ? z : z - (daysPerEra - 1)) / daysPerEra;
  const std::int64_t dayOfEra = z - era * daysPerEra;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  CivilDateTime civil;
  civil.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  civil.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  civil.year = static_cast<int>(yearOfEra + era * yearsPerEra + (civil.month <= 2 ? 1 : 0));
  civil.hour = static_cast<int>(secondOfDay / secondsPerHour);
  civil.minute = static_cast<int>(secondOfDay % secondsPerHour / secondsPerMinute);
  civil.second = static_cast<int>(secondOfDay % secondsPerMinute);
  return civil;
}

Seconds secondsFromCivil(const CivilDateTime& civil) {
  return daysFromCivil(civil.year, civil.month, civil.day) * secondsPerDay +
         civil.hour * secondsPerHour + civil.minute * secondsPerMinute + civil.second;
}

Seconds startOfYear(int year) {
  return daysFromCivil(year, 1, 1) * secondsPerDay;
}

int daysInMonth(int year, int month) {
  static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : lengths[month - 1];
}

std::optional<CivilDateTime> parseDateTime(std::string_view text) {
  // YYYY-MM-DD H:MM or YYYY-MM-DD HH:MM
  const std::size_t hourDigits = text.size() == 15 ? 1 : 2;
  if (text.size() != 15 && text.size() != 16)
    return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[11 + hourDigits] != ':')
    return std::nullopt;
  const auto year = readDigits(text, 0, 4);
  const auto month = readDigits(text, 5, 2);
  const auto day = readDigits(text, 8, 2);
  const auto hour = readDigits(text, 11, hourDigits);
  const auto minute = readDigits(text, 12 + hourDigits, 2);
  if (!year || !month || !day || !hour || !minute)
    return std::nullopt;
  if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 ||
      *minute > 59)
    return std::nullopt;
  return CivilDateTime{*year, *month, *day, *hour, *minute, 0};
}

std::optional<Seconds> parseStep(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || text.size() - colon - 1 != 2)
    return std::nullopt;
  Seconds hours = 0;
  for (std::size_t i = 0; i < colon; ++i) {
    if (!isDigit(text[i]))
      return std::nullopt;
    hours = hours * 10 + (text[i] - '0');
    if (hours > longestStepHours)
      return std::nullopt;
  }
  const auto minutes = readDigits(text, colon + 1, 2);
  if (!minutes || *minutes > 59)
    return std::nullopt;
  return hours * secondsPerHour + *minutes * secondsPerMinute;
}

} // namespace tide
