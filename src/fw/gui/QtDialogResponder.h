#pragma once
// The application's dialog responder: modal Qt dialogs over the front window.

#include "fw/gui/Dialogs.h"

namespace fw {

class QtDialogResponder : public DialogResponder {
public:
  void MsgBox(const std::string& message) override;
  std::optional<FolderItem> GetOpenFolderItem(const std::string& fileType) override;
  std::optional<FolderItem> GetSaveFolderItem(const std::string& fileType,
                                              const std::string& suggestedName) override;
  std::optional<FolderItem> SelectFolder() override;

  // The path a save dialog's answer stands for: the type's extension is added
  // when the typed name lacks it (letter case aside).
  static std::string withExtension(const std::string& path, const std::string& extension);
};

} // namespace fw
