// The search form: time and date texts, the checks and their messages, and
// what a search sets up before its shell runs.

#include "SearchWindow.h"
#include "engine/TimeAndTide.h"
#include "fw/Date.h"

#include <cstdint>
#include <functional>
#include <gmock/gmock.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace searchtest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int32_t kUntouched = 777;

struct TimeCase {
  const char* text;
  const char* ampm;
  std::optional<std::int32_t> seconds; // nullopt: refused
};

const TimeCase kTimeCases[] = {
    {"", "", 0},
    {"", "PM", 0},
    {"0", "", std::nullopt},
    {"1", "", 3600},
    {"1:30", "", 5400},
    {"0:00", "", 0},
    {"23:59", "", 86340},
    {"24:00", "", std::nullopt},
    {"1:60", "", std::nullopt},
    {"-1", "", std::nullopt},
    {"1:-5", "", std::nullopt},
    {"7.5", "", 7 * 3600 + 5 * 60},
    {"5:30", "AM", 19800},
    {"5:30", "PM", 17 * 3600 + 30 * 60},
    {"5:30", "pm", 17 * 3600 + 30 * 60},
    {"12:15", "AM", 44100},
    {"12:15", "PM", 44100},
    {"0:30", "PM", 45000},
    {"abc:xyz", "", 0},
    {"abc", "", std::nullopt},
    {"am", "", std::nullopt},
    {"PM", "PM", std::nullopt},
    // A typed suffix is cut off; the popup alone says which half of the day.
    {"5:30pm", "AM", 19800},
    {"5:30 PM", "PM", 17 * 3600 + 30 * 60},
    {"6am", "", 21600},
};

TEST(ParseTime, ReadsTimesAndDurationsAndKeepsSecondsOnFailure) {
  for (const TimeCase& c : kTimeCases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\" with \"" + c.ampm + "\"");
    std::int32_t seconds = kUntouched;
    const bool ok = Halvorn::ParseTime(c.text, c.ampm, seconds);
    EXPECT_EQ(ok, c.seconds.has_value());
    EXPECT_EQ(seconds, c.seconds.value_or(kUntouched));
  }
}

TEST(DateToISOFormat, PadsFieldsAndDropsSeconds) {
  EXPECT_EQ(Halvorn::DateToISOFormat(fw::Date::FromFields(2026, 12, 5)), "2026-12-05 00:00");
  EXPECT_EQ(Halvorn::DateToISOFormat(fw::Date::FromFields(2026, 12, 5, 23, 59, 59)),
            "2026-12-05 23:59");
  EXPECT_EQ(Halvorn::DateToISOFormat(fw::Date::FromFields(987, 1, 2, 3, 4)), "0987-01-02 03:04");
}

TEST(GetUNIXPath, NilIsEmptyElseOneShellWord) {
  EXPECT_EQ(Halvorn::GetUNIXPath(std::nullopt), "");
  EXPECT_EQ(Halvorn::GetUNIXPath(fw::FolderItem("/opt/tide tools/tide")), "/opt/tide\\ tools/tide");
}

using SearchFormTest = SearchWindowTest;

// What a failed check must leave alone: the list, the status line, the series
// of the last search and a search still running.
struct Before {
  std::shared_ptr<GetTidesShell> running;
  std::shared_ptr<TimeAndTide> collection = std::make_shared<TimeAndTide>();
  std::string statusText = "earlier status";
  std::string row = "earlier row";
};

Before startEarlierSearch(Halvorn& window) {
  Before before;
  window.FindTides();
  before.running = window.shellToPoll;
  window.Result()->AddRow(before.row);
  window.Status()->SetText(before.statusText);
  window.lastcollection = before.collection;
  return before;
}

void expectUnchanged(Halvorn& window, const Before& before, bool statusKept = true) {
  ASSERT_TRUE(before.running);
  EXPECT_EQ(window.shellToPoll, before.running);
  EXPECT_TRUE(before.running->IsRunning());
  EXPECT_EQ(before.running->reportBox, window.Result());
  EXPECT_EQ(window.lastcollection, before.collection);
  ASSERT_EQ(window.Result()->ListCount(), 1);
  EXPECT_EQ(window.Result()->List(0), before.row);
  if (statusKept) {
    EXPECT_EQ(window.Status()->Text(), before.statusText);
  }
}

struct RefusedForm {
  const char* what;
  std::function<void(Halvorn&)> spoil;
  std::string message;
};

const std::string kPlacePrefix = "The place name cannot be passed to the tide tool: ";
const std::string kPathPrefix = "The path cannot be passed to the tide tool: ";

std::function<void(Halvorn&)> field(fw::TextField* (Halvorn::*control)() const, std::string text) {
  return [control, text](Halvorn& w) { (w.*control)()->SetText(text); };
}

const std::vector<RefusedForm> kRefusedForms = {
    {"empty start", field(&Halvorn::StartDate, ""), "Invalid start date"},
    {"impossible start", field(&Halvorn::StartDate, "2/30/2026"), "Invalid start date"},
    {"unreadable end", field(&Halvorn::EndDate, "soon"), "Invalid end date"},
    {"earliest 24:00", field(&Halvorn::EarlyTime, "24:00"), "Invalid earliest time"},
    {"latest 1:60", field(&Halvorn::LateTime, "1:60"), "Invalid latest time"},
    {"earliest without latest", field(&Halvorn::EarlyTime, "6:00"),
     "If you have an early time, you must also have a late time, and vice versa"},
    {"latest without earliest", field(&Halvorn::LateTime, "6"),
     "If you have an early time, you must also have a late time, and vice versa"},
    {"bare zero shortest", field(&Halvorn::MinLength, "0"), "Invalid minimum time"},
    {"shortest 24:00", field(&Halvorn::MinLength, "24:00"), "Invalid minimum time"},
    {"dates come before the place",
     [](Halvorn& w) {
       w.thePlace = "$HOME";
       w.EndDate()->SetText("");
     },
     "Invalid end date"},
    {"place with a quote", [](Halvorn& w) { w.thePlace = "Bay \"North\""; },
     kPlacePrefix + "Bay \"North\""},
    {"tool path with a line end",
     [](Halvorn&) { toolPaths().tidePath = fw::FolderItem("/opt/x\n/tide"); },
     kPathPrefix + "/opt/x\n/tide"},
    {"database path with a CR",
     [](Halvorn&) { toolPaths().hfilepath = fw::FolderItem("/opt/x\r/harmonics.tcd"); },
     kPathPrefix + "/opt/x\r/harmonics.tcd"},
};

TEST_F(SearchFormTest, EachFailedCheckTellsItsMessageAndChangesNothing) {
  for (const RefusedForm& c : kRefusedForms) {
    SCOPED_TRACE(c.what);
    fill(Form{});
    useBuiltTools();
    window->thePlace = "Seattle, Puget Sound, Washington";
    dialogs->calls.clear();
    const Before before = startEarlierSearch(*window);

    c.spoil(*window);
    window->FindTides();

    EXPECT_THAT(dialogs->messages(), ElementsAre(c.message));
    expectUnchanged(*window, before);
  }
}

TEST_F(SearchFormTest, MissingToolOrDatabaseGoesToTheStatusLineFirst) {
  const struct {
    bool tool, database;
    const char* status;
  } cases[] = {
      {false, true, "Cannot find tides, cannot find a version of tide/xtide"},
      {false, false, "Cannot find tides, cannot find a version of tide/xtide"},
      {true, false, "Cannot find tides, cannot find a version of the harmonics database"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    useBuiltTools();
    dialogs->calls.clear();
    const Before before = startEarlierSearch(*window);
    fill(Form{}.with(&Form::start, "not a date"));
    if (!c.tool)
      toolPaths().tidePath.reset();
    if (!c.database)
      toolPaths().hfilepath.reset();

    window->FindTides();

    EXPECT_THAT(dialogs->messages(), IsEmpty());
    EXPECT_EQ(status(), c.status);
    expectUnchanged(*window, before, false);
    fill(Form{});
  }
}

TEST_F(SearchFormTest, PlaceNamesThatCshWouldReadAreRefusedBeforeAnyProcess) {
  const std::string specials[] = {"\"", "$", "!", "`", "\\", "\r", "\n", std::string(1, '\0')};
  for (const std::string& special : specials) {
    const std::string name = "Bay" + special + "x";
    SCOPED_TRACE(testing::PrintToString(name));
    window->thePlace = name;
    window->Status()->SetText("before");
    dialogs->calls.clear();
    const auto childrenBefore = childrenOf(::getpid());

    window->FindTides();

    EXPECT_THAT(dialogs->messages(), ElementsAre(kPlacePrefix + name));
    EXPECT_EQ(window->shellToPoll, nullptr);
    EXPECT_EQ(status(), "before");
    EXPECT_EQ(childrenOf(::getpid()), childrenBefore);
  }
}

TEST_F(SearchFormTest, AcceptedTimePairsStartASearch) {
  const struct {
    const char *early, *late;
    std::int32_t stime, etime;
  } cases[] = {
      {"0:00", "", 0, 0},
      {"", "0:00", 0, 0},
      {"6:00", "6:00", 21600, 21600},
      {"5", "7:30", 18000, 27000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.early) + " / " + c.late);
    window->shellToPoll.reset();
    fill(Form{}.with(&Form::early, c.early).with(&Form::late, c.late));
    window->FindTides();
    EXPECT_THAT(dialogs->messages(), IsEmpty());
    ASSERT_NE(window->shellToPoll, nullptr);
    EXPECT_EQ(window->shellToPoll->stime, c.stime);
    EXPECT_EQ(window->shellToPoll->etime, c.etime);
  }
}

TEST_F(SearchFormTest, HeightFieldsChooseTheComparison) {
  const struct {
    const char *higher, *lower, *compare;
    float lotide, hitide;
  } cases[] = {
      {"", "", "above", 0, 0},     {"2.5", "", "above", 0, 2.5f},
      {"tall", "", "above", 0, 0}, {"", "1", "below", 0, 1},
      {"", "low", "below", 0, 0},  {"1", "3.5 ft", "between", 1, 3.5f},
      {"3", "1", "between", 3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("higher \"") + c.higher + "\", lower \"" + c.lower + "\"");
    fill(Form{}.with(&Form::higher, c.higher).with(&Form::lower, c.lower));
    window->FindTides();
    ASSERT_NE(window->shellToPoll, nullptr);
    EXPECT_EQ(window->shellToPoll->compare, c.compare);
    EXPECT_EQ(window->shellToPoll->lotide, c.lotide);
    EXPECT_EQ(window->shellToPoll->hitide, c.hitide);
  }
}

TEST_F(SearchFormTest, ASearchStartsFromAClearedListWithItsCriteriaSet) {
  window->Result()->AddRow("earlier row");
  window->lastcollection = std::make_shared<TimeAndTide>();
  const auto earlierFound = window->lastfound = std::make_shared<TimeAndTide>();
  fill(Form{}.with(&Form::minLength, "1:30").with(&Form::early, "5:30").with(&Form::late, "7"));
  window->LateAMPM()->SetListIndex(1);

  window->SearchButton()->Push();

  const std::shared_ptr<GetTidesShell> shell = window->shellToPoll;
  ASSERT_NE(shell, nullptr);
  EXPECT_EQ(status(), "Scanning tides");
  EXPECT_EQ(window->Result()->ListCount(), 0);
  EXPECT_EQ(window->lastcollection, nullptr);
  EXPECT_EQ(window->lastfound, earlierFound);
  EXPECT_EQ(shell->Mode, 2);
  EXPECT_EQ(shell->TimeOut, 30000);
  EXPECT_TRUE(shell->IsRunning());
  EXPECT_EQ(shell->reportBox, window->Result());
  EXPECT_EQ(shell->stime, 19800);
  EXPECT_EQ(shell->etime, 68400);
  EXPECT_EQ(shell->minlength, 5400);
  EXPECT_FALSE(shell->lastuseit);
  ASSERT_TRUE(shell->startwhen && shell->endwhen && shell->tempwhen);
  EXPECT_EQ(shell->startwhen->TotalSeconds(), 0);
  ASSERT_TRUE(shell->collector && shell->foundTides);
  EXPECT_EQ(shell->collector->ntimesandtides, 0);
  EXPECT_EQ(shell->foundTides->ntimesandtides, 0);
  EXPECT_NE(shell->collector, shell->foundTides);
}

TEST_F(SearchFormTest, MenuCommandRunsTheSearchAndIsHandled) {
  EXPECT_TRUE(window->_TidesFindTides_Action());
  EXPECT_NE(window->shellToPoll, nullptr);
}

TEST_F(SearchFormTest, PollerWithoutASearchDoesNothing) {
  window->Status()->SetText("idle");
  window->ShellPoller_Action();
  EXPECT_EQ(status(), "idle");
  EXPECT_EQ(window->lastcollection, nullptr);
  EXPECT_EQ(window->lastfound, nullptr);
}

} // namespace
} // namespace searchtest
