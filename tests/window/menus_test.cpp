#include "HalvornWindowFixture.h"
#include "charts/TideDisplay.h"
#include "engine/TimeAndTide.h"
#include "fw/gui/Menu.h"

#include <memory>
#include <set>

namespace {

using Names = std::set<std::string>;

const Names kWindowsOwn = {"TidesFindTides", "TidesSetToolPath", "FileClose", "FileSave",
                           "FileSaveAs"};

void disableAll(fw::MenuItem& item) {
  item.SetEnabled(false);
  for (int i = 0; i < item.Count(); ++i)
    disableAll(*item.Item(i));
}

void collectEnabled(const fw::MenuItem& item, Names& into) {
  for (int i = 0; i < item.Count(); ++i) {
    const fw::MenuItem& child = *item.Item(i);
    if (child.Count() == 0 && child.Enabled())
      into.insert(child.Name());
    collectEnabled(child, into);
  }
}

Names enabledByTheWindow(Halvorn* w) {
  disableAll(MenuBar1::shared());
  w->Event_EnableMenuItems();
  Names enabled;
  collectEnabled(MenuBar1::shared(), enabled);
  return enabled;
}

void publishSearch(Halvorn* w) {
  w->lastcollection = std::make_shared<TimeAndTide>();
  w->lastcollection->Append(3865536000.0, 1.5f);
  w->lastcollection->Append(3865536900.0, 1.7f);
}

class MenusTest : public HalvornWindowTest {};

TEST_F(MenusTest, WindowEnablesItsCommandsAndTideGraphOnlyWhileASearchIsPublished) {
  Halvorn* w = open();
  EXPECT_EQ(w->TidesShowTideGraph(), MenuBar1::shared().Find("TidesShowTideGraph"));
  EXPECT_EQ(w->UntitledMenu2(), nullptr);
  EXPECT_EQ(enabledByTheWindow(w), kWindowsOwn);
  publishSearch(w);
  Names withGraph = kWindowsOwn;
  withGraph.insert("TidesShowTideGraph");
  EXPECT_EQ(enabledByTheWindow(w), withGraph);
}

TEST_F(MenusTest, EveryCommandIsHandledWhateverComesOfIt) {
  Halvorn* w = open();
  // No place, no tool, and every dialog is cancelled.
  for (const char* item : {"TidesShowTideGraph", "TidesFindTides", "FileOpen", "FileSave",
                           "FileSaveAs", "TidesSetToolPath", "FileClose"})
    EXPECT_TRUE(w->RunMenuHandler(item)) << item;
  EXPECT_FALSE(w->HasMenuHandler("FileNew"));
  EXPECT_FALSE(isOpen(w));
}

TEST_F(MenusTest, FileCloseClosesTheFrontMainWindowAndRemembersItsPlace) {
  Halvorn* back = open();
  Halvorn* front = open();
  front->thePlace = "Astoria, Oregon";
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_FALSE(isOpen(front));
  EXPECT_TRUE(isOpen(back));
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon"));
}

TEST_F(MenusTest, WithTheGraphInFrontCloseClosesItAndNewStillOpensAMainWindow) {
  Halvorn* w = open();
  publishSearch(w);
  EXPECT_TRUE(fw::chooseMenuItem("TidesShowTideGraph"));
  ASSERT_EQ(openWindowsOf<TideDisplay>().size(), 1u);
  TideDisplay* graph = openWindowsOf<TideDisplay>()[0];
  ASSERT_EQ(fw::Window::Frontmost(), graph);

  EXPECT_TRUE(fw::chooseMenuItem("FileNew"));
  EXPECT_EQ(openWindowsOf<Halvorn>().size(), 2u);
  graph->Show();
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_FALSE(isOpen(graph));
  EXPECT_EQ(openWindowsOf<Halvorn>().size(), 2u);
}

} // namespace
