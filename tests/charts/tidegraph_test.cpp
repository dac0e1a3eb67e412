#include "ChartPixels.h"
#include "charts/TideGraph.h"
#include "fw/Date.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace chartpixels;

namespace {

constexpr int W = 542, H = 149;
constexpr TideGraph::Style mainStyle{TideGraph::FramePlacement::First, TideGraph::YearDigits::Two};
constexpr TideGraph::Style windowStyle{TideGraph::FramePlacement::Last,
                                       TideGraph::YearDigits::NoLeadingZero};

const double march7th2009 = fw::Date::FromFields(2009, 3, 7).TotalSeconds();

// Heights from -0.3 to 4.1 over a half-day cycle.
float wave(int i) {
  return 1.9f + 2.2f * static_cast<float>(std::sin(i * 2 * M_PI / 50.0));
}

struct Drawn {
  QImage img;
  fw::Graphics g{img};
  TideGraph graph;
  Drawn(TideGraph::Style style, int w = W, int h = H) : img(blankImage(w, h)), graph(g, style) {}
  void draw(const TimeAndTide& s, TideGraph::Levels levels = {}, int firstDay = 0) {
    graph.draw(s, TideGraph::heightRange(s), levels, firstDay);
  }
};

// Rows that hold a long green run: the threshold lines.
std::vector<int> greenRows(const QImage& img) {
  std::vector<int> rows;
  for (int y = 0; y < img.height(); ++y)
    if (count(img, QRect(0, y, img.width(), 1), green) > img.width() / 2)
      rows.push_back(y);
  return rows;
}

} // namespace

TEST(TideGraph, ScaleAndRangeArithmetic) {
  struct DayCase {
    int samples, days;
  } dayCases[] = {{0, 0}, {3, 0}, {4, 1}, {96, 1}, {100, 2}, {676, 8}, {1000, 11}, {35040, 365}};
  for (const DayCase& c : dayCases)
    EXPECT_EQ(TideGraph::dayCount(c.samples), c.days) << c.samples;
  EXPECT_EQ(TideGraph::visibleDays(542), 5);
  EXPECT_EQ(TideGraph::visibleDays(674), 7);
  EXPECT_EQ(TideGraph::lastFirstDay(8, 5), 3);
  EXPECT_EQ(TideGraph::lastFirstDay(1, 5), 0);
  EXPECT_EQ(TideGraph::level(""), 9999.0f);
  EXPECT_EQ(TideGraph::level("2.5"), 2.5f);
  EXPECT_EQ(TideGraph::level("-0.3 ft"), -0.3f);
}

TEST(TideGraph, DateLabelsWriteTheYearPerWindow) {
  struct Case {
    int y, m, d;
    const char *twoDigits, *noLeadingZero;
  } cases[] = {{2009, 3, 5, "3/5/09", "3/5/9"},
               {2009, 3, 7, "3/7/09", "3/7/9"},
               {2010, 12, 31, "12/31/10", "12/31/10"},
               {2000, 1, 1, "1/1/00", "1/1/0"}};
  for (const Case& c : cases) {
    const fw::Date day = fw::Date::FromFields(c.y, c.m, c.d);
    EXPECT_EQ(TideGraph::dateLabel(day, TideGraph::YearDigits::Two), c.twoDigits);
    EXPECT_EQ(TideGraph::dateLabel(day, TideGraph::YearDigits::NoLeadingZero), c.noLeadingZero);
  }
}

TEST(TideGraph, ThresholdLinesOnlyInsideTheCurvesRange) {
  const auto s = series(march7th2009, 676, wave);
  const TideGraph::HeightRange range = TideGraph::heightRange(*s);
  struct Case {
    TideGraph::Levels levels;
    std::vector<int> rows;
  } cases[] = {
      {{2.5f, TideGraph::noLevel}, {}},
      {{2.5f, 9999.0f}, {}},
      {{range.lo, range.hi}, {2, H - 22}},
      {{range.hi + 0.01f, range.lo - 0.01f}, {}},
      {{1.0f, 1.0f}, {}},
  };
  Drawn probe(mainStyle);
  probe.draw(*s);
  cases[0].rows = cases[1].rows = {probe.graph.row(2.5f) + 2};
  cases[4].rows = {probe.graph.row(1.0f) + 2};
  for (const Case& c : cases) {
    Drawn d(mainStyle);
    d.draw(*s, c.levels);
    EXPECT_EQ(greenRows(d.img), c.rows) << c.levels.higher << " " << c.levels.lower;
  }
}

TEST(TideGraph, DayColumnsWithCentredLabels) {
  const auto s = series(march7th2009, 676, [](int) { return 1.0f; });
  struct Case {
    TideGraph::Style style;
    const char *first, *seventh;
  } cases[] = {{mainStyle, "3/7/09", "3/13/09"}, {windowStyle, "3/7/9", "3/13/9"}};
  for (const Case& c : cases) {
    Drawn d(c.style, 674, 191);
    d.draw(*s);
    for (int column = 0; column < 7; ++column)
      EXPECT_GE(count(d.img, QRect(1 + 96 * column, 1, 1, 180), grey), 170) << column;
    const int baseline = 191 - d.g.TextHeight() + 4;
    auto centred = [&](const char* label, int columnX) {
      return textAt(d.img, label, columnX + (96 - d.g.StringWidth(label)) / 2, baseline, grey);
    };
    EXPECT_TRUE(centred(c.first, 0)) << c.first;
    EXPECT_TRUE(centred(c.seventh, 576)) << c.seventh;
  }
}

TEST(TideGraph, FrameFirstInTheMainWindowLastInTheGraphWindow) {
  const auto s = series(march7th2009, 10, wave);
  const TideGraph::HeightRange range = TideGraph::heightRange(*s);
  Drawn main(mainStyle), window(windowStyle, 674, 191);
  main.draw(*s, {range.hi, TideGraph::noLevel});
  window.draw(*s, {range.hi, TideGraph::noLevel});
  EXPECT_EQ(at(main.img, 1, 0), grey); // the grid line crosses the frame
  EXPECT_EQ(at(main.img, 0, 2), green);
  EXPECT_EQ(at(window.img, 1, 0), black);
  EXPECT_EQ(at(window.img, 0, 2), black);
  EXPECT_EQ(at(window.img, 672, 2), black);
}

TEST(TideGraph, CurveStartsAtTheFirstSampleOfTheDayScrolledTo) {
  const auto s = series(march7th2009, 676, wave);
  auto suffix = std::make_shared<TimeAndTide>();
  for (int i = 96; i < 676; ++i)
    suffix->Append(s->times[i], s->tides[i]);
  const TideGraph::HeightRange range = TideGraph::heightRange(*s);
  Drawn scrolled(mainStyle), fresh(mainStyle);
  scrolled.graph.draw(*s, range, {2.5f, 1.0f}, 1);
  fresh.graph.draw(*suffix, range, {2.5f, 1.0f}, 0);
  EXPECT_TRUE(scrolled.img == fresh.img);
  EXPECT_GT(count(scrolled.img, QRect(1, 0, 1, H), blue), 0);
}

TEST(TideGraph, ShortSeriesDrawsOnlyItsSegments) {
  const auto s = series(march7th2009, 4, [](int i) { return static_cast<float>(i); });
  Drawn d(mainStyle);
  d.draw(*s);
  EXPECT_EQ(at(d.img, 1, H - 22), blue);
  EXPECT_EQ(at(d.img, 4, 2), blue);
  EXPECT_EQ(count(d.img, QRect(5, 0, W - 5, H), blue), 0);
}

TEST(TideGraph, FlatSeriesAndItsLevelSitOnTheMiddleRow) {
  const auto s = series(march7th2009, 10, [](int) { return 1.5f; });
  Drawn d(mainStyle);
  d.draw(*s, {1.5f, TideGraph::noLevel});
  const int middle = (H - 24) / 2 + 2;
  EXPECT_EQ(at(d.img, 5, middle), blue);
  EXPECT_EQ(at(d.img, 300, middle), green);
  EXPECT_EQ(count(d.img, QRect(0, 0, W, H), blue), 10); // x = 1 .. 10
}
