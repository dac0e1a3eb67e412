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

namespace {

constexpr std::size_t stationsInDatabase = 5407;

std::string lowered(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

TEST(StationList, ListModeHasHeadingBlankLineAndOneFixedColumnLinePerStation) {
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
}

class Catalog : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    database_ = new tide::HarmonicsDatabase;
    catalog_ = new tide::StationCatalog;
    ASSERT_EQ(catalog_->load({tidetest::databasePath}, *database_), std::nullopt);
  }
  static void TearDownTestSuite() {
    delete catalog_;
    delete database_;
  }
  static tide::HarmonicsDatabase* database_;
  static tide::StationCatalog* catalog_;
};

tide::HarmonicsDatabase* Catalog::database_ = nullptr;
tide::StationCatalog* Catalog::catalog_ = nullptr;

TEST_F(Catalog, EveryListNameSelectsItsOwnStationWhateverItsCase) {
  tide::StationCatalog fresh;
  fresh.assign(database_->headers());
  const auto& stations = catalog_->list();
  ASSERT_EQ(stations.size(), stationsInDatabase);
  std::size_t shortened = 0;
  for (const auto& station : stations) {
    shortened += station.listName != station.name;
    const auto found = catalog_->find(lowered(station.listName));
    ASSERT_TRUE(found) << station.listName;
    EXPECT_EQ(found->record, station.record) << station.listName;
    // A catalog that has not made its list yet finds the same station.
    EXPECT_EQ(fresh.find(station.listName)->record, station.record) << station.listName;
  }
  EXPECT_GT(shortened, 2000u);
}

TEST_F(Catalog, FullNamesAndPrefixesFindTheFirstStationInListOrder) {
  const std::string currentName = "Point Colville, 3.0 nm E of (Lawson Reef, 1 nm NW of) (Depth "
                                  "46.9ft), Washington Current";
  const auto byFullName = catalog_->find(currentName);
  ASSERT_TRUE(byFullName);
  EXPECT_EQ(byFullName->name, currentName);
  EXPECT_NE(byFullName->listName, currentName);
  EXPECT_NE(byFullName->listName.find("46.9ft"), std::string::npos) << byFullName->listName;

  const auto byPrefix = catalog_->find("point colville");
  ASSERT_TRUE(byPrefix);
  for (const auto& station : catalog_->list()) {
    if (tide::startsWithIgnoringCase(station.name, "Point Colville") ||
        tide::startsWithIgnoringCase(station.listName, "Point Colville")) {
      EXPECT_EQ(byPrefix->record, station.record);
      break;
    }
  }
  EXPECT_FALSE(catalog_->find(""));
  EXPECT_FALSE(catalog_->find("Seattle, Puget Sound, Washington, but longer"));
}

TEST_F(Catalog, NamesOutsideAsciiComeOutInUtf8) {
  const auto found = catalog_->find("Mayag\xC3\xBC"
                                    "ez, Puerto Rico");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "Mayag\xC3\xBC"
                         "ez, Puerto Rico");
}

} // namespace
