#include "charts/TideGraph.h"

#include "engine/TimeAndTide.h"
#include "fw/Date.h"
#include "fw/Text.h"
#include "fw/Yield.h"
#include "fw/gui/Graphics.h"

#include <algorithm>

namespace {
constexpr fw::Color white = fw::RGB(0xFF, 0xFF, 0xFF);
constexpr fw::Color black = fw::RGB(0x00, 0x00, 0x00);
constexpr fw::Color thresholdGreen = fw::RGB(0x00, 0x80, 0x00);
constexpr fw::Color gridGrey = fw::RGB(0x80, 0x80, 0x80);
constexpr fw::Color curveBlue = fw::RGB(0x00, 0x00, 0xFF);

constexpr double secondsPerDay = 86400.0;
constexpr int samplesPerDay = TideGraph::pixelsPerDay;
constexpr int samplesDrawn = TideGraph::dayColumns * samplesPerDay;
constexpr int samplesThatMakeADay = 4;
// Marks sit 2 pixels below their row; the bottom of the field keeps room for the labels.
constexpr int markOffset = 2;
constexpr int labelRoom = 24;
constexpr int labelBaselineLift = 4;
constexpr int yearsPerCentury = 100;
} // namespace

TideGraph::TideGraph(fw::Graphics& g, Style style) : g_(g), style_(style) {}

void TideGraph::drawEmpty() {
  drawField();
  drawFrame();
}

void TideGraph::draw(const TimeAndTide& series, HeightRange range, Levels levels, int firstDay) {
  range_ = range;
  firstDay = std::max(0, firstDay);
  drawField();
  if (style_.frame == FramePlacement::First)
    drawFrame();
  drawThresholds(levels);
  drawDayColumns(series.times[0], firstDay);
  drawCurve(series, firstDay);
  if (style_.frame == FramePlacement::Last)
    drawFrame();
}

int TideGraph::row(float h) const {
  const double rows = g_.Height() - labelRoom;
  const float a = h - range_.lo;
  const float b = range_.hi - range_.lo;
  // A flat series has no vertical scale: keep it, and a level on it, on the middle row.
  if (!(b > 0.0f))
    return fw::ToInt32(rows * 0.5);
  return fw::ToInt32(rows * (1.0 - static_cast<double>(a) / static_cast<double>(b)));
}

int TideGraph::dayCount(std::int32_t samples) {
  const long long padded = static_cast<long long>(samples) + samplesPerDay - samplesThatMakeADay;
  return fw::ToInt32(static_cast<double>(padded) / static_cast<double>(samplesPerDay));
}

int TideGraph::visibleDays(int width) {
  return fw::ToInt32(width / static_cast<double>(pixelsPerDay));
}

int TideGraph::lastFirstDay(int days, int visible) {
  return fw::ToInt32(std::max(0.0, static_cast<double>(days) - visible));
}

TideGraph::HeightRange TideGraph::heightRange(const TimeAndTide& series) {
  HeightRange range{series.tides[0], series.tides[0]};
  for (std::int32_t i = 1; i < series.ntimesandtides; ++i) {
    const float h = series.tides[static_cast<std::size_t>(i)];
    range.hi = std::max(range.hi, h);
    range.lo = std::min(range.lo, h);
    fw::yield();
  }
  return range;
}

float TideGraph::level(const std::string& fieldText) {
  if (fieldText.empty())
    return noLevel;
  return static_cast<float>(fw::Val(fieldText));
}

std::string TideGraph::dateLabel(const fw::Date& day, YearDigits year) {
  const int shortYear = day.Year() % yearsPerCentury;
  const std::string yearText =
      year == YearDigits::Two ? fw::Format(shortYear, "00") : fw::Str(shortYear);
  return fw::Str(day.Month()) + "/" + fw::Str(day.Day()) + "/" + yearText;
}

void TideGraph::drawField() {
  // All of the canvas, though the frame leaves out its last column and row: the
  // curve, the threshold lines and the day lines reach them, and a scrolled
  // redraw must not keep what the earlier view left there.
  g_.ForeColor = white;
  g_.FillRect(0, 0, g_.Width(), g_.Height());
}

void TideGraph::drawFrame() {
  g_.ForeColor = black;
  g_.DrawRect(0, 0, g_.Width() - 1, g_.Height() - 1);
}

void TideGraph::drawThresholds(Levels levels) {
  g_.ForeColor = thresholdGreen;
  drawThreshold(levels.higher);
  drawThreshold(levels.lower);
}

void TideGraph::drawThreshold(float level) {
  if (!(range_.lo <= level && level <= range_.hi))
    return;
  const int y = row(level) + markOffset;
  g_.DrawLine(0, y, g_.Width(), y);
}

void TideGraph::drawDayColumns(double firstTime, int firstDay) {
  // In double precision, so that no scroll position can overflow the day offset.
  fw::Date day = fw::Date::FromTotalSeconds(firstTime + secondsPerDay * firstDay);
  g_.ForeColor = gridGrey;
  for (int column = 0; column < dayColumns; ++column) {
    drawDayColumn(column * pixelsPerDay, day);
    day.SetTotalSeconds(day.TotalSeconds() + secondsPerDay);
    fw::yield();
  }
}

void TideGraph::drawDayColumn(int x, const fw::Date& day) {
  g_.DrawLine(x + 1, 0, x + 1, g_.Height());
  const std::string label = dateLabel(day, style_.year);
  const int w = g_.StringWidth(label);
  const int lx = fw::ToInt32(x + 0.5 * (pixelsPerDay - w));
  g_.DrawString(label, lx, g_.Height() - g_.TextHeight() + labelBaselineLift);
}

void TideGraph::drawCurve(const TimeAndTide& series, int firstDay) {
  g_.ForeColor = curveBlue;
  const long long start = static_cast<long long>(samplesPerDay) * firstDay;
  int prevRow = 0;
  for (int i = 0; i < samplesDrawn; ++i) {
    if (series.ntimesandtides <= start + i)
      break;
    const int r = row(series.tides[static_cast<std::size_t>(start + i)]);
    if (i > 0)
      g_.DrawLine(i, prevRow + markOffset, i + 1, r + markOffset);
    prevRow = r;
    fw::yield();
  }
}
