#pragma once
// The application object: finds the predictor and its database once at
// start-up, and makes a main window for a start without documents, for each
// document opened from the desktop and for File > New. It keeps no list of
// windows; the framework holds each until it closes.

#include "fw/FolderItem.h"
#include "fw/gui/Application.h"

#include <optional>

namespace fw {
class MenuItem;
}

class App : public fw::Application {
public:
  // The predictor and its database, shared with every window for the whole run.
  std::optional<fw::FolderItem>& tidePath;
  std::optional<fw::FolderItem>& hfilepath;

  App();
  ~App() override;

  void Event_Open() override;
  void Event_OpenDocument(const fw::FolderItem& item) override;
  void Event_NewDocument() override;
  void Event_EnableMenuItems() override;
  bool _FileNew_Action();

protected:
  // Looks beside the executable (engine/ToolDiscovery.h says where); what it
  // finds replaces both references, and finding nothing leaves them as they are.
  void SetTidePath();
  void SetTidePath(const fw::FolderItem& defaultFolder);
};

// The items of the application's menu bar of those names, looked up afresh at
// each call; nullptr while there is no application or menu bar.
fw::MenuItem* FileNew();
fw::MenuItem* FileClose();
