// The main window's charts: the month calendar of the found periods and the
// tide graph of the samples, and the command that opens a graph window. The
// drawing lives in the charts library; these members feed it the window's state
// and keep the scroll bars in step, with `updating` silencing their
// ValueChanged while they are set from here.

#include "charts/MonthCalendar.h"
#include "charts/TideDisplay.h"
#include "charts/TideGraph.h"
#include "engine/TimeAndTide.h"
#include "fw/Text.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"

namespace {
constexpr int graphLineStep = 1;
constexpr int graphPageStep = TideGraph::dayColumns;

constexpr TideGraph::Style mainWindowStyle{TideGraph::FramePlacement::First,
                                           TideGraph::YearDigits::Two};

TideGraph::Levels formLevels(const Halvorn& w) {
  return {TideGraph::level(w.TideHigher()->Text()), TideGraph::level(w.TideLower()->Text())};
}
} // namespace

void Halvorn::DisplayCalendar() {
  if (!lastfound) {
    WhichMonth()->SetText("");
    return;
  }
  int count = 1;
  if (lastfound->ntimesandtides <= 0) {
    // Back to the empty calendar, so that no repaint brings back a month of the
    // earlier search under this caption.
    WhichMonth()->SetText("No tides found");
    firstmonth.reset();
    lastmonth.reset();
  } else {
    const auto last = static_cast<std::size_t>(lastfound->ntimesandtides - 1);
    firstmonth = fw::Date::FromTotalSeconds(lastfound->times[0]);
    lastmonth = fw::Date::FromTotalSeconds(lastfound->times[last]);
    count = MonthCalendar::monthCount(*firstmonth, *lastmonth);
  }

  updating = true;
  ScrollMonth()->SetValue(0);
  ScrollMonth()->SetMaximum(count - 1);
  updating = false;
  RedrawMonths();
}

void Halvorn::RedrawMonths() {
  fw::Canvas* canvas = MonthDisplay();
  MonthCalendar calendar(canvas->GetGraphics());
  calendar.drawEmpty();
  if (firstmonth && lastmonth && lastfound) {
    const fw::Date month = MonthCalendar::monthAfter(*firstmonth, ScrollMonth()->Value());
    WhichMonth()->SetText(NameOfMonth(month.Month()) + " " + fw::Str(month.Year()));
    calendar.drawMonth(month, *lastfound);
  }
}

std::string Halvorn::NameOfMonth(std::int32_t m) {
  return MonthCalendar::monthName(m);
}

// The charts draw on their canvases' own Graphics, so a paint only asks for a
// redraw. A scroll bar moved by chart code (`updating`) redraws nothing: that
// code draws once it has set the bar.
void Halvorn::MonthDisplay_Paint(fw::Graphics&) {
  RedrawMonths();
}

void Halvorn::Plot_Paint(fw::Graphics&) {
  RedrawGraph();
}

void Halvorn::ScrollMonth_ValueChanged() {
  if (!updating)
    RedrawMonths();
}

void Halvorn::ScrollPlot_ValueChanged() {
  if (!updating)
    RedrawGraph();
}

void Halvorn::RedrawGraph() {
  fw::Canvas* canvas = Plot();
  TideGraph graph(canvas->GetGraphics(), mainWindowStyle);
  if (!lastcollection || lastcollection->ntimesandtides <= 0) {
    graph.drawEmpty();
    return;
  }
  const TideGraph::Levels levels = formLevels(*this);
  const int days = TideGraph::dayCount(lastcollection->ntimesandtides);
  const TideGraph::HeightRange range = TideGraph::heightRange(*lastcollection);

  updating = true;
  const int visible = TideGraph::visibleDays(canvas->GetGraphics().Width());
  ScrollPlot()->SetMinimum(0);
  ScrollPlot()->SetMaximum(TideGraph::lastFirstDay(days, visible));
  ScrollPlot()->SetLineStep(graphLineStep);
  ScrollPlot()->SetPageStep(graphPageStep);
  updating = false;

  graph.draw(*lastcollection, range, levels, ScrollPlot()->Value());
}

void Halvorn::UpdatePlot() {
  updating = true;
  ScrollPlot()->SetValue(0);
  updating = false;
  RedrawGraph();
}

bool Halvorn::_TidesShowTideGraph_Action() {
  if (!lastcollection || lastcollection->ntimesandtides < 1)
    return true;
  auto* w = fw::Window::New<TideDisplay>();
  w->minline = TideGraph::level(TideLower()->Text());
  w->maxline = TideGraph::level(TideHigher()->Text());
  w->SetupDisplay(lastcollection);
  return true;
}
