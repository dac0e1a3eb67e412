#pragma once
// Set-up shared by the chart tests that open windows: a private home, config
// and runtime folder (a main window reads and writes its preferences), the
// application object with the shared menu bar, a recording dialog responder so
// that no modal box can block, and every window closed and deleted after each test.

#include "RecordingDialogResponder.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "fw/gui/Application.h"
#include "fw/gui/Window.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

class ChartWindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    static QTemporaryDir home;
    const std::string path = home.path().toStdString();
    setenv("HOME", path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (path + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
    setenv("TZ", "UTC", 1);
    if (!fw::Application::Instance()) {
      static App app;
      app.SetMenuBar(&MenuBar1::shared());
    }
  }
  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    flushClosedWindows();
  }
  // Closed windows are deleted from the event loop, which these tests don't run.
  static void flushClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static bool isOpen(fw::Window* w) {
    const auto open = fw::Window::Windows();
    return std::find(open.begin(), open.end(), w) != open.end();
  }
  template <class W> static std::vector<W*> openWindowsOf() {
    std::vector<W*> found;
    for (fw::Window* w : fw::Window::Windows())
      if (auto* typed = dynamic_cast<W*>(w))
        found.push_back(typed);
    return found;
  }

  ScopedDialogResponder dialogs;
};
