#include "fw/Text.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <random>

namespace {

using namespace fw;

TEST(Text, Val_ReadsTheLongestNumberPrefix) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"3.45 ft", 3.45},
      {"1:30", 1},
      {"abc", 0},
      {"", 0},
      {".5", 0.5},
      {"-.5", -0.5},
      {"+2", 2},
      {"  \t-7.25x", -7.25},
      {"1e", 1},
      {"1e+", 1},
      {"2e3", 2000},
      {"2E-2ft", 0.02},
      {"1.2.3", 1.2},
      {"5.", 5},
      {".", 0},
      {"-", 0},
      {"- 5", 0},
      {"0x1F", 0},
      {"9999.0", 9999},
      {"\r\n5", 5},
      {"1,5", 1},
      {"007", 7},
      {"-0.114314", -0.114314},
  };
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(Val(c.text), c.value) << '"' << c.text << '"';
}

TEST(Text, Val_OutOfRangeSaturatesInsteadOfFailing) {
  EXPECT_EQ(Val("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(Val("-1e999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(Val("1e-999"), 0.0);
  EXPECT_EQ(Val("0.000001e-999"), 0.0);
}

TEST(Text, Str_GivesTheShortestTextThatReadsBack) {
  const struct {
    double value;
    const char* text;
  } doubles[] = {
      {4, "4"},        {-0.3, "-0.3"},     {1.2, "1.2"},
      {0, "0"},        {-0.0, "0"},        {6.078608, "6.078608"},
      {1e20, "1e+20"}, {0.0001, "0.0001"}, {123456789, "123456789"},
  };
  for (const auto& c : doubles)
    EXPECT_EQ(Str(c.value), c.text) << c.value;

  const struct {
    float value;
    const char* text;
  } floats[] = {{0.753787f, "0.753787"}, {1.2f, "1.2"}, {-0.3f, "-0.3"}, {9999.0f, "9999"}};
  for (const auto& c : floats)
    EXPECT_EQ(Str(c.value), c.text) << c.value;

  EXPECT_EQ(Str(-42), "-42");
  EXPECT_EQ(Str(1234567890123LL), "1234567890123");
}

TEST(Text, Str_RoundTripsThroughVal) {
  for (double v : {0.1, 1.0 / 3, -2.5e-7, 6.02214076e23, 1e-5, 123.456})
    EXPECT_EQ(Val(Str(v)), v) << Str(v);
  for (float v : {0.1f, 1.0f / 3, 0.753787f, -6.078608f})
    EXPECT_EQ(static_cast<float>(Val(Str(v))), v) << Str(v);
}

TEST(Text, Format_PadsWithZeros) {
  const struct {
    double value;
    const char* pattern;
    const char* text;
  } cases[] = {
      {2026, "0000", "2026"}, {5, "00", "05"},      {12, "00", "12"},     {123, "00", "123"},
      {0, "00", "00"},        {9, "0", "9"},        {-5, "00", "-05"},    {2.5, "0", "3"},
      {-2.5, "0", "-3"},      {-0.2, "00", "00"},   {45, "0000", "0045"}, {3.14159, "0.00", "3.14"},
      {0.5, "#.##", ".5"},    {2.0, "0.0#", "2.0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(Text, CharacterForms_CountUtf8Characters) {
  const std::string text = "Bahía Blanca"; // í is two bytes
  EXPECT_EQ(Len(text), 12);
  EXPECT_EQ(LenB(text), 13);
  EXPECT_EQ(Left(text, 4), "Bahí");
  EXPECT_EQ(Right(text, 6), "Blanca");
  EXPECT_EQ(Mid(text, 4, 2), "ía");
  EXPECT_EQ(Mid(text, 7), "Blanca");
  EXPECT_EQ(InStr(text, "blanca"), 7);
  EXPECT_EQ(InStrB(text, "blanca"), 8);
  EXPECT_EQ(LeftB(text, 4), "Bah\xC3");
  EXPECT_EQ(MidB(text, 8, 3), "Bla");
  EXPECT_EQ(RightB(text, 3), "nca");
}

TEST(Text, CharacterForms_ToleranceAtTheEdges) {
  EXPECT_EQ(Left("abc", 0), "");
  EXPECT_EQ(Left("abc", -1), "");
  EXPECT_EQ(Left("abc", 10), "abc");
  EXPECT_EQ(Right("abc", 10), "abc");
  EXPECT_EQ(Mid("abc", 0), "abc");
  EXPECT_EQ(Mid("abc", 4), "");
  EXPECT_EQ(Mid("abc", 99, 2), "");
  EXPECT_EQ(Mid("abc", 2, 0), "");
  EXPECT_EQ(MidB("abc", 9), "");
  EXPECT_EQ(MidB("abc", 2, 99), "bc");
  // A stray byte is one character and never splits or vanishes.
  const std::string broken = "a\xFF\xC3z";
  EXPECT_EQ(Len(broken), 4);
  EXPECT_EQ(Mid(broken, 2, 2), "\xFF\xC3");
}

TEST(Text, InStr_FindsIgnoringCaseFromAPosition) {
  const struct {
    int start;
    const char* text;
    const char* find;
    int position;
  } cases[] = {
      {1, "abcabc", "BC", 2},
      {3, "abcabc", "bc", 5},
      {6, "abcabc", "bc", 0},
      {1, "abc", "", 1},
      {4, "abc", "", 4},
      {5, "abc", "", 0},
      {1, "", "a", 0},
      {0, "xa", "A", 2},
      {1, "line\rnext\r", "\r", 5},
      {6, "line\rnext\r", "\r", 10},
      {1, "ÄRGER", "ärger", 1},
      {2, "éé ÉTÉ", "été", 4},
      {1,
       "a\xFF"
       "b",
       "b", 3},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InStr(c.start, c.text, c.find), c.position)
        << c.start << " \"" << c.text << "\" \"" << c.find << '"';
  EXPECT_EQ(InStrB(3, "abcabc", "BC"), 5);
  EXPECT_EQ(InStrB("x Location list generated", "Location list generated"), 3);
}

TEST(Text, TextEquals_IgnoresLetterCase) {
  EXPECT_TRUE(TextEquals("AM", "am"));
  EXPECT_TRUE(TextEquals("pm", "PM"));
  EXPECT_FALSE(TextEquals("AM", "a"));
  EXPECT_TRUE(TextEquals("a", "A"));
  EXPECT_TRUE(TextEquals("Île", "îLE"));
  EXPECT_FALSE(TextEquals("\xFF", "\xFE"));
  EXPECT_TRUE(TextEquals("", ""));
  EXPECT_EQ(Lowercase("ÉTÉ Ab\xFF"), "été ab\xFF");
}

TEST(Text, Trim_RemovesBlanksTabsAndLineEnds) {
  EXPECT_EQ(Trim(" \t\r\nSeattle, WA \r\n"), "Seattle, WA");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim("a b"), "a b");
}

TEST(Text, AscAndChr_AreInverse) {
  EXPECT_EQ(Chr(13), "\r");
  EXPECT_EQ(Asc("\r"), 13);
  EXPECT_EQ(Chr(0xE9), "é");
  EXPECT_EQ(Asc("é"), 0xE9);
  EXPECT_EQ(Asc(Chr(0x1F30A)), 0x1F30A);
  EXPECT_EQ(Asc(""), 0);
  EXPECT_EQ(Chr(-1), "");
  EXPECT_EQ(Chr(0xD800), "");
  EXPECT_EQ(Chr(0x110000), "");
}

TEST(Text, ToInt32_TruncatesTowardZeroAndSaturates) {
  const struct {
    double value;
    std::int32_t result;
  } cases[] = {
      {5.65, 5},
      {-5.65, -5},
      {0.999, 0},
      {-0.999, 0},
      {1e12, std::numeric_limits<std::int32_t>::max()},
      {-1e12, std::numeric_limits<std::int32_t>::min()},
      {std::nan(""), 0},
      {2147483647.9, 2147483647},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ToInt32(c.value), c.result) << c.value;
}

TEST(Text, AnyBytes_SplitAndJoinWithoutLoss) {
  std::mt19937 random(20261205);
  std::uniform_int_distribution<int> byte(0, 255);
  const char pieces[][5] = {"a", "\xC3\xA9", "\xF0\x9F\x8C\x8A", "\r", "\xC3", "\x80", " "};
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = round % 40;
    for (int i = 0; i < length; ++i) {
      if (round % 2 == 0)
        text += static_cast<char>(byte(random));
      else
        text += pieces[static_cast<std::size_t>(byte(random)) % std::size(pieces)];
    }
    const int characters = Len(text);
    ASSERT_LE(characters, LenB(text));
    for (int k = 0; k <= characters + 1; ++k)
      ASSERT_EQ(Left(text, k) + Mid(text, k + 1), text) << k;
    ASSERT_EQ(Right(text, characters), text);
    ASSERT_TRUE(TextEquals(text, text));
    ASSERT_EQ(Len(Lowercase(text)), characters);
    if (!text.empty()) {
      ASSERT_GT(InStr(text, Mid(text, characters, 1)), 0);
    }
    Val(text);
    Trim(text);
  }
}

} // namespace
