// Choosing menu items and keeping their enabled states: the dispatch by name
// from the front window to the application to the framework's own commands.

#include "fw/gui/Application.h"
#include "fw/gui/EditCommands.h"
#include "fw/gui/Menu.h"
#include "fw/gui/MenuView.h"
#include "fw/gui/Window.h"

#include <algorithm>
#include <vector>

namespace fw {

namespace {

bool someoneHandles(const std::string& name, const Window* front, const Application* app) {
  return (front && front->HasMenuHandler(name)) || (app && app->HasMenuHandler(name));
}

void resetItem(MenuItem& item, const Window* front, const Application* app) {
  if (item.Count() > 0) {
    // A menu stays usable; its items say what can be done.
    item.SetEnabled(true);
    for (int i = 0; i < item.Count(); ++i)
      resetItem(*item.Item(i), front, app);
    return;
  }
  if (item.IsSeparator()) {
    item.SetEnabled(false);
    return;
  }
  const std::string& name = item.Name();
  item.SetEnabled(dynamic_cast<const QuitMenuItem*>(&item) ||
                  (item.AutoEnable && someoneHandles(name, front, app)) ||
                  editCommandAvailable(name));
}

std::vector<MenuBar*> menuBarsInUse(const Application* app) {
  std::vector<MenuBar*> bars;
  auto add = [&bars](MenuBar* bar) {
    if (bar && std::find(bars.begin(), bars.end(), bar) == bars.end())
      bars.push_back(bar);
  };
  if (app)
    add(app->GetMenuBar());
  for (const Window* window : Window::Windows())
    add(menuBarShownBy(window));
  return bars;
}

void quit() {
  if (Application* app = Application::Instance()) {
    app->Quit();
    return;
  }
  for (Window* window : Window::Windows())
    window->Close();
}

// The commands the framework does itself when no handler took the item.
bool runStandardCommand(const std::string& name, const Window* front) {
  MenuBar* bar = menuBarShownBy(front);
  MenuItem* item = bar ? bar->Find(name) : nullptr;
  if (dynamic_cast<QuitMenuItem*>(item)) {
    quit();
    return true;
  }
  return runEditCommand(name);
}

} // namespace

bool chooseMenuItem(const std::string& itemName) {
  Window* front = Window::Frontmost();
  if (front && front->HasMenuHandler(itemName) && front->RunMenuHandler(itemName))
    return true;
  Application* app = Application::Instance();
  if (app && app->HasMenuHandler(itemName) && app->RunMenuHandler(itemName))
    return true;
  return runStandardCommand(itemName, front);
}

void updateMenuEnabling() {
  Window* front = Window::Frontmost();
  Application* app = Application::Instance();
  for (MenuBar* bar : menuBarsInUse(app))
    resetItem(*bar, front, app);
  if (app)
    app->Event_EnableMenuItems();
  if (front)
    front->Event_EnableMenuItems();
  MenuView::syncAll();
}

} // namespace fw
