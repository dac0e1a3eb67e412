#pragma once
// Runs the built `tide` program the way Halvorn does and collects what it
// printed. Output goes through files so that neither stream can block the other.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tidetest {

inline const std::string tidePath = std::string(HALVORN_RESOURCES_DIR) + "/tide";
inline const std::string databasePath = std::string(HALVORN_RESOURCES_DIR) + "/harmonics.tcd";

struct TideResult {
  int status = -1; // exit status; -1 when the program did not exit normally
  std::string out;
  std::string err;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// `hfilePath` nullopt: HFILE_PATH is not set at all.
inline TideResult runTide(const std::vector<std::string>& arguments,
                          const std::optional<std::string>& hfilePath = databasePath) {
  char outName[] = "/tmp/tide-test-out-XXXXXX";
  char errName[] = "/tmp/tide-test-err-XXXXXX";
  const int outFd = mkstemp(outName);
  const int errFd = mkstemp(errName);
  std::vector<std::string> environment;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("HFILE_PATH=", 0) != 0)
      environment.emplace_back(*e);
  if (hfilePath)
    environment.push_back("HFILE_PATH=" + *hfilePath);
  std::vector<char*> envp;
  for (auto& e : environment)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args{tidePath};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
  TideResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, tidePath.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(outFd);
  close(errFd);
  result.out = readFile(outName);
  result.err = readFile(errName);
  unlink(outName);
  unlink(errName);
  return result;
}

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    result.push_back(line);
  return result;
}

// A medium-rare run of Halvorn's search command form.
inline TideResult predict(const std::string& station, const std::string& begin,
                          const std::string& end, std::vector<std::string> extra = {}) {
  std::vector<std::string> args{"-b", begin, "-e", end, "-ft", "-mm", "-s", "0:15", "-l", station};
  args.insert(args.end(), extra.begin(), extra.end());
  return runTide(args);
}

} // namespace tidetest
