#pragma once
// The application object and the event loop. RunApplication creates the Qt
// application, runs the start-up routine (which makes the one Application),
// raises Open, then NewDocument (no documents on the command line) or
// OpenDocument once for each, and runs the loop until Quit or the last window
// closes. A second launch hands its documents to the running instance and exits.

#include "fw/FolderItem.h"
#include "fw/gui/MenuHandlers.h"

#include <functional>
#include <string>

namespace fw {

class MenuBar;

class Application {
public:
  Application();
  virtual ~Application();
  static Application* Instance();

  MenuBar* GetMenuBar() const { return menuBar_; }
  void SetMenuBar(MenuBar* menuBar) { menuBar_ = menuBar; }

  void AddMenuHandler(const std::string& itemName, std::function<bool()> handler);
  bool HasMenuHandler(const std::string& itemName) const;
  bool RunMenuHandler(const std::string& itemName);

  void Quit();

  virtual void Event_Open() {}
  virtual void Event_NewDocument() {}
  virtual void Event_OpenDocument(const FolderItem& item) { (void)item; }
  virtual void Event_EnableMenuItems() {}

private:
  MenuBar* menuBar_ = nullptr;
  MenuHandlers menuHandlers_;
};

// Runs a menu item by name as a user's choice would: the front window's
// handler, else the application's. False when nobody handled it.
bool chooseMenuItem(const std::string& itemName);
// Resets every item's enabled state and runs the EnableMenuItems events, as
// happens before a menu opens or a shortcut is dispatched.
void updateMenuEnabling();

// The process entry: returns the exit status. `singleInstanceKey` names the
// local socket of the running instance (one per user).
int RunApplication(int argc, char** argv, const std::function<void()>& startup,
                   const std::string& singleInstanceKey);

} // namespace fw
