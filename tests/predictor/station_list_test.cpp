// List mode and the lookup that reads its names back: every station once,
// every list name unique within the columns a reader keeps, and every list
// name selecting its own station. And what the predictor prints in the cases
// the real database and the reference values do not reach: a level a hair
// from a rounding edge, a name cut mid-character.

#include "TideRun.h"
#include "predictor/FixedDecimal.h"
#include "predictor/HarmonicsDatabase.h"
#include "predictor/ListNames.h"
#include "predictor/StationCatalog.h"
#include "predictor/Text.h"

#include <cmath>
#include <cstdio>
#include <gmock/gmock.h>
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

// Each list name must also select its own station, whatever its case, in a
// catalog that has not made its list yet.
TEST(StationList, ListModeHasHeadingBlankLineAndOneUniqueNameSelectingEachStation) {
  tide::HarmonicsDatabase database;
  tide::StationCatalog catalog, fresh;
  ASSERT_EQ(catalog.load({tidetest::databasePath}, database), std::nullopt);
  fresh.assign(database.headers());
  // Halvorn's own command puts the database's path right after -l.
  const auto result = tidetest::runTide({"-l" + tidetest::databasePath, "-ml"});
  ASSERT_EQ(result.status, 0) << result.err;
  const auto output = tidetest::lines(result.out);
  ASSERT_EQ(output.size(), 2 + stationsInDatabase);
  ASSERT_EQ(catalog.list().size(), stationsInDatabase);
  EXPECT_THAT(output[0], testing::MatchesRegex("Location list generated [0-9]{4}-[0-9]{2}-[0-9]{2} "
                                               "[ 1][0-9]:[0-9]{2} [AP]M UTC"));
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
    const auto found = fresh.find(i % 2 ? lowered(kept) : kept); // half in lower case
    EXPECT_EQ(found ? found->record : -1, catalog.list()[i - 2].record) << kept;
  }
  EXPECT_EQ(output[2].substr(0, 2), "0."); // sorted by name, digits first
  EXPECT_NE(result.out.find("\nMayag\u00fcez, Puerto Rico  "), std::string::npos);
  // Cuts that the real names do not reach.
  // The 51st byte is the first half of "ü".
  EXPECT_EQ(tide::ListNames::shorten(std::string(50, 'a') + "\xC3\xBCx and more"),
            std::string(50, 'a'));
  EXPECT_EQ(tide::ListNames::shorten("  Spaced   out\tname  "), "Spaced out name");
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

void expectAsPrintf(double value, int decimals) {
  char text[512];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string out;
  tide::appendFixed(out, value, decimals);
  ASSERT_EQ(out, text) << value;
}

TEST(FixedDecimal, MatchesPrintf) {
  for (const double value : {0.0, -0.0, -1.0, 0.5, 6.078608, -0.114314, 9.9999995, 0.0000005,
                             -0.0000004, 123456.7890125, -1e12, 1e300, std::nan(""), HUGE_VAL})
    for (const int decimals : {0, 4, 6})
      expectAsPrintf(value, decimals);
  for (long long units = -2000000; units <= 2000000; units += 7) {
    const double edge = (static_cast<double>(units) + 0.5) / 1e6;
    for (const double value : {std::nextafter(edge, 0.0), edge, std::nextafter(edge, 1e9)})
      expectAsPrintf(value, 6);
  }
}

} // namespace
