// A main window's opening (dates, the remembered place and paths) and the
// preferences file it reads and writes, and the tool folder the user chooses.

#include "HalvornWindowFixture.h"
#include "fw/Date.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using PreferencesTest = HalvornWindowTest;

TEST_F(PreferencesTest, OpeningShowsTheComingWeekTheRememberedPlaceAndOnlyPathsNotKnownYet) {
  fw::Date day;
  Halvorn* w = open();
  if (w->StartDate()->Text() != day.ShortDate()) // the clock passed midnight meanwhile
    day = fw::Date();
  EXPECT_EQ(w->StartDate()->Text(), day.ShortDate());
  day.SetTotalSeconds(day.TotalSeconds() + 7 * 86400);
  EXPECT_EQ(w->EndDate()->Text(), day.ShortDate());
  // A first run takes nothing beside the executable while a preferences folder exists.
  EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
  EXPECT_EQ(w->Status()->Text(),
            "Cannot find tides, cannot find a version of the harmonics database");

  // The popup's only row shows a place that is not UTF-8; it must not take it back garbled.
  const std::string place = "Caf\xe9 Pier", bytes = preferencesBytes(place);
  writeBytes(preferencesPath(), bytes);
  w = open();
  EXPECT_EQ(std::tuple(w->thePlace, rows(w->Selector()).size(), preferences()),
            std::tuple(place, 1u, bytes)); // and rewrites nothing

  // A remembered path fills only a reference that is unset (as when reading back
  // the file saved below) or whose file has gone.
  const std::string existing = pathOf("tide"), tide = pathOf("mine/tide");
  const std::string database = pathOf("mine/harmonics.tcd");
  writeBytes(existing, "x");
  for (const auto& [known, taken] : {std::pair(pathOf("gone/tide"), tide), {existing, existing}}) {
    SCOPED_TRACE(known);
    toolPaths() = {fw::FolderItem(known), fw::FolderItem(known)};
    writeBytes(preferencesPath(), preferencesBytes("", tide, database));
    open();
    EXPECT_EQ(std::pair(pathOrNone(toolPaths().tidePath), pathOrNone(toolPaths().hfilepath)),
              std::pair(taken, taken == tide ? database : existing));
  }
}

TEST_F(PreferencesTest, FileHoldsThreeLengthPrefixedStringsAndTooLongOnesAsEmpty) {
  const std::string path300 = "/opt/" + std::string(291, 'd') + "/tide"; // a cut path would
  const std::string path255 = "/opt/" + std::string(245, 'd') + "/tide"; // name another file
  const std::string tcd = "/opt/tides/harmonics.tcd";
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"Astoria, Oregon", path300, preferencesBytes("Astoria, Oregon", "", tcd)},
      {std::string(256, 'p'), path255, preferencesBytes("", path255, tcd)},
  };
  Halvorn* w = open();
  for (const auto& [place, tide, bytes] : cases) {
    SCOPED_TRACE(place + " " + tide);
    w->thePlace = place;
    toolPaths() = {fw::FolderItem(tide), fw::FolderItem(tcd)};
    w->SavePreferences();
    EXPECT_EQ(preferences(), bytes);
    toolPaths() = {};
    open(); // and reads them back
    EXPECT_EQ(pathOrNone(toolPaths().tidePath), tide.size() > 255 ? "none" : tide);
  }
}

// Whatever stands in the file's place, opening and saving say nothing and lose nothing.
TEST_F(PreferencesTest, PreferencesThatCannotBeReadOrWrittenLoseNothingAndSayNothing) {
  writeBytes(preferencesPath(), preferencesBytes("Astoria, Oregon"));
  Halvorn* w = open();
  w->thePlace = "West Seattle";
  {
    FullDisk full;
    w->SavePreferences();
  }
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon"));

  fs::remove(preferencesPath());
  ASSERT_EQ(::mkfifo(preferencesPath().c_str(), 0600), 0); // must not wait for a writer
  EXPECT_EQ(open()->thePlace, "");

  writeBytes(pathOf("a file"), "keep"); // no Preferences folder can be made
  ::setenv("XDG_CONFIG_HOME", pathOf("a file/config").c_str(), 1);
  w->Close();
  EXPECT_EQ(readBytes(pathOf("a file")), "keep");
  EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(PreferencesTest, ToolFolderTakesWhatItHoldsAndSaysWhatIsMissing) {
  const std::string oldTide = "/opt/old/tide", oldDatabase = "/opt/old/harmonics.tcd";
  const struct {
    std::vector<const char*> files; // none: the choice is cancelled
    std::string message;
    bool takesTool, written;
    const char* database; // nullptr: the old one stays
  } cases[] = {
      {{}, "", false, false, nullptr},
      {{"tide", "harmonics.tcd", "harmonics.txt"}, "", true, true, "harmonics.tcd"},
      {{"tide", "harmonics.txt"}, "", true, true, "harmonics.txt"},
      {{"harmonics.tcd"}, "Could not find the tide tool in ", false, true, nullptr},
      {{"tide"}, "Could not find the harmonics.tcd/txt file in ", true, false, nullptr},
  };
  Halvorn* w = open();
  w->thePlace = "Astoria, Oregon";
  for (const auto& c : cases) {
    const std::string folder = pathOf(std::to_string(&c - cases));
    SCOPED_TRACE(folder);
    fs::create_directories(folder);
    for (const char* name : c.files)
      writeBytes(folder + "/" + name, "x");
    toolPaths() = {fw::FolderItem(oldTide), fw::FolderItem(oldDatabase)};
    fs::remove(preferencesPath());
    dialogs->calls.clear();
    if (!c.files.empty()) // else the choice is cancelled
      dialogs->answerFolder(folder);
    EXPECT_TRUE(w->_TideSSetToolPath_Action());
    const std::string tide = c.takesTool ? folder + "/tide" : oldTide;
    const std::string database = c.database ? folder + "/" + c.database : oldDatabase;
    EXPECT_EQ(dialogs->messages(),
              c.message.empty() ? std::vector<std::string>{} : std::vector{c.message + folder});
    EXPECT_EQ(std::pair(pathOrNone(toolPaths().tidePath), pathOrNone(toolPaths().hfilepath)),
              std::pair(tide, database));
    EXPECT_EQ(preferences(), c.written ? preferencesBytes("Astoria, Oregon", tide, database) : "");
  }
}

} // namespace
