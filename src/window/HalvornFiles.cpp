// Not built yet: empty bodies until this part of the window is written.
#include "window/Halvorn.h"

#include <cstdint>
#include <optional>
#include <string>

bool Halvorn::_FileOpen_Action() {
  return true;
}
bool Halvorn::_FileSave_Action() {
  return true;
}
bool Halvorn::_FileSaveAs_Action() {
  return true;
}
void Halvorn::OpenFile(const fw::FolderItem&) {}
void Halvorn::ReadFromFile(const fw::FolderItem&) {}
void Halvorn::SaveToFile(const fw::FolderItem&) {}
