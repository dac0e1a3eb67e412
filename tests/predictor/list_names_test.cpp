// Shortening names to fit the list's 51 columns while keeping them apart.

#include "predictor/ListNames.h"

#include <gtest/gtest.h>

using tide::ListNames;

namespace {

TEST(ListNames, ShortNamesStayAsTheyAre) {
  EXPECT_EQ(ListNames::shorten("Seattle, Puget Sound, Washington"),
            "Seattle, Puget Sound, Washington");
  const std::string exactlyFull(ListNames::width, 'x');
  EXPECT_EQ(ListNames::shorten(exactlyFull), exactlyFull);
}

TEST(ListNames, LongNamesAreShortenedStepByStepKeepingTheirEnding) {
  const struct {
    const char* full;
    const char* list;
  } cases[] = {
      // The state alone is enough.
      {"Pass Christian Yacht Club, Mississippi Sound, Mississippi",
       "Pass Christian Yacht Club, Mississippi Sound, MS"},
      // State, depth and compass words; "Current" stays.
      {"Dalco Passage (Depth 167.5ft), Puget Sound, Washington Current",
       "Dalco Passage (167.5ft), Puget Sound, WA Current"},
      {"Mare Island Naval Shipyard, Carquinez Strait, California (sub)",
       "Mare I. Naval Shipyard, Carquinez Strait, CA (sub)"},
      // Cut at a word, the depth that tells it apart kept.
      {"Point Colville, 3.0 nm E of (Lawson Reef, 1 nm NW of) (Depth 165ft), Washington Current",
       "Pt. Colville, 3.0 nm E of (Lawson (165ft) Current"},
  };
  for (const auto& c : cases) {
    const std::string list = ListNames::shorten(c.full);
    EXPECT_EQ(list, c.list) << c.full;
    EXPECT_LE(list.size(), ListNames::width);
  }
}

TEST(ListNames, CutsNeverSplitACharacterNorLeaveBlanks) {
  // The 51st byte is the first half of "ü".
  const std::string accented = std::string(50, 'a') + "\xC3\xBCx and more";
  EXPECT_EQ(ListNames::shorten(accented), std::string(50, 'a'));
  EXPECT_EQ(ListNames::shorten("  Spaced   out\tname  "), "Spaced out name");
}

TEST(ListNames, ClashesAreNumberedAndNamesThatFitWinOverShortenedOnes) {
  const std::string longName = "A very long station name, " + std::string(40, 'z') + ", Alaska";
  const std::string shortened = ListNames::shorten(longName);
  const std::vector<std::string> full{longName, longName + " ", shortened, "seattle", "Seattle"};
  const auto names = ListNames::make(full);
  ASSERT_EQ(names.size(), full.size());
  EXPECT_EQ(names[2], shortened) << "a name that fits keeps itself";
  EXPECT_EQ(names[3], "seattle");
  EXPECT_EQ(names[4], "Seattle #2") << "names differing only in case clash";
  EXPECT_NE(names[0], names[1]);
  for (const auto& name : {names[0], names[1]}) {
    EXPECT_LE(name.size(), ListNames::width);
    EXPECT_NE(name, shortened);
    EXPECT_NE(name.find(" #"), std::string::npos) << name;
  }
}

} // namespace
