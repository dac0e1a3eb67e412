#include "engine/GetTidesShell.h"
#include "fw/Date.h"
#include "fw/RowList.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

class Rows : public fw::RowList {
public:
  void AddRow(const std::string& text) override { rows.push_back(text); }
  void DeleteAllRows() override { rows.clear(); }
  int ListCount() const override { return static_cast<int>(rows.size()); }
  std::string List(int row) const override { return rows.at(static_cast<std::size_t>(row)); }
  std::vector<std::string> rows;
};

// A sample line as the predictor prints it: hour right-aligned on the 12-hour clock.
std::string sample(int day, int hour24, int minute, double height, const char* zone = "PST",
                   int month = 12) {
  const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
  char line[96];
  std::snprintf(line, sizeof line, "2026-%02d-%02d %2d:%02d %s %s %.6f", month, day, hour12, minute,
                hour24 < 12 ? "AM" : "PM", zone, height);
  return line;
}

double timeOf(int day, int hour, int minute, int month = 12) {
  return fw::Date::FromFields(2026, month, day, hour, minute).TotalSeconds();
}

std::string output(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string text;
  for (const auto& line : lines) {
    text += line + end;
  }
  return text;
}

struct Search {
  Search(const char* compare = "above", float lotide = 0, float hitide = 0, int minlength = 0) {
    shell.compare = compare;
    shell.lotide = lotide;
    shell.hitide = hitide;
    shell.minlength = minlength;
    shell.reportBox = &rows;
    shell.tempwhen = std::make_shared<fw::Date>();
    shell.collector = std::make_shared<TimeAndTide>();
    shell.foundTides = std::make_shared<TimeAndTide>();
  }
  void feed(const std::vector<std::string>& lines) { shell.CollectData(output(lines)); }

  Rows rows;
  GetTidesShell shell;
};

// Everything a reader of a finished search can see.
struct Outcome {
  std::vector<std::string> rows;
  std::vector<double> sampleTimes, periodStarts;
  std::vector<float> heights, lengths;
  int nchecked, ndata;
  float minTide, maxTide;
  std::string lastLine;
  bool operator==(const Outcome&) const = default;
};

Outcome outcomeOf(const Search& s) {
  const auto& c = *s.shell.collector;
  const auto& f = *s.shell.foundTides;
  auto first = [](const auto& v, int n) {
    return std::remove_cvref_t<decltype(v)>(v.begin(), v.begin() + n);
  };
  return {s.rows.rows,
          first(c.times, c.ntimesandtides),
          first(f.times, f.ntimesandtides),
          first(c.tides, c.ntimesandtides),
          first(f.tides, f.ntimesandtides),
          s.shell.nchecked,
          s.shell.ndata,
          s.shell.minTide,
          s.shell.maxTide,
          s.shell.lastLine};
}

TEST(FilterData, ReadsTheClassicColumns) {
  Search s;
  s.feed({"2026-12-05 12:00 AM PST 6.078608", "2026-12-05  1:00 AM PST 7.932279",
          "2026-12-05 12:00 AM AKST -0.114314", "2026-12-05  3:30 PM PST 2.5 ft"});
  const auto& c = *s.shell.collector;
  ASSERT_EQ(c.ntimesandtides, 4);
  EXPECT_EQ(c.times[0], timeOf(5, 0, 0));
  EXPECT_EQ(c.tides[0], 6.078608f);
  EXPECT_EQ(c.times[1], timeOf(5, 1, 0));
  EXPECT_EQ(c.tides[1], 7.932279f);
  EXPECT_EQ(c.tides[2], -0.114314f); // a 4-letter zone puts a blank before the height
  EXPECT_EQ(c.times[3], timeOf(5, 15, 30));
  EXPECT_EQ(c.tides[3], 2.5f);
  EXPECT_EQ(s.shell.minTide, -0.114314f);
  EXPECT_EQ(s.shell.maxTide, 7.932279f);
}

TEST(FilterData, CountsColumnsInCharactersNotBytes) {
  Search s;
  s.feed({"2026\u201412\u201405 12:30 PM PST 6.5"});
  ASSERT_EQ(s.shell.collector->ntimesandtides, 1);
  EXPECT_EQ(s.shell.collector->times[0], timeOf(5, 12, 30));
  EXPECT_EQ(s.shell.collector->tides[0], 6.5f);
}

struct DataLineCase {
  const char* line;
  bool isData;
};

TEST(FilterData, SampleLinesAreThoseWhoseYearExceeds1000) {
  const DataLineCase cases[] = {
      {"1000-12-05 12:00 AM PST 6.078608", false}, {"1001-12-05 12:00 AM PST 6.078608", true},
      {"Location: Seattle, Puget Sound", false},   {"tide: Unknown location", false},
      {"-2026-12-05 12:00 AM PST 1.0", false},     {"2026", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Search s("below", 0, 100);
    s.feed({c.line});
    EXPECT_EQ(s.shell.nchecked, 1);
    EXPECT_EQ(s.shell.ndata, c.isData ? 1 : 0);
    EXPECT_EQ(s.shell.collector->ntimesandtides, c.isData ? 1 : 0);
    EXPECT_EQ(s.shell.lastuseit, c.isData);
    if (!c.isData) {
      EXPECT_EQ(s.shell.minTide, 0);
      EXPECT_EQ(s.shell.maxTide, 0);
    }
  }
}

struct ClockCase {
  const char* clock; // columns 12-19
  int hour, minute;
};

TEST(FilterData, TurnsTheTwelveHourClockIntoTheDay) {
  const ClockCase cases[] = {
      {"12:00 AM", 0, 0},  {"12:30 am", 0, 30},  {" 1:00 AM", 1, 0},  {"11:45 AM", 11, 45},
      {"12:00 PM", 12, 0}, {"12:15 pm", 12, 15}, {" 1:00 pm", 13, 0}, {"11:45 PM", 23, 45},
      {" 7:00 XM", 7, 0},  {"12:00 -M", 12, 0},  {" 9:05 Am", 9, 5},  {" 9:05 P ", 21, 5},
  };
  for (const auto& c : cases) {
    const std::string line = std::string("2026-12-05 ") + c.clock + " PST 1.0";
    SCOPED_TRACE(line);
    Search s;
    s.feed({line});
    ASSERT_EQ(s.shell.collector->ntimesandtides, 1);
    EXPECT_EQ(s.shell.collector->times[0], timeOf(5, c.hour, c.minute));
  }
}

struct WindowCase {
  const char* name;
  int stime, etime;
  int firstHour, firstMinute, lastHour, lastMinute;
};

TEST(FilterData, TimeOfDayWindowTakesItsBoundsInEitherOrder) {
  const WindowCase cases[] = {
      {"SixToSeven", 21600, 25200, 6, 0, 7, 0},
      {"SevenToSix", 25200, 21600, 6, 0, 7, 0},
      {"NoWindowAtZero", 0, 0, 5, 30, 7, 30},
      {"NoWindowAtSix", 21600, 21600, 5, 30, 7, 30},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Search s("above", 0, 0);
    s.shell.stime = c.stime;
    s.shell.etime = c.etime;
    std::vector<std::string> lines;
    for (int m = 5 * 60 + 30; m <= 7 * 60 + 30; m += 15) {
      lines.push_back(sample(5, m / 60, m % 60, 1.0));
    }
    lines.push_back(sample(5, 7, 45, -1.0));
    s.feed(lines);
    ASSERT_EQ(s.shell.foundTides->ntimesandtides, 1);
    EXPECT_EQ(s.shell.foundTides->times[0], timeOf(5, c.firstHour, c.firstMinute));
    EXPECT_EQ(s.shell.endwhen->TotalSeconds(), timeOf(5, c.lastHour, c.lastMinute));
  }
}

struct ThresholdCase {
  const char* compare;
  float lotide, hitide;
  const char* height;
  bool matches;
};

TEST(FilterData, HeightConditionsAreInclusiveAndComparedAsSingle) {
  const ThresholdCase cases[] = {
      {"between", 1, 2, "1.000000", true},
      {"between", 1, 2, "2.000000", true},
      {"between", 1, 2, "0.999999", false},
      {"between", 1, 2, "2.000001", false},
      {"between", 2, 1, "1.500000", false},
      {"BETWEEN", 1, 2, "1.500000", true},
      {"above", 0, 2, "2.000000", true},
      {"above", 0, 2, "1.999999", false},
      {"Above", 0, 0.7f, "0.700000", true},
      {"below", 0, 2, "2.000000", true},
      {"below", 0, 2, "2.000001", false},
      {"below", 0, 0.7f, "0.700000", true}, // as Doubles, 0.7 lies above 0.7f
      {"sideways", 5, 6, "-3.000000", true},
      {"", 5, 6, "100.000000", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.compare) + " " + c.height);
    Search s(c.compare, c.lotide, c.hitide);
    s.feed({std::string("2026-12-05  6:00 AM PST ") + c.height});
    EXPECT_EQ(s.shell.lastuseit, c.matches);
  }
}

TEST(FilterData, UnknownCompareStillHonoursTheTimeWindow) {
  Search s("level");
  s.shell.stime = 21600;
  s.shell.etime = 22500;
  s.feed({sample(5, 5, 45, 1), sample(5, 6, 0, 2), sample(5, 6, 15, 3), sample(5, 6, 30, 4)});
  ASSERT_EQ(s.rows.rows.size(), 1u);
  EXPECT_EQ(s.rows.rows[0], "Start 12/5/2026 6:00 AM (2) to  6:15 AM (3)");
}

TEST(FilterData, RowShowsStartDateTimesAndHeights) {
  Search s("below", 0, 1);
  s.feed({sample(5, 19, 0, 1.2), sample(5, 19, 15, 0.753787), sample(5, 19, 30, 0.6),
          sample(5, 22, 15, 0.577118), sample(5, 22, 30, 1.1)});
  // The period ends at its last matching sample, however far the next one lies.
  ASSERT_EQ(s.rows.rows.size(), 1u);
  EXPECT_EQ(s.rows.rows[0], "Start 12/5/2026 7:15 PM (0.753787) to  10:15 PM (0.577118)");
  EXPECT_EQ(s.shell.startwhen->TotalSeconds(), 0);
}

TEST(FilterData, SingleMatchingSampleIsAPeriodOfLengthZero) {
  for (int minlength : {0, 1, 900}) {
    SCOPED_TRACE(minlength);
    Search s("above", 0, 5, minlength);
    s.feed({sample(5, 6, 0, 4), sample(5, 6, 15, 5.5), sample(5, 6, 30, 4)});
    if (minlength == 0) {
      ASSERT_EQ(s.rows.rows.size(), 1u);
      EXPECT_EQ(s.rows.rows[0], "Start 12/5/2026 6:15 AM (5.5) to  6:15 AM (5.5)");
      ASSERT_EQ(s.shell.foundTides->ntimesandtides, 1);
      EXPECT_EQ(s.shell.foundTides->tides[0], 0);
    } else {
      EXPECT_TRUE(s.rows.rows.empty());
      EXPECT_EQ(s.shell.foundTides->ntimesandtides, 0);
    }
  }
}

TEST(FilterData, MinlengthIsInclusive) {
  for (int run : {4, 5}) {
    SCOPED_TRACE(run);
    Search s("above", 0, 5, 3600);
    std::vector<std::string> lines{sample(5, 5, 45, 1)};
    for (int i = 0; i < run; ++i) {
      lines.push_back(sample(5, 6 + i / 4, 15 * (i % 4), 6));
    }
    lines.push_back(sample(5, 8, 0, 1));
    s.feed(lines);
    ASSERT_EQ(s.shell.foundTides->ntimesandtides, run == 5 ? 1 : 0);
    if (run == 5) {
      EXPECT_EQ(s.shell.foundTides->tides[0], 3600.0f);
    }
  }
}

TEST(FilterData, PeriodStillOpenAtTheEndIsNotReported) {
  Search s("above", 0, 5);
  s.feed(
      {sample(5, 6, 0, 6), sample(5, 6, 15, 1), sample(5, 6, 30, 6), sample(5, 6, 45, 6), "Done."});
  EXPECT_EQ(s.rows.rows.size(), 1u);
  EXPECT_EQ(s.shell.foundTides->ntimesandtides, 1);
  EXPECT_TRUE(s.shell.lastuseit);
  s.shell.Finish();
  EXPECT_EQ(s.rows.rows.size(), 1u);

  s.feed({sample(5, 7, 0, 1)});
  ASSERT_EQ(s.rows.rows.size(), 2u);
  EXPECT_EQ(s.rows.rows[1], "Start 12/5/2026 6:30 AM (6) to  6:45 AM (6)");
}

TEST(FilterData, PeriodAcrossMidnightKeepsItsStartDate) {
  Search s("above", 0, 5);
  s.feed({sample(5, 23, 30, 4), sample(5, 23, 45, 5.25), sample(6, 0, 0, 6), sample(6, 0, 15, 5),
          sample(6, 0, 30, 4.75)});
  ASSERT_EQ(s.rows.rows.size(), 1u);
  EXPECT_EQ(s.rows.rows[0], "Start 12/5/2026 11:45 PM (5.25) to  12:15 AM (5)");
  ASSERT_EQ(s.shell.foundTides->ntimesandtides, 1);
  EXPECT_EQ(s.shell.foundTides->times[0], timeOf(5, 23, 45));
  EXPECT_EQ(s.shell.foundTides->tides[0], 1800.0f);
}

TEST(FilterData, PeriodEndsAtItsLastSampleAcrossASkippedHour) {
  // Spring forward: 1:45 AM PST is followed by 3:00 AM PDT.
  Search s("above", 0, 5);
  s.feed({sample(8, 1, 0, 6, "PST", 3), sample(8, 1, 15, 6, "PST", 3),
          sample(8, 1, 30, 6, "PST", 3), sample(8, 1, 45, 6, "PST", 3),
          sample(8, 3, 0, 1, "PDT", 3)});
  ASSERT_EQ(s.rows.rows.size(), 1u);
  EXPECT_EQ(s.rows.rows[0], "Start 3/8/2026 1:00 AM (6) to  1:45 AM (6)");
  EXPECT_EQ(s.shell.foundTides->tides[0], 2700.0f);
}

TEST(FilterData, ExtremesComeFromSamplesOnly) {
  Search s;
  s.feed({"Heading 9999", sample(5, 1, 0, 3.5), sample(5, 1, 15, 2.25), sample(5, 1, 30, 4)});
  EXPECT_EQ(s.shell.minTide, 2.25f);
  EXPECT_EQ(s.shell.maxTide, 4.0f);

  Search failed; // what a failed run leaves for its message
  failed.feed({"tide: cannot open database", "exit"});
  EXPECT_EQ(failed.shell.ndata, 0);
  EXPECT_EQ(failed.shell.lastLine, "exit");
}

TEST(FilterData, MissingSinksOnlyDropTheirOutput) {
  GetTidesShell shell;
  shell.compare = "above";
  shell.hitide = 5;
  shell.CollectData(output({sample(5, 6, 0, 6), sample(5, 6, 15, 1)}));
  EXPECT_EQ(shell.nchecked, 2);
  EXPECT_EQ(shell.endwhen->TotalSeconds(), timeOf(5, 6, 0));

  Search noDate("above", 0, 5);
  noDate.shell.tempwhen = nullptr;
  noDate.feed({sample(5, 6, 0, 6), sample(5, 6, 15, 1)});
  EXPECT_EQ(noDate.shell.collector->ntimesandtides, 0);
  EXPECT_EQ(noDate.shell.foundTides->ntimesandtides, 1);
}

// A day and a half of output with headings, shell noise and several periods.
std::vector<std::string> realisticLines() {
  std::vector<std::string> lines{"% setenv HFILE_PATH /usr/share/xtide/x.tcd", ""};
  for (int i = 0; i < 144; ++i) {
    const int minutes = 15 * i;
    const double height = 4 + 3.5 * std::sin(i / 10.0) + 0.1 * std::sin(i * 7.0);
    lines.push_back(sample(5 + minutes / 1440, minutes / 60 % 24, minutes % 60, height,
                           i % 3 ? "PST" : "AKST"));
  }
  lines.push_back("% exit");
  return lines;
}

TEST(CollectData, CuttingTheOutputAnywhereGivesTheSameResult) {
  const std::string text = output(realisticLines());
  auto fresh = [](Search& s) {
    s.shell.compare = "between";
    s.shell.lotide = 2;
    s.shell.hitide = 6;
    s.shell.stime = 3600;
    s.shell.etime = 80000;
  };
  Search whole;
  fresh(whole);
  whole.shell.CollectData(text);
  const Outcome expected = outcomeOf(whole);
  ASSERT_GE(expected.rows.size(), 3u);
  ASSERT_EQ(expected.sampleTimes.size(), 144u);

  auto check = [&](const char* how, const std::vector<std::size_t>& cuts) {
    SCOPED_TRACE(how);
    Search s;
    fresh(s);
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
      s.shell.CollectData(std::string_view(text).substr(from, cut - from));
      from = cut;
    }
    s.shell.CollectData(std::string_view(text).substr(from));
    s.shell.Finish();
    EXPECT_EQ(outcomeOf(s), expected);
    EXPECT_EQ(s.shell.leftover, whole.shell.leftover);
  };

  std::vector<std::size_t> afterLf, afterCr, everyByte, everySeven;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      afterLf.push_back(i + 1);
    }
    if (text[i] == '\r') {
      afterCr.push_back(i + 1);
    }
    everyByte.push_back(i);
    if (i % 7 == 0) {
      everySeven.push_back(i);
    }
  }
  check("line by line", afterLf);
  check("between CR and LF", afterCr);
  check("byte by byte", everyByte);
  check("every seven bytes", everySeven);
  check("with empty deliveries", {0, 0, 40, 40, text.size()});

  Search crOnly;
  fresh(crOnly);
  crOnly.shell.CollectData(output(realisticLines(), "\r"));
  EXPECT_EQ(outcomeOf(crOnly), expected);
}

TEST(CollectData, LineWithoutItsCrIsNeverFiltered) {
  Search s("above", 0, 5);
  s.shell.CollectData(sample(5, 6, 0, 6) + "\r\n" + sample(5, 6, 15, 1));
  EXPECT_EQ(s.shell.nchecked, 1);
  EXPECT_EQ(s.shell.leftover, "\n" + sample(5, 6, 15, 1));
  s.shell.Finish();
  EXPECT_EQ(s.shell.nchecked, 1);
  EXPECT_TRUE(s.rows.rows.empty());
  EXPECT_EQ(s.shell.lastLine, sample(5, 6, 15, 1)); // still the last word for a failure message
}

TEST(CollectData, RandomBytesNeverBreakTheFilter) {
  std::mt19937 random(20261205);
  std::uniform_int_distribution<int> byte(0, 255), length(0, 120), pick(0, 9);
  const std::string prefixes[] = {"",
                                  "2026-12-05 12:00 AM PST ",
                                  "9999-99-99 99:99 PM XYZ ",
                                  "9e99-1e-1e 1e:9e pM ",
                                  "2026-12-05 \xe2\x80\x94:\xc3",
                                  "1001"};
  Search s("between", -1e30f, 1e30f);
  s.shell.stime = 100;
  s.shell.etime = 50000;
  std::string text;
  for (int i = 0; i < 3000; ++i) {
    text += prefixes[pick(random) % std::size(prefixes)];
    for (int n = length(random); n > 0; --n) {
      text += static_cast<char>(byte(random));
    }
    if (pick(random) < 3) {
      text += "1e999"; // a height beyond any Single
    }
    text += pick(random) < 8 ? "\r\n" : "";
  }
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t n = static_cast<std::size_t>(length(random)) * 3;
    s.shell.CollectData(std::string_view(text).substr(from, n));
    from += n;
  }
  s.shell.Finish();
  EXPECT_GT(s.shell.ndata, 0);
  EXPECT_LE(s.shell.ndata, s.shell.nchecked);
  EXPECT_EQ(s.shell.collector->ntimesandtides, s.shell.ndata);
}

TEST(GetTidesShellProcess, FiltersOutputOfARealShell) {
  Search s("above", 0, 5);
  s.shell.Mode = 2;
  s.shell.TimeOut = 30000;
  s.shell.Execute("/bin/csh");
  s.shell.WriteLine("printf '%s\\n%s\\n%s\\n' '" + sample(5, 6, 0, 6) + "' '" +
                    sample(5, 6, 15, 6) + "' '" + sample(5, 6, 30, 1) + "'");
  s.shell.WriteLine("exit");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (s.shell.IsRunning() && std::chrono::steady_clock::now() < deadline) {
    s.shell.Poll();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(s.shell.IsRunning());
  EXPECT_EQ(s.shell.ndata, 3);
  EXPECT_EQ(s.shell.collector->ntimesandtides, 3);
  ASSERT_EQ(s.rows.rows.size(), 1u);
  EXPECT_EQ(s.rows.rows[0], "Start 12/5/2026 6:00 AM (6) to  6:15 AM (6)");
}

} // namespace
