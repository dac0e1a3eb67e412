#pragma once
// Set-up for tests that drive main windows as a user would: a private home,
// config and runtime folder (a window reads and writes its preferences), the
// application object with the shared menu bar, a recording dialog responder,
// a scratch folder for files, and every window closed after each test.

#include "RecordingDialogResponder.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "fw/gui/Application.h"
#include "fw/gui/Window.h"
#include "window/Halvorn.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

class MainWindowTest : public ::testing::Test {
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
  static App& app() { return *dynamic_cast<App*>(fw::Application::Instance()); }
  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    // Closed windows are deleted from the event loop, which these tests don't run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  static Halvorn* open() {
    auto* w = fw::Window::New<Halvorn>();
    w->Show();
    return w;
  }
  static bool isOpen(fw::Window* w) {
    const auto open = fw::Window::Windows();
    return std::find(open.begin(), open.end(), w) != open.end();
  }

  std::string pathOf(const std::string& name) const {
    return folder_.path().toStdString() + "/" + name;
  }
  static std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  ScopedDialogResponder dialogs;

private:
  QTemporaryDir folder_;
};
