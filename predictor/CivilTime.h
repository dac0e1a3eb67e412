#pragma once
// Calendar arithmetic on a proleptic Gregorian calendar with 64-bit seconds.
// Every time in the predictor is a count of seconds since 1970-01-01 00:00;
// the same arithmetic serves UTC instants and wall-clock readings alike.

#include <cstdint>
#include <optional>
#include <string_view>

namespace tide {

using Seconds = std::int64_t;

constexpr Seconds secondsPerMinute = 60;
constexpr Seconds secondsPerHour = 3600;
constexpr Seconds secondsPerDay = 86400;

struct CivilDateTime {
  int year = 1970;
  int month = 1; // 1..12
  int day = 1;   // 1..31
  int hour = 0;  // 0..23
  int minute = 0;
  int second = 0;
};

std::int64_t daysFromCivil(int year, int month, int day);
CivilDateTime civilFromSeconds(Seconds seconds);
Seconds secondsFromCivil(const CivilDateTime& civil);
Seconds startOfYear(int year);
int daysInMonth(int year, int month);

// "YYYY-MM-DD HH:MM" (hour in one or two digits); nothing else is accepted.
std::optional<CivilDateTime> parseDateTime(std::string_view text);

// "H:MM" as a number of seconds; hours may have several digits.
std::optional<Seconds> parseStep(std::string_view text);

} // namespace tide
