#pragma once
// Every dialog goes through one replaceable responder: the application's shows
// Qt dialogs, tests install one that answers and records each call.

#include "fw/FolderItem.h"

#include <memory>
#include <optional>
#include <string>

namespace fw {

class DialogResponder {
public:
  virtual ~DialogResponder() = default;
  virtual void MsgBox(const std::string& message) = 0;
  virtual std::optional<FolderItem> GetOpenFolderItem(const std::string& fileType) = 0;
  virtual std::optional<FolderItem> GetSaveFolderItem(const std::string& fileType,
                                                      const std::string& suggestedName) = 0;
  virtual std::optional<FolderItem> SelectFolder() = 0;
};

// Installs a responder and returns the one it replaces.
std::shared_ptr<DialogResponder> setDialogResponder(std::shared_ptr<DialogResponder> responder);
DialogResponder& dialogResponder();

void MsgBox(const std::string& message);
std::optional<FolderItem> GetOpenFolderItem(const std::string& fileType);
std::optional<FolderItem> GetSaveFolderItem(const std::string& fileType,
                                            const std::string& suggestedName);
std::optional<FolderItem> SelectFolder();

// File types by name ("tidesearch" -> ".tides"), as the dialogs offer them.
void defineFileType(const std::string& name, const std::string& extension);
std::string fileTypeExtension(const std::string& name);

} // namespace fw
