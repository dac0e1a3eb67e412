// The search form's checks and criteria, and searches run end to end through
// /bin/csh, our predictor and the real database to their publication.

#include "HalvornWindowFixture.h"
#include "Processes.h"
#include "engine/GetTidesShell.h"
#include "engine/TimeAndTide.h"
#include "fw/Text.h"

#include <QTest>
#include <algorithm>
#include <functional>
#include <gmock/gmock.h>

namespace {

using namespace std::string_literals;

const std::string kSeattle = "Seattle, Puget Sound, Washington";
const std::string kCompleted = "Tide search completed - checked 672, ";

class SearchTest : public HalvornWindowTest {
protected:
  void SetUp() override {
    if (!predictorBuilt())
      GTEST_SKIP() << "the predictor is not built in " << HALVORN_RESOURCES_DIR;
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

// The seconds each text gives with the popup's half of the day; "-": refused,
// the seconds left as they were.
std::string parsed(const std::string& ampm, std::initializer_list<const char*> texts) {
  std::string got;
  for (const char* text : texts) {
    std::int32_t seconds = -1;
    const bool read = Halvorn::ParseTime(text, ampm, seconds);
    got += (read || seconds != -1 ? std::to_string(seconds) : "-") + " ";
  }
  return got;
}

TEST(ParseTime, ReadsTimesAndDurationsAndKeepsSecondsOnFailure) {
  EXPECT_EQ(
      parsed("", {"", "0", "1", "1:30", "24:00", "1:60", "7.5", "abc:xyz", "abc", "am", "6am"}),
      "0 - 3600 5400 - - 25500 0 - - 21600 ");
  // A typed suffix is cut off; the popup alone says which half of the day.
  EXPECT_EQ(parsed("AM", {"5:30", "12:15", "5:30pm"}), "19800 44100 19800 ");
  EXPECT_EQ(parsed("PM", {"5:30", "12:15", "0:30"}), "63000 44100 45000 ");
}

std::function<void(Halvorn&)> field(fw::TextField* (Halvorn::*control)() const, std::string text) {
  return [control, text](Halvorn& w) { (w.*control)()->SetText(text); };
}

TEST_F(SearchTest, EachFailedCheckTellsItsMessageAndChangesNothingAndStartsNoProcess) {
  const std::string pairing =
      "If you have an early time, you must also have a late time, and vice versa";
  const std::string noPath = "The path cannot be passed to the tide tool: ";
  struct Refused {
    std::function<void(Halvorn&)> spoil;
    std::string message;          // "": none
    const char* status = nullptr; // nullptr: the earlier one stays
  };
  std::vector<Refused> cases = {
      {field(&Halvorn::StartDate, "2/30/2026"), "Invalid start date"},
      {field(&Halvorn::EndDate, "soon"), "Invalid end date"},
      {field(&Halvorn::EarlyTime, "24:00"), "Invalid earliest time"},
      {field(&Halvorn::LateTime, "1:60"), "Invalid latest time"},
      {field(&Halvorn::EarlyTime, "6:00"), pairing},
      {field(&Halvorn::LateTime, "6"), pairing},
      {field(&Halvorn::MinLength, "0"), "Invalid minimum time"},
      {[](Halvorn& w) { w.thePlace = "$x", w.EndDate()->SetText(""); }, "Invalid end date"},
      {[](Halvorn&) { toolPaths().tidePath = fw::FolderItem("/a\n/tide"); }, noPath + "/a\n/tide"},
      {[](Halvorn&) { toolPaths().hfilepath = fw::FolderItem("/a\r/h.tcd"); },
       noPath + "/a\r/h.tcd"},
      // The tools are looked for before the form is read.
      {[](Halvorn& w) { toolPaths().tidePath.reset(), w.StartDate()->SetText("x"); }, "",
       "Cannot find tides, cannot find a version of tide/xtide"},
      {[](Halvorn&) { toolPaths().hfilepath.reset(); }, "",
       "Cannot find tides, cannot find a version of the harmonics database"},
  };
  for (const std::string& special : {"\""s, "$"s, "!"s, "`"s, "\\"s, "\r"s, "\n"s, "\0"s}) {
    const std::string name = "Bay" + special + "x";
    cases.push_back({[name](Halvorn& w) { w.thePlace = name; },
                     "The place name cannot be passed to the tide tool: " + name});
  }
  const auto earlier = window->shellToPoll = std::make_shared<GetTidesShell>();
  const auto collection = window->lastcollection = std::make_shared<TimeAndTide>();
  window->Result()->AddRow("earlier row");
  for (const Refused& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.message) + (c.status ? c.status : ""));
    seattleWeek();
    window->Status()->SetText("earlier status");
    dialogs->calls.clear();

    c.spoil(*window);
    window->FindTides();

    EXPECT_EQ(dialogs->messages(),
              c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
    EXPECT_EQ(status(), c.status ? c.status : "earlier status");
    EXPECT_EQ(std::tuple(window->shellToPoll, window->lastcollection, rows(window->Result())),
              std::tuple(earlier, collection, std::vector<std::string>{"earlier row"}));
    EXPECT_TRUE(children().empty()) << "a process started";
  }
}

TEST_F(SearchTest, TheHeightFieldsChooseTheComparisonAndTheTimesTheWindow) {
  const struct {
    const char *higher, *lower, *early, *late, *compare;
    float lotide, hitide;
    std::int32_t stime, etime;
  } cases[] = {
      {"2.5", "", "", "", "above", 0, 2.5f, 0, 0},
      {"", "1", "0:00", "", "below", 0, 1, 0, 0}, // a zero time counts as none
      {"1", "3.5 ft", "6:00", "6:00", "between", 1, 3.5f, 21600, 64800},
  };
  window->LateAMPM()->SetListIndex(1); // the latest in the afternoon
  window->MinLength()->SetText("1:30");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.higher) + " / " + c.lower);
    window->TideHigher()->SetText(c.higher);
    window->TideLower()->SetText(c.lower);
    window->EarlyTime()->SetText(c.early);
    window->LateTime()->SetText(c.late);
    window->FindTides();
    const std::shared_ptr<GetTidesShell> shell = window->shellToPoll;
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(std::tuple(shell->compare, shell->lotide, shell->hitide, shell->stime, shell->etime,
                         shell->minlength),
              std::tuple(c.compare, c.lotide, c.hitide, c.stime, c.etime, 5400));
  }
}

TEST_F(SearchTest, SeattleWeekStartsFromAClearedListAndIsPublishedOnceByTheTimer) {
  window->Result()->AddRow("earlier row");
  window->lastcollection = std::make_shared<TimeAndTide>();
  window->ShellPoller()->SetMode(2);
  window->SearchButton()->Push();
  ASSERT_NE(window->shellToPoll, nullptr);
  EXPECT_EQ(std::tuple(status(), window->Result()->ListCount(), window->lastcollection.get(),
                       window->shellToPoll->TimeOut),
            std::tuple("Scanning tides", 0, nullptr, 30000));
  ASSERT_TRUE(QTest::qWaitFor([this] { return !window->shellToPoll; }, 30000));

  const auto found = rows(window->Result());
  ASSERT_EQ(found.size(), 6u);
  EXPECT_EQ(found[0], "Start 12/5/2026 7:15 PM (0.753787) to  10:15 PM (0.577118)");
  EXPECT_EQ(found[3], "Start 12/8/2026 8:30 PM (0.637157) to  12:15 AM (0.489077)");
  ASSERT_TRUE(window->lastcollection && window->lastfound);
  const TimeAndTide& samples = *window->lastcollection;
  EXPECT_EQ(std::pair(samples.ntimesandtides, window->lastfound->ntimesandtides),
            std::pair(672, 6));
  const auto [lowest, highest] =
      std::minmax_element(samples.tides.begin(), samples.tides.begin() + samples.ntimesandtides);
  EXPECT_EQ(status(), kCompleted + "range was " + fw::Str(*lowest) + " to " + fw::Str(*highest));
  EXPECT_TRUE(children().empty());

  window->Status()->SetText("after");
  window->ShellPoller_Action();
  EXPECT_EQ(status(), "after");
}

// Stand-ins for the predictor print three samples, one period below 1 among
// them, and then fail: the run keeps their rows and shows no range. csh, fed
// from a pipe, may wait for the rest of a character that is not one in its
// locale: the 1 s time-out turns such a wait into a failure here.
TEST_F(SearchTest, RunsEndWithTheirLastWordsKeepTheirRowsAndNothingRunsAsACommand) {
  const std::string punctuation = "Bay 'x' #1 *?[a] {b,c} ~d; e & f | g < h > (i) %j ^k \xc3\xa9 l";
  const std::string longName = punctuation + std::string(300 - punctuation.size(), 'n');
  const std::string odd = "/no $HOME !x 'q' \"dq\" `b` \\bs ~/", failed = "Tide search failed - ";
  const std::string tide = resource("tide"), tcd = resource("harmonics.tcd");
  const std::string noMatch = failed + "tide: no station matches ";
  const std::string printsThree =
      "#!/bin/sh\nprintf '2026-12-05 12:00 AM PST 0.5\\n2026-12-05 12:15 "
      "AM PST 0.5\\n2026-12-05 12:30 AM PST 2\\n'\n";
  const auto standIn = [&](const std::string& name, const std::string& tail) {
    writeBytes(pathOf(name), printsThree + tail);
    ::chmod(pathOf(name).c_str(), 0755);
    return pathOf(name);
  };
  const struct {
    std::string tool, database, place, status; // status: how it starts
    int found, samples;
    const char* locale = "C.UTF-8"; // as the tests run, and so the last row leaves it
  } cases[] = {
      {tide, tcd, "Atlantis", noMatch + "\"Atlantis\"", 0, 0},
      {tide, tcd, longName, noMatch + '"' + longName + '"', 0, 0},
      {odd + "tide", tcd, kSeattle, failed + odd + "tide: Command not found.", 0, 0},
      {tide, odd + "h.tcd", kSeattle, failed + "tide: cannot open " + odd + "h.tcd: No such file",
       0, 0},
      {"/bin/true", tcd, kSeattle, failed + "the tide tool printed nothing", 0, 0},
      {standIn("error", "echo 'tide: out of space' >&2; exit 1"), tcd, kSeattle,
       failed + "tide: out of space", 1, 3},
      // csh glues its message to the cut line, which is then no sample.
      {standIn("signal", "printf '2026-12-05 12:45 AM PST 0.4'; kill -9 $$"), tcd, kSeattle,
       failed + "2026-12-05 12:45 AM PST 0.4Killed", 1, 3},
      {standIn("silence", "exec sleep 60"), tcd, kSeattle, failed + "the tide tool did not finish",
       1, 3},
      // A line that never ends is no tide data: the run ends at once, and its tool with it.
      {standIn("flood", "head -c 100000000 /dev/zero; exec sleep 60"), tcd, kSeattle,
       failed + "the tide tool printed a line too long", 1, 3},
      // A week holds 672 samples; two days more are allowed.
      {standIn("repeats", "exec yes '2026-12-05 12:45 AM PST 0.4'"), tcd, kSeattle,
       failed + "the tide tool printed more samples than the dates hold", 1, 864},
      {tide, tcd, "Mayag\u00fcez", kCompleted, 7, 672, "C"},
      {tide, tcd, "Maya\xff", noMatch, 0, 0},
  };
  window->MinLength()->SetText("");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tool + " " + c.place);
    ::setenv("LC_ALL", c.locale, 1);
    toolPaths() = {fw::FolderItem(c.tool), fw::FolderItem(c.database)};
    window->thePlace = c.place;
    window->FindTides();
    window->shellToPoll->TimeOut = 1000;
    ASSERT_TRUE(runToPublication());
    EXPECT_THAT(status(), testing::StartsWith(c.status));
    EXPECT_EQ(std::tuple(window->Result()->ListCount(), window->lastfound->ntimesandtides,
                         window->lastcollection->ntimesandtides),
              std::tuple(c.found, c.found, c.samples));
    EXPECT_TRUE(children().empty());
  }
  EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(SearchTest, ANewerSearchEndsTheRunningOneAndAloneIsPublished) {
  // A year's output fills the pipe while nothing reads it, so the first
  // predictor is still there when the second search starts.
  window->StartDate()->SetText("1/1/2026");
  window->EndDate()->SetText("12/31/2026");
  window->FindTides();
  const auto first = children();
  ASSERT_EQ(first.size(), 1u);
  const pid_t shell = first.begin()->first;
  // The predictor, forked by the shell.
  ASSERT_TRUE(QTest::qWaitFor([shell] { return !children(shell).empty(); }, 10000));

  seattleWeek();
  window->FindTides();

  EXPECT_FALSE(children().count(shell));
  EXPECT_TRUE(QTest::qWaitFor([&] { return children(shell).empty(); }, 5000));
  ASSERT_TRUE(runToPublication());
  EXPECT_EQ(std::pair(window->Result()->ListCount(), window->lastcollection->ntimesandtides),
            std::pair(6, 672));
  EXPECT_THAT(status(), testing::StartsWith(kCompleted));
}

} // namespace
