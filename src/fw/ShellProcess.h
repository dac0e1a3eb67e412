#pragma once
// One child process for Shell, on plain POSIX: the child leads a process group
// of its own, so that ending it also ends whatever it started (a csh that runs
// a predictor); its standard output and error share one non-blocking pipe; its
// standard input is a non-blocking pipe or /dev/null. Nothing here waits longer
// than asked, except ending a child, which waits for it to go.

#include <string>
#include <string_view>
#include <sys/types.h>

namespace fw {

class ShellProcess {
public:
  // The status reported for a child that could not be started, as a shell does.
  static constexpr int kCannotStart = 127;

  ShellProcess() = default;
  // Ends a child still running, reaps it, closes the pipes. The pipes stay open
  // until then, so that a notifier watching one never sees its number reused.
  ~ShellProcess();
  ShellProcess(const ShellProcess&) = delete;
  ShellProcess& operator=(const ShellProcess&) = delete;

  // Runs `/bin/bash -c script`, in C.UTF-8 when the user's locale does not read
  // UTF-8. False when no child could be made; the object then reads as a reaped
  // child with status kCannotStart.
  bool start(const std::string& script, bool keepInputOpen);

  pid_t pid() const { return pid_; }
  int outputFd() const { return outputEnded_ ? -1 : out_; }
  int inputFd() const { return inputBroken_ ? -1 : in_; }
  bool outputEnded() const { return outputEnded_; }

  // Appends what the child has written, without waiting, up to `budget`
  // bytes; returns how many. Marks the output ended at end of file.
  size_t readAvailable(std::string& into, size_t budget);

  // Writes without waiting as much as the pipe takes; returns how many bytes
  // left the caller's hands. Input the child can no longer read is consumed
  // whole (it has nowhere to go), never with a SIGPIPE.
  size_t writeSome(std::string_view text);

  // The child reads the end of its input; nothing more can be written.
  void closeInput();

  // Waits at most `ms` for output or its end.
  void waitForOutput(int ms) const;

  bool tryReap();   // true once the child has been reaped
  void reap();      // waits for the child to end
  void terminate(); // SIGTERM to the group, a short grace, SIGKILL, reap
  bool reaped() const { return reaped_; }
  int exitCode() const { return exitCode_; } // 128 + signal when killed

private:
  void recordStatus(int status);

  pid_t pid_ = -1;
  int out_ = -1;
  int in_ = -1;
  bool outputEnded_ = true;
  bool inputBroken_ = false;
  bool reaped_ = true;
  int exitCode_ = 0;
};

} // namespace fw
