#pragma once
// Writes fail as on a full disk (root ignores folder permissions): no file may
// grow past `room` bytes, and the signal that would end the process is ignored
// so that write() fails instead.

#include <csignal>
#include <sys/resource.h>

struct FullDisk {
  rlimit saved{};
  void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
  explicit FullDisk(rlim_t room = 0) {
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit none{room, saved.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &none);
  }
  ~FullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
  }
};
