#pragma once
// What the main-window tests share: an application with the shared menu bar,
// a private home with its own configuration and runtime folders for each test,
// the tool paths reset around each test, and helpers for the preferences
// file's bytes and for waiting on the place list.

#include "RecordingDialogResponder.h"
#include "app/MenuBar1.h"
#include "engine/ToolPaths.h"
#include "fw/gui/Application.h"
#include "fw/gui/Controls.h"
#include "window/Halvorn.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace windowtest {

namespace fs = std::filesystem;

inline constexpr int kStationCount = 5407;
inline constexpr int kListingTimeoutMs = 30000;

// Sets environment variables for one test and puts the earlier values back.
class ScopedEnvironment {
public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }
  void set(const std::string& name, const std::string& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    ::setenv(name.c_str(), value.c_str(), 1);
  }

private:
  std::map<std::string, std::optional<std::string>> saved_;
};

inline std::string readBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

// One length byte, then the bytes.
inline std::string pstring(const std::string& text) {
  return std::string(1, static_cast<char>(text.size())) + text;
}

inline std::string preferencesBytes(const std::string& place, const std::string& tide,
                                    const std::string& database) {
  return pstring(place) + pstring(tide) + pstring(database);
}

inline void makeFile(const fs::path& file) {
  fs::create_directories(file.parent_path());
  writeBytes(file, "x");
}

class WindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    if (!fw::Application::Instance()) {
      static fw::Application app;
      app.SetMenuBar(&MenuBar1::shared());
    }
  }

  void SetUp() override {
    char pattern[] = "/tmp/halvorn-window-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    home = pattern;
    fs::create_directories(home / "config");
    fs::create_directories(home / "run");
    ::chmod((home / "run").c_str(), 0700);
    environment.set("HOME", home.string());
    environment.set("XDG_CONFIG_HOME", (home / "config").string());
    environment.set("XDG_RUNTIME_DIR", (home / "run").string());
    environment.set("TZ", "UTC");
    toolPaths() = ToolPaths{};
  }

  void TearDown() override {
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    // Closed windows are deleted from the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    toolPaths() = ToolPaths{};
    std::error_code ignored;
    fs::remove_all(home, ignored);
  }

  fs::path preferencesPath() const { return home / "config" / "Halvorn Preferences"; }
  std::string preferences() const { return readBytes(preferencesPath()); }

  static Halvorn* open() { return fw::Window::New<Halvorn>(); }

  // The build's predictor and its database link, as start-up finds them.
  static fs::path resources() { return HALVORN_RESOURCES_DIR; }
  static bool haveRealPredictor() {
    return fs::exists(resources() / "tide") && fs::exists(resources() / "harmonics.tcd");
  }
  static void useRealPredictor() {
    toolPaths().tidePath = fw::FolderItem((resources() / "tide").string());
    toolPaths().hfilepath = fw::FolderItem((resources() / "harmonics.tcd").string());
  }

  static bool statusEndsWith(Halvorn* w, const std::string& suffix) {
    const std::string text = w->Status()->Text();
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
  }
  // Runs the event loop until the listing has been delivered (or failed).
  static bool waitForPlaces(Halvorn* w) {
    return QTest::qWaitFor(
        [w] {
          return statusEndsWith(w, " locations found") ||
                 statusEndsWith(w, "Unable to get the location list") ||
                 w->Status()->Text() == "There was no location list generated";
        },
        kListingTimeoutMs);
  }

  static std::vector<std::string> rows(fw::PopupMenu* popup) {
    std::vector<std::string> all;
    for (int i = 0; i < popup->ListCount(); ++i)
      all.push_back(popup->List(i));
    return all;
  }

  ScopedEnvironment environment;
  fs::path home;
};

} // namespace windowtest
