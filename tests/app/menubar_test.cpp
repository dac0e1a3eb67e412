#include "app/MenuBar1.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Entry {
  const char* menu;
  const char* name;
  const char* text;
  const char* shortcut;
};

// The whole tree, menu by menu, in the order shown.
const std::vector<Entry> kTree = {
    {"FileMenu", "FileNew", "New", "Cmd+N"},
    {"FileMenu", "FileOpen", "Open", "Cmd+O"},
    {"FileMenu", "FileClose", "Close", "Cmd+W"},
    {"FileMenu", "FileSave", "Save", "Cmd+S"},
    {"FileMenu", "FileSaveAs", "Save As", ""},
    {"FileMenu", "UntitledMenu1", "-", ""},
    {"FileMenu", "FileQuit", "Quit", "Cmd+Q"},
    {"EditMenu", "EditUndo", "Undo", "Cmd+Z"},
    {"EditMenu", "UntitledMenu0", "-", ""},
    {"EditMenu", "EditCut", "Cut", "Cmd+X"},
    {"EditMenu", "EditCopy", "Copy", "Cmd+C"},
    {"EditMenu", "EditPaste", "Paste", "Cmd+V"},
    {"EditMenu", "EditClear", "Clear", ""},
    {"TidesMenu", "TidesFindTides", "Find Tides", "Cmd+F"},
    {"TidesMenu", "TidesShowTideGraph", "Tide Graph", "Cmd+T"},
    {"TidesMenu", "TidesSetToolPath", "Set Tool Path", ""},
};

int countNamed(const fw::MenuItem& item, const std::string& name) {
  int n = item.Name() == name ? 1 : 0;
  for (int i = 0; i < item.Count(); ++i)
    n += countNamed(*item.Item(i), name);
  return n;
}

std::vector<std::string> childNames(const fw::MenuItem& item) {
  std::vector<std::string> names;
  for (int i = 0; i < item.Count(); ++i)
    names.push_back(item.Item(i)->Name());
  return names;
}

TEST(MenuBar1, MenusAreFileEditTidesWithTheirMnemonics) {
  MenuBar1& bar = MenuBar1::shared();
  ASSERT_EQ(childNames(bar), (std::vector<std::string>{"FileMenu", "EditMenu", "TidesMenu"}));
  EXPECT_EQ(bar.Item(0)->Text(), "&File");
  EXPECT_EQ(bar.Item(1)->Text(), "&Edit");
  EXPECT_EQ(bar.Item(2)->Text(), "Tides");
  for (int i = 0; i < bar.Count(); ++i) {
    EXPECT_EQ(bar.Item(i)->KeyboardShortcut(), "") << bar.Item(i)->Name();
    EXPECT_TRUE(bar.Item(i)->AutoEnable) << bar.Item(i)->Name();
  }
}

TEST(MenuBar1, EveryItemStandsOnceUnderItsMenuInOrder) {
  MenuBar1& bar = MenuBar1::shared();
  std::vector<std::string> expectedOrder[3];
  const char* menus[3] = {"FileMenu", "EditMenu", "TidesMenu"};
  for (const Entry& e : kTree) {
    SCOPED_TRACE(e.name);
    EXPECT_EQ(countNamed(bar, e.name), 1);
    fw::MenuItem* item = bar.Find(e.name);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Text(), e.text);
    EXPECT_EQ(item->KeyboardShortcut(), e.shortcut);
    EXPECT_TRUE(item->AutoEnable);
    EXPECT_EQ(item->Count(), 0);
    for (int m = 0; m < 3; ++m)
      if (std::string(e.menu) == menus[m])
        expectedOrder[m].push_back(e.name);
  }
  for (int m = 0; m < 3; ++m)
    EXPECT_EQ(childNames(*bar.Find(menus[m])), expectedOrder[m]) << menus[m];
}

TEST(MenuBar1, SeparatorsAreNamedAndAnUnknownNameFindsNothing) {
  MenuBar1& bar = MenuBar1::shared();
  EXPECT_TRUE(bar.Find("UntitledMenu0")->IsSeparator());
  EXPECT_TRUE(bar.Find("UntitledMenu1")->IsSeparator());
  EXPECT_FALSE(bar.Find("FileSaveAs")->IsSeparator());
  // A window's item accessors include this name; the tree has no such entry.
  EXPECT_EQ(bar.Find("UntitledMenu2"), nullptr);
  EXPECT_EQ(countNamed(bar, "UntitledMenu2"), 0);
}

TEST(MenuBar1, QuitIsTheFrameworksQuitItem) {
  EXPECT_NE(dynamic_cast<fw::QuitMenuItem*>(MenuBar1::shared().Find("FileQuit")), nullptr);
}

TEST(MenuBar1, SharedInstanceIsBuiltOnce) {
  MenuBar1* first = &MenuBar1::shared();
  EXPECT_EQ(&MenuBar1::shared(), first);
  EXPECT_EQ(countNamed(*first, "FileNew"), 1);
}

} // namespace
