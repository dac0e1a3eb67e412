#include "fw/Text.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>
#include <vector>

namespace {

using namespace fw;

TEST(Text, Val_ReadsTheLongestNumberPrefix) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  const std::pair<const char*, double> cases[] = {
      {"3.45 ft", 3.45}, {"1:30", 1},      {"abc", 0},     {".5", 0.5},      {"+2", 2},
      {"1e+", 1},        {"2E-2ft", 0.02}, {"1.2.3", 1.2}, {"- 5", 0},       {"0x1F", 0},
      {"\r\n5", 5},      {"1,5", 1},       {"1e-999", 0},  {"-1e999", -inf}, {" \t-7.25x", -7.25},
  };
  for (const auto& [text, value] : cases)
    EXPECT_DOUBLE_EQ(Val(text), value) << '"' << text << '"';
}

TEST(Text, Str_GivesTheShortestTextThatReadsBack) {
  const std::pair<double, const char*> cases[] = {
      {4, "4"},        {-0.3, "-0.3"},     {-0.0, "0"}, {6.078608, "6.078608"},
      {1e20, "1e+20"}, {0.0001, "0.0001"},
  };
  for (const auto& [value, text] : cases)
    EXPECT_EQ(Str(value), text) << value;
  for (double v : {0.1, 1.0 / 3, -2.5e-7, 6.02214076e23, 123.456})
    EXPECT_EQ(Val(Str(v)), v) << Str(v);
}

TEST(Text, Format_PadsWithZeros) {
  const std::tuple<double, const char*, const char*> cases[] = {
      {2026, "0000", "2026"}, {5, "00", "05"},   {123, "00", "123"}, {-5, "00", "-05"},
      {2.5, "0", "3"},        {-2.5, "0", "-3"}, {-0.2, "00", "00"},
  };
  for (const auto& [value, pattern, text] : cases)
    EXPECT_EQ(Format(value, pattern), text) << value << " " << pattern;
}

TEST(Text, CharacterFormsCountUtf8AndByteFormsCountBytes) {
  const std::string t = "Bahía Blanca"; // í is two bytes
  EXPECT_EQ(Left(t, 4) + "|" + Right(t, 6) + "|" + Mid(t, 4, 2) + "|" + Left("abc", -1) + "|" +
                Mid("a\xFF\xC3z", 2, 2) + "|" + Trim(" \t\r\nSeattle, WA \r\n"),
            "Bahí|Blanca|ía||\xFF\xC3|Seattle, WA");
  EXPECT_EQ((std::vector<long long>{Len(t), InStr(6, "abcabc", "bc"), InStr(2, "éé ÉTÉ", "été"),
                                    TextEquals("Île", "îLE"), ToInt32(-5.65), ToInt32(1e12),
                                    ToInt32(std::nan(""))}),
            (std::vector<long long>{12, 0, 4, 1, -5, INT32_MAX, 0}));
}

} // namespace
