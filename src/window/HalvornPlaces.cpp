// The place picker: the place-list shell's names go into bigList and the
// Selector popup; Return in the Location field narrows the popup to the names
// that hold the typed text; choosing a row makes it thePlace.

#include "engine/LocationGetter.h"
#include "engine/Locations.h"
#include "engine/ToolPaths.h"
#include "fw/Text.h"
#include "fw/Yield.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"
#include "window/StatusTexts.h"

#include <memory>
#include <string>

namespace {

constexpr const char* kReturnKey = "\r";
constexpr int kRowNameCharacters = 52;
constexpr const char* kMatchesSuffix = " matches found";
constexpr const char* kSelectedPrefix = "Selected: ";

void showAtOnce(fw::StaticText* status, const std::string& message) {
  status->SetText(message);
  status->Refresh();
}

} // namespace

void Halvorn::GetLocations() {
  const std::optional<fw::FolderItem>& database = toolPaths().hfilepath;
  std::optional<fw::FolderItem> folder = database ? database->Parent() : std::nullopt;
  if (!folder) {
    // Without this the picker would stay disabled with no word of why.
    Status()->SetText(kNoDatabaseStatus);
    return;
  }
  GetLocationsShell()->GetLocations(*folder);
}

void Halvorn::GetLocationsShell_Progress(const std::string& message) {
  showAtOnce(Status(), message);
}

void Halvorn::GetLocationsShell_Error(const std::string& message) {
  showAtOnce(Status(), message);
}

void Halvorn::GetLocationsShell_HaveLocations() {
  fw::PopupMenu* selector = Selector();
  selector->DeleteAllRows();
  bigList = std::make_shared<Locations>();
  for (const std::string& name : GetLocationsShell()->locations) {
    bigList->AddLocation(name);
    selector->AddRow(name);
    fw::yield();
  }
  selector->SetEnabled(true);
  Location()->SetEnabled(true);
}

bool Halvorn::Location_KeyDown(const std::string& key) {
  if (key != kReturnKey)
    return false;
  if (!bigList || bigList->nlocations <= 0) {
    SetToolPath();
    GetLocations();
  }
  fw::PopupMenu* selector = Selector();
  const std::string filter = Location()->Text();
  selector->DeleteAllRows();
  int matches = 0;
  // bigList and its count are read afresh for each name, so a list replaced
  // meanwhile is followed rather than read past its end.
  for (std::int32_t i = 0; bigList && i <= bigList->nlocations - 1; ++i) {
    const std::string& name = bigList->location[static_cast<std::size_t>(i)];
    if (filter.empty() || fw::InStr(name, filter) > 0) {
      selector->AddRow(fw::Trim(fw::Left(name, kRowNameCharacters)));
      ++matches;
    }
    fw::yield();
  }
  // Choosing the first row from code runs Selector_Change, which puts
  // "Selected: " in the status line; the count goes there after it, so the user
  // sees how many places the filter left.
  selector->SetListIndex(0);
  Status()->SetText(std::to_string(matches) + kMatchesSuffix);
  return true;
}

void Halvorn::Selector_Change() {
  if (updating)
    return;
  const std::string chosen = Selector()->Text();
  if (chosen.empty()) {
    Status()->SetText("");
    return;
  }
  Status()->SetText(kSelectedPrefix + chosen);
  thePlace = chosen;
  SavePreferences();
}
