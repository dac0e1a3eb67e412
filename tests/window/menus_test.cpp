#include "HalvornWindowFixture.h"
#include "charts/TideDisplay.h"
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

TEST_F(MenusTest, WindowEnablesItsCommandsAndTideGraphOnlyWhileASearchIsPublished) {
  Halvorn* w = open();
  Names own = {"TidesFindTides", "TidesSetToolPath", "FileClose", "FileSave", "FileSaveAs"};
  EXPECT_EQ(enabledByTheWindow(w), own);
  // A published search of one sample.
  (w->lastcollection = std::make_shared<TimeAndTide>())->Append(3865536000.0, 1.5f);
  own.insert("TidesShowTideGraph");
  EXPECT_EQ(enabledByTheWindow(w), own);
}

TEST_F(MenusTest, EveryCommandIsHandledAndFileCloseClosesTheFrontMainWindowRememberingItsPlace) {
  Halvorn *back = open(), *front = open();
  // No search, no tool, and every dialog is cancelled.
  for (const char* item : {"TidesShowTideGraph", "TidesFindTides", "FileOpen", "FileSave",
                           "FileSaveAs", "TidesSetToolPath"})
    EXPECT_TRUE(front->RunMenuHandler(item)) << item;
  front->thePlace = "Astoria, Oregon";
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_EQ(std::pair(isOpen(front), isOpen(back)), std::pair(false, true));
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon"));
}

TEST_F(MenusTest, WithTheGraphInFrontCloseClosesItAndNewStillOpensAMainWindow) {
  Halvorn* w = open();
  // A published search of one sample.
  (w->lastcollection = std::make_shared<TimeAndTide>())->Append(3865536000.0, 1.5f);
  EXPECT_TRUE(fw::chooseMenuItem("TidesShowTideGraph"));
  auto* graph = dynamic_cast<TideDisplay*>(fw::Window::Frontmost());
  ASSERT_NE(graph, nullptr);
  EXPECT_TRUE(fw::chooseMenuItem("FileNew"));
  EXPECT_EQ(openWindowsOf<Halvorn>().size(), 2u);
  graph->Show();
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_FALSE(isOpen(graph));
  EXPECT_EQ(openWindowsOf<Halvorn>().size(), 2u);
}

} // namespace
