// Saved-search files: the search form written to and read from a small binary
// file, and the File menu's Open, Save and Save As.
//
// File: version (4-byte big-endian integer, 1), then ten one-byte-length
// strings: place, start date, end date, earliest time, its AM/PM, latest time,
// its AM/PM, shortest period, lower height bound, upper height bound. The texts
// are stored as typed; the search checks them when it runs.
#include "fw/BinaryStream.h"
#include "fw/Text.h"
#include "fw/gui/Controls.h"
#include "fw/gui/Dialogs.h"
#include "window/Halvorn.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr std::int32_t kFileVersion = 1;
constexpr std::size_t kFileTexts = 10;
constexpr const char* kFileType = "tidesearch";
constexpr const char* kSuggestedName = "Saved Tide Search Parameters";
constexpr int kAMRow = 0;
constexpr int kPMRow = 1;

// "AM", "am", "a.m." choose the morning; anything else, "" included, the afternoon.
int ampmRow(const std::string& stored) {
  return fw::TextEquals(fw::Left(stored, 1), "a") ? kAMRow : kPMRow;
}

} // namespace

void Halvorn::SaveToFile(const fw::FolderItem& f) {
  std::unique_ptr<fw::BinaryStream> s = f.CreateBinaryFile(kFileType);
  if (!s) {
    fw::MsgBox("Unable to create the file " + f.AbsolutePath());
    return;
  }
  s->WriteLong(kFileVersion);
  s->WritePString(thePlace);
  s->WritePString(StartDate()->Text());
  s->WritePString(EndDate()->Text());
  s->WritePString(EarlyTime()->Text());
  s->WritePString(EarlyAMPM()->Text());
  s->WritePString(LateTime()->Text());
  s->WritePString(LateAMPM()->Text());
  s->WritePString(MinLength()->Text());
  s->WritePString(TideHigher()->Text());
  s->WritePString(TideLower()->Text());
  // A write that failed on the way (a full disk) leaves the earlier file in
  // place; the user must hear that the search was not saved.
  if (!s->Close())
    fw::MsgBox("Unable to create the file " + f.AbsolutePath());
}

void Halvorn::ReadFromFile(const fw::FolderItem& f) {
  std::unique_ptr<fw::BinaryStream> s = f.OpenAsBinaryFile(false);
  if (!s) {
    fw::MsgBox("Unable to read the file " + f.AbsolutePath());
    return;
  }
  const auto refuse = [&] {
    fw::MsgBox("Invalid tide search file " + f.AbsolutePath());
    s->Close();
  };
  if (s->ReadLong() != kFileVersion) {
    refuse();
    return;
  }
  // A file cut short anywhere is refused whole: half a search in the form would
  // be saved back over the file at the next Save.
  std::array<std::string, kFileTexts> texts;
  for (std::string& text : texts)
    text = s->ReadPString();
  if (s->ReadPastEnd()) {
    refuse();
    return;
  }
  s->Close();

  const auto& [place, startDate, endDate, earlyTime, earlyAMPM, lateTime, lateAMPM, minLength,
               tideHigher, tideLower] = texts;
  thePlace = place;
  Status()->SetText("Selected: " + thePlace);
  // The popup holds just the stored place, known to the place list or not.
  // Its Change handler stays silent: it would take the place back from the
  // popup's text, which has lost any bytes that are not UTF-8, and rewrite the
  // preferences, which reading a file leaves alone.
  fw::PopupMenu* selector = Selector();
  const bool wasUpdating = updating;
  updating = true;
  selector->DeleteAllRows();
  selector->AddRow(thePlace);
  selector->SetListIndex(0);
  updating = wasUpdating;

  StartDate()->SetText(startDate);
  EndDate()->SetText(endDate);
  EarlyTime()->SetText(earlyTime);
  EarlyAMPM()->SetListIndex(ampmRow(earlyAMPM));
  LateTime()->SetText(lateTime);
  LateAMPM()->SetListIndex(ampmRow(lateAMPM));
  MinLength()->SetText(minLength);
  TideHigher()->SetText(tideHigher);
  TideLower()->SetText(tideLower);
  theFile = f;
}

void Halvorn::OpenFile(const fw::FolderItem& f) {
  ReadFromFile(f);
}

bool Halvorn::_FileOpen_Action() {
  const std::optional<fw::FolderItem> f = fw::GetOpenFolderItem(kFileType);
  if (!f)
    return true;
  SetTitle(f->Name());
  ReadFromFile(*f);
  return true;
}

bool Halvorn::_FileSave_Action() {
  if (!theFile) {
    theFile = fw::GetSaveFolderItem(kFileType, kSuggestedName);
    if (!theFile)
      return true;
  }
  SaveToFile(*theFile);
  SetTitle(theFile->Name());
  return true;
}

bool Halvorn::_FileSaveAs_Action() {
  const std::optional<fw::FolderItem> f = fw::GetSaveFolderItem(kFileType, kSuggestedName);
  if (!f)
    return true;
  theFile = f;
  SaveToFile(*f);
  SetTitle(f->Name());
  return true;
}
