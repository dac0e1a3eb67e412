#pragma once
// The Edit menu's standard commands, done on the focused text field.

#include <string>

namespace fw {

bool isEditCommand(const std::string& itemName);
// True when a text field has the focus and the command would do something.
bool editCommandAvailable(const std::string& itemName);
// Does the command; false when it is unavailable.
bool runEditCommand(const std::string& itemName);

} // namespace fw
