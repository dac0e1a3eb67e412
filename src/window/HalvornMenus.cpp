// The window's part of the shared menu bar: its seven commands, bound by item
// name, and the items it enables while it is in front. File > New belongs to
// the application; Quit and the Edit items to the framework.
#include "fw/gui/Menu.h"
#include "window/Halvorn.h"

namespace {

// A window built without the application's menu bar finds no items.
void enable(fw::MenuItem* item) {
  if (item)
    item->Enable();
}

} // namespace

// Items, found by name in the shared tree at every call ---------------------

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

// The framework has already enabled every item someone handles; the window
// adds its own, whatever the framework decides. Tide Graph waits for a
// published search. Nothing is disabled here, and File > Open is left to the
// framework.
void Halvorn::Event_EnableMenuItems() {
  if (lastcollection)
    enable(TidesShowTideGraph());
  for (fw::MenuItem* item :
       {TidesFindTides(), TidesSetToolPath(), FileClose(), FileSave(), FileSaveAs()})
    enable(item);
}
