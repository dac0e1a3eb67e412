#pragma once
// The application object: makes a main window for a start without documents,
// for each document opened from the desktop and for File > New.

#include "fw/FolderItem.h"
#include "fw/gui/Application.h"

#include <optional>

class App : public fw::Application {
public:
  // The predictor and its database, shared with every window.
  std::optional<fw::FolderItem>& tidePath;
  std::optional<fw::FolderItem>& hfilepath;

  App();

  void Event_NewDocument() override;
  void Event_OpenDocument(const fw::FolderItem& item) override;
  void Event_EnableMenuItems() override;
  bool _FileNew_Action();
};
