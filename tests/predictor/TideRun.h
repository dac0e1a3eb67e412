#pragma once
// Runs the built `tide` program the way Halvorn does and collects what it
// printed. Output goes through files so that neither stream can block the other.

#include <cstdlib>
#include <fstream>
#include <iterator>
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
inline const std::string seattle = "Seattle, Puget Sound, Washington";

struct TideResult {
  int status = -1; // -1 when the program did not exit normally
  std::string out, err;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// `hfilePath` nullopt: HFILE_PATH is not set at all.
inline TideResult runTide(std::vector<std::string> args,
                          const std::optional<std::string>& hfilePath = databasePath) {
  std::string names[] = {"/tmp/tide-test-out-XXXXXX", "/tmp/tide-test-err-XXXXXX"};
  const int fds[] = {mkstemp(names[0].data()), mkstemp(names[1].data())};
  hfilePath ? setenv("HFILE_PATH", hfilePath->c_str(), 1) : unsetenv("HFILE_PATH");
  args.insert(args.begin(), tidePath);
  std::vector<char*> argv;
  for (auto& arg : args)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
  TideResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, tidePath.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  for (int i = 0; i < 2; ++i) {
    close(fds[i]);
    (i == 0 ? result.out : result.err) = readFile(names[i]);
    unlink(names[i].c_str());
  }
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
  extra.insert(extra.begin(), {"-b", begin, "-e", end, "-ft", "-mm", "-s", "0:15", "-l", station});
  return runTide(extra);
}

} // namespace tidetest
