#pragma once
// What a test left running, read from /proc. A zombie counts as ended: an
// orphan is reaped by whoever adopts it, maybe slowly.

#include <QFile>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>

// Our own living child processes by their command names; or, given a process
// group, its living members but the group's leader.
inline std::map<pid_t, std::string> children(pid_t group = 0) {
  std::map<pid_t, std::string> found;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ignored)) {
    // Not a stream: a process that ends while it is read must read as nothing, not throw.
    QFile stat(QString::fromStdString((entry.path() / "stat").string()));
    stat.open(QIODevice::ReadOnly);
    const std::string text = stat.readAll().toStdString();
    // The command name may hold blanks and parentheses; the fields follow its last ')'.
    const std::size_t open = text.find('('), close = text.rfind(')');
    const pid_t pid = std::atoi(text.c_str());
    char state = 'Z'; // also for what is no process's stat
    pid_t parent = 0, pgrp = 0;
    std::istringstream(text.substr(close + 1)) >> state >> parent >> pgrp;
    if (state != 'Z' && (group ? pgrp == group && pid != group : parent == ::getpid()))
      found[pid] = text.substr(open + 1, close - open - 1);
  }
  return found;
}
