// Opening and closing a main window, the preferences file that carries the
// chosen place and the tool's and database's paths from one run to the next,
// and the user's choice of the folder that holds the tool and database.
//
// The preferences file holds three length-prefixed strings: the place, the
// tool's absolute path, the database's absolute path.

#include "engine/ToolDiscovery.h"
#include "engine/ToolPaths.h"
#include "fw/BinaryStream.h"
#include "fw/Date.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Dialogs.h"
#include "window/Halvorn.h"

#include <cstddef>
#include <optional>
#include <string>

namespace {

constexpr const char* kPreferencesName = "Halvorn Preferences";
constexpr const char* kPreferencesType = "prefs";
constexpr double kSearchSpanSeconds = 604800; // a week
constexpr std::size_t kLongestStoredText = 255;

constexpr const char* kSelectedPrefix = "Selected: ";
constexpr const char* kNoToolMessage = "Could not find the tide tool in ";
constexpr const char* kNoDatabaseMessage = "Could not find the harmonics.tcd/txt file in ";

std::optional<fw::FolderItem> preferencesFile() {
  const std::optional<fw::FolderItem> folder =
      fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Preferences);
  if (!folder)
    return std::nullopt;
  return folder->Child(kPreferencesName);
}

// A length byte cannot say more than 255; a path cut short would name some
// other file, so a longer text is stored as empty and the reference is found
// again next time as if nothing had been remembered.
std::string storable(const std::string& text) {
  return text.size() <= kLongestStoredText ? text : std::string();
}

std::string pathOf(const std::optional<fw::FolderItem>& item) {
  return item ? item->AbsolutePath() : std::string();
}

// A remembered path fills a reference only while it is unset or its file has
// gone: what start-up found, or the user chose, wins.
void fillFromRemembered(std::optional<fw::FolderItem>& reference, const std::string& path) {
  if (path.empty())
    return;
  if (!reference || !reference->Exists())
    reference = fw::FolderItem::GetFolderItem(path);
}

// Used only when there is no preferences folder at all: the tool and database
// may lie beside the executable.
void takeDefaultsFromDefaultFolder() {
  ToolPaths& paths = toolPaths();
  if (!paths.tidePath) {
    paths.tidePath = fw::FolderItem::GetFolderItem(tideToolName);
    if (!paths.tidePath->Exists())
      paths.tidePath.reset();
  }
  if (!paths.hfilepath) {
    paths.hfilepath = fw::FolderItem::GetFolderItem(binaryDatabaseName);
    // A missing database is kept as a reference so the place list reports it.
    if (!paths.hfilepath->Exists())
      paths.hfilepath = fw::FolderItem::GetFolderItem(textDatabaseName);
  }
}

struct RememberedPreferences {
  std::string place;
  std::string tidePath;
  std::string hfilepath;
};

// nullopt when the file is missing or cannot be read; a file that ends early
// gives "" for what is missing.
std::optional<RememberedPreferences> readPreferences(const fw::FolderItem& file) {
  const std::unique_ptr<fw::BinaryStream> stream = file.OpenAsBinaryFile(false);
  if (!stream)
    return std::nullopt;
  RememberedPreferences remembered;
  remembered.place = stream->ReadPString();
  remembered.tidePath = stream->ReadPString();
  remembered.hfilepath = stream->ReadPString();
  stream->Close();
  return remembered;
}

// A place already chosen in this window stays; the place shows as the
// popup's only row until the place list arrives.
void takeRemembered(Halvorn& window, const RememberedPreferences& remembered) {
  if (window.thePlace.empty())
    window.thePlace = remembered.place;
  fillFromRemembered(toolPaths().tidePath, remembered.tidePath);
  fillFromRemembered(toolPaths().hfilepath, remembered.hfilepath);
  window.Status()->SetText(kSelectedPrefix + window.thePlace);
  fw::PopupMenu* selector = window.Selector();
  selector->DeleteAllRows();
  selector->AddRow(window.thePlace);
  // The popup shows text, not bytes: letting its Change handler take the place
  // back would garble a place that is not UTF-8 and rewrite the preferences.
  window.updating = true;
  selector->SetListIndex(0);
  window.updating = false;
}

} // namespace

void Halvorn::Event_Open() {
  fw::Date now;
  StartDate()->SetText(now.ShortDate());
  now.SetTotalSeconds(now.TotalSeconds() + kSearchSpanSeconds);
  EndDate()->SetText(now.ShortDate());

  if (const std::optional<fw::FolderItem> file = preferencesFile()) {
    // A first run, or a file we cannot read, goes on with what is known.
    if (const std::optional<RememberedPreferences> remembered = readPreferences(*file))
      takeRemembered(*this, *remembered);
  } else {
    takeDefaultsFromDefaultFolder();
  }
  GetLocations();
}

void Halvorn::Event_Close() {
  SavePreferences();
}

// Silent on failure: a failed write leaves the earlier preferences as they were,
// whether the file is replaced or rewritten in place.
void Halvorn::SavePreferences() {
  const std::optional<fw::FolderItem> file = preferencesFile();
  if (!file)
    return;
  const std::unique_ptr<fw::BinaryStream> stream = file->CreateBinaryFile(kPreferencesType);
  if (!stream)
    return;
  const ToolPaths& paths = toolPaths();
  stream->WritePString(storable(thePlace));
  stream->WritePString(storable(pathOf(paths.tidePath)));
  stream->WritePString(storable(pathOf(paths.hfilepath)));
  stream->Close();
}

void Halvorn::SetToolPath() {
  const std::optional<fw::FolderItem> folder = fw::SelectFolder();
  if (!folder)
    return;
  ToolPaths& paths = toolPaths();
  const fw::FolderItem tide = folder->Child(tideToolName);
  if (!tide.Exists()) {
    fw::MsgBox(kNoToolMessage + folder->AbsolutePath());
    SavePreferences();
    return;
  }
  paths.tidePath = tide;
  const fw::FolderItem compiled = folder->Child(binaryDatabaseName);
  const fw::FolderItem text = folder->Child(textDatabaseName);
  if (compiled.Exists()) {
    paths.hfilepath = compiled;
  } else if (text.Exists()) {
    paths.hfilepath = text;
  } else {
    fw::MsgBox(kNoDatabaseMessage + folder->AbsolutePath());
    return;
  }
  SavePreferences();
}
