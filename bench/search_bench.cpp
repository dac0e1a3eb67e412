// Searches over the range users ask for, a week, a year and ten years (up to
// 350,592 samples), as a user runs them: from the click on Search to
// publication, with the window's own one-second poll timer, the real /bin/csh,
// our predictor and the real database. Reports, besides the time to
// publication, the longest single handler run on the way (the click, each
// poll, each canvas paint): the event loop is blocked for that long.

#include "WindowBenchMain.h"
#include "app/MenuBar1.h"
#include "engine/TimeAndTide.h"
#include "engine/ToolPaths.h"
#include "fw/Date.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int samplesPerDay = 96;
constexpr int giveUpMs = 30000;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string resource(const char* name) {
  return std::string(HALVORN_RESOURCES_DIR) + "/" + name;
}

// The longest run of any handler wrapped by timed().
double longestHandlerMs = 0;

template <class Handler> auto timed(Handler handler) {
  return [handler](auto&&... args) {
    const auto start = Clock::now();
    handler(std::forward<decltype(args)>(args)...);
    longestHandlerMs = std::max(longestHandlerMs, msSince(start));
  };
}

Halvorn* openSearchWindow(const fw::Date& end) {
  toolPaths() = {}; // no place list of its own while it opens
  auto* w = fw::Window::New<Halvorn>();
  toolPaths().tidePath = fw::FolderItem(resource("tide"));
  toolPaths().hfilepath = fw::FolderItem(resource("harmonics.tcd"));
  w->thePlace = "Seattle, Puget Sound, Washington";
  w->StartDate()->SetText("1/1/2026");
  w->EndDate()->SetText(end.ShortDate());
  w->TideLower()->SetText("1");
  w->TideHigher()->SetText("");
  w->MinLength()->SetText("1:00");
  return w;
}

// The search runs from 1/1/2026 for state.range(0) days.
void BM_SearchClickToPublication(benchmark::State& state) {
  if (::access(resource("tide").c_str(), X_OK) != 0) {
    state.SkipWithError("the tide predictor is not built");
    return;
  }
  const auto days = static_cast<int>(state.range(0));
  const fw::Date end = fw::Date::FromFields(2026, 1, days, 0, 0);
  Halvorn* w = openSearchWindow(end);
  QEventLoop loop;
  fw::Timer* poller = w->ShellPoller();
  poller->Action = timed([w, &loop] {
    w->ShellPoller_Action();
    if (!w->shellToPoll)
      loop.quit();
  });
  for (fw::Canvas* canvas : {w->MonthDisplay(), w->Plot()})
    canvas->Paint = timed(canvas->Paint);

  QTimer giveUp;
  giveUp.setSingleShot(true);
  QObject::connect(&giveUp, &QTimer::timeout, &loop, &QEventLoop::quit);

  double slowest = 0;
  double longestClickMs = 0;
  longestHandlerMs = 0;
  for (auto _ : state) {
    const auto click = Clock::now();
    w->SearchButton()->Push();
    longestClickMs = std::max(longestClickMs, msSince(click));
    longestHandlerMs = std::max(longestHandlerMs, longestClickMs);
    giveUp.start(giveUpMs);
    loop.exec();
    giveUp.stop();
    const double elapsedMs = msSince(click);
    if (w->shellToPoll || !w->lastcollection ||
        w->lastcollection->ntimesandtides != days * samplesPerDay) {
      state.SkipWithError("the search was not published whole");
      break;
    }
    state.SetIterationTime(elapsedMs / 1000);
    slowest = std::max(slowest, elapsedMs);
  }
  state.counters["slowest_ms"] = slowest;
  state.counters["longest_handler_ms"] = longestHandlerMs;
  state.counters["longest_click_ms"] = longestClickMs;
  state.counters["poll_period_ms"] = poller->Period();
  state.counters["rows"] = w->Result()->ListCount();
  w->Close();
}
BENCHMARK(BM_SearchClickToPublication)
    ->ArgName("days")
    ->Arg(7)
    ->Arg(365)
    ->Arg(3652)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
  return runWindowBenchmarks(argc, argv);
}
