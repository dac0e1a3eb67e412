#include "Processes.h"
#include "fw/Shell.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class RecordingShell : public fw::Shell {
public:
  explicit RecordingShell(int mode) { Mode = mode; }
  int dataEvents = 0, completedEvents = 0, depth = 0, maxDepth = 0;
  std::string text;
  std::function<void()> onData, last; // last is called last, so that it may release this shell

protected:
  void Event_DataAvailable() override { raised(dataEvents, onData); }
  void Event_Completed() override {
    EXPECT_FALSE(IsRunning());
    raised(completedEvents, nullptr);
  }

private:
  void raised(int& count, const std::function<void()>& during) {
    maxDepth = std::max(maxDepth, ++depth);
    ++count;
    text += ReadAll();
    if (during)
      during();
    --depth;
    if (auto hook = last)
      hook();
  }
};

// Runs the event loop, and polls a mode 2 shell as the search window does, until done().
bool waitUntil(const std::function<bool()>& done, fw::Shell* shell = nullptr, int ms = 5000) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  QTimer tick;
  tick.start(5);
  while (!done()) {
    if (Clock::now() > deadline)
      return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (shell && shell->Mode == 2)
      shell->Poll();
  }
  return true;
}

bool finish(fw::Shell& shell, int ms = 5000) {
  return waitUntil([&] { return !shell.IsRunning(); }, &shell, ms);
}

void settle(int ms) {
  waitUntil([] { return false; }, nullptr, ms);
}

// csh reads start-up files from HOME; an empty one keeps its output ours.
class ShellTest : public ::testing::Test {
protected:
  void SetUp() override { setenv("HOME", home.path().toUtf8().constData(), 1); }
  QTemporaryDir home;
};

TEST_F(ShellTest, EveryModeGivesTheOutputAndExitStatus) {
  const std::string csh =
      "printf '%s\\nx\\r\\ny\\rz\\r' $X; sleep 0.1; printf '\\n\\n'; echo e >/dev/stderr";
  const std::string chatty = "bash -c 'for i in 1 2 3 4 5; do echo $i; sleep 0.1; done'";
  const std::tuple<int, int, std::string, std::vector<std::string>, int, const char*> cases[] = {
      // The end of the process counts, not the end of a pipe a background child holds.
      {1, 0, "sleep 2 & echo started", {}, 0, "started\n"},
      // Lines run in order; a lone CR stays, and a CR and LF in separate reads make one line end.
      {2, 0, "/bin/csh", {"setenv X hello", csh, "exit"}, 0, "hello\r\nx\r\ny\rz\r\n\r\ne\r\n"},
      // TimeOut ends only a process that stays silent that long.
      {2, 300, "bash -c 'sleep 100; exit'", {}, 128 + SIGTERM, ""},
      {2, 300, chatty, {}, 0, "1\r\n2\r\n3\r\n4\r\n5\r\n"},
      // Input it never reads is queued without blocking, and dropped without SIGPIPE.
      {2, 0, "bash -c 'sleep 0.4; exit 5'", {std::string(200'000, 'x')}, 5, ""},
  };
  for (const auto& [mode, timeOut, command, lines, status, output] : cases) {
    SCOPED_TRACE(command);
    RecordingShell shell(mode);
    shell.TimeOut = timeOut;
    const auto started = Clock::now();
    shell.Execute(command);
    for (const std::string& line : lines)
      shell.WriteLine(line);
    if (mode == 2)
      settle(100);
    EXPECT_EQ(mode == 2 ? shell.completedEvents + shell.dataEvents : 0, 0) << "raised unpolled";
    ASSERT_TRUE(finish(shell));
    EXPECT_LT(Clock::now() - started, 5s); // far short of the sleep it ends
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(timeOut));
    settle(50);
    EXPECT_EQ(std::tuple(shell.completedEvents, shell.ErrorCode(), shell.text),
              std::tuple(1, status, output));
  }
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
}

// A year's search prints megabytes.
TEST_F(ShellTest, LargeOutputAndInputNeitherBlockNorLoseBytes) {
  std::string input, echoed;
  for (int i = 0; i < 500'000; ++i) {
    input += "123456789\n";
    echoed += "123456789\r\n";
  }
  RecordingShell shell(2);
  // head echoes its input back: a writer that waited on the full input pipe
  // would never read the full output pipe.
  shell.Execute("head -c " + std::to_string(input.size()));
  shell.Write(input);
  ASSERT_TRUE(finish(shell, 20000));
  EXPECT_TRUE(shell.text == echoed);

  // Between Polls output is taken in as it comes, so that a ten-year search (12.6 MB) is
  // whole at the next Poll; a flood waits in its pipe, not in memory.
  for (const std::size_t bytes : {13'000'000, 100'000'000}) {
    RecordingShell tool(2);
    tool.Execute("head -c " + std::to_string(bytes) + " /dev/zero");
    // head ends once all but what its pipe holds is taken; the flood's never does.
    waitUntil([&] { return bytes > 16 << 20 || children().empty(); }, nullptr, 20000);
    settle(200);
    tool.Poll();
    const std::size_t held = tool.text.size();
    EXPECT_TRUE(bytes < 16 << 20 ? held == bytes : held < 18 << 20) << held;
  }
}

TEST_F(ShellTest, EndingARunningShellLeavesNoProcessBehind) {
  for (const std::string ending : {"destroyed", "closed", "destroyed in mode 1", "released"}) {
    SCOPED_TRACE(ending);
    auto shell = std::make_unique<RecordingShell>(ending == "destroyed in mode 1" ? 1 : 2);
    if (ending == "released") // by its own DataAvailable handler
      shell->last = [&] { shell.reset(); };
    shell->Execute(shell->Mode == 1 ? "sleep 100 & sleep 100" : "/bin/csh");
    shell->WriteLine("echo; sleep 100");
    pid_t child = 0;
    waitUntil([&] {
      const auto ours = children();
      child = ours.size() == 1 ? ours.begin()->first : 0;
      return child != 0 && !children(child).empty();
    });
    ASSERT_NE(child, 0);
    const auto started = Clock::now();
    if (ending == "released") // polled until then, and not touched after
      waitUntil([&] { return shell == nullptr; }, shell.get());
    else
      ending == "closed" ? shell->Close() : shell.reset();
    EXPECT_EQ(shell == nullptr, ending != "closed");
    EXPECT_LT(Clock::now() - started, 1s);
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(child))) << "not reaped";
    // SIGKILL takes effect when the kernel next schedules the grandchild.
    EXPECT_TRUE(waitUntil([&] { return children(child).empty(); }, nullptr, 1000));
    EXPECT_EQ(shell ? shell->completedEvents : 0, 0) << "Close raises no Completed";
  }
}

TEST_F(ShellTest, EventsAreNotReenteredAndWhatArrivesMeanwhileFollows) {
  const std::string script = "echo first; sleep 0.05; echo second; sleep 0.6; exit";
  for (int mode : {1, 2}) {
    SCOPED_TRACE(mode);
    RecordingShell shell(mode);
    // As a handler passing a yield point that did dispatch events would.
    shell.onData = [&] {
      shell.Poll();
      settle(150);
      shell.Poll();
    };
    shell.Execute(mode == 1 ? script : "/bin/bash");
    shell.WriteLine(script); // a mode 1 shell takes no input
    // "second" came during the handler; it must not wait for more output or the end.
    const std::string lines = mode == 2 ? "first\r\nsecond\r\n" : "first\nsecond\n";
    EXPECT_TRUE(waitUntil([&] { return shell.text == lines; }, &shell, 500));
    ASSERT_TRUE(finish(shell));
    EXPECT_EQ(std::pair(shell.maxDepth, shell.dataEvents), std::pair(1, 2));
  }
}

} // namespace
