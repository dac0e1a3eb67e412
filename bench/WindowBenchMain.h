#pragma once
// The main of a benchmark that opens main windows: offscreen, a private home so
// the windows' preferences stay out of the real one, and the shared menu bar.

#include "app/MenuBar1.h"
#include "fw/gui/Application.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>

inline int runWindowBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  QTemporaryDir home;
  setenv("HOME", home.path().toUtf8().constData(), 1);
  setenv("XDG_CONFIG_HOME", home.path().toUtf8().constData(), 1);
  fw::Application application;
  application.SetMenuBar(&MenuBar1::shared());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
