#include "app/MenuBar1.h"

#include <gtest/gtest.h>

namespace {

// The whole tree, one item a line, indented under its menu: name, text, shortcut.
const std::vector<std::string> kTree = {
    "FileMenu|&File|",
    "  FileNew|New|Cmd+N",
    "  FileOpen|Open|Cmd+O",
    "  FileClose|Close|Cmd+W",
    "  FileSave|Save|Cmd+S",
    "  FileSaveAs|Save As|",
    "  UntitledMenu1|-|",
    "  FileQuit|Quit|Cmd+Q",
    "EditMenu|&Edit|",
    "  EditUndo|Undo|Cmd+Z",
    "  UntitledMenu0|-|",
    "  EditCut|Cut|Cmd+X",
    "  EditCopy|Copy|Cmd+C",
    "  EditPaste|Paste|Cmd+V",
    "  EditClear|Clear|",
    "TidesMenu|Tides|",
    "  TidesFindTides|Find Tides|Cmd+F",
    "  TidesShowTideGraph|Tide Graph|Cmd+T",
    "  TidesSetToolPath|Set Tool Path|",
};

void render(const fw::MenuItem& menu, const std::string& indent, std::vector<std::string>& lines) {
  for (int i = 0; i < menu.Count(); ++i) {
    const fw::MenuItem& item = *menu.Item(i);
    lines.push_back(indent + item.Name() + "|" + item.Text() + "|" + item.KeyboardShortcut());
    render(item, indent + "  ", lines);
  }
}

TEST(MenuBar1, OneSharedTreeWithEveryItemOnceAndNoUntitledMenu2) {
  MenuBar1& bar = MenuBar1::shared();
  std::vector<std::string> lines;
  render(bar, "", lines);
  EXPECT_EQ(lines, kTree);
  EXPECT_EQ(bar.Find("UntitledMenu2"), nullptr);
  EXPECT_NE(dynamic_cast<fw::QuitMenuItem*>(bar.Find("FileQuit")), nullptr);
}

} // namespace
