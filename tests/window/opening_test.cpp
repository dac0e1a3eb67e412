#include "HalvornWindowFixture.h"
#include "fw/Date.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class OpeningTest : public HalvornWindowTest {
protected:
  void remember(const std::string& place, const std::string& tide = "",
                const std::string& database = "") {
    writeBytes(preferencesPath(), preferencesBytes(place, tide, database));
  }
  static void makeFile(const fs::path& file) {
    fs::create_directories(file.parent_path());
    writeBytes(file, "x");
  }
};

TEST_F(OpeningTest, DatesSpanTheComingWeek) {
  const auto shortDates = [](fw::Date d) {
    const std::string start = d.ShortDate();
    d.SetTotalSeconds(d.TotalSeconds() + 7 * 86400);
    return std::pair(start, d.ShortDate());
  };
  const auto before = shortDates(fw::Date());
  Halvorn* w = open();
  const auto after = shortDates(fw::Date()); // the clock may pass midnight meanwhile
  const auto shown = std::pair(w->StartDate()->Text(), w->EndDate()->Text());
  EXPECT_TRUE(shown == before || shown == after) << shown.first << " - " << shown.second;
}

TEST_F(OpeningTest, FirstRunTakesNoDefaultsAndSaysNoDatabaseIsKnown) {
  Halvorn* w = open();
  EXPECT_EQ(w->thePlace, "");
  EXPECT_EQ(w->Selector()->ListCount(), 0);
  // No default beside the executable is taken while a preferences folder exists.
  EXPECT_FALSE(toolPaths().tidePath);
  EXPECT_FALSE(toolPaths().hfilepath);
  EXPECT_EQ(w->Status()->Text(),
            "Cannot find tides, cannot find a version of the harmonics database");
  EXPECT_FALSE(w->Location()->Enabled());
  EXPECT_FALSE(fs::exists(preferencesPath()));
}

TEST_F(OpeningTest, RememberedPlaceShowsAsTheOnlyRowUntilThePlacesArrive) {
  for (const std::string place : {"Astoria, Oregon", ""}) {
    remember(place);
    Halvorn* w = open();
    EXPECT_EQ(w->thePlace, place);
    EXPECT_EQ(rows(w->Selector()), std::vector<std::string>{place});
    EXPECT_EQ(w->Selector()->ListIndex(), 0);
    EXPECT_FALSE(w->Selector()->Enabled());
    w->Close();
  }
}

TEST_F(OpeningTest, RememberedPathsFillOnlyAnUnsetOrMissingReference) {
  const std::string existing = pathOf("known/tide"), gone = pathOf("gone/tide");
  const std::string tide = pathOf("remembered/tide"), database = pathOf("remembered/harmonics.tcd");
  makeFile(existing);
  const struct {
    const char* known; // nullptr: unset
    bool remembered;   // else the file holds ""
    bool rememberedWins;
  } cases[] = {{nullptr, true, true},
               {gone.c_str(), true, true},
               {existing.c_str(), true, false},
               {nullptr, false, false},
               {gone.c_str(), false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.known ? c.known : "unset") + (c.remembered ? " remembered" : ""));
    std::optional<fw::FolderItem> known;
    if (c.known)
      known = fw::FolderItem(c.known);
    toolPaths() = {known, known};
    remember("", c.remembered ? tide : "", c.remembered ? database : "");
    open()->Close();
    EXPECT_EQ(pathOrNone(toolPaths().tidePath), c.rememberedWins ? tide : pathOrNone(known));
    EXPECT_EQ(pathOrNone(toolPaths().hfilepath), c.rememberedWins ? database : pathOrNone(known));
  }
}

TEST_F(OpeningTest, TruncatedPreferencesAreReadAsFarAsTheyGo) {
  const std::string tide = pathOf("tools/tide");
  const std::string place = pstring("Astoria, Oregon");
  const struct {
    std::string bytes, place, tide;
  } cases[] = {
      {"", "", "none"},
      {"\x14"
       "Astor",
       "", "none"}, // the length byte says more than follows
      {place, "Astoria, Oregon", "none"},
      {place + pstring(tide), "Astoria, Oregon", tide},
      {place + pstring(tide).substr(0, 5), "Astoria, Oregon", "none"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    toolPaths() = {};
    writeBytes(preferencesPath(), c.bytes);
    Halvorn* w = open();
    EXPECT_EQ(w->thePlace, c.place);
    EXPECT_EQ(pathOrNone(toolPaths().tidePath), c.tide);
    EXPECT_FALSE(toolPaths().hfilepath);
    w->Close();
  }
}

TEST_F(OpeningTest, UnreadablePreferencesAreLeftAlone) {
  for (const bool folder : {true, false}) {
    fs::remove_all(preferencesPath());
    if (folder)
      fs::create_directory(preferencesPath());
    else
      ASSERT_EQ(::mkfifo(preferencesPath().c_str(), 0600), 0); // must not wait for a writer
    Halvorn* w = open();
    EXPECT_EQ(w->thePlace, "");
    EXPECT_FALSE(toolPaths().tidePath);
    w->Close(); // saving says nothing, and never writes into a folder of that name
    EXPECT_EQ(fs::is_directory(preferencesPath()), folder);
    EXPECT_TRUE(dialogs->calls.empty());
  }
}

// Without any preferences folder the tool and database are looked for beside
// the executable. One test, so that no other test of this program sees the
// files planted there.
TEST_F(OpeningTest, WithoutAPreferencesFolderDefaultsComeFromBesideTheExecutable) {
  writeBytes(pathOf("not a folder"), "");
  ::setenv("XDG_CONFIG_HOME", pathOf("not a folder/config").c_str(), 1);
  const fs::path beside = fw::FolderItem::DefaultFolder().AbsolutePath();
  for (const char* name : {"tide", "harmonics.tcd", "harmonics.txt"})
    if (fs::exists(beside / name))
      GTEST_SKIP() << name << " already lies beside the test program in " << beside;
  const struct {
    std::vector<const char*> planted;
    const char *tide, *database;
  } cases[] = {
      {{}, nullptr, "harmonics.txt"}, // still named, so the listing reports it missing
      {{"tide", "harmonics.tcd", "harmonics.txt"}, "tide", "harmonics.tcd"},
      {{"tide", "harmonics.txt"}, "tide", "harmonics.txt"},
  };
  for (const auto& c : cases) {
    for (const char* name : c.planted)
      makeFile(beside / name);
    toolPaths() = {};
    open()->Close(); // saving has nowhere to go and says nothing
    for (const char* name : c.planted)
      fs::remove(beside / name);
    EXPECT_EQ(pathOrNone(toolPaths().tidePath), c.tide ? (beside / c.tide).string() : "none");
    EXPECT_EQ(pathOrNone(toolPaths().hfilepath), (beside / c.database).string());
  }
  // A reference already known is not replaced by what lies beside the executable.
  makeFile(beside / "tide");
  toolPaths().tidePath = fw::FolderItem("/opt/tides/tide");
  open();
  fs::remove(beside / "tide");
  EXPECT_EQ(pathOrNone(toolPaths().tidePath), "/opt/tides/tide");
  EXPECT_TRUE(dialogs->calls.empty());
}

} // namespace
