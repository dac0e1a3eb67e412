// Six-decimal levels must read exactly as printf writes them.

#include "predictor/FixedDecimal.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

namespace {

std::string printed(double value, int decimals) {
  char text[512];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string fixed(double value, int decimals) {
  std::string out;
  tide::appendFixed(out, value, decimals);
  return out;
}

TEST(FixedDecimal, EdgeValuesMatchPrintf) {
  for (const double value :
       {0.0, -0.0, 1.0, -1.0, 0.5, 6.078608, -0.114314, 9.9999995, 0.0000005, 0.0000015, -0.0000004,
        2.5e-7, 123456.7890125, 1e9, -1e12, 1e300, std::nan(""), HUGE_VAL})
    for (const int decimals : {0, 4, 6})
      EXPECT_EQ(fixed(value, decimals), printed(value, decimals)) << value;
}

TEST(FixedDecimal, RandomLevelsMatchPrintf) {
  std::mt19937_64 random(20261205);
  std::uniform_real_distribution<double> level(-30, 30);
  for (int i = 0; i < 200000; ++i) {
    const double value = level(random);
    ASSERT_EQ(fixed(value, 6), printed(value, 6)) << value;
  }
  // Values a hair from a rounding edge, where a careless product would tip.
  for (long long units = -2000000; units <= 2000000; units += 7) {
    const double edge = (static_cast<double>(units) + 0.5) / 1e6;
    for (const double value : {std::nextafter(edge, 0.0), edge, std::nextafter(edge, 1e9)})
      ASSERT_EQ(fixed(value, 6), printed(value, 6)) << value;
  }
}

} // namespace
