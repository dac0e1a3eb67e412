// Whole-process cost of the `tide` predictor, as Halvorn pays it: a year of
// quarter-hour samples for a reference station, a subordinate tide station
// and a subordinate current station with slack offsets, and the station
// list. The time reported is the CPU time (user + system) of the child
// process, start-up included; the goal for each is under 25 ms.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

const std::string tide = std::string(HALVORN_RESOURCES_DIR) + "/tide";
const std::string database = std::string(HALVORN_RESOURCES_DIR) + "/harmonics.tcd";

// Runs tide with stdout on /dev/null; returns its CPU seconds, or -1.
double childCpuSeconds(const std::vector<std::string>& arguments) {
  std::vector<std::string> environment{"HFILE_PATH=" + database, "PATH=/usr/bin:/bin"};
  std::vector<char*> envp;
  for (auto& e : environment)
    envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args{tide};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, tide.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
    return -1;
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return -1;
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void runProcess(benchmark::State& state, const std::vector<std::string>& arguments) {
  for (auto _ : state) {
    const double cpu = childCpuSeconds(arguments);
    if (cpu < 0) {
      state.SkipWithError("tide failed");
      return;
    }
    state.SetIterationTime(cpu);
  }
}

void BM_SeattleYearQuarterHours(benchmark::State& state) {
  runProcess(state, {"-b", "2026-01-01 00:00", "-e", "2027-01-01 00:00", "-ft", "-mm", "-s", "0:15",
                     "-l", "Seattle, Puget Sound, Washington"});
}
BENCHMARK(BM_SeattleYearQuarterHours)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StationList(benchmark::State& state) {
  runProcess(state, {"-l" + database, "-ml"});
}
BENCHMARK(BM_StationList)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SubordinateYearQuarterHours(benchmark::State& state) {
  runProcess(state, {"-b", "2026-01-01 00:00", "-e", "2027-01-01 00:00", "-ft", "-mm", "-s", "0:15",
                     "-l", "Admiralty Head"});
}
BENCHMARK(BM_SubordinateYearQuarterHours)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SubordinateCurrentYearQuarterHours(benchmark::State& state) {
  runProcess(state, {"-b", "2026-01-01 00:00", "-e", "2027-01-01 00:00", "-ft", "-mm", "-s", "0:15",
                     "-l", "Raccoon Key (Depth 10ft), Ossabaw Sound, Georgia Current"});
}
BENCHMARK(BM_SubordinateCurrentYearQuarterHours)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
