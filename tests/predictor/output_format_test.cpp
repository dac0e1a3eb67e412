// What the predictor prints, in the cases the real database and the reference
// values do not reach: a level a hair from a rounding edge, a name cut mid-character.

#include "predictor/FixedDecimal.h"
#include "predictor/ListNames.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

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

TEST(ListNames, CutsNeverSplitACharacterNorLeaveBlanks) {
  // The 51st byte is the first half of "ü".
  EXPECT_EQ(tide::ListNames::shorten(std::string(50, 'a') + "\xC3\xBCx and more"),
            std::string(50, 'a'));
  EXPECT_EQ(tide::ListNames::shorten("  Spaced   out\tname  "), "Spaced out name");
}

} // namespace
