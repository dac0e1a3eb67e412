#include "HalvornWindowFixture.h"
#include "engine/LocationGetter.h"
#include "fw/Text.h"

#include <QTest>

namespace {

class PlacesTest : public HalvornWindowTest {
protected:
  // A window whose place list is the given names, without running the predictor.
  Halvorn* openWithPlaces(const std::vector<std::string>& names) {
    Halvorn* w = open();
    w->GetLocationsShell()->locations = names;
    w->GetLocationsShell_HaveLocations();
    return w;
  }
};

// The first run: no tools known, so Return asks for their folder and lists the places.
TEST_F(PlacesTest, ReturnWithNoPlacesTakesTheToolFolderAndTypingPicksAPlaceThatOutlivesTheWindow) {
  if (!predictorBuilt())
    GTEST_SKIP() << "the predictor is not built in " << HALVORN_RESOURCES_DIR;
  dialogs->answerFolder(HALVORN_RESOURCES_DIR);
  Halvorn* w = open();
  EXPECT_TRUE(w->Location_KeyDown("\r"));
  EXPECT_EQ(dialogs->count(DialogCall::Kind::SelectFolder), 1);
  EXPECT_EQ(w->Status()->Text(), "0 matches found");
  ASSERT_TRUE(QTest::qWaitFor([w] { return w->Status()->Text() == "5407 locations found"; }, 30000))
      << w->Status()->Text();
  // Filling the popup chooses nothing; choosing a row by hand selects it.
  EXPECT_EQ(std::tuple(w->Selector()->ListCount(), w->Location()->Enabled(),
                       w->Selector()->Enabled(), w->thePlace),
            std::tuple(5407, true, true, ""));
  w->Selector()->SetListIndex(1);
  const std::string second = w->Selector()->List(1);
  EXPECT_EQ(std::pair(w->Status()->Text(), w->thePlace), std::pair("Selected: " + second, second));

  QTest::keyClicks(w->Location()->widget(), "seattle");
  QTest::keyClick(w->Location()->widget(), Qt::Key_Return);
  const std::string seattle = "Seattle, Puget Sound, Washington"; // the only one
  EXPECT_EQ(std::tuple(rows(w->Selector()), w->Status()->Text(), w->thePlace),
            std::tuple(std::vector{seattle}, "1 matches found", seattle));
  EXPECT_EQ(open()->thePlace, seattle);
}

TEST_F(PlacesTest, ReturnKeepsTheNamesHoldingTheTextCutTo52CharactersAndTrimmed) {
  const std::string longName = "Somewhere with a very long name, " + std::string(30, 'x');
  const std::string accented = std::string(50, 'e') + "éé long tail";
  const std::vector<std::string> places = {"Seattle, Washington", "West Seattle", "Île d'Yeu",
                                           "  Padded Cove  ",     longName,       accented};
  const std::string cutAccented = std::string(50, 'e') + "éé";
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {places[0], places[1], places[2], "Padded Cove", fw::Left(longName, 52), cutAccented}},
      {"SEATTLE", {"Seattle, Washington", "West Seattle"}},
      {"île", {"Île d'Yeu"}},
      {"tail", {cutAccented}},
      {"Honolulu", {}},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text);
    Halvorn* w = openWithPlaces(places);
    w->thePlace = ""; // not the one the last row remembered
    w->Location()->SetText(text);
    EXPECT_TRUE(w->Location_KeyDown("\r"));
    EXPECT_EQ(rows(w->Selector()), expected);
    EXPECT_EQ(w->Status()->Text(), std::to_string(expected.size()) + " matches found");
    EXPECT_EQ(w->thePlace, expected.empty() ? "" : expected.front());
  }
}

} // namespace
