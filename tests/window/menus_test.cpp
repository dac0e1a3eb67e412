#include "HalvornWindowFixture.h"
#include "engine/TimeAndTide.h"
#include "fw/gui/Menu.h"

#include <functional>
#include <memory>
#include <set>

namespace {

using Names = std::set<std::string>;
using MenusTest = HalvornWindowTest;

void forEachItem(fw::MenuItem& menu, const std::function<void(fw::MenuItem&)>& visit) {
  for (int i = 0; i < menu.Count(); ++i) {
    visit(*menu.Item(i));
    forEachItem(*menu.Item(i), visit);
  }
}

// The commands enabled when every item was disabled before the window's turn.
Names enabledByTheWindow(Halvorn* w) {
  forEachItem(MenuBar1::shared(), [](fw::MenuItem& item) { item.SetEnabled(false); });
  w->Event_EnableMenuItems();
  Names enabled;
  forEachItem(MenuBar1::shared(), [&enabled](fw::MenuItem& item) {
    if (item.Count() == 0 && item.Enabled())
      enabled.insert(item.Name());
  });
  return enabled;
}

TEST_F(MenusTest,
       WindowEnablesAndHandlesItsCommandsAndFileCloseClosesTheFrontOneRememberingItsPlace) {
  Halvorn *back = open(), *front = open();
  Names own = {"TidesFindTides", "TidesSetToolPath", "FileClose", "FileSave", "FileSaveAs"};
  EXPECT_EQ(enabledByTheWindow(front), own);
  // No search, no tool, and every dialog is cancelled.
  for (const char* item : {"TidesShowTideGraph", "TidesFindTides", "FileOpen", "FileSave",
                           "FileSaveAs", "TidesSetToolPath"})
    EXPECT_TRUE(front->RunMenuHandler(item)) << item;
  // A published search of one sample.
  (front->lastcollection = std::make_shared<TimeAndTide>())->Append(3865536000.0, 1.5f);
  own.insert("TidesShowTideGraph");
  EXPECT_EQ(enabledByTheWindow(front), own);
  front->thePlace = "Astoria, Oregon";
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_EQ(std::pair(isOpen(front), isOpen(back)), std::pair(false, true));
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon"));
}

} // namespace
