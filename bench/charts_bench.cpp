// Redraw cost of the charts over a year: the graph scans every sample for its
// height range at each redraw, and each calendar day asks the found periods
// whether one starts on it (a scan of all periods per day).

#include "WindowBenchMain.h"
#include "app/MenuBar1.h"
#include "charts/MonthCalendar.h"
#include "charts/TideGraph.h"
#include "engine/TimeAndTide.h"
#include "fw/Date.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Graphics.h"
#include "window/Halvorn.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int samplesInAYear = 365 * 96; // 35,040
const double firstSample = fw::Date::FromFields(2026, 1, 1).TotalSeconds();

TimeAndTide yearOfSamples() {
  TimeAndTide tt;
  for (int i = 0; i < samplesInAYear; ++i)
    tt.Append(firstSample + 900.0 * i,
              static_cast<float>(1.9 + 2.2 * std::sin(i * 2 * M_PI / 49.7)));
  return tt;
}

// `count` period starts spread evenly over the year.
TimeAndTide periodsOverAYear(int count) {
  TimeAndTide tt;
  const double step = 365.0 * 86400.0 / count;
  for (int i = 0; i < count; ++i)
    tt.Append(firstSample + std::floor(i * step / 60.0) * 60.0, 3600.0f);
  return tt;
}

void BM_TideGraphRedraw(benchmark::State& state) {
  const TimeAndTide samples = yearOfSamples();
  QImage image(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
               QImage::Format_RGB32);
  fw::Graphics g(image);
  TideGraph graph(g, {});
  const int lastDay = TideGraph::lastFirstDay(TideGraph::dayCount(samples.ntimesandtides),
                                              TideGraph::visibleDays(g.Width()));
  int day = 0;
  for (auto _ : state) {
    // What every redraw does: the range afresh, then the seven days shown.
    const TideGraph::HeightRange range = TideGraph::heightRange(samples);
    graph.draw(samples, range, {2.5f, 1.0f}, day);
    day = (day + 37) % (lastDay + 1);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_TideGraphRedraw)->Args({542, 149})->Args({674, 191})->Unit(benchmark::kMillisecond);

void BM_MonthCalendarRedraw(benchmark::State& state) {
  const TimeAndTide found = periodsOverAYear(static_cast<int>(state.range(0)));
  QImage image(226, 142, QImage::Format_RGB32);
  fw::Graphics g(image);
  MonthCalendar calendar(g);
  const fw::Date first = fw::Date::FromTotalSeconds(found.times[0]);
  int month = 0;
  for (auto _ : state) {
    calendar.drawEmpty();
    calendar.drawMonth(MonthCalendar::monthAfter(first, month), found);
    month = (month + 5) % 12;
    benchmark::ClobberMemory();
  }
}
// A typical year of periods (two a day), and every sample of the year as a period.
BENCHMARK(BM_MonthCalendarRedraw)->Arg(730)->Arg(samplesInAYear)->Unit(benchmark::kMillisecond);

// The same redraws as the main window makes them, scroll bars and caption included.
void BM_HalvornRedraw(benchmark::State& state) {
  auto* w = fw::Window::New<Halvorn>();
  w->lastcollection = std::make_shared<TimeAndTide>(yearOfSamples());
  w->lastfound = std::make_shared<TimeAndTide>(periodsOverAYear(static_cast<int>(state.range(1))));
  w->DisplayCalendar();
  w->UpdatePlot();
  const bool graph = state.range(0) == 0;
  for (auto _ : state) {
    if (graph)
      w->RedrawGraph();
    else
      w->RedrawMonths();
    benchmark::ClobberMemory();
  }
  w->Close();
}
BENCHMARK(BM_HalvornRedraw)
    ->ArgNames({"calendar", "periods"})
    ->Args({0, 730})
    ->Args({1, 730})
    ->Args({1, samplesInAYear})
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
  return runWindowBenchmarks(argc, argv);
}
