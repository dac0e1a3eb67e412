#include "fw/ShellProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fw {

namespace {

constexpr const char* kShellPath = "/bin/bash";
// A shell reads its script as characters of the locale it starts in. Where a
// character may end in a backslash (BIG5, GBK), a lead byte takes the backslash
// that quotes the next character, which then acts; in UTF-8 no character holds
// an ASCII byte. What the shell runs inherits the locale: csh reads place names
// as UTF-8 too.
constexpr const char* kEnvPath = "/usr/bin/env";
constexpr const char* kUtf8Locale = "LC_ALL=C.UTF-8";
// Long enough for a shell and its children to act on SIGTERM, short enough
// that closing a window never feels stuck.
constexpr auto kTerminateGrace = std::chrono::milliseconds(100);
constexpr auto kTerminatePollStep = std::chrono::milliseconds(2);
constexpr size_t kReadChunk = 64 * 1024;

// Signals the application may ignore or block that a child must get with
// their usual meaning (a pipeline's reader going away must end the writer).
constexpr int kDefaultedSignals[] = {SIGPIPE, SIGINT,  SIGQUIT, SIGTERM,
                                     SIGHUP,  SIGTSTP, SIGTTIN, SIGTTOU};

void closeFd(int& fd) {
  if (fd >= 0) {
    ::close(fd);
    fd = -1;
  }
}

void setNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) {
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  }
}

// A write to a pipe whose reader has gone raises SIGPIPE, which would end the
// application. The signal is held back for this thread and, when the write
// raised it, taken off again, so nothing else in the process changes.
ssize_t writeWithoutSigpipe(int fd, const char* data, size_t size) {
  sigset_t pipeOnly;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  sigset_t pendingBefore;
  sigpending(&pendingBefore);
  const bool alreadyPending = sigismember(&pendingBefore, SIGPIPE) == 1;

  sigset_t previousMask;
  pthread_sigmask(SIG_BLOCK, &pipeOnly, &previousMask);
  const ssize_t written = ::write(fd, data, size);
  const int writeErrno = errno;
  if (written < 0 && writeErrno == EPIPE && !alreadyPending) {
    const timespec noWait{};
    while (sigtimedwait(&pipeOnly, nullptr, &noWait) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
  errno = writeErrno;
  return written;
}

class SpawnSetup {
public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  void wireStreams(int inputFd, int outputFd) {
    if (inputFd >= 0) {
      posix_spawn_file_actions_adddup2(&actions, inputFd, STDIN_FILENO);
    } else {
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors that other code opened without close-on-exec stay ours.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif
  }

  void ownGroupPlainSignals() {
    sigset_t defaulted;
    sigemptyset(&defaulted);
    for (int signal : kDefaultedSignals) {
      sigaddset(&defaulted, signal);
    }
    sigset_t noneBlocked;
    sigemptyset(&noneBlocked);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigdefault(&attributes, &defaulted);
    posix_spawnattr_setsigmask(&attributes, &noneBlocked);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETSIGMASK);
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
};

// The locale a shell would start in, from the environment, reads UTF-8.
bool userLocaleIsUtf8() {
  const locale_t user = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (user == static_cast<locale_t>(nullptr)) {
    return false;
  }
  const bool utf8 = std::string_view(::nl_langinfo_l(CODESET, user)) == "UTF-8";
  ::freelocale(user);
  return utf8;
}

} // namespace

ShellProcess::~ShellProcess() {
  terminate();
  closeFd(out_);
  closeFd(in_);
}

bool ShellProcess::start(const std::string& script, bool keepInputOpen) {
  int outputPipe[2] = {-1, -1};
  int inputPipe[2] = {-1, -1};
  if (::pipe2(outputPipe, O_CLOEXEC) != 0) {
    return false;
  }
  if (keepInputOpen && ::pipe2(inputPipe, O_CLOEXEC) != 0) {
    closeFd(outputPipe[0]);
    closeFd(outputPipe[1]);
    return false;
  }

  SpawnSetup setup;
  setup.wireStreams(inputPipe[0], outputPipe[1]);
  setup.ownGroupPlainSignals();
  std::vector<const char*> argv = {kShellPath, "-c", script.c_str(), nullptr};
  if (!userLocaleIsUtf8()) {
    argv.insert(argv.begin(), {kEnvPath, kUtf8Locale});
  }
  pid_t child = -1;
  const int failed = posix_spawn(&child, argv[0], &setup.actions, &setup.attributes,
                                 const_cast<char* const*>(argv.data()), environ);
  closeFd(outputPipe[1]);
  closeFd(inputPipe[0]);
  if (failed != 0) {
    closeFd(outputPipe[0]);
    closeFd(inputPipe[1]);
    exitCode_ = kCannotStart;
    return false;
  }

  pid_ = child;
  out_ = outputPipe[0];
  in_ = inputPipe[1];
  setNonBlocking(out_);
  if (in_ >= 0) {
    setNonBlocking(in_);
  }
  outputEnded_ = false;
  reaped_ = false;
  exitCode_ = 0;
  return true;
}

size_t ShellProcess::readAvailable(std::string& into, size_t budget) {
  char chunk[kReadChunk];
  size_t total = 0;
  while (!outputEnded_ && total < budget) {
    const ssize_t got = ::read(out_, chunk, std::min(sizeof chunk, budget - total));
    if (got > 0) {
      into.append(chunk, static_cast<size_t>(got));
      total += static_cast<size_t>(got);
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      break;
    } else {
      outputEnded_ = true; // end of file, or a pipe that can no longer be read
    }
  }
  return total;
}

size_t ShellProcess::writeSome(std::string_view text) {
  size_t done = 0;
  while (in_ >= 0 && !inputBroken_ && done < text.size()) {
    const ssize_t put = writeWithoutSigpipe(in_, text.data() + done, text.size() - done);
    if (put > 0) {
      done += static_cast<size_t>(put);
    } else if (put < 0 && errno == EINTR) {
      continue;
    } else if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return done;
    } else {
      inputBroken_ = true;
    }
  }
  return text.size();
}

void ShellProcess::closeInput() {
  closeFd(in_);
}

void ShellProcess::waitForOutput(int ms) const {
  if (outputEnded_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  pollfd watched{out_, POLLIN, 0};
  ::poll(&watched, 1, ms);
}

bool ShellProcess::tryReap() {
  while (!reaped_) {
    int status = 0;
    const pid_t got = ::waitpid(pid_, &status, WNOHANG);
    if (got == pid_) {
      recordStatus(status);
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else if (got < 0) {
      reaped_ = true; // someone else took its status; nothing is left to wait for
    }
    break;
  }
  return reaped_;
}

void ShellProcess::reap() {
  while (!reaped_) {
    int status = 0;
    const pid_t got = ::waitpid(pid_, &status, 0);
    if (got == pid_) {
      recordStatus(status);
    } else if (!(got < 0 && errno == EINTR)) {
      reaped_ = true;
    }
  }
}

void ShellProcess::terminate() {
  if (reaped_) {
    return;
  }
  // Until it is reaped the child keeps its pid, and with it the group's id,
  // so these signals cannot reach a stranger that took the number over.
  ::kill(-pid_, SIGTERM);
  ::kill(-pid_, SIGCONT);
  const auto deadline = std::chrono::steady_clock::now() + kTerminateGrace;
  for (;;) {
    siginfo_t info{};
    const bool ended =
        ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid_;
    if (ended || std::chrono::steady_clock::now() >= deadline) {
      break;
    }
    std::this_thread::sleep_for(kTerminatePollStep);
  }
  ::kill(-pid_, SIGKILL); // also whatever it started that outlived it
  reap();
}

void ShellProcess::recordStatus(int status) {
  reaped_ = true;
  if (WIFEXITED(status)) {
    exitCode_ = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    exitCode_ = 128 + WTERMSIG(status);
  }
}

} // namespace fw
