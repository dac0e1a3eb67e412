// The fixed layout of every main window: the search form above, the three
// result tabs below, the version label in the corner, the poll timer and the
// place-list shell. Controls are made in focus order, each finished before the
// next; events are bound last, so setting the initial state raises nothing.

#include "engine/LocationGetter.h"
#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"

#include <QString>
#include <QWidget>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr const char* kTitle = "Halvorn";
constexpr int kWindowWidth = 600;
constexpr int kWindowHeight = 435;

constexpr int kTextSize = 12;
constexpr int kVersionTextSize = 9;
constexpr const char* kVersion = "v7";
constexpr int kLabelSlack = 2; // pixels beyond the text's advance, for its last glyph

constexpr int kPollMode = 2; // repeating
constexpr int kPollPeriodMs = 1000;

enum ResultTab { kListTab = 0, kCalendarTab = 1, kGraphTab = 2 };
const std::vector<std::string> kResultTabs = {"List Format", "Calendar Format", "Tide Graph"};

// Where a control sits: on the window itself, or on one tab of a panel.
struct Place {
  fw::TabPanel* panel = nullptr;
  int tab = 0;
};

template <class C, class... Args>
C* add(fw::Window& w, Place place, const char* name, fw::Rect bounds, Args&&... args) {
  if (place.panel)
    return w.AddControlOnTab<C>(place.panel, place.tab, name, bounds, std::forward<Args>(args)...);
  return w.AddControl<C>(name, bounds, std::forward<Args>(args)...);
}

// The label boxes were measured for a narrower system font than most Linux
// desktops use ("Tide Higher Than" is 103 pixels wide in DejaVu Sans at 12).
// A right-aligned label too narrow for its text grows to the left, into the
// gap before it, so the text stays whole and still ends beside its field.
void keepWhole(fw::StaticText* label) {
  QWidget* widget = label->widget();
  const int needed =
      widget->fontMetrics().horizontalAdvance(QString::fromStdString(label->Text())) + kLabelSlack;
  const QRect box = widget->geometry();
  if (needed > box.width())
    widget->setGeometry(box.right() + 1 - needed, box.top(), needed, box.height());
}

fw::StaticText* addLabel(fw::Window& w, Place place, const char* name, fw::Rect bounds,
                         const char* text, fw::TextAlign align, int textSize = kTextSize) {
  auto* label = add<fw::StaticText>(w, place, name, bounds);
  label->SetTextSize(textSize);
  label->SetText(text);
  label->SetTextAlign(align);
  if (align == fw::TextAlign::Right)
    keepWhole(label);
  return label;
}

fw::TextField* addField(fw::Window& w, const char* name, fw::Rect bounds, const char* text = "") {
  auto* field = add<fw::TextField>(w, {}, name, bounds);
  field->SetTextSize(kTextSize);
  field->SetText(text);
  return field;
}

fw::PopupMenu* addPopup(fw::Window& w, const char* name, fw::Rect bounds,
                        std::initializer_list<const char*> rows) {
  auto* popup = add<fw::PopupMenu>(w, {}, name, bounds);
  popup->SetTextSize(kTextSize);
  for (const char* row : rows)
    popup->AddRow(row);
  popup->SetListIndex(0); // no change when there are no rows
  return popup;
}

fw::ScrollBar* addScrollBar(fw::Window& w, Place place, const char* name, fw::Rect bounds,
                            int pageStep) {
  auto* bar = add<fw::ScrollBar>(w, place, name, bounds);
  bar->SetMinimum(0);
  bar->SetMaximum(0);
  bar->SetValue(0);
  bar->SetLineStep(1);
  bar->SetPageStep(pageStep);
  bar->SetLiveScroll(true);
  return bar;
}

} // namespace

void Halvorn::Layout() {
  if (auto* app = fw::Application::Instance())
    SetMenuBar(app->GetMenuBar());
  SetTitle(kTitle);
  SetSize(kWindowWidth, kWindowHeight, false);
  SetTitleBarButtons(false, false); // a window of one fixed size: close only
}

void Halvorn::CreateControls() {
  _CreateControls0();
  _CreateControls1();
}

void Halvorn::_CreateControls0() {
  using Align = fw::TextAlign;
  fw::Window& w = *this;

  addLabel(w, {}, "StaticText1", {8, 14, 100, 20}, "Search For", Align::Right);
  auto* location = addField(w, "Location", {120, 13, 303, 22});
  location->SetEnabled(false);
  location->KeyDown = [this](const std::string& key) { return Location_KeyDown(key); };

  auto* selector = addPopup(w, "Selector", {120, 41, 303, 20}, {});
  selector->SetEnabled(false);
  selector->Change = [this] { Selector_Change(); };

  auto* poller = AddTimer("ShellPoller");
  poller->SetMode(kPollMode);
  poller->SetPeriod(kPollPeriodMs);
  poller->Action = [this] { ShellPoller_Action(); };

  addLabel(w, {}, "Status", {29, 71, 542, 20}, "", Align::Center);
  addLabel(w, {}, "StaticText2", {8, 108, 40, 20}, "Start", Align::Right);
  addLabel(w, {}, "StaticText3", {8, 137, 40, 20}, "End", Align::Right);
  addField(w, "StartDate", {60, 108, 80, 22});
  addField(w, "EndDate", {60, 137, 80, 22});

  auto* search = add<fw::PushButton>(w, {}, "SearchButton", {498, 171, 69, 20});
  search->SetTextSize(kTextSize);
  search->SetCaption("Search");
  search->Action = [this] { SearchButton_Action(); };

  addLabel(w, {}, "StaticText4", {411, 109, 100, 20}, "Tide Higher Than", Align::Right);
  addLabel(w, {}, "StaticText5", {411, 139, 100, 20}, "Tide Lower Than", Align::Right);
  addField(w, "TideHigher", {521, 110, 40, 22});
  addField(w, "TideLower", {521, 139, 40, 22}, "1");
  addLabel(w, {}, "StaticText6", {176, 109, 60, 20}, "Earliest", Align::Right);
  addLabel(w, {}, "StaticText7", {176, 138, 60, 20}, "Latest", Align::Right);
  addField(w, "EarlyTime", {248, 108, 60, 22});
  addField(w, "LateTime", {248, 137, 60, 22});
  addLabel(w, {}, "StaticText8", {176, 166, 60, 20}, "Shortest", Align::Right);
  addField(w, "MinLength", {248, 165, 80, 22}, "1:00");
  addPopup(w, "EarlyAMPM", {314, 109, 60, 20}, {"AM", "PM"});
  addPopup(w, "LateAMPM", {314, 137, 60, 20}, {"AM", "PM"});

  auto* tabs = add<fw::TabPanel>(w, {}, "ResultDisplay", {20, 207, 560, 208}, kResultTabs);
  tabs->SetTextSize(kTextSize);
  tabs->SetValue(kListTab);

  auto* result = add<fw::Listbox>(w, {tabs, kListTab}, "Result", {29, 243, 542, 165});
  result->SetTextSize(kTextSize);

  auto* month = add<fw::Canvas>(w, {tabs, kCalendarTab}, "MonthDisplay", {187, 266, 226, 142});
  month->Paint = [this](fw::Graphics& g) { MonthDisplay_Paint(g); };
  addLabel(w, {tabs, kCalendarTab}, "WhichMonth", {187, 240, 226, 20}, "", Align::Center);
  auto* scrollMonth = addScrollBar(w, {tabs, kCalendarTab}, "ScrollMonth", {411, 266, 16, 142}, 1);
  scrollMonth->ValueChanged = [this] { ScrollMonth_ValueChanged(); };

  auto* plot = add<fw::Canvas>(w, {tabs, kGraphTab}, "Plot", {29, 243, 542, 149});
  plot->Paint = [this](fw::Graphics& g) { Plot_Paint(g); };
  auto* scrollPlot = addScrollBar(w, {tabs, kGraphTab}, "ScrollPlot", {29, 391, 542, 16}, 20);
  scrollPlot->ValueChanged = [this] { ScrollPlot_ValueChanged(); };

  addLabel(w, {}, "VersionNumber", {557, 419, 34, 16}, kVersion, Align::Right, kVersionTextSize);
}

void Halvorn::_CreateControls1() {
  getLocationsShell_ = std::make_unique<LocationGetter>();
  getLocationsShell_->Mode = 0;
  getLocationsShell_->TimeOut = 0;
  getLocationsShell_->Progress = [this](const std::string& m) { GetLocationsShell_Progress(m); };
  getLocationsShell_->Error = [this](const std::string& m) { GetLocationsShell_Error(m); };
  getLocationsShell_->HaveLocations = [this] { GetLocationsShell_HaveLocations(); };
}
