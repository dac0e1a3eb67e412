#pragma once
// Brings the menu enabling up to date before Qt matches a key chord against
// the menu shortcuts, so that a shortcut sees the same states as an open menu.

namespace fw {

// Installs the hook on the running QApplication, once.
void installMenuShortcutHook();

} // namespace fw
