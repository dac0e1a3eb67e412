#include "../predictor/TideRun.h"
#include "engine/GetTidesShell.h"
#include "fw/Date.h"
#include "fw/RowList.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// A sample line as the predictor prints it, minutes counted from 2026-12-05 00:00.
std::string sample(int minutes, double height, const char* zone = "PST") {
  const int hour24 = minutes / 60 % 24, hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
  char line[96];
  std::snprintf(line, sizeof line, "2026-12-%02d %2d:%02d %s %s %.6f", 5 + minutes / 1440, hour12,
                minutes % 60, hour24 < 12 ? "AM" : "PM", zone, height);
  return line;
}

double timeOf(int minutes) {
  return fw::Date::FromFields(2026, 12, 5, 0, 0).TotalSeconds() + 60.0 * minutes;
}

std::string output(const Lines& lines, const char* end = "\r\n") {
  std::string text;
  for (const auto& line : lines)
    text += line + end;
  return text;
}

struct Search : fw::RowList {
  Search(const char* compare = "above", float lotide = 0, float hitide = 0, int minlength = 0) {
    shell.compare = compare;
    shell.lotide = lotide;
    shell.hitide = hitide;
    shell.minlength = minlength;
    shell.reportBox = this;
    shell.tempwhen = std::make_shared<fw::Date>();
    shell.collector = std::make_shared<TimeAndTide>();
    shell.foundTides = std::make_shared<TimeAndTide>();
  }
  void AddRow(const std::string& text) override { rows.push_back(text); }
  void DeleteAllRows() override { rows.clear(); }
  int ListCount() const override { return static_cast<int>(rows.size()); }
  std::string List(int row) const override { return rows.at(static_cast<std::size_t>(row)); }
  void feed(const Lines& lines) { shell.CollectData(output(lines)); }
  auto outcome() const {
    const auto &c = *shell.collector, &f = *shell.foundTides;
    return std::make_tuple(rows, c.times, c.tides, f.times, f.tides, shell.nchecked, shell.ndata,
                           shell.minTide, shell.maxTide, shell.lastLine, shell.lineTooLong);
  }

  Lines rows;
  GetTidesShell shell;
};

TEST(FilterData, ReadsTheClassicColumnsAndExtremesOfSamplesOnly) {
  Search s;
  s.feed({"tide: 9999 stations", "2026-12-05 12:00 AM PST 6.078608",
          "2026-12-05  1:00 am PST 7.932279", "2026-12-05 12:00 AM AKST -0.114314",
          "1000-12-05  1:00 AM PST 9", "2026\u201412\u201405  3:30 PM PST 2.5 ft",
          "1001-12-05 12:00 PM PST 1.0"});
  const auto& c = *s.shell.collector;
  const double year1001 = fw::Date::FromFields(1001, 12, 5, 12, 0).TotalSeconds();
  EXPECT_EQ(c.times, (std::vector{timeOf(0), timeOf(60), timeOf(0), timeOf(930), year1001}));
  EXPECT_EQ(c.tides, (std::vector<float>{6.078608f, 7.932279f, -0.114314f, 2.5f, 1}));
  EXPECT_EQ(std::pair(s.shell.minTide, s.shell.maxTide), std::pair(-0.114314f, 7.932279f));
  EXPECT_EQ(s.rows, Lines{"Start 12/5/2026 12:00 AM (6.078608) to  1:00 AM (7.932279)"});
}

TEST(FilterData, HeightConditionsAreInclusiveAndComparedAsSingle) {
  const std::tuple<const char*, float, float, const char*, bool> cases[] = {
      {"between", 1, 2, "1", true},         {"between", 1, 2, "2", true},
      {"between", 1, 2, "0.999999", false}, {"between", 1, 2, "2.000001", false},
      {"between", 2, 1, "1.5", false},      {"above", 0, 2, "2", true},
      {"above", 0, 2, "1.999999", false},   {"Above", 0, 0.7f, "0.7", true},
      {"below", 0, 2, "2", true},           {"below", 0, 2, "2.000001", false},
      {"below", 0, 0.7f, "0.700000", true}};
  for (const auto& [compare, lotide, hitide, height, matches] : cases) {
    Search s(compare, lotide, hitide);
    s.feed({std::string("2026-12-05  6:00 AM PST ") + height});
    EXPECT_EQ(s.shell.lastuseit, matches) << compare << " " << height;
  }
}

TEST(FilterData, PeriodsEndAtTheirLastMatchingSample) {
  // minlength, stime, etime, "minutes:height ..." searched above 5, (start minute, length)s;
  // a height holds every 15 minutes until the next one listed.
  const std::tuple<int, int, int, const char*, std::vector<std::pair<int, float>>> cases[] = {
      {0, 0, 0, "1410:4 1425:5.25 1440:6 1455:5 1470:4.75", {{1425, 1800}}}, // across midnight
      {0, 0, 0, "1155:5.75 1335:5.5 1350:1.1", {{1155, 10800}}},
      {0, 0, 0, "360:4 375:5.5 390:4", {{375, 0}}},
      {1, 0, 0, "360:4 375:5.5 390:4", {}},
      {3600, 0, 0, "360:6 435:1 480:6 540:1", {{360, 3600}}},
      {0, 0, 0, "360:6 375:1 390:6 405:7", {{360, 0}}}, // the open one at the end is not reported
      {0, 21600, 25200, "330:6 465:1", {{360, 3600}}},
      {0, 25200, 21600, "330:6 465:1", {{360, 3600}}},
      {0, 21600, 21600, "330:6 465:1", {{330, 7200}}},
  };
  for (const auto& [minlength, stime, etime, text, expected] : cases) {
    SCOPED_TRACE(testing::Message() << stime << "-" << etime << " " << text);
    Search s("above", 0, 5, minlength);
    s.shell.stime = stime;
    s.shell.etime = etime;
    std::istringstream samples(text);
    int minutes = 0, at = -1;
    double height = 0, held = 0;
    for (char colon = 0; samples >> minutes >> colon >> height; at = minutes, held = height)
      for (int m = at; at >= 0 && m < minutes; m += 15)
        s.feed({sample(m, held)});
    s.feed({sample(at, held)});
    s.feed({"Done."});
    s.shell.Finish();
    std::vector<std::pair<int, float>> found;
    for (int i = 0; i < s.shell.foundTides->ntimesandtides; ++i)
      found.emplace_back((s.shell.foundTides->times[i] - timeOf(0)) / 60,
                         s.shell.foundTides->tides[i]);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(s.rows.size(), found.size());
  }
}

TEST(FilterData, APeriodLastsItsSamplesAcrossADaylightSavingChange) {
  // Seattle's nights of the change, every sample from midnight to 3:00 (fall
  // back: 4 real hours) or to 4:00 (spring forward: 3 real hours) of the clock.
  const std::tuple<const char*, int, int, float> cases[] = {
      {"2026-11-01", 3 * 3600, 4 * 3600, 4 * 3600},
      {"2026-03-08", 4 * 3600, 3 * 3600, 3 * 3600},
  };
  for (const auto& [day, etime, minlength, length] : cases) {
    const auto night = tidetest::predict(tidetest::seattle, std::string(day) + " 00:00",
                                         std::string(day) + " 06:00");
    Search s("between", -100, 100, minlength);
    s.shell.etime = etime;
    s.feed(tidetest::lines(night.out));
    EXPECT_EQ(s.shell.foundTides->ntimesandtides, 1) << day;
    EXPECT_EQ(s.shell.foundTides->tides[0], length) << day;
  }
}

TEST(CollectData, CuttingTheOutputAnywhereGivesTheSameResult) {
  // A line of 64 KiB is the longest taken, also where an LF before it came with the CR.
  const std::string longest(64 * 1024, 'x');
  Lines lines{"% setenv HFILE_PATH /usr/share/xtide/x.tcd", longest, ""};
  for (int i = 0; i < 144; ++i)
    lines.push_back(sample(15 * i, 4 + 3.5 * std::sin(i / 10.0), i % 3 ? "PST" : "AKST"));
  lines.push_back("% exit");
  const std::string unended = sample(15 * 144, 5); // a killed tool's last line is no sample
  Search whole("between", 2, 6);
  whole.shell.CollectData(output(lines) + unended);
  whole.shell.Finish();
  ASSERT_GE(whole.rows.size(), 3u);
  EXPECT_EQ(whole.shell.nchecked, 147);
  EXPECT_GT(whole.shell.minTide, 0);        // lines before the first sample set no extreme
  EXPECT_EQ(whole.shell.lastLine, unended); // yet the last word for a failure message

  // Lines may also end in a CR alone; cut into one-byte pieces, a piece also ends between a CR
  // and its LF. Each piece is followed by an empty one.
  for (const char* end : {"\r\n", "\r"}) {
    const std::string text = output(lines, end) + unended;
    for (const std::size_t piece : {text.size(), std::size_t{1}}) {
      Search s("between", 2, 6);
      for (std::size_t from = 0; from < text.size(); from += piece) {
        s.shell.CollectData(std::string_view(text).substr(from, piece));
        s.shell.CollectData("");
      }
      s.shell.Finish();
      EXPECT_EQ(s.outcome(), whole.outcome()) << testing::PrintToString(end) << piece;
    }
  }
  Search over;
  over.feed({"", longest + 'x'});
  EXPECT_TRUE(over.shell.lineTooLong);
}

} // namespace
