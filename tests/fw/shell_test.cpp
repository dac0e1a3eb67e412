#include "fw/Shell.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

class RecordingShell : public fw::Shell {
public:
  int dataEvents = 0;
  int completedEvents = 0;
  int depth = 0;
  int maxDepth = 0;
  bool runningInCompleted = true;
  std::string text;
  std::function<void()> onData;

protected:
  void Event_DataAvailable() override {
    enter();
    ++dataEvents;
    text += ReadAll();
    if (onData) {
      onData();
    }
    --depth;
  }
  void Event_Completed() override {
    enter();
    ++completedEvents;
    runningInCompleted = IsRunning();
    text += ReadAll();
    --depth;
  }

private:
  void enter() { maxDepth = std::max(maxDepth, ++depth); }
};

// A handler that lets go of its own shell, as an owner dropping it would.
class SelfReleasingShell : public fw::Shell {
public:
  std::unique_ptr<SelfReleasingShell>* owner = nullptr;
  bool releaseOnData = false;

protected:
  void Event_DataAvailable() override {
    ReadAll();
    if (releaseOnData) {
      owner->reset();
    }
  }
  void Event_Completed() override { owner->reset(); }
};

bool spinUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  QTimer tick;
  tick.start(5);
  while (!done()) {
    if (clock.elapsed() > timeoutMs) {
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return true;
}

// Polls as the search window does, only faster, and without running the event loop.
bool pollUntilEnded(fw::Shell& shell, int timeoutMs = 5000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (shell.IsRunning()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    shell.Poll();
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

struct ProcessEntry {
  pid_t pid = 0;
  char state = '?';
  pid_t ppid = 0;
  pid_t group = 0;
};

std::vector<ProcessEntry> processTable() {
  std::vector<ProcessEntry> table;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const auto commandEnd = line.rfind(')');
    if (commandEnd == std::string::npos) {
      continue;
    }
    ProcessEntry process;
    process.pid = std::stoi(name);
    std::istringstream rest(line.substr(commandEnd + 1));
    rest >> process.state >> process.ppid >> process.group;
    table.push_back(process);
  }
  return table;
}

std::vector<pid_t> ourChildren() {
  std::vector<pid_t> children;
  for (const auto& process : processTable()) {
    if (process.ppid == getpid()) {
      children.push_back(process.pid);
    }
  }
  return children;
}

// Orphans are reaped by whoever adopts them, which may be slow to do it, so a
// zombie counts as ended here.
std::vector<pid_t> liveMembersOfGroup(pid_t group) {
  std::vector<pid_t> members;
  for (const auto& process : processTable()) {
    if (process.group == group && process.state != 'Z') {
      members.push_back(process.pid);
    }
  }
  return members;
}

bool hasProcEntry(pid_t pid) {
  return std::filesystem::exists("/proc/" + std::to_string(pid));
}

// Waits until our one child leads a group with at least `members` live processes.
pid_t waitForGroup(size_t members) {
  pid_t child = 0;
  spinUntil(
      [&] {
        const auto children = ourChildren();
        child = children.size() == 1 ? children.front() : 0;
        return child != 0 && liveMembersOfGroup(child).size() >= members;
      },
      3000);
  return child;
}

std::string repeated(const std::string& line, size_t count) {
  std::string text;
  text.reserve(line.size() * count);
  for (size_t i = 0; i < count; ++i) {
    text += line;
  }
  return text;
}

class ShellTest : public ::testing::Test {
protected:
  // csh reads start-up files from HOME; an empty one keeps its output ours.
  void SetUp() override {
    ASSERT_TRUE(home.isValid());
    const char* previous = std::getenv("HOME");
    savedHome = previous ? previous : "";
    setenv("HOME", home.path().toUtf8().constData(), 1);
  }
  void TearDown() override { setenv("HOME", savedHome.c_str(), 1); }

  QTemporaryDir home;
  std::string savedHome;
};

TEST_F(ShellTest, Mode2_CshRunsWrittenLinesInOrderAndDeliversOnlyThroughPoll) {
  RecordingShell shell;
  shell.Mode = 2;
  shell.TimeOut = 30000;
  shell.Execute("/bin/csh");
  EXPECT_TRUE(shell.IsRunning());
  shell.WriteLine("setenv X hello");
  shell.WriteLine("echo $X");
  shell.WriteLine("exit");

  // The event loop alone must not raise anything in this mode.
  spinUntil([] { return false; }, 300);
  EXPECT_EQ(shell.dataEvents + shell.completedEvents, 0);
  EXPECT_TRUE(shell.IsRunning());

  ASSERT_TRUE(pollUntilEnded(shell));
  EXPECT_EQ(shell.text, "hello\r\n");
  EXPECT_GE(shell.dataEvents, 1);
  EXPECT_EQ(shell.completedEvents, 1);
  EXPECT_FALSE(shell.runningInCompleted);
  EXPECT_EQ(shell.ErrorCode(), 0);
  shell.Poll();
  EXPECT_EQ(shell.completedEvents, 1);
}

TEST_F(ShellTest, Mode2_EveryLineReachesReadAllEndingInCR) {
  const struct {
    const char* name;
    const char* script;
    std::string expected;
  } cases[] = {
      {"lone LF", "printf 'a\\nb\\n'", "a\r\nb\r\n"},
      {"CR LF kept", "printf 'a\\r\\nb\\r\\n'", "a\r\nb\r\n"},
      {"lone CR kept", "printf 'a\\rb'", "a\rb"},
      {"empty lines", "printf '\\n\\n'", "\r\n\r\n"},
      {"CR and LF in separate reads", "printf 'x\\r'; sleep 0.1; printf '\\ny\\n'", "x\r\ny\r\n"},
      {"standard error merged", "echo out; echo err >&2", "out\r\nerr\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingShell shell;
    shell.Mode = 2;
    shell.Execute("/bin/bash");
    shell.WriteLine(c.script);
    shell.WriteLine("exit");
    ASSERT_TRUE(pollUntilEnded(shell));
    EXPECT_EQ(shell.text, c.expected);
  }
}

TEST_F(ShellTest, Mode1_CompletesFromEventLoopWithExitStatus) {
  const struct {
    const char* command;
    int status;
    const char* output;
  } cases[] = {
      {"export V=val; echo $V; exit 3", 3, "val\n"},
      {"echo out; echo err >&2", 0, "out\nerr\n"},
      {"true", 0, ""},
      {"kill -KILL $$", 128 + SIGKILL, ""},
      {"/nonexistent/program 2>/dev/null", 127, ""},
      // The end of the process counts, not the end of a pipe a background child holds.
      {"sleep 1 & echo started", 0, "started\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    RecordingShell shell;
    shell.Mode = 1;
    const auto started = std::chrono::steady_clock::now();
    shell.Execute(c.command);
    ASSERT_TRUE(spinUntil([&] { return shell.completedEvents > 0; }));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 800ms);
    spinUntil([] { return false; }, 50); // nothing may follow Completed
    EXPECT_EQ(shell.completedEvents, 1);
    EXPECT_FALSE(shell.IsRunning());
    EXPECT_EQ(shell.ErrorCode(), c.status);
    EXPECT_EQ(shell.text, c.output);
  }
}

TEST_F(ShellTest, Mode1_CommandListWithExportAndRedirectionToFile) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const std::string dir = folder.path().toStdString();
  const std::string command = "cd " + dir + "; export HFILE_PATH=./harmonics.tcd;" +
                              "sh -c 'echo $HFILE_PATH; pwd; echo oops >&2' >&" + dir +
                              "/tide\\ locations.txt";
  RecordingShell shell;
  shell.Mode = 1;
  shell.Execute(command);
  ASSERT_TRUE(spinUntil([&] { return shell.completedEvents > 0; }));
  EXPECT_EQ(shell.ErrorCode(), 0);
  EXPECT_EQ(shell.text, "");
  std::ifstream file(dir + "/tide locations.txt");
  const std::string content((std::istreambuf_iterator<char>(file)), {});
  EXPECT_EQ(content, "./harmonics.tcd\n" + std::filesystem::canonical(dir).string() + "\noops\n");
}

TEST_F(ShellTest, LargeOutputNeitherBlocksNorLosesBytes) {
  constexpr size_t kLines = 500'000; // 5 MB
  const std::string produce = "yes 123456789 | head -n " + std::to_string(kLines);
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE(mode);
    RecordingShell shell;
    shell.Mode = mode;
    if (mode == 2) {
      shell.Execute("/bin/bash");
      shell.WriteLine(produce + "; exit");
    } else {
      shell.Execute(produce);
    }
    if (mode == 0) {
      shell.text = shell.ReadAll();
    } else if (mode == 1) {
      ASSERT_TRUE(spinUntil([&] { return shell.completedEvents > 0; }));
    } else {
      ASSERT_TRUE(pollUntilEnded(shell));
    }
    const std::string expected = repeated(mode == 2 ? "123456789\r\n" : "123456789\n", kLines);
    EXPECT_EQ(shell.text.size(), expected.size());
    EXPECT_TRUE(shell.text == expected);
  }
}

TEST_F(ShellTest, Mode2_LargeInputIsQueuedWhileTheChildCannotTakeIt) {
  // head echoes its input back: a writer that waited on the full input pipe
  // would never read the full output pipe, and both sides would stall.
  constexpr size_t kLines = 200'000;
  const std::string input = repeated("abcdefghi\n", kLines);
  RecordingShell shell;
  shell.Mode = 2;
  shell.Execute("head -c " + std::to_string(input.size()));
  shell.Write(input);
  ASSERT_TRUE(pollUntilEnded(shell));
  EXPECT_TRUE(shell.text == repeated("abcdefghi\r\n", kLines));
  EXPECT_EQ(shell.ErrorCode(), 0);
}

TEST_F(ShellTest, Mode0_RunsToTheEndInsideExecuteWithoutEvents) {
  const struct {
    const char* command;
    int status;
    const char* output;
  } cases[] = {
      {"echo a; echo b >&2; exit 4", 4, "a\nb\n"},
      {"export Y=why; echo $Y", 0, "why\n"},
      // A background child holding the pipe must not hold up the caller.
      {"sleep 1 & echo started", 0, "started\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    RecordingShell shell;
    const auto started = std::chrono::steady_clock::now();
    shell.Execute(c.command);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 800ms);
    EXPECT_FALSE(shell.IsRunning());
    EXPECT_EQ(shell.ErrorCode(), c.status);
    EXPECT_EQ(shell.ReadAll(), c.output);
    EXPECT_EQ(shell.ReadAll(), "");
    shell.Poll();
    spinUntil([] { return false; }, 30);
    EXPECT_EQ(shell.dataEvents + shell.completedEvents, 0);
  }
}

TEST_F(ShellTest, EndingARunningShellLeavesNoProcessBehind) {
  enum class Ending { Destroy, Close, ExecuteAgain, DestroyMode1 };
  const struct {
    const char* name;
    Ending ending;
  } cases[] = {
      {"destroyed", Ending::Destroy},
      {"closed", Ending::Close},
      {"executed again", Ending::ExecuteAgain},
      {"destroyed in mode 1", Ending::DestroyMode1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto shell = std::make_unique<RecordingShell>();
    if (c.ending == Ending::DestroyMode1) {
      shell->Mode = 1;
      shell->Execute("sleep 100 & sleep 100");
    } else {
      shell->Mode = 2;
      shell->Execute("/bin/csh");
      shell->WriteLine("sleep 100");
    }
    const pid_t child = waitForGroup(2);
    ASSERT_NE(child, 0);

    const auto started = std::chrono::steady_clock::now();
    switch (c.ending) {
    case Ending::Destroy:
    case Ending::DestroyMode1:
      shell.reset();
      break;
    case Ending::Close:
      shell->Close();
      EXPECT_FALSE(shell->IsRunning());
      EXPECT_EQ(shell->ErrorCode(), 128 + SIGTERM);
      break;
    case Ending::ExecuteAgain:
      shell->Mode = 1;
      shell->Execute("echo second");
      ASSERT_TRUE(spinUntil([&] { return shell->completedEvents > 0; }));
      EXPECT_EQ(shell->completedEvents, 1);
      EXPECT_EQ(shell->text, "second\n");
      break;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_FALSE(hasProcEntry(child)) << "child neither ended nor reaped";
    // SIGKILL takes effect when the kernel next schedules the grandchild.
    EXPECT_TRUE(spinUntil([&] { return liveMembersOfGroup(child).empty(); }, 1000))
        << "a process the child started lives on";
    if (shell) {
      EXPECT_EQ(shell->completedEvents, c.ending == Ending::ExecuteAgain ? 1 : 0);
    }
  }
}

TEST_F(ShellTest, Mode2_TimeOutEndsOnlyASilentProcess) {
  const struct {
    const char* name;
    const char* program;
    const char* line;
    int timeOut;
    int status;
  } cases[] = {
      {"silent", "sleep 100", nullptr, 300, 128 + SIGTERM},
      {"silent csh and its child", "/bin/csh", "sleep 100", 300, 128 + SIGTERM},
      {"talking", "/bin/bash", "for i in 1 2 3 4 5 6; do echo $i; sleep 0.1; done; exit", 500, 0},
      {"no limit", "/bin/bash", "sleep 0.4; exit 5", 0, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingShell shell;
    shell.Mode = 2;
    shell.TimeOut = c.timeOut;
    const auto started = std::chrono::steady_clock::now();
    shell.Execute(c.program);
    if (c.line != nullptr) {
      shell.WriteLine(c.line);
    }
    ASSERT_TRUE(pollUntilEnded(shell, 3000));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(shell.ErrorCode(), c.status);
    EXPECT_EQ(shell.completedEvents, 1);
    if (c.status == 128 + SIGTERM) {
      EXPECT_GE(took, 300ms);
      EXPECT_LT(took, 1s);
    }
  }
}

TEST_F(ShellTest, Mode1_EventsAreNotReenteredAndNothingIsDropped) {
  RecordingShell shell;
  shell.Mode = 1;
  // The handler runs the event loop and polls, as a handler passing a yield
  // point that did dispatch events would.
  shell.onData = [&] {
    shell.Poll();
    spinUntil([] { return false; }, 30);
    shell.Poll();
  };
  shell.Execute("for i in $(seq 1 20); do echo line$i; sleep 0.01; done; exit 2");
  ASSERT_TRUE(spinUntil([&] { return shell.completedEvents > 0; }));
  std::string expected;
  for (int i = 1; i <= 20; ++i) {
    expected += "line" + std::to_string(i) + "\n";
  }
  EXPECT_EQ(shell.maxDepth, 1);
  EXPECT_GT(shell.dataEvents, 1);
  EXPECT_EQ(shell.completedEvents, 1);
  EXPECT_EQ(shell.ErrorCode(), 2);
  EXPECT_EQ(shell.text, expected);
}

TEST_F(ShellTest, Mode1_OutputArrivingDuringAHandlerFollowsWithoutFurtherOutput) {
  RecordingShell shell;
  shell.Mode = 1;
  shell.onData = [&] {
    if (shell.dataEvents == 1) {
      spinUntil([] { return false; }, 150);
    }
  };
  shell.Execute("echo first; sleep 0.05; echo second; sleep 1");
  ASSERT_TRUE(spinUntil([&] { return shell.text == "first\nsecond\n"; }, 700));
  EXPECT_TRUE(shell.IsRunning());
  EXPECT_EQ(shell.dataEvents, 2);
  EXPECT_EQ(shell.maxDepth, 1);
}

TEST_F(ShellTest, Mode2_PollInsideAHandlerDeliversNothing) {
  RecordingShell shell;
  shell.Mode = 2;
  int pollsInHandler = 0;
  shell.onData = [&] {
    const int before = shell.dataEvents + shell.completedEvents;
    shell.Poll();
    ++pollsInHandler;
    EXPECT_EQ(shell.dataEvents + shell.completedEvents, before);
  };
  shell.Execute("/bin/bash");
  shell.WriteLine("echo one; sleep 0.05; echo two; exit");
  ASSERT_TRUE(pollUntilEnded(shell));
  EXPECT_GT(pollsInHandler, 0);
  EXPECT_EQ(shell.maxDepth, 1);
  EXPECT_EQ(shell.text, "one\r\ntwo\r\n");
  EXPECT_EQ(shell.completedEvents, 1);
}

TEST_F(ShellTest, AHandlerMayReleaseItsOwnShell) {
  const struct {
    const char* name;
    int mode;
    bool releaseOnData;
    const char* command;
  } cases[] = {
      {"mode 1 on completion", 1, false, "echo done"},
      {"mode 1 while running", 1, true, "echo first; sleep 100"},
      {"mode 2 while running", 2, true, "/bin/bash"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto shell = std::make_unique<SelfReleasingShell>();
    shell->owner = &shell;
    shell->releaseOnData = c.releaseOnData;
    shell->Mode = c.mode;
    shell->Execute(c.command);
    if (c.mode == 2) {
      shell->WriteLine("echo first; sleep 100");
      ASSERT_TRUE(spinUntil(
          [&] {
            shell->Poll();
            return shell == nullptr;
          },
          3000));
    } else {
      ASSERT_TRUE(spinUntil([&] { return shell == nullptr; }, 3000));
    }
    spinUntil([] { return false; }, 30); // pending notifications must find nothing
    EXPECT_TRUE(ourChildren().empty());
  }
}

TEST_F(ShellTest, Mode2_WritingToAnEndedProcessDoesNotRaiseSigpipe) {
  RecordingShell shell;
  shell.Mode = 2;
  shell.Execute("true");
  std::this_thread::sleep_for(100ms); // ended, not yet polled: the pipe has no reader
  shell.Write(std::string(200'000, 'x'));
  shell.WriteLine("more");
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
  ASSERT_TRUE(pollUntilEnded(shell));
  EXPECT_EQ(shell.ErrorCode(), 0);
  EXPECT_EQ(shell.completedEvents, 1);
}

} // namespace
