#include "app/MenuBar1.h"

#include <memory>

namespace {

std::unique_ptr<MenuBar1>& sharedInstance() {
  static std::unique_ptr<MenuBar1> instance;
  return instance;
}

constexpr const char* kNoShortcut = "";
constexpr const char* kSeparator = "-";

std::unique_ptr<fw::MenuItem> item(const char* name, const char* text,
                                   const char* shortcut = kNoShortcut) {
  return std::make_unique<fw::MenuItem>(name, text, shortcut);
}

} // namespace

MenuBar1::MenuBar1() : fw::MenuBar("MenuBar1") {
  Untitled1();
  Untitled2();
  Untitled3();
}

MenuBar1& MenuBar1::shared() {
  auto& instance = sharedInstance();
  if (!instance)
    instance = std::make_unique<MenuBar1>();
  return *instance;
}

void MenuBar1::releaseShared() {
  sharedInstance().reset();
}

void MenuBar1::addMenu(const char* name, const char* text) {
  Append(std::make_unique<fw::MenuItem>(name, text, kNoShortcut));
}

void MenuBar1::addItem(const char* menuName, std::unique_ptr<fw::MenuItem> child) {
  Child(menuName)->Append(std::move(child));
}

void MenuBar1::Untitled1() {
  addMenu("FileMenu", "&File");
  addItem("FileMenu", item("FileNew", "New", "Cmd+N"));
  addItem("FileMenu", item("FileOpen", "Open", "Cmd+O"));
  addItem("FileMenu", item("FileClose", "Close", "Cmd+W"));
  addItem("FileMenu", item("FileSave", "Save", "Cmd+S"));
  addItem("FileMenu", item("FileSaveAs", "Save As"));
  addItem("FileMenu", item("UntitledMenu1", kSeparator));
  addItem("FileMenu", std::make_unique<fw::QuitMenuItem>("FileQuit", "Quit", "Cmd+Q"));
}

void MenuBar1::Untitled2() {
  addMenu("EditMenu", "&Edit");
  addItem("EditMenu", item("EditUndo", "Undo", "Cmd+Z"));
  addItem("EditMenu", item("UntitledMenu0", kSeparator));
  addItem("EditMenu", item("EditCut", "Cut", "Cmd+X"));
  addItem("EditMenu", item("EditCopy", "Copy", "Cmd+C"));
  addItem("EditMenu", item("EditPaste", "Paste", "Cmd+V"));
  addItem("EditMenu", item("EditClear", "Clear"));
}

void MenuBar1::Untitled3() {
  addMenu("TidesMenu", "Tides");
  addItem("TidesMenu", item("TidesFindTides", "Find Tides", "Cmd+F"));
  addItem("TidesMenu", item("TidesShowTideGraph", "Tide Graph", "Cmd+T"));
  addItem("TidesMenu", item("TidesSetToolPath", "Set Tool Path"));
}
