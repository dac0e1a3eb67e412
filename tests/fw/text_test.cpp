#include "fw/Text.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <random>
#include <tuple>

namespace {

using namespace fw;

TEST(Text, Val_ReadsTheLongestNumberPrefix) {
  const std::pair<const char*, double> cases[] = {
      {"3.45 ft", 3.45}, {"1:30", 1},      {"abc", 0},     {".5", 0.5}, {"+2", 2},
      {"1e+", 1},        {"2E-2ft", 0.02}, {"1.2.3", 1.2}, {"- 5", 0},  {"0x1F", 0},
      {"\r\n5", 5},      {"1,5", 1},       {"1e-999", 0},
  };
  for (const auto& [text, value] : cases)
    EXPECT_DOUBLE_EQ(Val(text), value) << '"' << text << '"';
  EXPECT_DOUBLE_EQ(Val("  \t-7.25x"), -7.25);
  EXPECT_DOUBLE_EQ(Val("-0.114314"), -0.114314);
  EXPECT_EQ(Val("-1e999"), -std::numeric_limits<double>::infinity());
}

TEST(Text, Str_GivesTheShortestTextThatReadsBack) {
  const std::pair<double, const char*> cases[] = {
      {4, "4"},        {-0.3, "-0.3"},     {-0.0, "0"}, {6.078608, "6.078608"},
      {1e20, "1e+20"}, {0.0001, "0.0001"},
  };
  for (const auto& [value, text] : cases)
    EXPECT_EQ(Str(value), text) << value;
  EXPECT_EQ(Str(0.753787f), "0.753787");
  for (double v : {0.1, 1.0 / 3, -2.5e-7, 6.02214076e23, 123.456})
    EXPECT_EQ(Val(Str(v)), v) << Str(v);
  for (float v : {0.1f, 1.0f / 3, -6.078608f})
    EXPECT_EQ(static_cast<float>(Val(Str(v))), v) << Str(v);
}

TEST(Text, Format_PadsWithZeros) {
  const std::tuple<double, const char*, const char*> cases[] = {
      {2026, "0000", "2026"}, {5, "00", "05"},      {123, "00", "123"}, {-5, "00", "-05"},
      {2.5, "0", "3"},        {-2.5, "0", "-3"},    {-0.2, "00", "00"}, {3.14159, "0.00", "3.14"},
      {0.5, "#.##", ".5"},    {2.0, "0.0#", "2.0"},
  };
  for (const auto& [value, pattern, text] : cases)
    EXPECT_EQ(Format(value, pattern), text) << value << " " << pattern;
}

TEST(Text, CharacterFormsCountUtf8AndByteFormsCountBytes) {
  const std::string t = "Bahía Blanca"; // í is two bytes
  const std::string broken = "a\xFF\xC3z";
  const std::pair<std::string, std::string> texts[] = {
      {Left(t, 4), "Bahí"},
      {Right(t, 6), "Blanca"},
      {Mid(t, 4, 2), "ía"},
      {LeftB(t, 4), "Bah\xC3"},
      {MidB(t, 8, 3), "Bla"},
      {RightB(t, 3), "nca"},
      {Left("abc", -1), ""},
      {MidB("abc", 2, 99), "bc"},
      {Mid(broken, 2, 2), "\xFF\xC3"},
      {Trim(" \t\r\nSeattle, WA \r\n"), "Seattle, WA"},
      {Lowercase("ÉTÉ Ab\xFF"), "été ab\xFF"},
      {Chr(0xE9), "é"},
  };
  for (std::size_t i = 0; i < std::size(texts); ++i)
    EXPECT_EQ(texts[i].first, texts[i].second) << "row " << i;

  const std::pair<long long, long long> numbers[] = {
      {Len(t), 12},
      {Len(broken), 4},
      {InStr(t, "blanca"), 7},
      {InStrB(t, "blanca"), 8},
      {InStr(3, "abcabc", "bc"), 5},
      {InStr(6, "abcabc", "bc"), 0},
      {InStr(2, "éé ÉTÉ", "été"), 4},
      {TextEquals("Île", "îLE"), true},
      {Asc("é"), 0xE9},
      {Asc(Chr(0x1F30A)), 0x1F30A},
      {ToInt32(5.65), 5},
      {ToInt32(-5.65), -5},
      {ToInt32(1e12), std::numeric_limits<std::int32_t>::max()},
      {ToInt32(std::nan("")), 0},
  };
  for (std::size_t i = 0; i < std::size(numbers); ++i)
    EXPECT_EQ(numbers[i].first, numbers[i].second) << "row " << i;
}

TEST(Text, AnyBytes_SplitAndJoinWithoutLoss) {
  std::mt19937 random(20261205);
  const char* fragments[] = {"a",    "\xC3\xA9", "\xF0\x9F\x8C\x8A", "\r", "\xC3", "\x80",
                             "\xFF", " "};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    for (int i = 0; i < round % 40; ++i)
      text += fragments[random() % std::size(fragments)];
    const int characters = Len(text);
    for (int k = 0; k <= characters + 1; ++k)
      ASSERT_EQ(Left(text, k) + Mid(text, k + 1), text) << k;
    ASSERT_EQ(Right(text, characters), text);
    ASSERT_EQ(Len(Lowercase(text)), characters);
    ASSERT_TRUE(text.empty() || InStr(text, Mid(text, characters, 1)) > 0) << text;
  }
}

} // namespace
