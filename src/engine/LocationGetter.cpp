#include "engine/LocationGetter.h"

#include "engine/ToolDiscovery.h"
#include "fw/Text.h"
#include "fw/TextInputStream.h"
#include "fw/Yield.h"

#include <cstdlib>
#include <exception>
#include <filesystem>

namespace {

constexpr std::string_view outputFileName = "tide locations.txt";
// Each getter lists into a folder of its own, so that windows listing at the
// same moment never read each other's half-written output.
constexpr std::string_view listingFolderPattern = ".halvorn-places-XXXXXX";
constexpr std::string_view headerPhrase = "Location list generated";
constexpr std::size_t nameBytes = 52;
// Some forty times what the database lists; a tool printing without end is
// stopped there by the file-size limit (in KiB) of the shell that runs it.
constexpr std::uintmax_t mostListingBytes = 16 << 20;
constexpr std::uintmax_t listingLimitKiB = mostListingBytes / 1024 + 1;

const std::string noOutputFileMessage = "Unable to create a temporary output file";
const std::string noListMessage = "There was no location list generated";
const std::string toolFailedMessage = "Unable to get the location list";
const std::string lineBreakInPathMessage =
    "Unable to get the location list: the database folder's path holds a line break";
const std::string parsingStartedMessage = "Parsing location list started";
const std::string parsedSuffix = " locations parsed";
const std::string foundSuffix = " locations found";

std::string nameOf(std::string_view line) {
  return fw::Trim(fw::leftWholeCharacters(line, nameBytes));
}

std::optional<fw::FolderItem> makeListingFolder(const fw::FolderItem& base) {
  std::string path = base.Child(listingFolderPattern).AbsolutePath();
  if (::mkdtemp(path.data()) == nullptr) {
    return std::nullopt;
  }
  return fw::FolderItem(path);
}

void removeListingFolder(const std::optional<fw::FolderItem>& folder) {
  if (folder) {
    std::error_code ignored;
    std::filesystem::remove_all(folder->AbsolutePath(), ignored);
  }
}

} // namespace

std::vector<std::string> parseLocationList(std::string_view text,
                                           const std::function<void()>& beforeFirstName) {
  const char lineEnd = text.find('\r') != std::string_view::npos ? '\r' : '\n';
  std::vector<std::string> names;
  bool headerSeen = false;
  for (std::size_t position = 0, end = 0;
       (end = text.find(lineEnd, position)) != std::string_view::npos; position = end + 1) {
    const std::string_view line = text.substr(position, end - position);
    if (line.find(headerPhrase) != std::string_view::npos) {
      headerSeen = true;
    } else if (headerSeen && !line.empty()) {
      if (names.empty() && beforeFirstName) {
        beforeFirstName();
      }
      names.push_back(nameOf(line));
    }
    fw::yield();
  }
  return names;
}

LocationGetter::~LocationGetter() {
  // The owner is going away: no event may reach it while the process is ended.
  HaveLocations = nullptr;
  Error = nullptr;
  Progress = nullptr;
  Close();
  removeListingFolder(listingFolder);
}

void LocationGetter::GetLocations(const fw::FolderItem& folder) {
  outputFile = chooseOutputFile();
  if (!outputFile) {
    raiseError(noOutputFileMessage);
    return;
  }
  if (!folder.CanBeShellWord()) {
    raiseError(lineBreakInPathMessage);
    raiseHaveLocations();
    return;
  }
  allText = "";
  Mode = 1;
  // Nothing may run once cd has failed, or the "./tide" of whatever folder we
  // were started in would list for us; the group's redirection still makes the
  // file, so that failure reads as the tool's own. The path follows a plain
  // ">": after ">&" bash would expand the word a second time.
  const std::string database(binaryDatabaseName);
  // A hard limit lower than ours, which ulimit cannot raise, bounds the file already.
  Execute("{ ulimit -f " + std::to_string(listingLimitKiB) + "; cd " + folder.ShellPath() +
          " && export HFILE_PATH=./" + database + " && ./" + std::string(tideToolName) + " -l" +
          folder.Child(database).ShellPath() + " -ml; } >" + outputFile->ShellPath() + " 2>&1");
}

void LocationGetter::Event_DataAvailable() {
  allText += ReadAll();
}

void LocationGetter::Event_Completed() {
  std::string text;
  bool tooLong = false;
  if (outputFile) {
    std::error_code unknown;
    tooLong = std::filesystem::file_size(outputFile->AbsolutePath(), unknown) > mostListingBytes &&
              !unknown;
    std::optional<std::string> read = tooLong ? std::string() : readOutputFile();
    if (!read) {
      raiseError(noListMessage);
      return;
    }
    text = std::move(*read);
  }
  if (ErrorCode() != 0 || tooLong) {
    // What a failed tool left is no list, and may be as large as the bound.
    if (outputFile) {
      std::error_code ignored;
      std::filesystem::remove(outputFile->AbsolutePath(), ignored);
    }
    raiseError(toolFailedMessage);
    raiseHaveLocations();
    return;
  }
  raiseProgress(parsingStartedMessage);
  parseOutput(text);
  raiseProgress(std::to_string(locations.size()) + foundSuffix);
  raiseHaveLocations();
}

std::optional<fw::FolderItem> LocationGetter::chooseOutputFile() {
  if (listingFolder && listingFolder->Directory()) {
    return listingFolder->Child(outputFileName);
  }
  removeListingFolder(listingFolder);
  listingFolder.reset();
  for (fw::SpecialFolderKind kind :
       {fw::SpecialFolderKind::Temporary, fw::SpecialFolderKind::Documents}) {
    const std::optional<fw::FolderItem> base = fw::FolderItem::SpecialFolder(kind);
    // Another user could plant a link in a folder that is not private for the
    // redirection to write through.
    if (base && base->CanBeShellWord() && base->IsPrivateFolder()) {
      listingFolder = makeListingFolder(*base);
      if (listingFolder) {
        return listingFolder->Child(outputFileName);
      }
    }
  }
  return std::nullopt;
}

std::optional<std::string> LocationGetter::readOutputFile() const {
  try {
    std::unique_ptr<fw::TextInputStream> stream = fw::TextInputStream::Open(*outputFile);
    if (!stream) {
      return std::nullopt;
    }
    std::string text = stream->ReadAll();
    stream->Close();
    return text;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void LocationGetter::parseOutput(std::string_view text) {
  locations.clear();
  locations = parseLocationList(text, [this] { raiseProgress("0" + parsedSuffix); });
}

void LocationGetter::raiseError(const std::string& message) {
  if (Error) {
    Error(message);
  }
}

void LocationGetter::raiseProgress(const std::string& message) {
  if (Progress) {
    Progress(message);
  }
}

void LocationGetter::raiseHaveLocations() {
  if (HaveLocations) {
    HaveLocations();
  }
}
