// Placeholder chart members so the window links before the charts land.
// Delete this file when HalvornCharts.cpp defines them.

#include "window/Halvorn.h"

void Halvorn::DisplayCalendar() {}
void Halvorn::RedrawMonths() {}
std::string Halvorn::NameOfMonth(std::int32_t) {
  return {};
}
void Halvorn::MonthDisplay_Paint(fw::Graphics&) {}
void Halvorn::ScrollMonth_ValueChanged() {}
void Halvorn::RedrawGraph() {}
void Halvorn::UpdatePlot() {}
void Halvorn::Plot_Paint(fw::Graphics&) {}
void Halvorn::ScrollPlot_ValueChanged() {}
bool Halvorn::_TidesShowTideGraph_Action() {
  return true;
}
