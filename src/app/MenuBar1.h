#pragma once
// The one menu tree of the run: File, Edit and Tides. The application and
// every main window hold the same instance, so an item enabled by one of them
// is the item that all of them show. Items are found and bound by name.

#include "fw/gui/Menu.h"

class MenuBar1 : public fw::MenuBar {
public:
  // Builds the whole tree; only shared() makes one.
  MenuBar1();

  // The shared instance, made on the first call.
  static MenuBar1& shared();
  // Drops the shared instance once no window or application uses it any more
  // (after the event loop has returned).
  static void releaseShared();

  void Untitled1(); // File
  void Untitled2(); // Edit
  void Untitled3(); // Tides

private:
  void addMenu(const char* name, const char* text);
  void addItem(const char* menuName, std::unique_ptr<fw::MenuItem> item);
};
