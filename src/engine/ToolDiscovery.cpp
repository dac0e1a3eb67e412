#include "engine/ToolDiscovery.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<std::string_view, 2> bundleNames = {"Halvorn.debug.app", "Halvorn.app"};

bool isFolder(const fw::FolderItem& item) {
  return item.Exists() && item.Directory();
}

bool holdsDatabase(const fw::FolderItem& resources) {
  return resources.Child(binaryDatabaseName).Exists() || resources.Child(textDatabaseName).Exists();
}

TideAndHarmonics pathsIn(const fw::FolderItem& resources) {
  const fw::FolderItem binary = resources.Child(binaryDatabaseName);
  return {resources.Child(tideToolName),
          binary.Exists() ? binary : resources.Child(textDatabaseName)};
}

} // namespace

std::optional<fw::FolderItem> TryForTideAndHarmonics(const std::optional<fw::FolderItem>& bundle) {
  if (!bundle || !isFolder(*bundle)) {
    return std::nullopt;
  }
  const fw::FolderItem contents = bundle->Child("Contents");
  if (!isFolder(contents)) {
    return std::nullopt;
  }
  const fw::FolderItem resources = contents.Child("Resources");
  if (!isFolder(resources) || !resources.Child(tideToolName).Exists() ||
      !holdsDatabase(resources)) {
    return std::nullopt;
  }
  return resources;
}

TideAndHarmonics FindTideAndHarmonics(const fw::FolderItem& defaultFolder) {
  for (std::string_view name : bundleNames) {
    if (const auto resources = TryForTideAndHarmonics(defaultFolder.Child(name))) {
      return pathsIn(*resources);
    }
  }
  const auto resources = TryForTideAndHarmonics(defaultFolder);
  return resources ? pathsIn(*resources) : TideAndHarmonics{};
}
