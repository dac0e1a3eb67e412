// Not built yet: empty bodies until this part of the window is written.
#include "window/Halvorn.h"

#include <cstdint>
#include <optional>
#include <string>

bool Halvorn::Location_KeyDown(const std::string&) {
  return false;
}
void Halvorn::Selector_Change() {}
void Halvorn::GetLocationsShell_Progress(const std::string&) {}
void Halvorn::GetLocationsShell_Error(const std::string&) {}
void Halvorn::GetLocationsShell_HaveLocations() {}
void Halvorn::GetLocations() {}
