#include "predictor/LibraryCall.h"

#include "predictor/Failure.h"
#include "predictor/Text.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tide {

LibraryCall::LibraryCall(const std::string& path) {
  std::fflush(stderr);
  savedStderr_ = dup(STDERR_FILENO);
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null >= 0) {
    dup2(null, STDERR_FILENO);
    ::close(null);
  }
  const std::string message = "tide: " + printable(path) + " is damaged\n";
  messageLength_ = std::min(message.size(), longestMessage);
  std::copy_n(message.data(), messageLength_, message_);
  messageFd_ = savedStderr_;
  struct sigaction action {};
  action.sa_handler = onFatalSignal;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(guardedSignals); ++i)
    sigaction(guardedSignals[i], &action, &previous_[i]);
}

LibraryCall::~LibraryCall() {
  for (std::size_t i = 0; i < std::size(guardedSignals); ++i)
    sigaction(guardedSignals[i], &previous_[i], nullptr);
  messageFd_ = -1;
  std::fflush(stderr);
  if (savedStderr_ >= 0) {
    dup2(savedStderr_, STDERR_FILENO);
    ::close(savedStderr_);
  }
}

void LibraryCall::onFatalSignal(int) {
  // Only async-signal-safe calls from here on.
  if (messageFd_ >= 0) {
    const ssize_t ignored = write(messageFd_, message_, messageLength_);
    (void)ignored;
  }
  _exit(Failure::runFailed);
}

} // namespace tide
