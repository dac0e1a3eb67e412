// The whole run as the executable makes it: _Main with its real start-up,
// real main windows, and the built Halvorn as a second launch.

#include "RecordingDialogResponder.h"
#include "app/App.h"
#include "app/FileTypes.h"
#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "engine/ToolPaths.h"
#include "fw/gui/Application.h"
#include "fw/gui/Dialogs.h"
#include "fw/gui/Menu.h"
#include "fw/gui/Window.h"
#include "window/Halvorn.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kRunLimitMs = 30000; // generous for the sanitizer build
constexpr int kHungRun = 99;

std::vector<Halvorn*> mainWindows() {
  std::vector<Halvorn*> windows;
  for (fw::Window* w : fw::Window::Windows())
    if (auto* h = dynamic_cast<Halvorn*>(w))
      windows.push_back(h);
  return windows;
}

void closeAll() {
  for (fw::Window* w : fw::Window::Windows())
    w->Close();
}

// Calls `step` from the running loop until it says it is done; a run that
// hangs is cut short, and _Main then returns kHungRun.
void whileRunning(std::function<bool()> step) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, step] {
    if (step())
      poll->deleteLater();
  });
  poll->start(10);
  auto* limit = new QTimer(qApp);
  limit->setSingleShot(true);
  QObject::connect(limit, &QTimer::timeout, limit, [] {
    closeAll();
    QCoreApplication::exit(kHungRun);
  });
  QObject::connect(poll, &QObject::destroyed, limit, &QObject::deleteLater);
  limit->start(kRunLimitMs);
}

// A saved search as the format has it: version 1, then ten strings.
void writeSearch(const std::string& path, std::int32_t version, const std::string& place) {
  std::ofstream out(path, std::ios::binary);
  for (int shift = 24; shift >= 0; shift -= 8)
    out.put(static_cast<char>((version >> shift) & 0xff));
  for (const std::string& text :
       {place, std::string("3/1/2026"), std::string("3/8/2026"), std::string("6"),
        std::string("AM"), std::string("8"), std::string("PM"), std::string("1:00"),
        std::string("-1"), std::string("9")}) {
    out.put(static_cast<char>(text.size()));
    out << text;
  }
}

class AppRunTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    static QTemporaryDir home;
    const std::string path = home.path().toStdString();
    setenv("HOME", path.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (path + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
    setenv("TZ", "UTC", 1);
  }

  std::string file(const std::string& name) const {
    return dir.filePath(name.c_str()).toStdString();
  }

  int runMain(std::vector<std::string> args) {
    args.insert(args.begin(), "Halvorn");
    std::vector<char*> argv;
    for (std::string& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    return _Main(static_cast<int>(args.size()), argv.data());
  }

  QTemporaryDir dir;
  ScopedDialogResponder dialogs;
};

TEST_F(AppRunTest, AStartWithoutDocumentsOpensOneEmptyWindowAndReleasesEverythingAfter) {
  std::vector<Halvorn*> seen;
  bool registered = false;
  std::vector<std::string> extensions;
  whileRunning([&] {
    seen = mainWindows();
    registered = fw::Application::Instance() == theApp() &&
                 theApp()->GetMenuBar() == &MenuBar1::shared() &&
                 theApp()->HasMenuHandler("FileNew");
    for (const char* name : {"text", "prefs", "tidesearch"})
      extensions.push_back(fw::fileTypeExtension(name));
    closeAll();
    return true;
  });
  EXPECT_EQ(runMain({}), 0);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_FALSE(seen[0]->theFile);
  EXPECT_TRUE(registered);
  EXPECT_EQ(extensions, (std::vector<std::string>{"", "", ".tides"}));
  EXPECT_EQ(theApp(), nullptr);
  EXPECT_EQ(fw::Application::Instance(), nullptr);
  EXPECT_FALSE(FileTypes::pText || FileTypes::pPrefs || FileTypes::pTidesearch);
  EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
}

TEST_F(AppRunTest, EachDocumentGetsItsOwnWindowAndABadOneKeepsItsWindow) {
  writeSearch(file("weekend.tides"), 1, "Seattle, Puget Sound, Washington");
  writeSearch(file("cove.tides"), 1, "Friday Harbor, San Juan Island, Washington");
  writeSearch(file("future.tides"), 2, "Somewhere");
  std::set<std::string> files, places;
  std::size_t windows = 0;
  whileRunning([&] {
    windows = mainWindows().size();
    for (Halvorn* w : mainWindows()) {
      files.insert(w->theFile ? w->theFile->AbsolutePath() : "");
      places.insert(w->thePlace);
      EXPECT_EQ(w->Title(), "Halvorn");
    }
    closeAll();
    return true;
  });
  EXPECT_EQ(runMain({file("weekend.tides"), file("cove.tides"), file("future.tides")}), 0);
  EXPECT_EQ(windows, 3u);
  EXPECT_EQ(files, (std::set<std::string>{"", file("weekend.tides"), file("cove.tides")}));
  EXPECT_TRUE(places.count("Seattle, Puget Sound, Washington"));
  EXPECT_TRUE(places.count("Friday Harbor, San Juan Island, Washington"));
  EXPECT_EQ(dialogs->messages(),
            std::vector<std::string>{"Invalid tide search file " + file("future.tides")});
}

TEST_F(AppRunTest, FileNewAddsAWindowWhicheverWindowIsInFrontAndIsAlwaysEnabled) {
  std::vector<std::size_t> counts;
  bool enabled = false, closeFound = false;
  whileRunning([&] {
    EXPECT_TRUE(fw::chooseMenuItem("FileNew"));
    counts.push_back(mainWindows().size());
    EXPECT_TRUE(fw::chooseMenuItem("FileNew"));
    counts.push_back(mainWindows().size());
    fw::updateMenuEnabling();
    enabled = FileNew() && FileNew()->Enabled();
    closeFound = FileClose() && FileClose()->Name() == "FileClose";
    closeAll();
    return true;
  });
  EXPECT_EQ(runMain({}), 0);
  EXPECT_EQ(counts, (std::vector<std::size_t>{2, 3}));
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(closeFound);
}

// The built executable, launched while this process runs as the first
// instance, hands its document over and exits; this instance opens it.
TEST_F(AppRunTest, ASecondLaunchOfTheExecutableHandsItsDocumentsHere) {
  const std::string halvorn = std::string(HALVORN_BINARY_DIR) + "/Halvorn";
  ASSERT_TRUE(std::filesystem::exists(halvorn));
  writeSearch(file("handed.tides"), 1, "Port Townsend, Washington");

  QProcess second;
  second.setProcessChannelMode(QProcess::ForwardedChannels);
  std::vector<int> exitCodes;
  QObject::connect(&second, &QProcess::finished, [&](int code, QProcess::ExitStatus status) {
    exitCodes.push_back(status == QProcess::NormalExit ? code : -1);
  });
  // A relative path is the second launch's own: it must arrive absolute.
  second.setWorkingDirectory(dir.path());

  int stage = 0;
  std::set<std::string> files;
  whileRunning([&] {
    if (stage == 0) {
      second.start(QString::fromStdString(halvorn), {"handed.tides"});
      stage = 1;
    } else if (stage == 1 && exitCodes.size() == 1 && mainWindows().size() == 2) {
      second.start(QString::fromStdString(halvorn), {});
      stage = 2;
    } else if (stage == 2 && exitCodes.size() == 2 && mainWindows().size() == 3) {
      for (Halvorn* w : mainWindows())
        files.insert(w->theFile ? w->theFile->AbsolutePath() : "");
      closeAll();
      return true;
    }
    return false;
  });
  const int status = runMain({});
  if (second.state() != QProcess::NotRunning) {
    second.kill();
    second.waitForFinished();
  }
  EXPECT_EQ(status, 0);
  EXPECT_EQ(exitCodes, (std::vector<int>{0, 0}));
  EXPECT_EQ(files, (std::set<std::string>{"", file("handed.tides")}));
}

// Tool discovery on real folders: the build's own tree, and trees that
// hold nothing or a plain file where the bundle should be.
class ProbeApp : public App {
public:
  using App::SetTidePath;
};

TEST(AppToolDiscovery, TheBuildTreeQualifiesAndFindingNothingLeavesTheReferences) {
  QTemporaryDir empty, plain;
  std::ofstream(plain.filePath("Halvorn.app").toStdString()) << "not a folder";
  const std::string resources = HALVORN_RESOURCES_DIR;

  ProbeApp app;
  app.SetTidePath(fw::FolderItem(empty.path().toStdString()));
  EXPECT_FALSE(app.tidePath || app.hfilepath);

  app.SetTidePath(fw::FolderItem(HALVORN_BINARY_DIR));
  ASSERT_TRUE(app.tidePath && app.hfilepath);
  EXPECT_EQ(app.tidePath->AbsolutePath(), resources + "/tide");
  EXPECT_EQ(app.hfilepath->AbsolutePath(), resources + "/harmonics.tcd");
  EXPECT_EQ(&app.tidePath, &toolPaths().tidePath) << "windows read the same references";

  for (const QTemporaryDir* nothing : {&empty, &plain}) {
    app.SetTidePath(fw::FolderItem(nothing->path().toStdString()));
    EXPECT_EQ(app.tidePath->AbsolutePath(), resources + "/tide");
    EXPECT_EQ(app.hfilepath->AbsolutePath(), resources + "/harmonics.tcd");
  }
}

TEST(AppToolDiscovery, TheAppReleasesItsReferencesWhenItGoes) {
  {
    ProbeApp app;
    app.SetTidePath(fw::FolderItem(HALVORN_BINARY_DIR));
    ASSERT_TRUE(toolPaths().tidePath);
  }
  EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
}

} // namespace
