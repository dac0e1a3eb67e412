// The place picker: the real predictor's list into the popup, Return in the
// place field as a filter, a chosen row as the selected place.

#include "WindowTestFixture.h"
#include "engine/LocationGetter.h"
#include "engine/Locations.h"
#include "fw/Text.h"

#include <QLineEdit>
#include <algorithm>
#include <memory>

namespace {

using namespace windowtest;

class PlacesTest : public WindowTest {
protected:
  // A window whose place list is the given names, without running the predictor.
  Halvorn* openWithPlaces(const std::vector<std::string>& names) {
    Halvorn* w = open();
    w->GetLocationsShell()->locations = names;
    w->GetLocationsShell_HaveLocations();
    return w;
  }
  static bool filter(Halvorn* w, const std::string& text) {
    w->Location()->SetText(text);
    return w->Location_KeyDown("\r");
  }
};

// --- With the real predictor and database ---------------------------------

TEST_F(PlacesTest, NewWindowListsEveryPlaceOfTheDatabase) {
  if (!haveRealPredictor())
    GTEST_SKIP() << "the build has no predictor or database in " << resources();
  useRealPredictor();
  Halvorn* w = open();
  EXPECT_FALSE(w->Location()->Enabled());
  EXPECT_FALSE(w->Selector()->Enabled());

  ASSERT_TRUE(waitForPlaces(w)) << w->Status()->Text();
  EXPECT_EQ(w->Status()->Text(), std::to_string(kStationCount) + " locations found");
  EXPECT_EQ(w->Selector()->ListCount(), kStationCount);
  ASSERT_TRUE(w->bigList);
  EXPECT_EQ(w->bigList->nlocations, kStationCount);
  EXPECT_TRUE(w->Location()->Enabled());
  EXPECT_TRUE(w->Selector()->Enabled());
  // Filling the popup chooses nothing.
  EXPECT_EQ(w->thePlace, "");
}

TEST_F(PlacesTest, ReturnFiltersTheRealListAndTheChoiceOutlivesTheWindow) {
  if (!haveRealPredictor())
    GTEST_SKIP() << "the build has no predictor or database in " << resources();
  useRealPredictor();
  Halvorn* w = open();
  ASSERT_TRUE(waitForPlaces(w)) << w->Status()->Text();

  std::vector<std::string> expected;
  for (int i = 0; i < w->bigList->nlocations; ++i)
    if (fw::InStr(w->bigList->location[static_cast<std::size_t>(i)], "SEATTLE") > 0)
      expected.push_back(w->bigList->location[static_cast<std::size_t>(i)]);
  ASSERT_FALSE(expected.empty());

  EXPECT_TRUE(filter(w, "seattle"));
  EXPECT_EQ(rows(w->Selector()), expected);
  EXPECT_EQ(w->Status()->Text(), std::to_string(expected.size()) + " matches found");
  EXPECT_EQ(w->Selector()->ListIndex(), 0);
  EXPECT_EQ(w->thePlace, expected.front());
  EXPECT_EQ(preferences().substr(0, expected.front().size() + 1), pstring(expected.front()));
  // Filtering never shrinks the list it filters from.
  EXPECT_EQ(w->bigList->nlocations, kStationCount);

  Halvorn* second = open();
  EXPECT_EQ(second->thePlace, expected.front());
  EXPECT_EQ(rows(second->Selector()), std::vector<std::string>{expected.front()});
}

TEST_F(PlacesTest, TypedKeysReachTheFieldAndReturnFiltersWithoutEnteringIt) {
  if (!haveRealPredictor())
    GTEST_SKIP() << "the build has no predictor or database in " << resources();
  useRealPredictor();
  Halvorn* w = open();
  ASSERT_TRUE(waitForPlaces(w)) << w->Status()->Text();

  QWidget* field = w->Location()->widget();
  QTest::keyClicks(field, "Seattle");
  EXPECT_EQ(w->Location()->Text(), "Seattle");
  EXPECT_EQ(w->Selector()->ListCount(), kStationCount); // letters filter nothing
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(w->Location()->Text(), "Seattle");
  ASSERT_GT(w->Selector()->ListCount(), 0);
  EXPECT_LT(w->Selector()->ListCount(), kStationCount);
  for (const std::string& row : rows(w->Selector()))
    EXPECT_GT(fw::InStr(row, "seattle"), 0) << row;
  EXPECT_EQ(w->Status()->Text(), std::to_string(w->Selector()->ListCount()) + " matches found");
  EXPECT_EQ(w->thePlace, w->Selector()->List(0));
}

// --- Filtering a known list ----------------------------------------------

const std::vector<std::string> kPlaces = {"Seattle, Puget Sound, Washington",
                                          "Port Townsend, Washington", "Astoria, Oregon",
                                          "West Seattle", "Île d'Yeu"};

struct FilterCase {
  const char* name;
  std::string text;
  std::vector<std::string> rows;
};

// Cases print by name in test listings.
void PrintTo(const FilterCase& c, std::ostream* os) {
  *os << c.name;
}

class FilterTest : public PlacesTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(FilterTest, ReturnKeepsTheNamesHoldingTheText) {
  const FilterCase& c = GetParam();
  Halvorn* w = openWithPlaces(kPlaces);
  EXPECT_TRUE(filter(w, c.text));
  EXPECT_EQ(rows(w->Selector()), c.rows);
  EXPECT_EQ(w->Status()->Text(), std::to_string(c.rows.size()) + " matches found");
  EXPECT_EQ(w->thePlace, c.rows.empty() ? "" : c.rows.front());
  EXPECT_EQ(w->bigList->nlocations, static_cast<int>(kPlaces.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FilterTest,
    ::testing::Values(
        FilterCase{"EmptyTextListsEveryName", "", kPlaces},
        FilterCase{"CaseIgnored", "SEATTLE", {"Seattle, Puget Sound, Washington", "West Seattle"}},
        FilterCase{"InsideAName", "townsend", {"Port Townsend, Washington"}},
        FilterCase{"AccentedLettersFoldToo", "île", {"Île d'Yeu"}},
        FilterCase{"NoMatch", "Honolulu", {}},
        FilterCase{"BlankMatchesNamesWithBlanks",
                   " ",
                   {"Seattle, Puget Sound, Washington", "Port Townsend, Washington",
                    "Astoria, Oregon", "West Seattle", "Île d'Yeu"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlacesTest, KeysOtherThanReturnGoToTheField) {
  Halvorn* w = openWithPlaces(kPlaces);
  w->Location()->SetText("Astoria");
  w->Status()->SetText("before");
  for (const char* key : {"a", "\b", "\t", "\x1b", " ", "\n"})
    EXPECT_FALSE(w->Location_KeyDown(key)) << int(key[0]);
  EXPECT_EQ(w->Selector()->ListCount(), static_cast<int>(kPlaces.size()));
  EXPECT_EQ(w->Status()->Text(), "before");
  EXPECT_EQ(w->thePlace, "");
}

TEST_F(PlacesTest, RowsAreCutTo52CharactersAndTrimmed) {
  const std::string longName = "Somewhere with a very long name, " + std::string(30, 'x');
  const std::string accented = std::string(50, 'e') + "éé long tail";
  Halvorn* w = openWithPlaces({"  padded  ", longName, accented});
  EXPECT_TRUE(filter(w, ""));
  EXPECT_EQ(rows(w->Selector()), (std::vector<std::string>{"padded", fw::Left(longName, 52),
                                                           std::string(50, 'e') + "éé"}));
}

TEST_F(PlacesTest, ReturnWithNoPlacesAsksForTheToolFolderAndListsAgain) {
  if (!haveRealPredictor())
    GTEST_SKIP() << "the build has no predictor or database in " << resources();
  ScopedDialogResponder dialogs;
  dialogs->answerFolder(resources().string());
  Halvorn* w = openWithPlaces({});
  EXPECT_TRUE(w->Location()->Enabled());

  EXPECT_TRUE(filter(w, "seattle"));
  EXPECT_EQ(dialogs->count(DialogCall::Kind::SelectFolder), 1);
  EXPECT_EQ(w->Status()->Text(), "0 matches found");
  EXPECT_EQ(w->Selector()->ListCount(), 0);
  ASSERT_TRUE(toolPaths().hfilepath);

  // The names come later, with the new listing.
  ASSERT_TRUE(waitForPlaces(w)) << w->Status()->Text();
  EXPECT_EQ(w->Selector()->ListCount(), kStationCount);
}

TEST_F(PlacesTest, ReturnWithNoPlacesListsAgainAlsoWhenTheChoiceIsCancelled) {
  ScopedDialogResponder dialogs; // cancels
  Halvorn* w = openWithPlaces({});
  EXPECT_TRUE(filter(w, ""));
  EXPECT_EQ(dialogs->count(DialogCall::Kind::SelectFolder), 1);
  EXPECT_EQ(w->Status()->Text(), "0 matches found");
  EXPECT_FALSE(fs::exists(preferencesPath())); // a cancelled choice writes nothing
}

// --- Choosing a place -----------------------------------------------------

TEST_F(PlacesTest, ChoosingARowSelectsThePlaceAndRemembersIt) {
  Halvorn* w = openWithPlaces(kPlaces);
  w->Selector()->SetListIndex(2);
  EXPECT_EQ(w->Status()->Text(), "Selected: Astoria, Oregon");
  EXPECT_EQ(w->thePlace, "Astoria, Oregon");
  EXPECT_EQ(preferences(), preferencesBytes("Astoria, Oregon", "", ""));
}

TEST_F(PlacesTest, ChoiceWhileChartsUpdateChangesNothing) {
  Halvorn* w = openWithPlaces(kPlaces);
  w->Status()->SetText("before");
  w->updating = true;
  w->Selector()->SetListIndex(1);
  w->updating = false;
  EXPECT_EQ(w->Status()->Text(), "before");
  EXPECT_EQ(w->thePlace, "");
  EXPECT_FALSE(fs::exists(preferencesPath()));
}

TEST_F(PlacesTest, AnEmptyRowClearsTheStatusAndKeepsThePlace) {
  Halvorn* w = openWithPlaces({"", "Astoria, Oregon"});
  w->thePlace = "Astoria, Oregon";
  w->Status()->SetText("before");
  w->Selector()->SetListIndex(0);
  EXPECT_EQ(w->Status()->Text(), "");
  EXPECT_EQ(w->thePlace, "Astoria, Oregon");
  EXPECT_FALSE(fs::exists(preferencesPath()));
}

// --- The listing's outcomes in the window ---------------------------------

TEST_F(PlacesTest, NoKnownDatabaseIsToldInTheStatusLine) {
  Halvorn* w = open();
  EXPECT_EQ(w->Status()->Text(),
            "Cannot find tides, cannot find a version of the harmonics database");
  EXPECT_FALSE(w->Location()->Enabled());
  EXPECT_FALSE(w->Selector()->Enabled());
}

TEST_F(PlacesTest, AFailedListingEnablesThePickerWithTheEarlierNames) {
  const fs::path tools = home / "failing";
  fs::create_directories(tools);
  writeBytes(tools / "tide", "#!/bin/sh\necho cannot read the database\nexit 3\n");
  fs::permissions(tools / "tide", fs::perms::owner_all);
  makeFile(tools / "harmonics.tcd");
  toolPaths().tidePath = fw::FolderItem((tools / "tide").string());
  toolPaths().hfilepath = fw::FolderItem((tools / "harmonics.tcd").string());

  Halvorn* w = open();
  ASSERT_TRUE(waitForPlaces(w)) << w->Status()->Text();
  EXPECT_EQ(w->Status()->Text(), "Unable to get the location list");
  EXPECT_TRUE(w->Location()->Enabled());
  EXPECT_TRUE(w->Selector()->Enabled());
  EXPECT_EQ(w->Selector()->ListCount(), 0);
  ASSERT_TRUE(w->bigList);
  EXPECT_EQ(w->bigList->nlocations, 0);

  // A later failure hands back the names of the last listing that worked.
  w->GetLocationsShell()->locations = {"Astoria, Oregon"};
  w->GetLocations();
  w->Status()->SetText("");
  ASSERT_TRUE(waitForPlaces(w)) << w->Status()->Text();
  EXPECT_EQ(rows(w->Selector()), std::vector<std::string>{"Astoria, Oregon"});
  EXPECT_EQ(w->bigList->nlocations, 1);
}

} // namespace
