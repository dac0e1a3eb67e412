#include "window/Halvorn.h"

#include "engine/GetTidesShell.h"
#include "engine/LocationGetter.h"
#include "engine/Locations.h"
#include "engine/TimeAndTide.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Menu.h"

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

// Menu items ----------------------------------------------------------------

fw::MenuItem* Halvorn::menuItem(const char* name) const {
  fw::MenuBar* bar = GetMenuBar();
  return bar ? bar->Find(name) : nullptr;
}

fw::MenuItem* Halvorn::TidesMenu() const {
  return menuItem("TidesMenu");
}
fw::MenuItem* Halvorn::TidesSetToolPath() const {
  return menuItem("TidesSetToolPath");
}
fw::MenuItem* Halvorn::TidesShowTideGraph() const {
  return menuItem("TidesShowTideGraph");
}
fw::MenuItem* Halvorn::TidesFindTides() const {
  return menuItem("TidesFindTides");
}
fw::MenuItem* Halvorn::EditMenu() const {
  return menuItem("EditMenu");
}
fw::MenuItem* Halvorn::EditClear() const {
  return menuItem("EditClear");
}
fw::MenuItem* Halvorn::EditPaste() const {
  return menuItem("EditPaste");
}
fw::MenuItem* Halvorn::EditCopy() const {
  return menuItem("EditCopy");
}
fw::MenuItem* Halvorn::EditCut() const {
  return menuItem("EditCut");
}
fw::MenuItem* Halvorn::UntitledMenu0() const {
  return menuItem("UntitledMenu0");
}
fw::MenuItem* Halvorn::EditUndo() const {
  return menuItem("EditUndo");
}
fw::MenuItem* Halvorn::FileMenu() const {
  return menuItem("FileMenu");
}
fw::MenuItem* Halvorn::FileQuit() const {
  return menuItem("FileQuit");
}
fw::MenuItem* Halvorn::UntitledMenu1() const {
  return menuItem("UntitledMenu1");
}
fw::MenuItem* Halvorn::FileSaveAs() const {
  return menuItem("FileSaveAs");
}
fw::MenuItem* Halvorn::FileSave() const {
  return menuItem("FileSave");
}
fw::MenuItem* Halvorn::FileClose() const {
  return menuItem("FileClose");
}
fw::MenuItem* Halvorn::FileOpen() const {
  return menuItem("FileOpen");
}
fw::MenuItem* Halvorn::FileNew() const {
  return menuItem("FileNew");
}
fw::MenuItem* Halvorn::UntitledMenu2() const {
  return menuItem("UntitledMenu2");
}

void Halvorn::AddMenuHandlers() {
  AddMenuHandler("TidesShowTideGraph", [this] { return _TidesShowTideGraph_Action(); });
  AddMenuHandler("TidesFindTides", [this] { return _TidesFindTides_Action(); });
  AddMenuHandler("FileClose", [this] { return _FileClose_Action(); });
  AddMenuHandler("FileOpen", [this] { return _FileOpen_Action(); });
  AddMenuHandler("FileSave", [this] { return _FileSave_Action(); });
  AddMenuHandler("FileSaveAs", [this] { return _FileSaveAs_Action(); });
  AddMenuHandler("TidesSetToolPath", [this] { return _TideSSetToolPath_Action(); });
}

bool Halvorn::_TidesFindTides_Action() {
  FindTides();
  return true;
}

bool Halvorn::_FileClose_Action() {
  Close();
  return true;
}

bool Halvorn::_TideSSetToolPath_Action() {
  SetToolPath();
  return true;
}
