#pragma once
// Brackets calls into libtcd. The library reports its troubles on stderr and
// stops the process with assert() when a database is damaged in ways that no
// check of ours can foresee (a record that does not decode). While a
// LibraryCall lives, the library's own messages are hidden, and a fatal signal
// from inside it ends the program with our one line instead: "tide: <file> is
// damaged" and status 1. Nothing has been written to stdout at that point.

#include <csignal>
#include <string>

namespace tide {

class LibraryCall {
public:
  explicit LibraryCall(const std::string& path);
  ~LibraryCall();
  LibraryCall(const LibraryCall&) = delete;
  LibraryCall& operator=(const LibraryCall&) = delete;

private:
  static constexpr int guardedSignals[] = {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};
  static constexpr std::size_t longestMessage = 1024;

  static void onFatalSignal(int signal);

  static inline int messageFd_ = -1;
  static inline char message_[longestMessage] = {};
  static inline std::size_t messageLength_ = 0;

  int savedStderr_ = -1;
  struct sigaction previous_[std::size(guardedSignals)] = {};
};

} // namespace tide
