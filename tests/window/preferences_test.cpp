// A main window's opening (dates, the remembered place and paths) and the
// preferences file it reads and writes, and the tool folder the user chooses.

#include "HalvornWindowFixture.h"
#include "fw/Date.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using PreferencesTest = HalvornWindowTest;

TEST_F(PreferencesTest, FirstRunShowsTheComingWeekAndNoPlaceAndSaysNoDatabaseIsKnown) {
  const auto week = [](fw::Date d) {
    const std::string start = d.ShortDate();
    d.SetTotalSeconds(d.TotalSeconds() + 7 * 86400);
    return std::pair(start, d.ShortDate());
  };
  const auto before = week(fw::Date());
  Halvorn* w = open();
  const auto after = week(fw::Date()); // the clock may pass midnight meanwhile
  const auto shown = std::pair(w->StartDate()->Text(), w->EndDate()->Text());
  EXPECT_TRUE(shown == before || shown == after) << shown.first << " - " << shown.second;
  // Nothing beside the executable is taken while a preferences folder exists.
  EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
  EXPECT_EQ(w->Status()->Text(),
            "Cannot find tides, cannot find a version of the harmonics database");
}

TEST_F(PreferencesTest, RememberedPlaceIsTheOnlyRowAndPathsFillOnlyAnUnsetOrMissingReference) {
  const std::string existing = pathOf("tide"), gone = pathOf("gone/tide");
  const std::string tide = pathOf("mine/tide"), database = pathOf("mine/harmonics.tcd");
  writeBytes(existing, "x");
  writeBytes(preferencesPath(), preferencesBytes("Astoria, Oregon"));
  Halvorn* w = open();
  EXPECT_EQ(w->thePlace, "Astoria, Oregon");
  EXPECT_EQ(rows(w->Selector()), std::vector<std::string>{"Astoria, Oregon"});
  const std::pair<std::optional<fw::FolderItem>, std::string> cases[] = {
      {std::nullopt, tide}, {fw::FolderItem(gone), tide}, {fw::FolderItem(existing), existing}};
  for (const auto& [known, taken] : cases) {
    SCOPED_TRACE(pathOrNone(known));
    toolPaths() = {known, known};
    writeBytes(preferencesPath(), preferencesBytes("", tide, database));
    open();
    EXPECT_EQ(pathOrNone(toolPaths().tidePath), taken);
    EXPECT_EQ(pathOrNone(toolPaths().hfilepath), taken == tide ? database : existing);
  }
}

TEST_F(PreferencesTest, OpeningKeepsARememberedPlaceThatIsNotUtf8AndRewritesNothing) {
  const std::string place = "Caf\xe9 Pier", bytes = preferencesBytes(place);
  writeBytes(preferencesPath(), bytes);
  Halvorn* w = open();
  EXPECT_EQ(w->thePlace, place);
  EXPECT_EQ(preferences(), bytes);
}

TEST_F(PreferencesTest, FileHoldsThreeLengthPrefixedStringsAndTooLongOnesAsEmpty) {
  const std::string path300 = "/opt/" + std::string(291, 'd') + "/tide"; // a cut path would
  const std::string path255 = "/opt/" + std::string(245, 'd') + "/tide"; // name another file
  const std::string tcd = "/opt/tides/harmonics.tcd";
  const struct {
    std::string place, tide, database, bytes;
  } cases[] = {
      {"Astoria, Oregon", "/opt/t/tide", tcd, "\x0f"s + "Astoria, Oregon\x0b/opt/t/tide\x18" + tcd},
      {"Île d'Yeu", "", "", pstring("Île d'Yeu") + std::string(2, '\0')},
      {"Astoria, Oregon", path300, tcd, preferencesBytes("Astoria, Oregon", "", tcd)},
      {std::string(256, 'p'), path255, "", preferencesBytes("", path255)},
  };
  const auto item = [](const std::string& path) {
    return path.empty() ? std::nullopt : std::optional(fw::FolderItem(path));
  };
  Halvorn* w = open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.place + " " + c.tide);
    w->thePlace = c.place;
    toolPaths() = {item(c.tide), item(c.database)};
    w->SavePreferences();
    EXPECT_EQ(preferences(), c.bytes);
    toolPaths() = {};
    open(); // and reads them back
    EXPECT_EQ(pathOrNone(toolPaths().tidePath),
              c.tide.empty() || c.tide.size() > 255 ? "none" : c.tide);
  }
}

TEST_F(PreferencesTest, TruncatedOrUnreadablePreferencesAreReadAsFarAsTheyGoAndLeftAlone) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x14" + "Astor"s, ""}, // the length byte says more than follows
      {pstring("Astoria, Oregon") + pstring(pathOf("tide")).substr(0, 5), "Astoria, Oregon"},
  };
  for (const auto& [bytes, readPlace] : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    writeBytes(preferencesPath(), bytes);
    EXPECT_EQ(open()->thePlace, readPlace);
    EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
  }
  fs::remove(preferencesPath());
  ASSERT_EQ(::mkfifo(preferencesPath().c_str(), 0600), 0); // must not wait for a writer
  EXPECT_EQ(open()->thePlace, "");
  fs::remove(preferencesPath());
  fs::create_directory(preferencesPath());
  Halvorn* w = open();
  EXPECT_EQ(w->thePlace, "");
  w->Close(); // saving says nothing, and never writes into a folder of that name
  EXPECT_TRUE(fs::is_directory(preferencesPath()));
  EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(PreferencesTest, AWriteThatFailsLosesNothingAndSaysNothing) {
  writeBytes(preferencesPath(), preferencesBytes("Astoria, Oregon"));
  Halvorn* w = open();
  w->thePlace = "West Seattle";
  {
    FullDisk full;
    w->SavePreferences();
  }
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon"));
  // No half-written temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(pathOf("config")), fs::directory_iterator()), 1);

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
