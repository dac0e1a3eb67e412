#include "fw/gui/Dialogs.h"

#include "fw/gui/QtDialogResponder.h"

#include <QString>
#include <map>

namespace fw {

namespace {

std::shared_ptr<DialogResponder>& installed() {
  static std::shared_ptr<DialogResponder> responder;
  return responder;
}

std::map<std::string, std::string>& fileTypes() {
  static std::map<std::string, std::string> types;
  return types;
}

// File type names are matched as all text is: without regard to letter case.
std::string typeKey(const std::string& name) {
  return QString::fromStdString(name).toLower().toStdString();
}

} // namespace

std::shared_ptr<DialogResponder> setDialogResponder(std::shared_ptr<DialogResponder> responder) {
  std::shared_ptr<DialogResponder> previous = std::move(installed());
  installed() = std::move(responder);
  return previous;
}

DialogResponder& dialogResponder() {
  if (!installed())
    installed() = std::make_shared<QtDialogResponder>();
  return *installed();
}

void MsgBox(const std::string& message) {
  dialogResponder().MsgBox(message);
}

std::optional<FolderItem> GetOpenFolderItem(const std::string& fileType) {
  return dialogResponder().GetOpenFolderItem(fileType);
}

std::optional<FolderItem> GetSaveFolderItem(const std::string& fileType,
                                            const std::string& suggestedName) {
  return dialogResponder().GetSaveFolderItem(fileType, suggestedName);
}

std::optional<FolderItem> SelectFolder() {
  return dialogResponder().SelectFolder();
}

void defineFileType(const std::string& name, const std::string& extension) {
  fileTypes()[typeKey(name)] = extension;
}

std::string fileTypeExtension(const std::string& name) {
  auto it = fileTypes().find(typeKey(name));
  return it == fileTypes().end() ? std::string{} : it->second;
}

} // namespace fw
