// The search form's checks and criteria, and searches run end to end through
// /bin/csh, our predictor and the real database to their publication.

#include "HalvornWindowFixture.h"
#include "engine/GetTidesShell.h"
#include "engine/TimeAndTide.h"
#include "fw/Date.h"
#include "fw/Text.h"

#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <gmock/gmock.h>
#include <map>
#include <sstream>
#include <thread>

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kSeattle = "Seattle, Puget Sound, Washington";
const std::string kFailed = "Tide search failed - ";
const std::string kCompleted = "Tide search completed - checked 672, ";

// Our own living child processes by their command names; or, given a process
// group, its living members but the group's leader.
std::map<pid_t, std::string> children(pid_t group = 0) {
  std::map<pid_t, std::string> found;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    const pid_t pid = std::atoi(entry.path().filename().c_str());
    if (pid <= 0)
      continue;
    std::ifstream stat(entry.path() / "stat");
    const std::string text{std::istreambuf_iterator<char>(stat), {}};
    // The command name may hold blanks and parentheses; the fields follow its last ')'.
    const std::size_t open = text.find('('), close = text.rfind(')');
    char state = 'Z';
    pid_t parent = 0, pgrp = 0;
    std::istringstream(text.substr(close + 1)) >> state >> parent >> pgrp;
    if (state != 'Z' && (group ? pgrp == group && pid != group : parent == ::getpid()))
      found[pid] = text.substr(open + 1, close - open - 1);
  }
  return found;
}

class SearchTest : public HalvornWindowTest {
protected:
  void SetUp() override {
    HalvornWindowTest::SetUp();
    window = open(); // with no tools known yet, so it starts no place list
    window->ShellPoller()->SetMode(0);
    seattleWeek();
  }
  // Below 1 for an hour or more in the week from 12/5/2026, no time window.
  void seattleWeek() const {
    useBuiltTools();
    window->thePlace = kSeattle;
    window->StartDate()->SetText("12/5/2026");
    window->EndDate()->SetText("12/11/2026");
    for (fw::TextField* empty : {window->TideHigher(), window->EarlyTime(), window->LateTime()})
      empty->SetText("");
    window->TideLower()->SetText("1");
    window->MinLength()->SetText("1:00");
  }
  // Ticks the poller as its timer would, only faster.
  bool runToPublication() const {
    for (int tick = 0; window->shellToPoll && tick < 3000; ++tick, QTest::qWait(10))
      window->ShellPoller_Action();
    return !window->shellToPoll;
  }
  std::string status() const { return window->Status()->Text(); }

  Halvorn* window = nullptr;
};

TEST(ParseTime, ReadsTimesAndDurationsAndKeepsSecondsOnFailure) {
  const struct {
    const char *text, *ampm;
    std::int32_t seconds; // -1: refused
  } cases[] = {
      {"", "", 0},
      {"", "PM", 0},
      {"0", "", -1},
      {"1", "", 3600},
      {"1:30", "", 5400},
      {"24:00", "", -1},
      {"1:60", "", -1},
      {"7.5", "", 25500},
      {"5:30", "AM", 19800},
      {"5:30", "PM", 63000},
      {"12:15", "AM", 44100},
      {"12:15", "PM", 44100},
      {"0:30", "PM", 45000},
      {"abc:xyz", "", 0},
      {"abc", "", -1},
      {"am", "", -1},
      // A typed suffix is cut off; the popup alone says which half of the day.
      {"5:30pm", "AM", 19800},
      {"6am", "", 21600},
  };
  for (const auto& c : cases) {
    std::int32_t seconds = 777;
    EXPECT_EQ(Halvorn::ParseTime(c.text, c.ampm, seconds), c.seconds >= 0) << c.text << c.ampm;
    EXPECT_EQ(seconds, c.seconds >= 0 ? c.seconds : 777) << c.text << c.ampm;
  }
}

std::function<void(Halvorn&)> field(fw::TextField* (Halvorn::*control)() const, std::string text) {
  return [control, text](Halvorn& w) { (w.*control)()->SetText(text); };
}

TEST_F(SearchTest, EachFailedCheckTellsItsMessageAndChangesNothingAndStartsNoProcess) {
  const std::string pairing =
      "If you have an early time, you must also have a late time, and vice versa";
  const std::string noPath = "The path cannot be passed to the tide tool: ";
  struct Refused {
    std::string what;
    std::function<void(Halvorn&)> spoil;
    std::string message;          // "": none
    const char* status = nullptr; // nullptr: the earlier one stays
  };
  std::vector<Refused> cases = {
      {"empty start", field(&Halvorn::StartDate, ""), "Invalid start date"},
      {"impossible start", field(&Halvorn::StartDate, "2/30/2026"), "Invalid start date"},
      {"unreadable end", field(&Halvorn::EndDate, "soon"), "Invalid end date"},
      {"earliest 24:00", field(&Halvorn::EarlyTime, "24:00"), "Invalid earliest time"},
      {"latest 1:60", field(&Halvorn::LateTime, "1:60"), "Invalid latest time"},
      {"earliest alone", field(&Halvorn::EarlyTime, "6:00"), pairing},
      {"latest alone", field(&Halvorn::LateTime, "6"), pairing},
      {"shortest 0", field(&Halvorn::MinLength, "0"), "Invalid minimum time"},
      {"dates before the place", [](Halvorn& w) { w.thePlace = "$x", w.EndDate()->SetText(""); },
       "Invalid end date"},
      {"tool path with a LF", [](Halvorn&) { toolPaths().tidePath = fw::FolderItem("/a\n/tide"); },
       noPath + "/a\n/tide"},
      {"database path with a CR",
       [](Halvorn&) { toolPaths().hfilepath = fw::FolderItem("/a\r/h.tcd"); },
       noPath + "/a\r/h.tcd"},
      // The tools are looked for before the form is read.
      {"no tool", [](Halvorn& w) { toolPaths().tidePath.reset(), w.StartDate()->SetText("x"); }, "",
       "Cannot find tides, cannot find a version of tide/xtide"},
      {"no database", [](Halvorn&) { toolPaths().hfilepath.reset(); }, "",
       "Cannot find tides, cannot find a version of the harmonics database"},
  };
  using namespace std::string_literals;
  for (const std::string& special : {"\""s, "$"s, "!"s, "`"s, "\\"s, "\r"s, "\n"s, "\0"s}) {
    const std::string name = "Bay" + special + "x";
    cases.push_back({"place " + testing::PrintToString(name),
                     [name](Halvorn& w) { w.thePlace = name; },
                     "The place name cannot be passed to the tide tool: " + name});
  }
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.what);
    seattleWeek();
    const auto earlier = window->shellToPoll = std::make_shared<GetTidesShell>();
    const auto collection = window->lastcollection = std::make_shared<TimeAndTide>();
    window->Result()->DeleteAllRows();
    window->Result()->AddRow("earlier row");
    window->Status()->SetText("earlier status");
    dialogs->calls.clear();

    c.spoil(*window);
    window->FindTides();

    EXPECT_EQ(dialogs->messages(),
              c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
    EXPECT_EQ(status(), c.status ? c.status : "earlier status");
    EXPECT_EQ(window->shellToPoll, earlier);
    EXPECT_EQ(window->lastcollection, collection);
    EXPECT_EQ(rows(window->Result()), std::vector<std::string>{"earlier row"});
    EXPECT_TRUE(children().empty()) << "a process started";
  }
}

TEST_F(SearchTest, ASearchStartsFromAClearedListWithTheFormsCriteria) {
  const struct {
    const char *higher, *lower, *early, *late, *compare;
    float lotide, hitide;
    std::int32_t stime, etime;
  } cases[] = {
      {"", "", "", "", "above", 0, 0, 0, 0},
      {"2.5", "", "", "", "above", 0, 2.5f, 0, 0},
      {"", "1", "0:00", "", "below", 0, 1, 0, 0}, // a zero time counts as none
      {"1", "3.5 ft", "6:00", "6:00", "between", 1, 3.5f, 21600, 64800},
      {"3", "1", "5:30", "7", "between", 3, 1, 19800, 68400}, // the latest in the afternoon
  };
  window->LateAMPM()->SetListIndex(1);
  window->MinLength()->SetText("1:30");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.higher) + " / " + c.lower);
    window->TideHigher()->SetText(c.higher);
    window->TideLower()->SetText(c.lower);
    window->EarlyTime()->SetText(c.early);
    window->LateTime()->SetText(c.late);
    window->Result()->AddRow("earlier row");
    window->lastcollection = std::make_shared<TimeAndTide>();
    window->SearchButton()->Push();

    const std::shared_ptr<GetTidesShell> shell = window->shellToPoll;
    ASSERT_NE(shell, nullptr);
    EXPECT_TRUE(dialogs->calls.empty());
    EXPECT_EQ(status(), "Scanning tides");
    EXPECT_EQ(window->Result()->ListCount(), 0);
    EXPECT_EQ(window->lastcollection, nullptr);
    EXPECT_EQ(std::tuple(shell->Mode, shell->TimeOut, shell->reportBox),
              std::tuple(2, 30000, window->Result()));
    EXPECT_EQ(std::tuple(shell->compare, shell->lotide, shell->hitide, shell->stime, shell->etime,
                         shell->minlength),
              std::tuple(c.compare, c.lotide, c.hitide, c.stime, c.etime, 5400));
  }
}

class SearchEndToEndTest : public SearchTest {
protected:
  void SetUp() override {
    if (!predictorBuilt())
      GTEST_SKIP() << "the predictor is not built in " << HALVORN_RESOURCES_DIR;
    SearchTest::SetUp();
  }
};

TEST_F(SearchEndToEndTest, SeattleWeekIsPublishedOnceByTheWindowsTimer) {
  window->ShellPoller()->SetMode(2);
  window->SearchButton()->Push();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->shellToPoll; }, 30000));

  const auto found = rows(window->Result());
  ASSERT_EQ(found.size(), 6u);
  EXPECT_EQ(found[0], "Start 12/5/2026 7:15 PM (0.753787) to  10:15 PM (0.577118)");
  EXPECT_EQ(found[3], "Start 12/8/2026 8:30 PM (0.637157) to  12:15 AM (0.489077)");
  ASSERT_TRUE(window->lastcollection && window->lastfound);
  const TimeAndTide& samples = *window->lastcollection;
  EXPECT_EQ(samples.ntimesandtides, 672);
  EXPECT_EQ(window->lastfound->ntimesandtides, 6);
  const auto [lowest, highest] =
      std::minmax_element(samples.tides.begin(), samples.tides.begin() + samples.ntimesandtides);
  EXPECT_EQ(status(), kCompleted + "range was " + fw::Str(*lowest) + " to " + fw::Str(*highest));
  EXPECT_TRUE(children().empty());

  window->Status()->SetText("after");
  window->ShellPoller_Action();
  EXPECT_EQ(status(), "after");
  EXPECT_EQ(&*window->lastcollection, &samples);
}

TEST_F(SearchEndToEndTest, FailedRunsEndWithTheirLastWordsAndNothingRunsAsACommand) {
  const std::string longName = "Nowhere \xc3\xa9 " + std::string(289, 'n'); // 300 bytes
  const std::string punctuation = "Bay 'x' #1 *?[a] {b,c} ~d; e & f | g < h > (i) %j ^k \xc3\xa9 l";
  const std::string odd = "/no $HOME !x 'q' \"dq\" `b` \\bs ~/";
  const std::string tide = resource("tide"), tcd = resource("harmonics.tcd");
  const struct {
    std::string what, tool, database, place, lastWords;
  } cases[] = {
      {"unknown place", tide, tcd, "Atlantis", "Atlantis"},
      {"300-byte name", tide, tcd, longName, longName},
      {"shell punctuation", tide, tcd, punctuation, punctuation},
      {"missing tool", odd + "tide", tcd, kSeattle, odd + "tide"},
      {"missing database", tide, odd + "h.tcd", kSeattle, odd + "h.tcd"},
      {"silent tool", "/bin/true", tcd, kSeattle, "the tide tool printed nothing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    toolPaths() = {fw::FolderItem(c.tool), fw::FolderItem(c.database)};
    window->thePlace = c.place;
    window->FindTides();
    ASSERT_TRUE(runToPublication());
    EXPECT_THAT(status(), StartsWith(kFailed));
    EXPECT_THAT(status(), HasSubstr(c.lastWords));
    EXPECT_EQ(window->Result()->ListCount(), 0);
    EXPECT_EQ(window->lastcollection->ntimesandtides, 0);
    EXPECT_EQ(window->lastfound->ntimesandtides, 0);
  }
  EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(SearchEndToEndTest, ANewerSearchEndsTheRunningOneAndAloneIsPublished) {
  // A year's output fills the pipe while nothing reads it, so the first
  // predictor is still there when the second search starts.
  window->StartDate()->SetText("1/1/2026");
  window->EndDate()->SetText("12/31/2026");
  window->FindTides();
  const auto first = children();
  ASSERT_EQ(first.size(), 1u);
  const pid_t shell = first.begin()->first;
  const auto predictorRuns = [shell] {
    const auto running = children(shell);
    return std::any_of(running.begin(), running.end(),
                       [](const auto& child) { return child.second == "tide"; });
  };
  for (int tries = 0; !predictorRuns() && tries < 1000; ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(predictorRuns());

  seattleWeek();
  window->FindTides();

  EXPECT_FALSE(children().count(shell));
  EXPECT_TRUE(QTest::qWaitFor([&] { return children(shell).empty(); }, 5000));
  ASSERT_TRUE(runToPublication());
  EXPECT_EQ(window->Result()->ListCount(), 6);
  EXPECT_EQ(window->lastcollection->ntimesandtides, 672);
  EXPECT_THAT(status(), StartsWith(kCompleted));
}

} // namespace
