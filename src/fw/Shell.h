#pragma once
// A child process run through a shell.
//  Mode 0: Execute runs `/bin/bash -c command` to its end.
//  Mode 1: Execute starts `/bin/bash -c command` and returns; DataAvailable and
//          Completed come from the event loop, no Poll needed.
//  Mode 2: Execute starts the program named by the command (e.g. /bin/csh) with
//          its standard input open for Write/WriteLine; events come only from Poll,
//          and every LF the process writes reaches ReadAll as CR LF. Between
//          Polls up to 16 MiB is taken in; a process writing more waits.
// Standard output and error are merged. The events of one Shell are never
// delivered while one of its own handlers runs (a Poll there delivers nothing;
// what arrives meanwhile follows once the handler has returned). IsRunning is
// true from Execute until Completed is raised; inside Completed it reads false.
// Mode 2's command is run as `exec command` by bash, so it may carry arguments.
// bash starts in the user's locale when it reads UTF-8, else in C.UTF-8, so
// that no byte of a ShellPath word can escape its backslash; what it runs
// inherits that locale.
// Mode 0 raises no events: Execute returns when the process has ended, its
// output waits for ReadAll and its status is in ErrorCode. Modes 0 and 1 read
// standard input from /dev/null, so Write goes only to a mode 2 process.
// Ending a process (Close, TimeOut, a new Execute, destruction) ends its whole
// process group and reaps it; Close and a new Execute raise no Completed for
// it. A handler may destroy its own Shell.

#include <memory>
#include <string>
#include <string_view>

namespace fw {

class Shell {
public:
  Shell();
  virtual ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  int Mode = 0;
  int TimeOut = 0; // mode 2: ms without output before the process is ended; 0 = none

  void Execute(const std::string& command);
  std::string ReadAll();
  void Write(std::string_view text);
  void WriteLine(std::string_view text);
  void Close(); // ends the process, if any, and reaps it
  // Mode 2: the process reads the end of its input once everything written
  // before has gone to it; later writes go nowhere.
  void CloseInput();
  void Poll();
  bool IsRunning() const;
  int ErrorCode() const; // exit status; 128 + signal when killed
  bool TimedOut() const; // the last process was ended by TimeOut

protected:
  virtual void Event_DataAvailable() {}
  virtual void Event_Completed() {}

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

} // namespace fw
