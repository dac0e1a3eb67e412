#pragma once
// The main search window: one per open search document.
//
//   form --FindTides--> GetTidesShell (shellToPoll, /bin/csh -> tide)
//        --ShellPoller_Action every second: Poll--> output filter --> Result rows
//        --once the shell has ended--> lastcollection, lastfound
//        --> DisplayCalendar (MonthDisplay) and UpdatePlot (Plot)
//   Event_Open / Return in Location --GetLocations--> GetLocationsShell
//        --HaveLocations--> bigList --> Selector --> thePlace
//
// Controls are looked up by name on the window each time they are used; the
// accessors below are that lookup with the control's class.
//
// The chart members (calendar, graph, graph window) are defined in
// HalvornCharts.cpp; the rest in Halvorn.cpp and HalvornLayout.cpp.

#include "fw/Date.h"
#include "fw/FolderItem.h"
#include "fw/gui/Window.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class GetTidesShell;
class LocationGetter;
class Locations;
class TimeAndTide;

namespace fw {
class Canvas;
class Graphics;
class Listbox;
class MenuItem;
class PopupMenu;
class PushButton;
class ScrollBar;
class StaticText;
class TabPanel;
class TextField;
class Timer;
} // namespace fw

class Halvorn : public fw::Window {
public:
  ~Halvorn() override;

  // Window state; nil (empty pointer or nullopt), "" and false until set.
  std::shared_ptr<GetTidesShell> shellToPoll;  // the search started last, until published
  std::shared_ptr<Locations> bigList;          // the last place list received
  std::string thePlace;                        // the selected place
  std::shared_ptr<TimeAndTide> lastcollection; // every sample of the last published search
  std::shared_ptr<TimeAndTide> lastfound;      // the accepted periods of that search
  bool updating = false;                 // true while chart code sets a scroll bar's value or range
  std::optional<fw::Date> firstmonth;    // month 0 of the calendar
  std::optional<fw::Date> lastmonth;     // last month of the calendar
  std::optional<fw::FolderItem> theFile; // the saved-search file of this window

  // Construction events, raised once by fw::Window::New.
  void Layout() override;
  void CreateControls() override;
  void _CreateControls0();
  void _CreateControls1();

  // The 31 controls, by name; nullptr when the window has no such control.
  fw::StaticText* StaticText1() const;
  fw::TextField* Location() const;
  fw::PopupMenu* Selector() const;
  fw::Timer* ShellPoller() const;
  fw::StaticText* Status() const;
  fw::StaticText* StaticText2() const;
  fw::StaticText* StaticText3() const;
  fw::TextField* StartDate() const;
  fw::TextField* EndDate() const;
  fw::PushButton* SearchButton() const;
  fw::StaticText* StaticText4() const;
  fw::StaticText* StaticText5() const;
  fw::TextField* TideHigher() const;
  fw::TextField* TideLower() const;
  fw::StaticText* StaticText6() const;
  fw::StaticText* StaticText7() const;
  fw::TextField* EarlyTime() const;
  fw::TextField* LateTime() const;
  fw::StaticText* StaticText8() const;
  fw::TextField* MinLength() const;
  fw::PopupMenu* EarlyAMPM() const;
  fw::PopupMenu* LateAMPM() const;
  fw::TabPanel* ResultDisplay() const;
  fw::Listbox* Result() const;
  fw::Canvas* MonthDisplay() const;
  fw::StaticText* WhichMonth() const;
  fw::ScrollBar* ScrollMonth() const;
  fw::Canvas* Plot() const;
  fw::ScrollBar* ScrollPlot() const;
  fw::StaticText* VersionNumber() const;
  LocationGetter* GetLocationsShell() const;

  // Control events.
  bool Location_KeyDown(const std::string& key); // true keeps the key out of the field
  void Selector_Change();
  void ShellPoller_Action();
  void SearchButton_Action();
  void MonthDisplay_Paint(fw::Graphics& g);
  void ScrollMonth_ValueChanged();
  void Plot_Paint(fw::Graphics& g);
  void ScrollPlot_ValueChanged();
  void GetLocationsShell_Progress(const std::string& message);
  void GetLocationsShell_Error(const std::string& message);
  void GetLocationsShell_HaveLocations();

  // Menu items of the window's menu bar, found by name at every call;
  // nullptr when the bar has no item of that name (UntitledMenu2).
  fw::MenuItem* TidesMenu() const;
  fw::MenuItem* TidesSetToolPath() const;
  fw::MenuItem* TidesShowTideGraph() const;
  fw::MenuItem* TidesFindTides() const;
  fw::MenuItem* EditMenu() const;
  fw::MenuItem* EditClear() const;
  fw::MenuItem* EditPaste() const;
  fw::MenuItem* EditCopy() const;
  fw::MenuItem* EditCut() const;
  fw::MenuItem* UntitledMenu0() const;
  fw::MenuItem* EditUndo() const;
  fw::MenuItem* FileMenu() const;
  fw::MenuItem* FileQuit() const;
  fw::MenuItem* UntitledMenu1() const;
  fw::MenuItem* FileSaveAs() const;
  fw::MenuItem* FileSave() const;
  fw::MenuItem* FileClose() const;
  fw::MenuItem* FileOpen() const;
  fw::MenuItem* FileNew() const;
  fw::MenuItem* UntitledMenu2() const;

  // Window events.
  void AddMenuHandlers() override;
  void Event_Close() override;
  void Event_EnableMenuItems() override;
  void Event_Open() override;

  // Menu commands; each returns true (handled), whatever came of it.
  bool _TidesShowTideGraph_Action();
  bool _TidesFindTides_Action();
  bool _FileClose_Action();
  bool _FileOpen_Action();
  bool _FileSave_Action();
  bool _FileSaveAs_Action();
  bool _TideSSetToolPath_Action();

  // Place list, search form, preferences.
  void GetLocations();
  static std::string DateToISOFormat(const fw::Date& d);
  // A time of day ("6", "6:30" with ampm "AM"/"PM"/"") or a duration; seconds
  // is written only on success.
  static bool ParseTime(const std::string& timeText, const std::string& ampm,
                        std::int32_t& seconds);
  void SavePreferences();
  void FindTides();

  // Charts.
  void DisplayCalendar();
  void RedrawMonths();
  static std::string NameOfMonth(std::int32_t m);
  void RedrawGraph();
  void UpdatePlot();

  // Saved-search files.
  void OpenFile(const fw::FolderItem& f);
  void ReadFromFile(const fw::FolderItem& f);
  void SaveToFile(const fw::FolderItem& f);
  static std::string GetUNIXPath(const std::optional<fw::FolderItem>& f); // "" for nil

protected:
  void SetToolPath();

private:
  friend class fw::Window; // fw::Window::New constructs and raises the events
  Halvorn();

  fw::MenuItem* menuItem(const char* name) const;

  std::unique_ptr<LocationGetter> getLocationsShell_;
};
