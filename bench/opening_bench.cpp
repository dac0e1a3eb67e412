// A main window's opening until its place popup holds every place: the
// window and its controls, the preferences file, bash, the real predictor, the
// output file, the parse and the popup. And the popup's filling alone.

#include "app/MenuBar1.h"
#include "engine/LocationGetter.h"
#include "engine/ToolPaths.h"
#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

constexpr int kStationCount = 5407;

bool haveRealPredictor() {
  const fs::path resources = HALVORN_RESOURCES_DIR;
  return fs::exists(resources / "tide") && fs::exists(resources / "harmonics.tcd");
}

void useRealPredictor() {
  const fs::path resources = HALVORN_RESOURCES_DIR;
  toolPaths().tidePath = fw::FolderItem((resources / "tide").string());
  toolPaths().hfilepath = fw::FolderItem((resources / "harmonics.tcd").string());
}

void closeAndDelete(Halvorn* w) {
  w->Close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_OpenWindowUntilPlacesListed(benchmark::State& state) {
  if (!haveRealPredictor()) {
    state.SkipWithError("no predictor or database in the build's Resources folder");
    return;
  }
  for (auto _ : state) {
    useRealPredictor();
    QEventLoop loop;
    const auto start = std::chrono::steady_clock::now();
    Halvorn* w = fw::Window::New<Halvorn>();
    LocationGetter* shell = w->GetLocationsShell();
    const auto deliver = shell->HaveLocations;
    shell->HaveLocations = [&] {
      deliver();
      loop.quit();
    };
    loop.exec();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    state.SetIterationTime(elapsed.count());
    const bool listed = w->Status()->Text() == std::to_string(kStationCount) + " locations found" &&
                        w->Selector()->ListCount() == kStationCount;
    closeAndDelete(w);
    if (!listed) {
      state.SkipWithError("the window did not list every place");
      return;
    }
  }
}
BENCHMARK(BM_OpenWindowUntilPlacesListed)->Unit(benchmark::kMillisecond)->UseManualTime();

void BM_FillPlacePopup(benchmark::State& state) {
  toolPaths() = ToolPaths{};
  Halvorn* w = fw::Window::New<Halvorn>();
  std::vector<std::string>& names = w->GetLocationsShell()->locations;
  for (int i = 0; i < kStationCount; ++i)
    names.push_back("Station number " + std::to_string(i) + ", Washington");
  for (auto _ : state)
    w->GetLocationsShell_HaveLocations();
  closeAndDelete(w);
}
BENCHMARK(BM_FillPlacePopup)->Unit(benchmark::kMillisecond);

// A private home, so the preferences written meanwhile touch no real ones.
fs::path makePrivateHome() {
  char pattern[] = "/tmp/halvorn-opening-bench-XXXXXX";
  const fs::path home = ::mkdtemp(pattern);
  fs::create_directories(home / "config");
  fs::create_directories(home / "run");
  ::chmod((home / "run").c_str(), 0700);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
  return home;
}

} // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const fs::path home = makePrivateHome();
  QApplication qapp(argc, argv);
  {
    fw::Application app;
    app.SetMenuBar(&MenuBar1::shared());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
  }
  std::error_code ignored;
  fs::remove_all(home, ignored);
  return 0;
}
