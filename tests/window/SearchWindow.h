#pragma once
// A main window for search tests: the application object it expects, private
// HOME and XDG folders (its opening and closing read and write preferences),
// the real predictor and database of the build, a recording dialog responder,
// and the poller driven by the test instead of its one-second timer.

#include "../support/RecordingDialogResponder.h"
#include "app/MenuBar1.h"
#include "engine/GetTidesShell.h"
#include "engine/ToolPaths.h"
#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace searchtest {

inline std::string resource(const std::string& name) {
  return std::string(HALVORN_RESOURCES_DIR) + "/" + name;
}

inline bool predictorBuilt() {
  return ::access(resource("tide").c_str(), X_OK) == 0 &&
         ::access(resource("harmonics.tcd").c_str(), R_OK) == 0;
}

struct Form {
  std::string start = "12/5/2026";
  std::string end = "12/11/2026";
  std::string higher;
  std::string lower = "1";
  std::string minLength = "1:00";
  std::string early;
  std::string late;

  Form with(std::string Form::*field, std::string value) const {
    Form changed = *this;
    changed.*field = std::move(value);
    return changed;
  }
};

// One process as /proc tells it.
struct Process {
  pid_t pid = 0;
  pid_t parent = 0;
  pid_t group = 0;
  char state = '?';
};

inline std::vector<Process> processes() {
  std::vector<Process> found;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr)
    return found;
  while (const dirent* entry = ::readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0)
      continue;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and parentheses; the fields follow its last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
      continue;
    std::istringstream fields(text.substr(close + 1));
    Process p;
    p.pid = pid;
    fields >> p.state >> p.parent >> p.group;
    found.push_back(p);
  }
  ::closedir(proc);
  return found;
}

inline std::vector<pid_t> childrenOf(pid_t parent) {
  std::vector<pid_t> pids;
  for (const Process& p : processes())
    if (p.parent == parent)
      pids.push_back(p.pid);
  return pids;
}

inline std::vector<pid_t> groupMembers(pid_t group) {
  std::vector<pid_t> pids;
  for (const Process& p : processes())
    if (p.group == group && p.state != 'Z')
      pids.push_back(p.pid);
  return pids;
}

// Gone, or a zombie only waiting for whoever inherited it.
inline bool processEnded(pid_t pid) {
  for (const Process& p : processes())
    if (p.pid == pid)
      return p.state == 'Z';
  return true;
}

class SearchWindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    if (!fw::Application::Instance()) {
      static fw::Application app;
      app.SetMenuBar(&MenuBar1::shared());
    }
    ::setenv("HOME", home().c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home() + "/data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (home() + "/runtime").c_str(), 1);
  }

  void SetUp() override {
    savedPaths_ = toolPaths();
    // No remembered preferences and no database while the window opens, so it
    // starts no place list of its own.
    std::string config = home() + "/config-XXXXXX";
    ASSERT_NE(::mkdtemp(config.data()), nullptr);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    toolPaths() = {};
    window = fw::Window::New<Halvorn>();
    window->ShellPoller()->SetMode(0);
    useBuiltTools();
    window->thePlace = "Seattle, Puget Sound, Washington";
    fill(Form{});
  }

  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    toolPaths() = savedPaths_;
  }

  static void useBuiltTools() {
    toolPaths().tidePath = fw::FolderItem(resource("tide"));
    toolPaths().hfilepath = fw::FolderItem(resource("harmonics.tcd"));
  }

  void fill(const Form& form) const {
    window->StartDate()->SetText(form.start);
    window->EndDate()->SetText(form.end);
    window->TideHigher()->SetText(form.higher);
    window->TideLower()->SetText(form.lower);
    window->MinLength()->SetText(form.minLength);
    window->EarlyTime()->SetText(form.early);
    window->LateTime()->SetText(form.late);
  }

  // Ticks the poller as the timer would, only faster; false when the search
  // was not published in time.
  bool runToPublication(std::chrono::milliseconds limit = std::chrono::seconds(30)) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      window->ShellPoller_Action();
      if (!window->shellToPoll)
        return true;
      QTest::qWait(5);
    }
    return false;
  }

  std::vector<std::string> rows() const {
    std::vector<std::string> texts;
    for (int i = 0; i < window->Result()->ListCount(); ++i)
      texts.push_back(window->Result()->List(i));
    return texts;
  }

  std::string status() const { return window->Status()->Text(); }

  Halvorn* window = nullptr;
  ScopedDialogResponder dialogs;

private:
  // Removed with everything in it when the test program ends.
  static const std::string& home() {
    static const QTemporaryDir dir;
    static const std::string made = [] {
      const std::string home = dir.path().toStdString();
      for (const char* sub : {"/data", "/runtime"})
        ::mkdir((home + sub).c_str(), 0700);
      return home;
    }();
    return made;
  }

  ToolPaths savedPaths_;
};

} // namespace searchtest
