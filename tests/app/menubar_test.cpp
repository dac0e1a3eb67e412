#include "app/MenuBar1.h"

#include <gtest/gtest.h>

namespace {

// Each item as name|text|shortcut, a menu's items in brackets after it.
std::string render(const fw::MenuItem& menu) {
  std::string text;
  for (int i = 0; i < menu.Count(); ++i) {
    const fw::MenuItem& item = *menu.Item(i);
    text += (i ? ", " : "") + item.Name() + "|" + item.Text() + "|" + item.KeyboardShortcut();
    text += item.Count() ? " [" + render(item) + "]" : "";
  }
  return text;
}

TEST(MenuBar1, OneSharedTreeWithEveryItemOnceAndNoUntitledMenu2) {
  EXPECT_EQ(
      render(MenuBar1::shared()),
      "FileMenu|&File| [FileNew|New|Cmd+N, FileOpen|Open|Cmd+O, FileClose|Close|Cmd+W, "
      "FileSave|Save|Cmd+S, FileSaveAs|Save As|, UntitledMenu1|-|, FileQuit|Quit|Cmd+Q], "
      "EditMenu|&Edit| [EditUndo|Undo|Cmd+Z, UntitledMenu0|-|, EditCut|Cut|Cmd+X, "
      "EditCopy|Copy|Cmd+C, EditPaste|Paste|Cmd+V, EditClear|Clear|], "
      "TidesMenu|Tides| [TidesFindTides|Find Tides|Cmd+F, TidesShowTideGraph|Tide Graph|Cmd+T, "
      "TidesSetToolPath|Set Tool Path|]");
  EXPECT_NE(dynamic_cast<fw::QuitMenuItem*>(MenuBar1::shared().Find("FileQuit")), nullptr);
}

} // namespace
