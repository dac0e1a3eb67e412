// The place list: the parse of a full-size output alone, and a whole listing
// (bash, the real predictor, the output file, the parse) when the build has
// put the predictor and its database in place.

#include "engine/LocationGetter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr int stationCount = 5407;

std::string syntheticOutput() {
  std::string text = "Location list generated 2026-12-06  4:37 PM UTC\n\n";
  char line[128];
  for (int i = 0; i < stationCount; ++i) {
    std::snprintf(line, sizeof line, "%-51s %s\n",
                  ("Station number " + std::to_string(i) + ", Washington").c_str(),
                  "Ref 47.6026° N, 122.3393° W");
    text += line;
  }
  return text;
}

void BM_ParseLocationList(benchmark::State& state) {
  const std::string text = syntheticOutput();
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseLocationList(text));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseLocationList)->Unit(benchmark::kMillisecond);

void BM_ListRealPredictor(benchmark::State& state) {
  const std::filesystem::path resources = HALVORN_RESOURCES_DIR;
  if (!std::filesystem::exists(resources / "tide") ||
      !std::filesystem::exists(resources / "harmonics.tcd")) {
    state.SkipWithError("no predictor or database in the build's Resources folder");
    return;
  }
  LocationGetter getter;
  QEventLoop loop;
  bool failed = false;
  getter.HaveLocations = [&] { loop.quit(); };
  getter.Error = [&](const std::string&) { failed = true; };
  for (auto _ : state) {
    getter.GetLocations(fw::FolderItem(resources.string()));
    loop.exec();
    if (failed || getter.locations.size() != stationCount) {
      state.SkipWithError("the listing failed");
      return;
    }
  }
}
BENCHMARK(BM_ListRealPredictor)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
