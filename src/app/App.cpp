#include "app/App.h"

#include "engine/ToolPaths.h"
#include "fw/gui/Menu.h"
#include "window/Halvorn.h"

App::App() : tidePath(toolPaths().tidePath), hfilepath(toolPaths().hfilepath) {}

void App::Event_NewDocument() {
  fw::Window::New<Halvorn>();
}

void App::Event_OpenDocument(const fw::FolderItem& item) {
  fw::Window::New<Halvorn>()->OpenFile(item);
}

void App::Event_EnableMenuItems() {
  if (fw::MenuItem* item = GetMenuBar() ? GetMenuBar()->Find("FileNew") : nullptr)
    item->Enable();
}

bool App::_FileNew_Action() {
  fw::Window::New<Halvorn>();
  return true;
}
