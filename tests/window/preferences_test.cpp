// A main window's opening (dates, the remembered place and paths) and the
// preferences file it reads and writes, and the tool folder the user chooses.

#include "HalvornWindowFixture.h"
#include "fw/Date.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class PreferencesTest : public HalvornWindowTest {
protected:
  void remember(const std::string& place, const std::string& tide = "",
                const std::string& database = "") {
    writeBytes(preferencesPath(), preferencesBytes(place, tide, database));
  }
};

TEST_F(PreferencesTest, DatesSpanTheComingWeek) {
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
}

TEST_F(PreferencesTest, FirstRunTakesNoDefaultsAndSaysNoDatabaseIsKnown) {
  Halvorn* w = open();
  EXPECT_EQ(w->thePlace, "");
  EXPECT_EQ(w->Selector()->ListCount(), 0);
  // Nothing beside the executable is taken while a preferences folder exists.
  EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
  EXPECT_EQ(w->Status()->Text(),
            "Cannot find tides, cannot find a version of the harmonics database");
  EXPECT_FALSE(w->Location()->Enabled());
  EXPECT_FALSE(fs::exists(preferencesPath()));
}

TEST_F(PreferencesTest, RememberedPlaceIsTheOnlyRowAndPathsFillOnlyAnUnsetOrMissingReference) {
  const std::string existing = pathOf("tide"), gone = pathOf("gone/tide");
  const std::string tide = pathOf("mine/tide"), database = pathOf("mine/harmonics.tcd");
  writeBytes(existing, "x");
  remember("Astoria, Oregon");
  Halvorn* w = open();
  EXPECT_EQ(w->thePlace, "Astoria, Oregon");
  EXPECT_EQ(rows(w->Selector()), std::vector<std::string>{"Astoria, Oregon"});
  EXPECT_FALSE(w->Selector()->Enabled()); // until the places arrive
  const std::pair<std::optional<fw::FolderItem>, bool> cases[] = {
      {std::nullopt, true}, {fw::FolderItem(gone), true}, {fw::FolderItem(existing), false}};
  for (const auto& [known, rememberedWins] : cases) {
    SCOPED_TRACE(pathOrNone(known));
    toolPaths() = {known, known};
    remember("", tide, database);
    open();
    EXPECT_EQ(pathOrNone(toolPaths().tidePath), rememberedWins ? tide : existing);
    EXPECT_EQ(pathOrNone(toolPaths().hfilepath), rememberedWins ? database : existing);
  }
}

TEST_F(PreferencesTest, FileHoldsThreeLengthPrefixedStringsAndTooLongOnesAsEmpty) {
  const std::string path300 = "/opt/" + std::string(291, 'd') + "/tide"; // a cut path would
  const std::string path255 = "/opt/" + std::string(245, 'd') + "/tide"; // name another file
  const std::string tcd = "/opt/tides/harmonics.tcd";
  const struct {
    std::string place, tide, database, bytes;
  } cases[] = {
      {"Astoria, Oregon", "", "", "\x0f"s + "Astoria, Oregon" + std::string(2, '\0')},
      {"", "/opt/tides/tide", tcd, std::string(1, '\0') + "\x0f/opt/tides/tide\x18" + tcd},
      {"Île d'Yeu", "/My Tides/tide", "", pstring("Île d'Yeu") + pstring("/My Tides/tide") + '\0'},
      {"Astoria, Oregon", path300, tcd, preferencesBytes("Astoria, Oregon", "", tcd)},
      {"", path255, "", preferencesBytes("", path255)},
      {std::string(256, 'p'), "", "", std::string(3, '\0')},
  };
  Halvorn* w = open();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.place + " " + c.tide);
    w->thePlace = c.place;
    toolPaths() = {};
    if (!c.tide.empty())
      toolPaths().tidePath = fw::FolderItem(c.tide);
    if (!c.database.empty())
      toolPaths().hfilepath = fw::FolderItem(c.database);
    w->SavePreferences();
    EXPECT_EQ(preferences(), c.bytes);
    toolPaths() = {};
    open(); // and reads them back
    EXPECT_EQ(pathOrNone(toolPaths().tidePath),
              c.tide.empty() || c.tide.size() > 255 ? "none" : c.tide);
  }
}

TEST_F(PreferencesTest, TruncatedPreferencesAreReadAsFarAsTheyGo) {
  const std::string place = pstring("Astoria, Oregon"), tide = pstring(pathOf("tide"));
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"\x14" + "Astor"s, ""}, // the length byte says more than follows
      {place + tide.substr(0, 5), "Astoria, Oregon"},
  };
  for (const auto& [bytes, readPlace] : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    writeBytes(preferencesPath(), bytes);
    EXPECT_EQ(open()->thePlace, readPlace);
    EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
  }
}

TEST_F(PreferencesTest, UnreadablePreferencesAreLeftAlone) {
  for (const bool folder : {true, false}) {
    fs::remove_all(preferencesPath());
    if (folder)
      fs::create_directory(preferencesPath());
    else
      ASSERT_EQ(::mkfifo(preferencesPath().c_str(), 0600), 0); // must not wait for a writer
    Halvorn* w = open();
    EXPECT_EQ(w->thePlace, "");
    w->Close(); // saving says nothing, and never writes into a folder of that name
    EXPECT_EQ(fs::is_directory(preferencesPath()), folder);
  }
  EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(PreferencesTest, AWriteThatFailsLosesNothingAndSaysNothing) {
  Halvorn* w = open();
  w->thePlace = "Astoria, Oregon";
  w->SavePreferences();
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
    std::vector<const char*> files; // {"cancel"}: the choice is cancelled
    const char* message;
    bool takesTool;
    const char* database; // nullptr: the old one stays
    bool written;
  } cases[] = {
      {{"cancel"}, nullptr, false, nullptr, false},
      {{"tide", "harmonics.tcd", "harmonics.txt"}, nullptr, true, "harmonics.tcd", true},
      {{"tide", "harmonics.txt"}, nullptr, true, "harmonics.txt", true},
      {{"harmonics.tcd"}, "Could not find the tide tool in ", false, nullptr, true},
      {{"tide"}, "Could not find the harmonics.tcd/txt file in ", true, nullptr, false},
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
    if (c.files[0] == std::string("cancel"))
      dialogs->cancelFolder();
    else
      dialogs->answerFolder(folder);

    EXPECT_TRUE(w->_TideSSetToolPath_Action());

    const std::string tide = c.takesTool ? folder + "/tide" : oldTide;
    const std::string database = c.database ? folder + "/" + c.database : oldDatabase;
    EXPECT_EQ(dialogs->messages(),
              c.message ? std::vector{c.message + folder} : std::vector<std::string>{});
    EXPECT_EQ(pathOrNone(toolPaths().tidePath), tide);
    EXPECT_EQ(pathOrNone(toolPaths().hfilepath), database);
    EXPECT_EQ(preferences(), c.written ? preferencesBytes("Astoria, Oregon", tide, database) : "");
  }
}

} // namespace
