#include "app/App.h"

#include "engine/ToolDiscovery.h"
#include "engine/ToolPaths.h"
#include "fw/gui/Menu.h"
#include "fw/gui/Window.h"
#include "window/Halvorn.h"

namespace {

fw::MenuItem* applicationMenuItem(const char* name) {
  fw::Application* app = fw::Application::Instance();
  fw::MenuBar* bar = app ? app->GetMenuBar() : nullptr;
  return bar ? bar->Find(name) : nullptr;
}

} // namespace

App::App() : tidePath(toolPaths().tidePath), hfilepath(toolPaths().hfilepath) {}

App::~App() {
  tidePath.reset();
  hfilepath.reset();
}

void App::Event_Open() {
  SetTidePath();
}

// The window's own opening (dates, preferences, place list) runs inside New,
// so the file's values replace what it put in the form.
void App::Event_OpenDocument(const fw::FolderItem& item) {
  fw::Window::New<Halvorn>()->OpenFile(item);
}

void App::Event_NewDocument() {
  fw::Window::New<Halvorn>();
}

void App::Event_EnableMenuItems() {
  if (fw::MenuItem* item = FileNew())
    item->Enable();
}

bool App::_FileNew_Action() {
  fw::Window::New<Halvorn>();
  return true;
}

void App::SetTidePath() {
  SetTidePath(fw::FolderItem::DefaultFolder());
}

void App::SetTidePath(const fw::FolderItem& defaultFolder) {
  TideAndHarmonics found = FindTideAndHarmonics(defaultFolder);
  if (!found.tidePath)
    return;
  tidePath = std::move(found.tidePath);
  hfilepath = std::move(found.hfilepath);
}

fw::MenuItem* FileNew() {
  return applicationMenuItem("FileNew");
}

fw::MenuItem* FileClose() {
  return applicationMenuItem("FileClose");
}
