// Not built yet: empty bodies until this part of the window is written.
#include "window/Halvorn.h"

#include <cstdint>
#include <optional>
#include <string>

void Halvorn::ShellPoller_Action() {}
void Halvorn::SearchButton_Action() {}
std::string Halvorn::DateToISOFormat(const fw::Date&) {
  return {};
}
bool Halvorn::ParseTime(const std::string&, const std::string&, std::int32_t&) {
  return false;
}
void Halvorn::FindTides() {}
std::string Halvorn::GetUNIXPath(const std::optional<fw::FolderItem>&) {
  return {};
}
