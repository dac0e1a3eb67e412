#include "MainWindowTest.h"
#include "engine/TimeAndTide.h"
#include "fw/FolderItem.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Menu.h"

#include <memory>
#include <set>
#include <string>

namespace {

using Accessor = fw::MenuItem* (Halvorn::*)() const;

struct NamedAccessor {
  const char* name;
  Accessor get;
};

const NamedAccessor kAccessors[] = {
    {"TidesMenu", &Halvorn::TidesMenu},
    {"TidesSetToolPath", &Halvorn::TidesSetToolPath},
    {"TidesShowTideGraph", &Halvorn::TidesShowTideGraph},
    {"TidesFindTides", &Halvorn::TidesFindTides},
    {"EditMenu", &Halvorn::EditMenu},
    {"EditClear", &Halvorn::EditClear},
    {"EditPaste", &Halvorn::EditPaste},
    {"EditCopy", &Halvorn::EditCopy},
    {"EditCut", &Halvorn::EditCut},
    {"UntitledMenu0", &Halvorn::UntitledMenu0},
    {"EditUndo", &Halvorn::EditUndo},
    {"FileMenu", &Halvorn::FileMenu},
    {"FileQuit", &Halvorn::FileQuit},
    {"UntitledMenu1", &Halvorn::UntitledMenu1},
    {"FileSaveAs", &Halvorn::FileSaveAs},
    {"FileSave", &Halvorn::FileSave},
    {"FileClose", &Halvorn::FileClose},
    {"FileOpen", &Halvorn::FileOpen},
    {"FileNew", &Halvorn::FileNew},
};

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

// The items that the window's own enabling turns on, apart from the framework's.
Names enabledByTheWindow(Halvorn* w) {
  disableAll(MenuBar1::shared());
  w->Event_EnableMenuItems();
  Names enabled;
  collectEnabled(MenuBar1::shared(), enabled);
  return enabled;
}

Names enabledForTheUser() {
  fw::updateMenuEnabling();
  Names enabled;
  collectEnabled(MenuBar1::shared(), enabled);
  return enabled;
}

std::shared_ptr<TimeAndTide> publishedSearch() {
  auto samples = std::make_shared<TimeAndTide>();
  samples->Append(3865536000.0, 1.5f);
  samples->Append(3865536900.0, 1.7f);
  return samples;
}

class MenusTest : public MainWindowTest {};

TEST_F(MenusTest, EachItemAccessorFindsTheSharedEntryOfItsName) {
  Halvorn* w = open();
  for (const NamedAccessor& a : kAccessors) {
    SCOPED_TRACE(a.name);
    fw::MenuItem* item = (w->*a.get)();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item, MenuBar1::shared().Find(a.name));
    EXPECT_EQ(item->Name(), a.name);
  }
  EXPECT_NE(dynamic_cast<fw::QuitMenuItem*>(w->FileQuit()), nullptr);
  EXPECT_EQ(w->UntitledMenu2(), nullptr);
}

TEST_F(MenusTest, WindowEnablesItsCommandsAndTideGraphOnlyWhileASearchIsPublished) {
  Halvorn* w = open();
  EXPECT_EQ(enabledByTheWindow(w), kWindowsOwn);

  w->lastcollection = publishedSearch();
  Names withGraph = kWindowsOwn;
  withGraph.insert("TidesShowTideGraph");
  EXPECT_EQ(enabledByTheWindow(w), withGraph);

  // A new search drops the published one until it is published in turn.
  w->lastcollection.reset();
  EXPECT_EQ(enabledByTheWindow(w), kWindowsOwn);
}

TEST_F(MenusTest, UserSeesTheWindowsCommandsFileNewAndOpenButNoSeparator) {
  open();
  const Names enabled = enabledForTheUser();
  for (const std::string& name : kWindowsOwn)
    EXPECT_TRUE(enabled.count(name)) << name;
  // New is the application's; nothing of the program enables Open, which has a
  // handler and so is on; Quit is always on.
  for (const char* name : {"FileNew", "FileOpen", "FileQuit"})
    EXPECT_TRUE(enabled.count(name)) << name;
  for (const char* name : {"UntitledMenu0", "UntitledMenu1"})
    EXPECT_FALSE(enabled.count(name)) << name;
}

TEST_F(MenusTest, EveryCommandIsHandledWhateverComesOfIt) {
  Halvorn* w = open();
  // No place, no tool, and every dialog is cancelled.
  for (const char* item : {"TidesShowTideGraph", "TidesFindTides", "FileOpen", "FileSave",
                           "FileSaveAs", "TidesSetToolPath", "FileClose"}) {
    SCOPED_TRACE(item);
    EXPECT_TRUE(w->RunMenuHandler(item));
  }
  EXPECT_FALSE(isOpen(w));
}

TEST_F(MenusTest, FileCloseClosesTheFrontMainWindowOnly) {
  Halvorn* back = open();
  Halvorn* front = open();
  ASSERT_EQ(fw::Window::Frontmost(), front);
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_FALSE(isOpen(front));
  EXPECT_TRUE(isOpen(back));
  EXPECT_EQ(fw::Window::Frontmost(), back);
  EXPECT_TRUE(fw::chooseMenuItem("FileClose"));
  EXPECT_FALSE(isOpen(back));
}

TEST_F(MenusTest, FileSaveWritesTheFrontWindowsSearch) {
  Halvorn* first = open();
  Halvorn* second = open();
  first->theFile = fw::FolderItem(pathOf("first.tides"));
  second->theFile = fw::FolderItem(pathOf("second.tides"));

  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  EXPECT_FALSE(first->theFile->Exists());
  EXPECT_TRUE(second->theFile->Exists());
  EXPECT_EQ(second->Title(), "second.tides");
  EXPECT_EQ(first->Title(), "Halvorn");

  first->Show();
  EXPECT_TRUE(fw::chooseMenuItem("FileSave"));
  EXPECT_TRUE(first->theFile->Exists());
  EXPECT_EQ(first->Title(), "first.tides");
  EXPECT_TRUE(dialogs->calls.empty());
}

} // namespace
