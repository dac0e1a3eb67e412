#pragma once
// Set-up for tests that drive Halvorn windows as a user would. For the test
// program: one App with the shared MenuBar1 and its "FileNew" handler. For each
// test: a private home (config, data and runtime folders; a window reads and
// writes its preferences there), TZ pinned, no tool paths, a recording dialog
// responder so no modal box can block, and every window closed and deleted after.

#include "FullDisk.h"
#include "RecordingDialogResponder.h"
#include "app/App.h"
#include "app/MenuBar1.h"
#include "engine/ToolPaths.h"
#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
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
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

class HalvornWindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    if (!fw::Application::Instance()) {
      static App app;
      app.SetMenuBar(&MenuBar1::shared());
      app.AddMenuHandler("FileNew", [] { return app._FileNew_Action(); });
    }
  }
  void SetUp() override {
    ASSERT_TRUE(home_.isValid());
    for (const char* folder : {"config", "data"})
      ::mkdir(pathOf(folder).c_str(), 0700);
    ::setenv("HOME", home().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", pathOf("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", pathOf("data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home().c_str(), 1);
    ::setenv("TZ", "UTC", 1);
    toolPaths() = {};
  }
  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    flushClosedWindows();
    toolPaths() = {};
    fw::setDialogResponder(previousDialogs_);
  }

  // Shown, so it is the front window that menu commands go to.
  static Halvorn* open() {
    auto* w = fw::Window::New<Halvorn>();
    w->Show();
    return w;
  }
  // Closed windows are deleted from the event loop, which most tests don't run.
  static void flushClosedWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static bool isOpen(fw::Window* w) { return std::ranges::count(fw::Window::Windows(), w) > 0; }
  template <class W> static std::vector<W*> openWindowsOf() {
    std::vector<W*> found;
    for (fw::Window* w : fw::Window::Windows())
      if (auto* typed = dynamic_cast<W*>(w))
        found.push_back(typed);
    return found;
  }
  // The rows of a popup or list box.
  template <class C> static std::vector<std::string> rows(C* list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->ListCount(); ++i)
      texts.push_back(list->List(i));
    return texts;
  }

  std::string home() const { return home_.path().toStdString(); }
  std::string pathOf(const std::string& name) const { return home() + "/" + name; }
  std::string preferencesPath() const { return pathOf("config/Halvorn Preferences"); }
  std::string preferences() const { return readBytes(preferencesPath()); }
  static std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // One length byte, then the bytes: the strings of the preferences and saved searches.
  static std::string pstring(const std::string& text) {
    return static_cast<char>(text.size()) + text;
  }
  static std::string preferencesBytes(const std::string& place, const std::string& tide = "",
                                      const std::string& database = "") {
    return pstring(place) + pstring(tide) + pstring(database);
  }
  static std::string pathOrNone(const std::optional<fw::FolderItem>& item) {
    return item ? item->AbsolutePath() : "none";
  }

  // The build's predictor and database link, where start-up finds them.
  static std::string resource(const std::string& name) {
    return std::string(HALVORN_RESOURCES_DIR) + "/" + name;
  }
  static bool predictorBuilt() {
    return ::access(resource("tide").c_str(), X_OK) == 0 &&
           ::access(resource("harmonics.tcd").c_str(), R_OK) == 0;
  }
  static void useBuiltTools() {
    toolPaths().tidePath = fw::FolderItem(resource("tide"));
    toolPaths().hfilepath = fw::FolderItem(resource("harmonics.tcd"));
  }

  // Installed for the length of the test, the previous one put back after.
  std::shared_ptr<RecordingDialogResponder> dialogs = std::make_shared<RecordingDialogResponder>();

private:
  std::shared_ptr<fw::DialogResponder> previousDialogs_ = fw::setDialogResponder(dialogs);
  QTemporaryDir home_;
};
