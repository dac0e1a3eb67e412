#include "fw/Shell.h"

#include <QCoreApplication>
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

struct Process {
  pid_t pid = 0, parent = 0, group = 0;
  char state = '?';
};

std::vector<Process> processes(const std::function<bool(const Process&)>& which) {
  std::vector<Process> found;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    Process p;
    std::string line;
    if (!std::getline(stat, line) || !std::isdigit(line[0]))
      continue;
    p.pid = std::stoi(line);
    std::istringstream(line.substr(line.rfind(')') + 1)) >> p.state >> p.parent >> p.group;
    if (which(p))
      found.push_back(p);
  }
  return found;
}

std::vector<Process> ourChildren() {
  return processes([](const Process& p) { return p.parent == getpid(); });
}

// Orphans are reaped by whoever adopts them, maybe slowly: a zombie counts as ended.
std::size_t liveInGroup(pid_t group) {
  return processes([&](const Process& p) { return p.group == group && p.state != 'Z'; }).size();
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
      {0, 0, "sleep 2 & echo a; echo b >&2; exit 4", {}, 4, "a\nb\n"},
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
    EXPECT_EQ(mode == 2 ? shell.completedEvents + shell.dataEvents : 0, 0) << "raised without Poll";
    ASSERT_TRUE(finish(shell));
    EXPECT_LT(Clock::now() - started, 5s); // far short of the sleep it ends
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(timeOut));
    if (mode == 0)
      shell.text = shell.ReadAll();
    settle(50);
    EXPECT_EQ(shell.completedEvents, mode == 0 ? 0 : 1);
    EXPECT_TRUE(mode != 0 || shell.dataEvents == 0) << "mode 0 raises no events";
    EXPECT_EQ(shell.ErrorCode(), status);
    EXPECT_EQ(shell.text, output);
  }
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
}

TEST_F(ShellTest, LargeOutputAndInputNeitherBlockNorLoseBytes) {
  constexpr std::size_t kLines = 500'000;
  std::string input, echoed;
  for (std::size_t i = 0; i < kLines; ++i) {
    input += "123456789\n";
    echoed += "123456789\r\n";
  }
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE(mode);
    RecordingShell shell(mode);
    // head echoes its input back: a writer that waited on the full input pipe
    // would never read the full output pipe.
    shell.Execute(mode == 2 ? "head -c " + std::to_string(input.size())
                            : "yes 123456789 | head -n " + std::to_string(kLines));
    shell.Write(input);
    ASSERT_TRUE(finish(shell, 20000));
    if (mode == 0)
      shell.text = shell.ReadAll();
    EXPECT_TRUE(shell.text == (mode == 2 ? echoed : input));
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
      const auto children = ourChildren();
      child = children.size() == 1 ? children[0].pid : 0;
      return child != 0 && liveInGroup(child) >= 2;
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
    EXPECT_TRUE(waitUntil([&] { return liveInGroup(child) == 0; }, nullptr, 1000));
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
    const std::string end = mode == 2 ? "\r\n" : "\n";
    EXPECT_TRUE(
        waitUntil([&] { return shell.text == "first" + end + "second" + end; }, &shell, 500));
    ASSERT_TRUE(finish(shell));
    EXPECT_EQ(shell.maxDepth, 1);
    EXPECT_EQ(shell.dataEvents, 2);
  }
}

} // namespace
