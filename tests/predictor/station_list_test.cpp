// List mode and the lookup that reads its names back: every station once,
// every list name unique within the columns a reader keeps, and every list
// name selecting its own station.

#include "TideRun.h"
#include "predictor/HarmonicsDatabase.h"
#include "predictor/ListNames.h"
#include "predictor/StationCatalog.h"
#include "predictor/Text.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

using tidetest::predict;

namespace {

constexpr std::size_t stationsInDatabase = 5407;

std::string lowered(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(StationList, ListModeHasHeadingBlankLineAndOneUniqueNamePerStation) {
  // Halvorn's own command puts the database's path right after -l.
  const auto result = tidetest::runTide({"-l" + tidetest::databasePath, "-ml"});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto output = tidetest::lines(result.out);
  ASSERT_EQ(output.size(), 2 + stationsInDatabase);
  EXPECT_TRUE(std::regex_match(
      output[0],
      std::regex("Location list generated \\d{4}-\\d\\d-\\d\\d [ 1]\\d:\\d\\d [AP]M UTC")))
      << output[0];
  EXPECT_EQ(output[1], "");
  const std::regex station(R"(.{51} (Ref|Sub) \d+\.\d{4}° [NS], \d+\.\d{4}° [EW])");
  std::set<std::string> seen;
  for (std::size_t i = 2; i < output.size(); ++i) {
    const std::string& line = output[i];
    // What a reader keeps: the first 52 bytes, trimmed.
    std::string kept = line.substr(0, 52);
    kept.erase(kept.find_last_not_of(' ') + 1);
    EXPECT_TRUE(seen.insert(lowered(kept)).second) << kept;
    EXPECT_LE(kept.size(), tide::ListNames::width);
    EXPECT_EQ(line[kept.size()], ' ') << line;
    if (line.size() == tide::utf8Columns(line) + 2) { // the degree signs only
      EXPECT_TRUE(std::regex_match(line, station)) << line;
    }
  }
  EXPECT_EQ(output[2].substr(0, 2), "0."); // sorted by name, digits first
  EXPECT_NE(result.out.find("\nMayag\u00fcez, Puerto Rico  "), std::string::npos);
}

TEST(StationList, LookupTakesListNamesFullNamesAndPrefixesWhateverTheirCase) {
  const auto at = [](const std::string& name) {
    const auto result = predict(name, "2026-06-21 12:00", "2026-06-21 12:15");
    EXPECT_EQ(result.status, 0) << name << ": " << result.err;
    return result.out;
  };
  // The first of several stations whose full names start "Point Colville".
  const std::string first = at("Pt. Colville, 1.4 nm E of (134.3ft) Current");
  const std::string deep = at("PT. COLVILLE, 3.0 NM E OF (LAWSON (46.9FT) CURRENT");
  EXPECT_NE(first, deep);
  EXPECT_EQ(at("point colville"), first);
  EXPECT_EQ(at("Point Colville, 3.0 nm E of (Lawson Reef, 1 nm NW of) (Depth 46.9ft), Washington "
               "Current"),
            deep);
  EXPECT_EQ(at("SEATTLE, puget sound, washington"), at(tidetest::seattle));
}

TEST(StationList, EveryListNameSelectsItsOwnStationWhateverItsCase) {
  tide::HarmonicsDatabase database;
  tide::StationCatalog catalog;
  ASSERT_EQ(catalog.load({tidetest::databasePath}, database), std::nullopt);
  // A catalog that has not made its list yet must find the same stations.
  tide::StationCatalog fresh;
  fresh.assign(database.headers());
  ASSERT_EQ(catalog.list().size(), stationsInDatabase);
  const auto recordOf = [](const std::optional<tide::StationHeader>& found) {
    return found ? found->record : -1;
  };
  for (const auto& station : catalog.list()) {
    EXPECT_EQ(recordOf(catalog.find(lowered(station.listName))), station.record)
        << station.listName;
    EXPECT_EQ(recordOf(fresh.find(station.listName)), station.record) << station.listName;
  }
}

} // namespace
