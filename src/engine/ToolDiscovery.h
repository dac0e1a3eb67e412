#pragma once
// Where the tide predictor and its harmonics database are looked for at
// start-up: in the bundle "Halvorn.debug.app" beside the executable, then in
// "Halvorn.app", then in the executable's own folder taken as a bundle. A
// bundle qualifies when its Contents/Resources folder holds "tide" and
// "harmonics.tcd" or "harmonics.txt". Only existence counts: nothing is run or
// read, so a broken tool is reported later by the place list and the search.

#include "fw/FolderItem.h"

#include <optional>
#include <string_view>

// The names the predictor and its databases go by in the folder that holds them.
inline constexpr std::string_view tideToolName = "tide";
inline constexpr std::string_view binaryDatabaseName = "harmonics.tcd";
inline constexpr std::string_view textDatabaseName = "harmonics.txt";

// Both set (from one Resources folder) or both empty.
struct TideAndHarmonics {
  std::optional<fw::FolderItem> tidePath;
  std::optional<fw::FolderItem> hfilepath;
};

// The bundle's Resources folder when the bundle qualifies, else empty.
std::optional<fw::FolderItem> TryForTideAndHarmonics(const std::optional<fw::FolderItem>& bundle);

// The first qualifying candidate in defaultFolder; the database is
// "harmonics.tcd" when it exists there, else "harmonics.txt".
TideAndHarmonics FindTideAndHarmonics(const fw::FolderItem& defaultFolder);
