// Searches run end to end: the window's search command, /bin/csh, our tide
// predictor and the real harmonics database, the poller and publication.

#include "SearchWindow.h"
#include "engine/TimeAndTide.h"
#include "fw/Text.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gmock/gmock.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace searchtest {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;

const std::string kFailed = "Tide search failed - ";

class SearchEndToEndTest : public SearchWindowTest {
protected:
  void SetUp() override {
    if (!predictorBuilt())
      GTEST_SKIP() << "the tide predictor is not built in " << HALVORN_RESOURCES_DIR;
    SearchWindowTest::SetUp();
  }

  // The search's own shell: the one child this test process has.
  static pid_t searchShellPid() {
    const auto children = childrenOf(::getpid());
    return children.size() == 1 ? children.front() : 0;
  }

  // The predictor under the search's csh, once csh has started it.
  static pid_t waitForPredictor(pid_t shellPid) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      for (pid_t pid : groupMembers(shellPid))
        if (pid != shellPid)
          return pid;
      std::this_thread::sleep_for(10ms);
    }
    return 0;
  }

  static bool waitUntilEnded(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!processEnded(pid) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(10ms);
    return processEnded(pid);
  }
};

TEST_F(SearchEndToEndTest, SeattleWeekPublishesSixPeriods) {
  window->SearchButton()->Push();
  ASSERT_TRUE(runToPublication());

  const auto found = rows();
  ASSERT_EQ(found.size(), 6u);
  EXPECT_EQ(found[0], "Start 12/5/2026 7:15 PM (0.753787) to  10:15 PM (0.577118)");
  EXPECT_EQ(found[3], "Start 12/8/2026 8:30 PM (0.637157) to  12:15 AM (0.489077)");

  ASSERT_NE(window->lastcollection, nullptr);
  ASSERT_NE(window->lastfound, nullptr);
  const TimeAndTide& samples = *window->lastcollection;
  EXPECT_EQ(samples.ntimesandtides, 672);
  EXPECT_EQ(window->lastfound->ntimesandtides, 6);
  const auto heights = samples.tides.begin();
  const auto [lowest, highest] = std::minmax_element(heights, heights + samples.ntimesandtides);
  EXPECT_EQ(status(), "Tide search completed - checked 672, range was " + fw::Str(*lowest) +
                          " to " + fw::Str(*highest));
  EXPECT_EQ(childrenOf(::getpid()), std::vector<pid_t>{});
}

TEST_F(SearchEndToEndTest, APublishedSearchIsPublishedOnce) {
  window->FindTides();
  ASSERT_TRUE(runToPublication());
  const auto collection = window->lastcollection;
  window->Status()->SetText("after");

  window->ShellPoller_Action();

  EXPECT_EQ(window->lastcollection, collection);
  EXPECT_EQ(status(), "after");
}

TEST_F(SearchEndToEndTest, ASearchWhoseToolHasEndedIsPublishedOnTheNextTick) {
  window->FindTides();
  const pid_t shell = searchShellPid();
  ASSERT_NE(shell, 0);
  // The shell takes in the output and reaps its process from the event loop.
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!processEnded(shell) && std::chrono::steady_clock::now() < deadline)
    QTest::qWait(10);
  ASSERT_TRUE(processEnded(shell));

  window->ShellPoller_Action();

  EXPECT_EQ(window->shellToPoll, nullptr);
  EXPECT_EQ(rows().size(), 6u);
}

TEST_F(SearchEndToEndTest, TheWindowsOwnTimerPublishes) {
  window->ShellPoller()->SetMode(2);
  window->FindTides();
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (window->shellToPoll && std::chrono::steady_clock::now() < deadline)
    QTest::qWait(20);
  EXPECT_EQ(window->shellToPoll, nullptr);
  EXPECT_EQ(rows().size(), 6u);
  EXPECT_THAT(status(), StartsWith("Tide search completed - checked 672, "));
}

TEST_F(SearchEndToEndTest, FailedRunsEndWithTheirLastWords) {
  std::string longName = "Nowhere \xc3\xa9 ";
  while (longName.size() < 300)
    longName += "abcdefghij";
  longName.resize(300);
  ASSERT_EQ(longName.size(), 300u);
  const struct {
    const char* what;
    std::string tool, database, place;
    std::string lastWords; // what the message must hold
  } cases[] = {
      {"unknown place", resource("tide"), resource("harmonics.tcd"), "Atlantis Harbour",
       "Atlantis Harbour"},
      {"long name", resource("tide"), resource("harmonics.tcd"), longName, longName},
      {"missing tool", "/nonexistent folder/tide", resource("harmonics.tcd"),
       "Seattle, Puget Sound, Washington", "/nonexistent folder/tide"},
      {"missing database", resource("tide"), "/nonexistent folder/harmonics.tcd",
       "Seattle, Puget Sound, Washington", "/nonexistent folder/harmonics.tcd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    toolPaths().tidePath = fw::FolderItem(c.tool);
    toolPaths().hfilepath = fw::FolderItem(c.database);
    window->thePlace = c.place;

    window->FindTides();
    ASSERT_TRUE(runToPublication());

    EXPECT_THAT(status(), StartsWith(kFailed));
    EXPECT_THAT(status(), HasSubstr(c.lastWords));
    EXPECT_EQ(rows().size(), 0u);
    ASSERT_NE(window->lastcollection, nullptr);
    EXPECT_EQ(window->lastcollection->ntimesandtides, 0);
    EXPECT_EQ(window->lastfound->ntimesandtides, 0);
  }
}

TEST_F(SearchEndToEndTest, AToolThatPrintsNothingIsSaidSo) {
  toolPaths().tidePath = fw::FolderItem("/bin/true");
  window->FindTides();
  ASSERT_TRUE(runToPublication());
  EXPECT_EQ(status(), kFailed + "the tide tool printed nothing");
}

TEST_F(SearchEndToEndTest, ShellPunctuationInAPlaceNameReachesThePredictorWhole) {
  const std::string name = "Bay 'x' #1 *?[a] {b,c} ~d; e & f | g < h > (i) %j ^k \xc3\xa9 l";
  window->thePlace = name;
  window->FindTides();
  ASSERT_TRUE(runToPublication());
  EXPECT_THAT(status(), StartsWith(kFailed));
  EXPECT_THAT(status(), HasSubstr("\"" + name + "\""));
  EXPECT_TRUE(dialogs->calls.empty());
}

TEST_F(SearchEndToEndTest, PathsWithShellCharactersReachThePredictorWhole) {
  namespace fs = std::filesystem;
  const fs::path folder =
      fs::path(std::getenv("HOME")) / "tools $HOME !x 'q' \"dq\" `b` \\bs \xc3\xa9 ~";
  fs::create_directories(folder);
  fs::remove(folder / "tide");
  fs::remove(folder / "harmonics.tcd");
  fs::create_symlink(resource("tide"), folder / "tide");
  fs::create_symlink(resource("harmonics.tcd"), folder / "harmonics.tcd");
  toolPaths().tidePath = fw::FolderItem((folder / "tide").string());
  toolPaths().hfilepath = fw::FolderItem((folder / "harmonics.tcd").string());

  window->FindTides();
  ASSERT_TRUE(runToPublication());

  EXPECT_TRUE(dialogs->calls.empty());
  EXPECT_EQ(rows().size(), 6u) << status();
  EXPECT_THAT(status(), StartsWith("Tide search completed - checked 672, "));
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
  const pid_t firstShell = searchShellPid();
  ASSERT_NE(firstShell, 0);
  const pid_t firstPredictor = waitForPredictor(firstShell);
  ASSERT_NE(firstPredictor, 0);

  fill(Form{});
  window->FindTides();

  EXPECT_TRUE(processEnded(firstShell));
  EXPECT_TRUE(waitUntilEnded(firstPredictor));
  ASSERT_TRUE(runToPublication());
  EXPECT_EQ(rows().size(), 6u);
  EXPECT_EQ(window->lastcollection->ntimesandtides, 672);
  EXPECT_THAT(status(), StartsWith("Tide search completed - checked 672, "));
}

} // namespace
} // namespace searchtest
