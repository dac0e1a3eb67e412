#include "predictor/SampleWriter.h"

#include "predictor/FixedDecimal.h"
#include "predictor/TimeZone.h"

#include <algorithm>

namespace tide {

namespace {

constexpr int levelDecimals = 6;
constexpr int hoursPerHalfDay = 12;

// Writes `value` in `width` characters, padded on the left with `fill`.
char* putNumber(char* p, int value, int width, char fill) {
  for (int i = width - 1; i >= 0; --i) {
    p[i] = value > 0 || i == width - 1 ? static_cast<char>('0' + value % 10) : fill;
    value /= 10;
  }
  return p + width;
}

char* putDate(char* p, const CivilDateTime& when) {
  p = putNumber(p, when.year, 4, '0');
  *p++ = '-';
  p = putNumber(p, when.month, 2, '0');
  *p++ = '-';
  return putNumber(p, when.day, 2, '0');
}

char* putClock(char* p, int hour, int minute) {
  const int hour12 = hour % hoursPerHalfDay == 0 ? hoursPerHalfDay : hour % hoursPerHalfDay;
  p = putNumber(p, hour12, 2, ' ');
  *p++ = ':';
  p = putNumber(p, minute, 2, '0');
  *p++ = ' ';
  *p++ = hour < hoursPerHalfDay ? 'A' : 'P';
  *p++ = 'M';
  return p;
}

} // namespace

void SampleWriter::appendClock(std::string& out, const CivilDateTime& when) {
  char text[32];
  char* p = putDate(text, when);
  *p++ = ' ';
  p = putClock(p, when.hour, when.minute);
  out.append(text, static_cast<std::size_t>(p - text));
}

void SampleWriter::appendLine(std::string& out, Seconds instant, double level) {
  const TimeZone::Reading& reading = zone_.at(instant);
  const Seconds local = instant + reading.offsetSeconds;
  Seconds day = local / secondsPerDay;
  Seconds secondOfDay = local % secondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += secondsPerDay;
    --day;
  }
  if (day != day_) {
    day_ = day;
    putDate(date_, civilFromSeconds(day * secondsPerDay));
  }
  char text[64];
  char* p = std::copy(date_, date_ + dateLength, text);
  *p++ = ' ';
  p = putClock(p, static_cast<int>(secondOfDay / secondsPerHour),
               static_cast<int>(secondOfDay % secondsPerHour / secondsPerMinute));
  *p++ = ' ';
  out.append(text, static_cast<std::size_t>(p - text));
  out.append(reading.abbreviation);
  out.push_back(' ');
  appendFixed(out, level, levelDecimals);
  out.push_back('\n');
}

} // namespace tide
