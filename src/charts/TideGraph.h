#pragma once
// The tide curve: one pixel per 15-minute sample, 96 pixels a day, seven day
// columns from the first day shown, each with a grey grid line and a date label,
// and the two threshold heights as green lines where they fall inside the
// curve's range. The main window and the graph window draw with it; they differ
// only in when the frame is drawn and in how the labels write the year.

#include <cstdint>
#include <string>

class TimeAndTide;

namespace fw {
class Date;
class Graphics;
} // namespace fw

class TideGraph {
public:
  static constexpr int pixelsPerDay = 96;
  static constexpr int dayColumns = 7;
  // An empty threshold field stands for this height, outside any real tide.
  static constexpr float noLevel = 9999.0f;

  enum class FramePlacement { First, Last };
  enum class YearDigits { Two, NoLeadingZero };

  struct Style {
    FramePlacement frame = FramePlacement::First;
    YearDigits year = YearDigits::Two;
  };
  struct HeightRange {
    float lo = 0.0f;
    float hi = 0.0f;
  };
  struct Levels {
    float higher = noLevel;
    float lower = noLevel;
  };

  TideGraph(fw::Graphics& g, Style style);

  // The white field with its black frame, as shown when there is no series.
  void drawEmpty();
  // The whole graph of a series with at least one sample, from day `firstDay`.
  void draw(const TimeAndTide& series, HeightRange range, Levels levels, int firstDay);

  // The y (before the 2-pixel mark offset) of height h: hi at 0, lo at H - 24.
  int row(float h) const;

  // Days the scroll bar can reach: a day counts once it holds an hour of samples.
  static int dayCount(std::int32_t samples);
  static int visibleDays(int width);
  static int lastFirstDay(int days, int visible);
  static HeightRange heightRange(const TimeAndTide& series);
  static float level(const std::string& fieldText);
  static std::string dateLabel(const fw::Date& day, YearDigits year);

private:
  void drawField();
  void drawFrame();
  void drawThresholds(Levels levels);
  void drawThreshold(float level);
  void drawDayColumns(double firstTime, int firstDay);
  void drawDayColumn(int x, const fw::Date& day);
  void drawCurve(const TimeAndTide& series, int firstDay);

  fw::Graphics& g_;
  Style style_;
  HeightRange range_;
};
