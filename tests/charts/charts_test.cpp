// The month calendar and the tide graph, drawn alone and in the main window,
// and the graph window. Text is found by drawing it again with the same
// Graphics, so no test depends on glyph shapes.

#include "HalvornWindowFixture.h"
#include "charts/MonthCalendar.h"
#include "charts/TideDisplay.h"
#include "charts/TideGraph.h"
#include "engine/TimeAndTide.h"
#include "fw/Date.h"

#include <QMainWindow>
#include <QTest>
#include <array>
#include <cmath>

namespace {

constexpr fw::Color white{255, 255, 255}, black{0, 0, 0}, red{255, 0, 0}, green{0, 128, 0},
    grey{128, 128, 128}, blue{0, 0, 255}, unpainted{1, 2, 3};
constexpr TideGraph::Style mainStyle{TideGraph::FramePlacement::First, TideGraph::YearDigits::Two};
constexpr TideGraph::Style windowStyle{TideGraph::FramePlacement::Last,
                                       TideGraph::YearDigits::NoLeadingZero};

fw::Color at(const QImage& img, int x, int y) {
  return {qRed(img.pixel(x, y)), qGreen(img.pixel(x, y)), qBlue(img.pixel(x, y))};
}

int count(const QImage& img, const QRect& area, fw::Color color) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      n += at(img, x, y) == color ? 1 : 0;
  return n;
}

// True when `text` drawn at (x, baseline) in `color` changes no pixel of img.
bool textAt(const QImage& img, const std::string& text, int x, int baseline, fw::Color color) {
  QImage copy = img.copy();
  fw::Graphics g(copy);
  g.ForeColor = color;
  g.DrawString(text, x, baseline);
  return copy == img;
}

// Day numbers sit in 28 x 20 cells under the header.
bool dayAt(const QImage& img, int day, int column, int row, fw::Color color = black) {
  return textAt(img, std::to_string(day), 14 + 28 * column, 33 + 20 * row, color);
}

QImage drawMonth(int year, int month, const TimeAndTide& found = {}) {
  QImage img(226, 142, QImage::Format_RGB32);
  img.fill(Qt::black); // the field leaves its last row and column as they were
  fw::Graphics g(img);
  MonthCalendar calendar(g);
  calendar.drawEmpty();
  calendar.drawMonth(fw::Date::FromFields(year, month, 1), found);
  return img;
}

std::shared_ptr<TimeAndTide> periodsOn(std::initializer_list<fw::Date> starts) {
  auto found = std::make_shared<TimeAndTide>();
  for (const fw::Date& d : starts)
    found->Append(d.TotalSeconds(), 3600.0f);
  return found;
}

// Heights from -0.3 to 4.1 over a half-day cycle, one sample every 15 minutes.
float wave(int i) {
  return 1.9f + 2.2f * static_cast<float>(std::sin(i * 2 * M_PI / 50.0));
}
// Samples `from` to n - 1 of a series that starts on 7 March 2009.
std::shared_ptr<TimeAndTide> series(int n, const std::function<float(int)>& height = wave,
                                    int from = 0) {
  auto tt = std::make_shared<TimeAndTide>();
  for (int i = from; i < n; ++i)
    tt->Append(fw::Date::FromFields(2009, 3, 7).TotalSeconds() + 900.0 * i, height(i));
  return tt;
}

struct Graph {
  QImage img;
  fw::Graphics g{img};
  TideGraph graph;
  explicit Graph(TideGraph::Style style, int w = 542, int h = 149)
      : img(w, h, QImage::Format_RGB32), graph(g, style) {
    img.fill(Qt::black); // whatever was there: a redraw clears all of it
  }
  Graph& draw(const TimeAndTide& s, TideGraph::Levels levels = {}, int firstDay = 0) {
    graph.draw(s, TideGraph::heightRange(s), levels, firstDay);
    return *this;
  }
};

// Rows that a threshold line crosses: more than half the width green.
std::vector<int> greenRows(const QImage& img) {
  std::vector<int> rows;
  for (int y = 0; y < img.height(); ++y)
    if (count(img, QRect(0, y, img.width(), 1), green) > img.width() / 2)
      rows.push_back(y);
  return rows;
}

} // namespace

TEST(MonthCalendar, WeekdaysOverARuleDaysInTheirColumnUntilTheMonthsEndRedWherePeriodsStart) {
  const QImage march = drawMonth(2026, 3);
  const char* names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  for (int i = 0; i < 7; ++i)
    EXPECT_TRUE(textAt(march, names[i], 14 + 28 * i, 13, black)) << names[i];
  EXPECT_EQ(count(march, QRect(13, 16, 201, 1), black), 199); // the rule from 14 to 212
  const std::array<int, 5> cases[] = {
      // year, month, day, column, row
      {2026, 3, 1, 0, 0},  {2026, 3, 8, 0, 1},                      // starts on a Sunday
      {2026, 8, 1, 6, 0},  {2026, 8, 2, 0, 1}, {2026, 8, 31, 1, 5}, // on a Saturday: six rows
      {2027, 2, 28, 0, 4},                                          // a common year's February
  };
  for (auto [year, month, day, column, row] : cases)
    EXPECT_TRUE(dayAt(drawMonth(year, month), day, column, row)) << month << " " << day;
  EXPECT_EQ(count(drawMonth(2026, 8), QRect(70, 119, 140, 16), black), 0);
  EXPECT_EQ(count(drawMonth(2027, 2), QRect(42, 99, 168, 18), black), 0);
  // Red exactly on the days a period starts, even a minute before midnight.
  TimeAndTide found;
  for (auto [day, hour, minute] : {std::tuple{5, 0, 0}, {10, 23, 45}, {12, 0, 0}, {20, 23, 59}})
    found.Append(fw::Date::FromFields(2026, 12, day, hour, minute).TotalSeconds(), 7200);
  const QImage img = drawMonth(2026, 12, found); // 1 December 2026 is a Tuesday
  for (int day : {4, 5, 6, 9, 10, 11, 12, 13, 19, 20, 21}) {
    const bool starts = day == 5 || day == 10 || day == 12 || day == 20;
    EXPECT_TRUE(dayAt(img, day, (day + 1) % 7, (day + 1) / 7, starts ? red : black)) << day;
  }
}

// Threshold lines two below their row, only inside the curve's range.
TEST(TideGraph, ThresholdLinesInsideTheCurvesRangeDayColumnsLabelsFrameAndAFlatCurve) {
  const auto s = series(676);
  const auto [lo, hi] = TideGraph::heightRange(*s);
  Graph probe(mainStyle);
  const int row25 = probe.draw(*s).graph.row(2.5f) + 2, row1 = probe.graph.row(1.0f) + 2;
  const std::pair<TideGraph::Levels, std::vector<int>> cases[] = {
      {{2.5f, TideGraph::noLevel}, {row25}},
      {{2.5f, 1.0f}, {row25, row1}},
      {{lo, hi}, {2, 149 - 22}},
      {{hi + 0.01f, lo - 0.01f}, {}},
      {{1.0f, 1.0f}, {row1}}};
  for (const auto& [levels, rows] : cases)
    EXPECT_EQ(greenRows(Graph(mainStyle).draw(*s, levels).img), rows) << levels.higher;
  // Day columns every 96 pixels, labelled and framed per window; a flat series of 10 samples
  // has no vertical scale, so curve and level sit on the middle row.
  const auto flat = series(10, [](int) { return 1.0f; });
  for (auto [style, first, seventh, frameCorner] :
       {std::tuple{mainStyle, "3/7/09", "3/13/09", grey},
        {windowStyle, "3/7/9", "3/13/9", black}}) {
    Graph d(style, 674, 191);
    d.draw(*flat, {1.0f, TideGraph::noLevel});
    for (int column = 0; column < 7; ++column)
      EXPECT_GE(count(d.img, QRect(1 + 96 * column, 1, 1, 180), grey), 170) << column;
    const int baseline = 191 - d.g.TextHeight() + 4;
    for (auto [label, x] : {std::pair{first, 0}, {seventh, 576}})
      EXPECT_TRUE(textAt(d.img, label, x + (96 - d.g.StringWidth(label)) / 2, baseline, grey))
          << label;
    EXPECT_EQ(at(d.img, 1, 0), frameCorner); // the frame first or last
    EXPECT_EQ(count(d.img, d.img.rect(), blue), 10);
    EXPECT_EQ(count(d.img, QRect(1, (191 - 24) / 2 + 2, 10, 1), blue), 10);
    EXPECT_EQ(greenRows(d.img), std::vector{(191 - 24) / 2 + 2});
  }
}

class ChartsTest : public HalvornWindowTest {
protected:
  Halvorn* w = open();
};

// Publishing moves both scroll bars, each once while `updating`: its handler must leave the
// canvas undrawn.
TEST_F(ChartsTest, CalendarShowsTheMonthsOfThePeriodsAndIsRedrawnWithTheScrollBarsSilenced) {
  w->DisplayCalendar();
  EXPECT_EQ(w->WhichMonth()->Text(), "");
  w->lastfound = periodsOn({fw::Date::FromFields(2026, 11, 10), fw::Date::FromFields(2027, 1, 5)});
  w->DisplayCalendar();
  EXPECT_EQ(w->ScrollMonth()->Maximum(), 2);
  EXPECT_EQ(w->WhichMonth()->Text(), "November 2026");
  w->ScrollMonth()->SetValue(1);
  EXPECT_EQ(w->WhichMonth()->Text(), "December 2026");
  // The month after a 31st is the next one, not the one after.
  w->lastfound = periodsOn({fw::Date::FromFields(2026, 1, 31), fw::Date::FromFields(2026, 2, 2)});
  w->DisplayCalendar();
  w->ScrollMonth()->SetValue(1);
  EXPECT_EQ(w->WhichMonth()->Text(), "February 2026");
  w->lastcollection = series(1000);
  w->UpdatePlot();
  w->ScrollPlot()->SetValue(2);
  int silenced = 0;
  for (auto [bar, canvas] :
       {std::pair{w->ScrollMonth(), w->MonthDisplay()}, {w->ScrollPlot(), w->Plot()}})
    bar->ValueChanged = [&, canvas = canvas, handler = bar->ValueChanged] {
      canvas->GetGraphics().ForeColor = unpainted;
      canvas->GetGraphics().FillRect(5, 5, 1, 1);
      handler();
      silenced += w->updating && at(canvas->image(), 5, 5) == unpainted ? 1 : 0;
    };
  // A search that finds none: no repaint may bring back a month of the earlier search.
  w->lastfound = std::make_shared<TimeAndTide>();
  w->DisplayCalendar();
  w->UpdatePlot();
  EXPECT_EQ(silenced, 2);
  EXPECT_TRUE(w->Plot()->image() ==
              Graph(mainStyle).draw(*w->lastcollection, {TideGraph::noLevel, 1}).img);
  Halvorn* fresh = open();
  fresh->RedrawMonths();
  for (int repaint = 0; repaint < 2; ++repaint, w->MonthDisplay()->Refresh()) {
    EXPECT_TRUE(w->MonthDisplay()->image() == fresh->MonthDisplay()->image()) << repaint;
    EXPECT_EQ(w->WhichMonth()->Text(), "No tides found");
  }
}

// The curve, the day lines and the labels reach the canvas's last column and row.
TEST_F(ChartsTest,
       GraphScrollsByDayReadsTheThresholdsAtEachRedrawAndGraphWindowsKeepTheirSnapshot) {
  w->TideLower()->SetText("");
  w->lastcollection = series(676);
  w->UpdatePlot();
  EXPECT_EQ(w->ScrollPlot()->Maximum(), 3); // 8 days, 5 in view
  w->TideHigher()->SetText("2.5");          // while the graph's tab is hidden
  w->ResultDisplay()->SetValue(2);
  EXPECT_TRUE(QTest::qWaitFor([&] { return greenRows(w->Plot()->image()).size() == 1; }));
  w->TideLower()->SetText("1");
  w->ScrollPlot()->SetValue(1);
  // Scrolled to day k, the curve starts at sample 96 k.
  EXPECT_TRUE(w->Plot()->image() == Graph(mainStyle).draw(*series(676, wave, 96), {2.5f, 1}).img);
  w->_TidesShowTideGraph_Action();
  TideDisplay* one = openWindowsOf<TideDisplay>().at(0);
  const QImage drawn = one->Plot()->image().copy();
  EXPECT_EQ(greenRows(drawn).size(), 2u);
  EXPECT_EQ(one->ScrollPlot()->Maximum(), 1); // 8 days, 7 in view
  // A new search runs: the main graph empties, the graph window keeps its own snapshot.
  w->lastcollection = std::make_shared<TimeAndTide>();
  w->TideHigher()->SetText("");
  w->RedrawGraph();
  Graph fresh(mainStyle);
  fresh.graph.drawEmpty();
  EXPECT_TRUE(w->Plot()->image() == fresh.img);
  EXPECT_TRUE(w->_TidesShowTideGraph_Action()); // and no window for a search without samples
  EXPECT_EQ(openWindowsOf<TideDisplay>().size(), 1u);
  w->Close();
  flushClosedWindows();
  one->Plot()->Refresh();
  EXPECT_TRUE(one->Plot()->image() == drawn);
}

TEST_F(ChartsTest, GraphWindowBeforeItsSeriesAndReturnOrEscapeToCloseIt) {
  for (const auto key : {Qt::Key_Return, Qt::Key_Escape}) {
    auto* graph = fw::Window::New<TideDisplay>();
    ASSERT_TRUE(QTest::qWaitForWindowActive(graph->qwindow()));
    const QImage& img = graph->Plot()->image();
    EXPECT_EQ(count(img, QRect(1, 1, 671, 188), white), 671 * 188);
    EXPECT_EQ(count(img, img.rect(), black), 2 * 673 + 2 * 188);
    QTest::keyClick(graph->qwindow(), key);
    EXPECT_TRUE(openWindowsOf<TideDisplay>().empty()) << key;
  }
}

// With /bin/csh, our predictor and the real database.
TEST_F(ChartsTest, SeattleWeekMarksItsPeriodDaysAndFillsTheGraphWindow) {
  if (!predictorBuilt())
    GTEST_SKIP() << "build the predictor first";
  useBuiltTools();
  w->thePlace = "Seattle, Puget Sound, Washington";
  w->StartDate()->SetText("12/5/2026");
  w->EndDate()->SetText("12/11/2026");
  w->FindTides();
  ASSERT_TRUE(QTest::qWaitFor([&] { return w->ShellPoller()->fire(), !w->shellToPoll; }, 60000));
  ASSERT_TRUE(w->lastfound && w->lastfound->ntimesandtides == 6) << w->Status()->Text();

  EXPECT_EQ(w->WhichMonth()->Text(), "December 2026");
  for (int day = 3; day <= 12; ++day) // 1 December 2026 is a Tuesday
    EXPECT_TRUE(dayAt(w->MonthDisplay()->image(), day, (day + 1) % 7, (day + 1) / 7,
                      day >= 5 && day <= 10 ? red : black))
        << day;
  // The graph window draws the whole week, its range and the form's levels.
  w->_TidesShowTideGraph_Action();
  EXPECT_TRUE(openWindowsOf<TideDisplay>().at(0)->Plot()->image() ==
              Graph(windowStyle, 674, 191).draw(*w->lastcollection, {TideGraph::noLevel, 1}).img);
}
