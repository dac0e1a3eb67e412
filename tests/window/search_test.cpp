// The search form's checks and criteria, and searches run end to end through
// /bin/csh, our predictor and the real database to their publication.

#include "HalvornWindowFixture.h"
#include "engine/GetTidesShell.h"
#include "engine/TimeAndTide.h"
#include "fw/Date.h"
#include "fw/Text.h"

#include <QTest>
#include <filesystem>
#include <functional>
#include <gmock/gmock.h>
#include <set>
#include <sstream>
#include <thread>

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kSeattle = "Seattle, Puget Sound, Washington";
const std::string kFailed = "Tide search failed - ";
const std::string kCompleted = "Tide search completed - checked 672, ";

struct Process {
  pid_t pid = 0, parent = 0, group = 0;
  char state = '?';
};

std::vector<Process> processes() {
  std::vector<Process> found;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    Process p{static_cast<pid_t>(std::atoi(entry.path().filename().c_str()))};
    if (p.pid <= 0)
      continue;
    std::ifstream stat(entry.path() / "stat");
    const std::string text{std::istreambuf_iterator<char>(stat), {}};
    // The command name may hold blanks and parentheses; the fields follow its last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
      continue;
    std::istringstream(text.substr(close + 1)) >> p.state >> p.parent >> p.group;
    found.push_back(p);
  }
  return found;
}

std::set<pid_t> childrenOf(pid_t parent) {
  std::set<pid_t> pids;
  for (const Process& p : processes())
    if (p.parent == parent && p.state != 'Z')
      pids.insert(p.pid);
  return pids;
}

// Gone, or a zombie only waiting for whoever inherited it.
bool processEnded(pid_t pid) {
  for (const Process& p : processes())
    if (p.pid == pid)
      return p.state == 'Z';
  return true;
}

struct Form {
  std::string start = "12/5/2026", end = "12/11/2026", higher, lower = "1", minLength = "1:00",
              early, late;
  Form with(std::string Form::*field, std::string value) const {
    Form changed = *this;
    changed.*field = std::move(value);
    return changed;
  }
};

class SearchTest : public HalvornWindowTest {
protected:
  void SetUp() override {
    HalvornWindowTest::SetUp();
    window = open(); // with no tools known yet, so it starts no place list
    window->ShellPoller()->SetMode(0);
    useBuiltTools();
    window->thePlace = kSeattle;
    fill(Form{});
  }
  void fill(const Form& form) const {
    window->StartDate()->SetText(form.start);
    window->EndDate()->SetText(form.end);
    window->TideHigher()->SetText(form.higher);
    window->TideLower()->SetText(form.lower);
    window->MinLength()->SetText(form.minLength);
    window->EarlyTime()->SetText(form.early);
    window->LateTime()->SetText(form.late);
  }
  // Ticks the poller as its timer would, only faster.
  bool runToPublication() const {
    return QTest::qWaitFor(
        [this] {
          window->ShellPoller_Action();
          return !window->shellToPoll;
        },
        30000);
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
      {"0:00", "", 0},
      {"24:00", "", -1},
      {"1:60", "", -1},
      {"-1", "", -1},
      {"7.5", "", 25500},
      {"5:30", "AM", 19800},
      {"5:30", "PM", 63000},
      {"5:30", "pm", 63000},
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

TEST(SearchTexts, DatesInISOFormAndPathsAsOneShellWord) {
  EXPECT_EQ(Halvorn::DateToISOFormat(fw::Date::FromFields(2026, 12, 5, 23, 59, 59)),
            "2026-12-05 23:59");
  EXPECT_EQ(Halvorn::DateToISOFormat(fw::Date::FromFields(987, 1, 2, 3, 4)), "0987-01-02 03:04");
  EXPECT_EQ(Halvorn::GetUNIXPath(std::nullopt), "");
  EXPECT_EQ(Halvorn::GetUNIXPath(fw::FolderItem("/opt/tide tools/tide")), "/opt/tide\\ tools/tide");
}

std::function<void(Halvorn&)> field(fw::TextField* (Halvorn::*control)() const, std::string text) {
  return [control, text](Halvorn& w) { (w.*control)()->SetText(text); };
}

TEST_F(SearchTest, EachFailedCheckTellsItsMessageAndChangesNothing) {
  const std::string pairing =
      "If you have an early time, you must also have a late time, and vice versa";
  const std::string placePrefix = "The place name cannot be passed to the tide tool: ";
  const std::string pathPrefix = "The path cannot be passed to the tide tool: ";
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
      {"dates before the place", [](Halvorn& w) { w.thePlace = "$HOME", w.EndDate()->SetText(""); },
       "Invalid end date"},
      {"tool path with a line end",
       [](Halvorn&) { toolPaths().tidePath = fw::FolderItem("/opt/x\n/tide"); },
       pathPrefix + "/opt/x\n/tide"},
      {"database path with a CR",
       [](Halvorn&) { toolPaths().hfilepath = fw::FolderItem("/opt/x\r/harmonics.tcd"); },
       pathPrefix + "/opt/x\r/harmonics.tcd"},
      // The tools are looked for before the form is read.
      {"no tool", [](Halvorn& w) { toolPaths().tidePath.reset(), w.StartDate()->SetText("x"); }, "",
       "Cannot find tides, cannot find a version of tide/xtide"},
      {"no database",
       [](Halvorn& w) { toolPaths().hfilepath.reset(), w.StartDate()->SetText("x"); }, "",
       "Cannot find tides, cannot find a version of the harmonics database"},
  };
  using namespace std::string_literals;
  for (const std::string& special : {"\""s, "$"s, "!"s, "`"s, "\\"s, "\r"s, "\n"s, "\0"s}) {
    const std::string name = "Bay" + special + "x";
    cases.push_back({"place " + testing::PrintToString(name),
                     [name](Halvorn& w) { w.thePlace = name; }, placePrefix + name});
  }
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.what);
    fill(Form{});
    useBuiltTools();
    window->thePlace = kSeattle;
    window->FindTides();
    const std::shared_ptr<GetTidesShell> running = window->shellToPoll;
    ASSERT_TRUE(running);
    window->Result()->AddRow("earlier row");
    window->Status()->SetText("earlier status");
    const auto collection = window->lastcollection = std::make_shared<TimeAndTide>();
    const std::set<pid_t> children = childrenOf(::getpid());
    dialogs->calls.clear();

    c.spoil(*window);
    window->FindTides();

    EXPECT_EQ(dialogs->messages(),
              c.message.empty() ? std::vector<std::string>{} : std::vector{c.message});
    EXPECT_EQ(status(), c.status ? c.status : "earlier status");
    EXPECT_EQ(window->shellToPoll, running);
    EXPECT_TRUE(running->IsRunning());
    EXPECT_EQ(window->lastcollection, collection);
    EXPECT_EQ(rows(window->Result()), std::vector<std::string>{"earlier row"});
    EXPECT_TRUE(std::ranges::includes(children, childrenOf(::getpid()))) << "a process started";
  }
}

TEST_F(SearchTest, AcceptedFormsSetTheSearchsCriteria) {
  const struct {
    const char *higher, *lower, *early, *late, *compare;
    float lotide, hitide;
    std::int32_t stime, etime;
  } cases[] = {
      {"", "", "", "", "above", 0, 0, 0, 0},
      {"2.5", "", "", "", "above", 0, 2.5f, 0, 0},
      {"tall", "", "", "", "above", 0, 0, 0, 0},
      {"", "1", "0:00", "", "below", 0, 1, 0, 0}, // a zero time counts as none
      {"1", "3.5 ft", "6:00", "6:00", "between", 1, 3.5f, 21600, 21600},
      {"3", "1", "5", "7:30", "between", 3, 1, 18000, 27000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.higher) + " / " + c.lower);
    fill(Form{}
             .with(&Form::higher, c.higher)
             .with(&Form::lower, c.lower)
             .with(&Form::early, c.early)
             .with(&Form::late, c.late));
    window->FindTides();
    EXPECT_TRUE(dialogs->calls.empty());
    ASSERT_NE(window->shellToPoll, nullptr);
    EXPECT_EQ(window->shellToPoll->compare, c.compare);
    EXPECT_EQ(std::pair(window->shellToPoll->lotide, window->shellToPoll->hitide),
              std::pair(c.lotide, c.hitide));
    EXPECT_EQ(std::pair(window->shellToPoll->stime, window->shellToPoll->etime),
              std::pair(c.stime, c.etime));
  }
}

TEST_F(SearchTest, ASearchStartsFromAClearedListWithItsCriteriaSet) {
  window->Result()->AddRow("earlier row");
  window->lastcollection = std::make_shared<TimeAndTide>();
  fill(Form{}.with(&Form::minLength, "1:30").with(&Form::early, "5:30").with(&Form::late, "7"));
  window->LateAMPM()->SetListIndex(1);

  window->SearchButton()->Push();

  const std::shared_ptr<GetTidesShell> shell = window->shellToPoll;
  ASSERT_NE(shell, nullptr);
  EXPECT_EQ(status(), "Scanning tides");
  EXPECT_EQ(window->Result()->ListCount(), 0);
  EXPECT_EQ(window->lastcollection, nullptr);
  EXPECT_EQ(std::pair(shell->Mode, shell->TimeOut), std::pair(2, 30000));
  EXPECT_TRUE(shell->IsRunning());
  EXPECT_EQ(shell->reportBox, window->Result());
  EXPECT_EQ(std::tuple(shell->stime, shell->etime, shell->minlength),
            std::tuple(19800, 68400, 5400));
  ASSERT_TRUE(shell->collector && shell->foundTides && shell->tempwhen);
  EXPECT_NE(shell->collector, shell->foundTides);
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
  EXPECT_TRUE(childrenOf(::getpid()).empty());

  window->Status()->SetText("after");
  window->ShellPoller_Action();
  EXPECT_EQ(status(), "after");
  EXPECT_EQ(&*window->lastcollection, &samples);
}

TEST_F(SearchEndToEndTest, FailedRunsEndWithTheirLastWords) {
  std::string longName = "Nowhere \xc3\xa9 ";
  while (longName.size() < 300)
    longName += "abcdefghij";
  longName.resize(300);
  const std::string punctuation = "Bay 'x' #1 *?[a] {b,c} ~d; e & f | g < h > (i) %j ^k \xc3\xa9 l";
  const struct {
    std::string what, tool, database, place, lastWords;
  } cases[] = {
      {"unknown place", resource("tide"), resource("harmonics.tcd"), "Atlantis", "Atlantis"},
      {"300-byte name", resource("tide"), resource("harmonics.tcd"), longName, longName},
      {"shell punctuation", resource("tide"), resource("harmonics.tcd"), punctuation, punctuation},
      {"missing tool", "/no folder/tide", resource("harmonics.tcd"), kSeattle, "/no folder/tide"},
      {"missing database", resource("tide"), "/no folder/h.tcd", kSeattle, "/no folder/h.tcd"},
      {"silent tool", "/bin/true", resource("harmonics.tcd"), kSeattle,
       "the tide tool printed nothing"},
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

TEST_F(SearchEndToEndTest, PathsWithShellCharactersReachThePredictorWhole) {
  const std::filesystem::path folder = pathOf("tools $HOME !x 'q' \"dq\" `b` \\bs \xc3\xa9 ~");
  std::filesystem::create_directories(folder);
  std::filesystem::create_symlink(resource("tide"), folder / "tide");
  std::filesystem::create_symlink(resource("harmonics.tcd"), folder / "harmonics.tcd");
  toolPaths() = {fw::FolderItem(folder / "tide"), fw::FolderItem(folder / "harmonics.tcd")};
  window->FindTides();
  ASSERT_TRUE(runToPublication());
  EXPECT_TRUE(dialogs->calls.empty());
  EXPECT_EQ(window->Result()->ListCount(), 6) << status();
  EXPECT_THAT(status(), StartsWith(kCompleted));
}

TEST_F(SearchEndToEndTest, ANewerSearchEndsTheRunningOneAndAloneIsPublished) {
  // A year's output fills the pipe while nothing reads it, so the first
  // predictor is still there when the second search starts.
  fill(Form{}
           .with(&Form::start, "1/1/2026")
           .with(&Form::end, "12/31/2026")
           .with(&Form::lower, "")
           .with(&Form::minLength, ""));
  window->FindTides();
  const std::set<pid_t> shells = childrenOf(::getpid());
  ASSERT_EQ(shells.size(), 1u);
  const pid_t shell = *shells.begin();
  pid_t predictor = 0; // under the search's csh, once csh has started it
  for (int tries = 0; predictor == 0 && tries < 1000; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    for (const Process& p : processes())
      if (p.group == shell && p.pid != shell && p.state != 'Z')
        predictor = p.pid;
  }
  ASSERT_NE(predictor, 0);

  fill(Form{});
  window->FindTides();

  EXPECT_TRUE(processEnded(shell));
  EXPECT_TRUE(QTest::qWaitFor([&] { return processEnded(predictor); }, 5000));
  ASSERT_TRUE(runToPublication());
  EXPECT_EQ(window->Result()->ListCount(), 6);
  EXPECT_EQ(window->lastcollection->ntimesandtides, 672);
  EXPECT_THAT(status(), StartsWith(kCompleted));
}

} // namespace
