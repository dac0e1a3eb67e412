// A main window's opening (dates, remembered place and paths, defaults beside
// the executable, the place-list request) and closing.

#include "WindowTestFixture.h"
#include "fw/Date.h"

#include <sys/stat.h>

namespace {

using namespace windowtest;

class OpeningTest : public WindowTest {
protected:
  void remember(const std::string& place, const std::string& tide, const std::string& database) {
    writeBytes(preferencesPath(), preferencesBytes(place, tide, database));
  }
  static std::string pathOr(const std::optional<fw::FolderItem>& item, const char* none = "nil") {
    return item ? item->AbsolutePath() : none;
  }
};

TEST_F(OpeningTest, DatesSpanTheComingWeek) {
  const fw::Date before;
  Halvorn* w = open();
  const fw::Date after;
  // The clock may pass midnight while the window opens.
  EXPECT_TRUE(w->StartDate()->Text() == before.ShortDate() ||
              w->StartDate()->Text() == after.ShortDate())
      << w->StartDate()->Text();
  const auto weekLater = [](fw::Date d) {
    d.SetTotalSeconds(d.TotalSeconds() + 604800);
    return d.ShortDate();
  };
  EXPECT_TRUE(w->EndDate()->Text() == weekLater(before) || w->EndDate()->Text() == weekLater(after))
      << w->EndDate()->Text();
}

TEST_F(OpeningTest, FirstRunWithoutPreferencesTakesNoDefaults) {
  Halvorn* w = open();
  EXPECT_EQ(w->thePlace, "");
  EXPECT_EQ(w->Selector()->ListCount(), 0);
  // No default beside the executable is taken while a preferences folder exists.
  EXPECT_FALSE(toolPaths().tidePath);
  EXPECT_FALSE(toolPaths().hfilepath);
  EXPECT_EQ(w->Status()->Text(),
            "Cannot find tides, cannot find a version of the harmonics database");
  EXPECT_FALSE(fs::exists(preferencesPath()));
}

TEST_F(OpeningTest, RememberedPlaceShowsAsTheOnlyRowUntilThePlacesArrive) {
  for (const std::string place : {"Astoria, Oregon", ""}) {
    remember(place, "", "");
    Halvorn* w = open();
    EXPECT_EQ(w->thePlace, place);
    EXPECT_EQ(rows(w->Selector()), std::vector<std::string>{place});
    EXPECT_EQ(w->Selector()->ListIndex(), 0);
    EXPECT_FALSE(w->Selector()->Enabled());
    w->Close();
  }
}

TEST_F(OpeningTest, RememberedPathsListThePlaces) {
  if (!haveRealPredictor())
    GTEST_SKIP() << "the build has no predictor or database in " << resources();
  const std::string tide = (resources() / "tide").string();
  const std::string database = (resources() / "harmonics.tcd").string();
  remember("Seattle, Puget Sound, Washington", tide, database);
  Halvorn* w = open();
  EXPECT_EQ(pathOr(toolPaths().tidePath), tide);
  EXPECT_EQ(pathOr(toolPaths().hfilepath), database);
  ASSERT_TRUE(waitForPlaces(w)) << w->Status()->Text();
  EXPECT_EQ(w->Status()->Text(), std::to_string(kStationCount) + " locations found");
  EXPECT_EQ(w->thePlace, "Seattle, Puget Sound, Washington");
}

// What the application knows, what the file remembers, what stands after.
struct PathCase {
  const char* name;
  enum Known { None, Existing, Missing } known;
  bool remembered; // else the file holds ""
  bool rememberedWins;
};

// Cases print by name in test listings.
void PrintTo(const PathCase& c, std::ostream* os) {
  *os << c.name;
}

class RememberedPathTest : public OpeningTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(RememberedPathTest, FillsOnlyAnUnsetOrMissingReference) {
  const PathCase& c = GetParam();
  const fs::path existing = home / "known" / "tide";
  makeFile(existing);
  const std::string rememberedTide = (home / "remembered" / "tide").string();
  const std::string rememberedDatabase = (home / "remembered" / "harmonics.tcd").string();
  std::optional<fw::FolderItem> known;
  if (c.known == PathCase::Existing)
    known = fw::FolderItem(existing.string());
  if (c.known == PathCase::Missing)
    known = fw::FolderItem((home / "gone" / "tide").string());
  toolPaths().tidePath = known;
  toolPaths().hfilepath = known;
  remember("", c.remembered ? rememberedTide : "", c.remembered ? rememberedDatabase : "");

  open();
  EXPECT_EQ(pathOr(toolPaths().tidePath), c.rememberedWins ? rememberedTide : pathOr(known));
  EXPECT_EQ(pathOr(toolPaths().hfilepath), c.rememberedWins ? rememberedDatabase : pathOr(known));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RememberedPathTest,
    ::testing::Values(PathCase{"UnsetTakesTheRememberedPath", PathCase::None, true, true},
                      PathCase{"MissingFileTakesTheRememberedPath", PathCase::Missing, true, true},
                      PathCase{"ExistingFileStays", PathCase::Existing, true, false},
                      PathCase{"EmptyRememberedPathLeavesUnset", PathCase::None, false, false},
                      PathCase{"EmptyRememberedPathLeavesMissing", PathCase::Missing, false,
                               false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OpeningTest, TruncatedPreferencesAreReadAsFarAsTheyGo) {
  struct Case {
    std::string bytes;
    std::string place;
    std::string tide;
  };
  const std::string tide = (home / "tools" / "tide").string();
  const std::vector<Case> cases = {
      {"", "", "nil"},
      {std::string(1, '\x14') + "Astor", "", "nil"}, // length byte says more than follows
      {pstring("Astoria, Oregon"), "Astoria, Oregon", "nil"},
      {pstring("Astoria, Oregon") + pstring(tide), "Astoria, Oregon", tide},
      {pstring("Astoria, Oregon") + pstring(tide).substr(0, 5), "Astoria, Oregon", "nil"},
  };
  for (const Case& c : cases) {
    toolPaths() = ToolPaths{};
    writeBytes(preferencesPath(), c.bytes);
    Halvorn* w = open();
    EXPECT_EQ(w->thePlace, c.place) << testing::PrintToString(c.bytes);
    EXPECT_EQ(pathOr(toolPaths().tidePath), c.tide) << testing::PrintToString(c.bytes);
    EXPECT_FALSE(toolPaths().hfilepath);
    w->Close();
  }
}

TEST_F(OpeningTest, UnreadablePreferencesAreLeftAlone) {
  for (const char* kind : {"folder", "fifo"}) {
    fs::remove_all(preferencesPath());
    if (std::string(kind) == "folder")
      fs::create_directory(preferencesPath());
    else
      ASSERT_EQ(::mkfifo(preferencesPath().c_str(), 0600), 0);
    Halvorn* w = open();
    EXPECT_EQ(w->thePlace, "") << kind;
    EXPECT_EQ(w->Selector()->ListCount(), 0) << kind;
    EXPECT_FALSE(toolPaths().tidePath) << kind;
    w->Close(); // saving says nothing, and never writes into a folder of that name
    if (std::string(kind) == "folder") {
      EXPECT_TRUE(fs::is_directory(preferencesPath()));
    }
  }
}

TEST_F(OpeningTest, ClosingRemembersThePlaceOfTheWindowClosedLast) {
  Halvorn* first = open();
  Halvorn* second = open();
  first->thePlace = "Astoria, Oregon";
  second->thePlace = "West Seattle";
  toolPaths().tidePath = fw::FolderItem("/opt/tides/tide");
  second->Close();
  EXPECT_EQ(preferences(), preferencesBytes("West Seattle", "/opt/tides/tide", ""));
  first->Close();
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon", "/opt/tides/tide", ""));
}

// Without any preferences folder the tool and database are looked for beside
// the executable. One test, so that the files planted there are never seen by
// another test of this program.
TEST_F(OpeningTest, WithoutAPreferencesFolderDefaultsComeFromBesideTheExecutable) {
  const fs::path blocker = home / "not a folder";
  writeBytes(blocker, "");
  environment.set("XDG_CONFIG_HOME", (blocker / "config").string());
  const fs::path beside = fw::FolderItem::DefaultFolder().AbsolutePath();
  for (const char* name : {"tide", "harmonics.tcd", "harmonics.txt"})
    if (fs::exists(beside / name))
      GTEST_SKIP() << name << " already lies beside the test program in " << beside;

  struct Case {
    std::vector<const char*> planted;
    std::string tide;
    std::string database;
  };
  const std::string tide = (beside / "tide").string();
  const std::string tcd = (beside / "harmonics.tcd").string();
  const std::string txt = (beside / "harmonics.txt").string();
  const std::vector<Case> cases = {
      {{}, "nil", txt}, // a missing database is still named, so the listing reports it
      {{"tide", "harmonics.tcd", "harmonics.txt"}, tide, tcd},
      {{"tide", "harmonics.txt"}, tide, txt},
  };
  for (const Case& c : cases) {
    for (const char* name : c.planted)
      makeFile(beside / name);
    toolPaths() = ToolPaths{};
    Halvorn* w = open();
    EXPECT_EQ(pathOr(toolPaths().tidePath), c.tide);
    EXPECT_EQ(pathOr(toolPaths().hfilepath), c.database);
    w->Close(); // saving has nowhere to go and says nothing
    for (const char* name : c.planted)
      fs::remove(beside / name);
  }

  // A reference already known is not replaced by what lies beside the executable.
  makeFile(beside / "tide");
  toolPaths().tidePath = fw::FolderItem("/opt/tides/tide");
  toolPaths().hfilepath = fw::FolderItem("/opt/tides/harmonics.tcd");
  open();
  fs::remove(beside / "tide");
  EXPECT_EQ(pathOr(toolPaths().tidePath), "/opt/tides/tide");
  EXPECT_EQ(pathOr(toolPaths().hfilepath), "/opt/tides/harmonics.tcd");
}

} // namespace
