#pragma once
// The place list: GetLocations runs the database folder's own "tide" in list
// mode through bash, its whole output going to "tide locations.txt" in a fresh
// folder of this getter's own inside the user's private temporary folder (else
// the Documents folder, when only the user can write there); a file-size limit
// stops a tool that writes more than 16 MiB, and the listing then fails and
// leaves no file. When the command has ended the file is read, the names after
// the "Location list generated" line are cut out, and the owner hears of it
// through Progress and Error (status texts) and HaveLocations (read
// `locations` then). Names are the predictor's UTF-8 bytes unchanged, so a
// listed name goes back to the predictor as it came.

#include "fw/FolderItem.h"
#include "fw/Shell.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class LocationGetter : public fw::Shell {
public:
  LocationGetter() = default;
  // Ends a running listing and removes this getter's output folder.
  ~LocationGetter() override;

  // What the shell itself printed (the predictor's output goes to the file).
  std::string allText;
  // The names of the last successful parse, in the order of the output.
  std::vector<std::string> locations;

  // Raised to the owner; an empty handler means the event is ignored.
  std::function<void()> HaveLocations;
  std::function<void(const std::string& message)> Error;
  std::function<void(const std::string& message)> Progress;

  // Starts a listing in folder (the one holding the database) and returns at
  // once; the result comes through the events.
  void GetLocations(const fw::FolderItem& folder);

protected:
  void Event_DataAvailable() override;
  void Event_Completed() override;

  std::optional<fw::FolderItem> outputFile;
  // A fresh private folder made for this getter's output file.
  std::optional<fw::FolderItem> listingFolder;

private:
  std::optional<fw::FolderItem> chooseOutputFile();
  void raiseError(const std::string& message);
  void raiseProgress(const std::string& message);
  void raiseHaveLocations();
  std::optional<std::string> readOutputFile() const;
  void parseOutput(std::string_view text);
};

// The names in a place-list output: every non-empty line after the first one
// that holds "Location list generated", cut to 52 bytes (never inside a UTF-8
// character) and trimmed. Lines end at CR when the text holds one, else at LF;
// text after the last line end is not a line. beforeFirstName runs once, just
// before the first name is taken.
std::vector<std::string> parseLocationList(std::string_view text,
                                           const std::function<void()>& beforeFirstName = {});
