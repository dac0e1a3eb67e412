#include "window/Halvorn.h"

#include "engine/GetTidesShell.h"
#include "engine/LocationGetter.h"
#include "engine/Locations.h"
#include "engine/TimeAndTide.h"
#include "fw/gui/Controls.h"

Halvorn::Halvorn() = default;

// A running search's shell goes first, so its process is ended before the
// state it would report into.
Halvorn::~Halvorn() {
  shellToPoll.reset();
  bigList.reset();
  thePlace.clear();
  lastcollection.reset();
  lastfound.reset();
  firstmonth.reset();
  lastmonth.reset();
  theFile.reset();
}

// Controls ------------------------------------------------------------------

fw::StaticText* Halvorn::StaticText1() const {
  return Find<fw::StaticText>("StaticText1");
}
fw::TextField* Halvorn::Location() const {
  return Find<fw::TextField>("Location");
}
fw::PopupMenu* Halvorn::Selector() const {
  return Find<fw::PopupMenu>("Selector");
}
fw::Timer* Halvorn::ShellPoller() const {
  return FindTimer("ShellPoller");
}
fw::StaticText* Halvorn::Status() const {
  return Find<fw::StaticText>("Status");
}
fw::StaticText* Halvorn::StaticText2() const {
  return Find<fw::StaticText>("StaticText2");
}
fw::StaticText* Halvorn::StaticText3() const {
  return Find<fw::StaticText>("StaticText3");
}
fw::TextField* Halvorn::StartDate() const {
  return Find<fw::TextField>("StartDate");
}
fw::TextField* Halvorn::EndDate() const {
  return Find<fw::TextField>("EndDate");
}
fw::PushButton* Halvorn::SearchButton() const {
  return Find<fw::PushButton>("SearchButton");
}
fw::StaticText* Halvorn::StaticText4() const {
  return Find<fw::StaticText>("StaticText4");
}
fw::StaticText* Halvorn::StaticText5() const {
  return Find<fw::StaticText>("StaticText5");
}
fw::TextField* Halvorn::TideHigher() const {
  return Find<fw::TextField>("TideHigher");
}
fw::TextField* Halvorn::TideLower() const {
  return Find<fw::TextField>("TideLower");
}
fw::StaticText* Halvorn::StaticText6() const {
  return Find<fw::StaticText>("StaticText6");
}
fw::StaticText* Halvorn::StaticText7() const {
  return Find<fw::StaticText>("StaticText7");
}
fw::TextField* Halvorn::EarlyTime() const {
  return Find<fw::TextField>("EarlyTime");
}
fw::TextField* Halvorn::LateTime() const {
  return Find<fw::TextField>("LateTime");
}
fw::StaticText* Halvorn::StaticText8() const {
  return Find<fw::StaticText>("StaticText8");
}
fw::TextField* Halvorn::MinLength() const {
  return Find<fw::TextField>("MinLength");
}
fw::PopupMenu* Halvorn::EarlyAMPM() const {
  return Find<fw::PopupMenu>("EarlyAMPM");
}
fw::PopupMenu* Halvorn::LateAMPM() const {
  return Find<fw::PopupMenu>("LateAMPM");
}
fw::TabPanel* Halvorn::ResultDisplay() const {
  return Find<fw::TabPanel>("ResultDisplay");
}
fw::Listbox* Halvorn::Result() const {
  return Find<fw::Listbox>("Result");
}
fw::Canvas* Halvorn::MonthDisplay() const {
  return Find<fw::Canvas>("MonthDisplay");
}
fw::StaticText* Halvorn::WhichMonth() const {
  return Find<fw::StaticText>("WhichMonth");
}
fw::ScrollBar* Halvorn::ScrollMonth() const {
  return Find<fw::ScrollBar>("ScrollMonth");
}
fw::Canvas* Halvorn::Plot() const {
  return Find<fw::Canvas>("Plot");
}
fw::ScrollBar* Halvorn::ScrollPlot() const {
  return Find<fw::ScrollBar>("ScrollPlot");
}
fw::StaticText* Halvorn::VersionNumber() const {
  return Find<fw::StaticText>("VersionNumber");
}
LocationGetter* Halvorn::GetLocationsShell() const {
  return getLocationsShell_.get();
}
