#include "engine/GetTidesShell.h"

#include "fw/RowList.h"
#include "fw/Text.h"
#include "fw/Yield.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr char lineEnd = '\r';
// Far longer than any line the predictor prints; a tool that never ends a line
// would otherwise be held in memory without bound.
constexpr std::size_t longestLine = 64 * 1024;
constexpr std::int32_t highestNonDataYear = 1000;
constexpr std::int32_t secondsPerHour = 3600;
constexpr std::int32_t secondsPerMinute = 60;
constexpr std::int32_t hoursPerHalfDay = 12;
constexpr double sampleStep = 900; // seconds between the samples of a search

// Columns of a sample line, 1-based.
constexpr int yearColumn = 1, yearWidth = 4;
constexpr int monthColumn = 6, dayColumn = 9, hourColumn = 12, minuteColumn = 15;
constexpr int fieldWidth = 2;
constexpr int halfOfDayColumn = 18;
constexpr int heightColumn = 25;

// The columns of a line, counted in characters. Sample lines are plain ASCII,
// where characters are bytes and a column is a view without a copy.
class Columns {
public:
  explicit Columns(const std::string& line)
      : line_(line), ascii_(std::all_of(line.begin(), line.end(), [](char c) {
          return static_cast<unsigned char>(c) < 0x80;
        })) {}

  // Characters from column on (1-based), at most width of them.
  std::string_view text(int column, int width = std::numeric_limits<int>::max()) {
    if (ascii_) {
      const auto from = static_cast<std::size_t>(column - 1);
      return from < line_.size()
                 ? std::string_view(line_).substr(from, static_cast<std::size_t>(width))
                 : std::string_view();
    }
    held_ = width == std::numeric_limits<int>::max() ? fw::Mid(line_, column)
                                                     : fw::Mid(line_, column, width);
    return held_;
  }

  std::int32_t wholeNumber(int column, int width) {
    return fw::ToInt32(fw::Val(text(column, width)));
  }

private:
  const std::string& line_;
  bool ascii_;
  std::string held_;
};

// A height too large for a Single becomes an infinity instead of an undefined
// conversion.
float toSingle(double value) {
  constexpr double largest = std::numeric_limits<float>::max();
  constexpr float infinity = std::numeric_limits<float>::infinity();
  if (std::abs(value) > largest) {
    return value < 0 ? -infinity : infinity;
  }
  return static_cast<float>(value);
}

// A height is a number standing alone, ended by the line's end or a blank: a
// line cut off when the predictor was killed, with the shell's message glued
// to it ("6.07Killed"), is no sample.
bool isHeight(std::string_view text) {
  const std::size_t from = text.find_first_not_of(" \t");
  if (from == std::string_view::npos) {
    return false;
  }
  const std::string_view word = text.substr(from, text.find_first_of(" \t", from) - from);
  return word.find_first_of("0123456789") != std::string_view::npos &&
         word.find_first_not_of("0123456789+-.eE") == std::string_view::npos;
}

std::int32_t to24Hour(std::int32_t hour, std::string_view halfOfDay) {
  if (fw::TextEquals(halfOfDay, "a") && hour == hoursPerHalfDay) {
    return 0;
  }
  if (fw::TextEquals(halfOfDay, "p") && hour < hoursPerHalfDay) {
    return hour + hoursPerHalfDay;
  }
  return hour;
}

} // namespace

void GetTidesShell::Event_DataAvailable() {
  CollectData();
}

void GetTidesShell::Event_Completed() {
  CollectData();
  Finish();
}

void GetTidesShell::CollectData() {
  CollectData(ReadAll());
}

void GetTidesShell::CollectData(std::string_view chunk) {
  std::string buf = std::move(leftover);
  leftover.clear();
  // The carried rest holds no CR; searching from its end keeps a long line that
  // arrives in many pieces linear.
  std::size_t searchFrom = buf.size();
  buf.append(chunk);
  std::size_t pos = 0;
  for (;;) {
    const std::size_t cr = buf.find(lineEnd, searchFrom);
    // The LF of a CR LF begins the next piece but is no part of its line.
    const std::size_t lineStart = pos < buf.size() && buf[pos] == '\n' ? pos + 1 : pos;
    if ((cr == std::string::npos ? buf.size() : cr) - lineStart > longestLine) {
      lineTooLong = true;
      Close();
      return;
    }
    if (cr == std::string::npos) {
      buf.erase(0, pos);
      leftover = std::move(buf);
      return;
    }
    std::string piece = fw::Trim(std::string_view(buf).substr(pos, cr - pos));
    if (!piece.empty()) {
      lastLine = piece;
      FilterData(piece);
      if (tooManySamples) {
        Close();
        return;
      }
    }
    pos = cr + 1;
    searchFrom = pos;
    fw::yield();
  }
}

void GetTidesShell::Finish() {
  std::string rest = fw::Trim(leftover);
  if (!rest.empty()) {
    lastLine = std::move(rest);
  }
}

void GetTidesShell::FilterData(const std::string& line) {
  ++nchecked;
  Columns columns(line);
  const std::int32_t year = columns.wholeNumber(yearColumn, yearWidth);
  if (year <= highestNonDataYear || !isHeight(columns.text(heightColumn))) {
    return;
  }
  if (maxSamples > 0 && ndata >= maxSamples) {
    tooManySamples = true;
    return;
  }
  ++ndata;

  const std::int32_t month = columns.wholeNumber(monthColumn, fieldWidth);
  const std::int32_t day = columns.wholeNumber(dayColumn, fieldWidth);
  const std::int32_t minute = columns.wholeNumber(minuteColumn, fieldWidth);
  // Both column reads may share one buffer, so the half of the day is copied first.
  const std::string halfOfDay(columns.text(halfOfDayColumn, 1));
  const std::int32_t hour = to24Hour(columns.wholeNumber(hourColumn, fieldWidth), halfOfDay);
  const float h = toSingle(fw::Val(columns.text(heightColumn)));

  if (ndata == 1) {
    maxTide = h;
    minTide = h;
  } else {
    maxTide = std::max(maxTide, h);
    minTide = std::min(minTide, h);
  }

  const std::int32_t tod = secondsPerHour * hour + secondsPerMinute * minute;
  const double when = fw::Date::FromFields(year, month, day, hour, minute, 0).TotalSeconds();

  if (tempwhen && collector) {
    tempwhen->SetTotalSeconds(when);
    collector->Append(tempwhen->TotalSeconds(), h);
  }

  const bool useit = matches(tod, h);
  if (useit && !lastuseit) {
    startwhen->SetTotalSeconds(when);
    startheight = h;
    periodSamples_ = 1;
  } else if (useit) {
    ++periodSamples_;
  } else if (lastuseit) {
    closePeriod();
  }
  lastuseit = useit;
  lastHeight = h;
  lastSampleTime_ = when;
}

bool GetTidesShell::matches(std::int32_t tod, float h) const {
  // The bounds are taken in either order: a window never runs across midnight.
  const auto [earliest, latest] = std::minmax(stime, etime);
  if (stime != etime && (tod < earliest || tod > latest)) {
    return false;
  }
  if (fw::TextEquals(compare, "between")) {
    return lotide <= h && h <= hitide;
  }
  if (fw::TextEquals(compare, "above")) {
    return h >= hitide;
  }
  if (fw::TextEquals(compare, "below")) {
    return h <= hitide;
  }
  return true;
}

void GetTidesShell::closePeriod() {
  // The period ends at its last matching sample: the previous one. Taking its
  // own time, rather than this sample's less 15 minutes, stays right where a
  // daylight-saving change skips or repeats local times.
  endwhen->SetTotalSeconds(lastSampleTime_);
  endheight = lastHeight;
  // The length counts the samples, not the clock: a night that repeats or skips
  // an hour of local time lasts what its samples last.
  const float length = toSingle(sampleStep * (periodSamples_ - 1));
  if (minlength == 0 || length >= static_cast<float>(minlength)) {
    if (reportBox != nullptr) {
      reportBox->AddRow(resultRow());
    }
    if (foundTides) {
      foundTides->Append(startwhen->TotalSeconds(), length);
    }
  }
  startwhen->SetTotalSeconds(0);
}

std::string GetTidesShell::resultRow() const {
  return "Start " + startwhen->ShortDate() + " " + startwhen->ShortTime() + " (" +
         fw::Str(startheight) + ") to  " + endwhen->ShortTime() + " (" + fw::Str(endheight) + ")";
}
