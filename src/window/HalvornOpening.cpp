// Not built yet: empty bodies until this part of the window is written.
#include "window/Halvorn.h"

#include <cstdint>
#include <optional>
#include <string>

void Halvorn::Event_Close() {}
void Halvorn::Event_Open() {}
void Halvorn::SavePreferences() {}
void Halvorn::SetToolPath() {}
