#pragma once
// The predictor and its harmonics database for the whole run: found at
// start-up, filled in by a window's opening, replaced by "Set Tool Path", read
// by every search and place-list request. One instance, on the main thread.

#include "fw/FolderItem.h"

#include <optional>

struct ToolPaths {
  std::optional<fw::FolderItem> tidePath;  // the program "tide"
  std::optional<fw::FolderItem> hfilepath; // "harmonics.tcd" or "harmonics.txt"
};

inline ToolPaths& toolPaths() {
  static ToolPaths paths;
  return paths;
}
