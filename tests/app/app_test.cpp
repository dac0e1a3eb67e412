// The whole run as the executable makes it: _Main with its real start-up and
// real main windows, and the built Halvorn launched as a second instance.

#include "HalvornWindowFixture.h"
#include "app/FileTypes.h"
#include "app/Startup.h"

#include <QDir>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <set>

namespace {

class AppRunTest : public HalvornWindowTest {
protected:
  // Hides the fixture's own application: _Main makes and releases the App.
  static void SetUpTestSuite() {}

  // The document of each main window; a document's place is read from it and
  // every title stays "Halvorn".
  static std::multiset<std::string> documentsShown() {
    std::multiset<std::string> files;
    for (Halvorn* w : openWindowsOf<Halvorn>()) {
      files.insert(pathOrNone(w->theFile));
      EXPECT_EQ(w->thePlace, w->theFile ? w->theFile->Name() : w->thePlace);
      EXPECT_EQ(w->Title(), "Halvorn");
    }
    return files;
  }

  // A saved search of that version, its place named like the file.
  std::string search(const std::string& name, char version) const {
    writeBytes(pathOf(name), std::string(3, '\0') + version + pstring(name) + std::string(9, '\0'));
    return pathOf(name);
  }
};

// The built executable, started while this process is the running instance,
// hands its documents over and exits; the run releases everything it made.
TEST_F(AppRunTest, EachDocumentGetsItsOwnWindowAlsoWhenASecondLaunchHandsItOver) {
  std::string name = "Halvorn", cove = search("cove.tides", 1), future = search("future.tides", 2);
  const std::string handed = search("handed.tides", 1);
  QProcess second;
  second.setWorkingDirectory(QString::fromStdString(home())); // relative paths arrive absolute
  QObject context; // gone with the test if the loop never ran
  QTimer::singleShot(0, &context, [&] {
    EXPECT_EQ(theApp()->GetMenuBar(), &MenuBar1::shared());
    EXPECT_TRUE(theApp()->HasMenuHandler("FileNew"));
    EXPECT_EQ(fw::fileTypeExtension("tidesearch"), ".tides");
    EXPECT_EQ(documentsShown(), (std::multiset<std::string>{"none", cove}));
    // The second launch hands over its document, or asks for a new window without one.
    for (const auto& launch : {std::pair{QStringList{"handed.tides"}, 3u}, {QStringList{}, 4u}}) {
      second.start(HALVORN_BINARY_DIR "/Halvorn", launch.first);
      EXPECT_TRUE(QTest::qWaitFor(
          [&] {
            return second.state() == QProcess::NotRunning &&
                   openWindowsOf<Halvorn>().size() == launch.second;
          },
          30000));
      EXPECT_EQ(second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1, 0);
    }
    EXPECT_EQ(documentsShown(), (std::multiset<std::string>{"none", "none", cove, handed}));
    for (fw::Window* w : fw::Window::Windows())
      w->Close();
    QTimer::singleShot(30000, &context, [] { QCoreApplication::exit(99); }); // a hung run
  });
  char* argv[] = {name.data(), cove.data(), future.data(), nullptr};
  EXPECT_EQ(_Main(3, argv), 0);
  EXPECT_EQ(dialogs->messages(), std::vector<std::string>{"Invalid tide search file " + future});
  EXPECT_EQ(fw::Application::Instance(), nullptr);
  EXPECT_FALSE(FileTypes::pText || FileTypes::pPrefs || FileTypes::pTidesearch);
  EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
}

// A logout, a kill or Ctrl+C ends the built Halvorn as Quit does: its place-list
// folders go with it. A SIGHUP ignored at the start (nohup) stays ignored.
TEST_F(AppRunTest, ASignalToEndQuitsAndLeavesNoTemporaryFolder) {
  const QDir temporary(QString::fromStdString(pathOf("halvorn")));
  const auto listingFolders = [&] {
    return temporary.entryList({".halvorn-places-*"}, QDir::Dirs | QDir::Hidden);
  };
  for (const auto& [signal, start] :
       {std::pair{SIGTERM, ""}, {SIGHUP, ""}, {SIGINT, ""}, {SIGHUP, "trap '' HUP; "}}) {
    SCOPED_TRACE(std::to_string(signal) + start);
    QProcess halvorn;
    halvorn.start("/bin/sh", {"-c", start + QString("exec \"$0\""), HALVORN_BINARY_DIR "/Halvorn"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !listingFolders().isEmpty(); }, 30000));
    const auto pid = static_cast<pid_t>(halvorn.processId());
    ::kill(pid, signal);
    if (*start) {
      EXPECT_FALSE(halvorn.waitForFinished(1000)) << "an ignored SIGHUP ended it";
      if (halvorn.state() != QProcess::NotRunning) // else the pid may be another's
        ::kill(pid, SIGTERM);
    }
    EXPECT_TRUE(halvorn.waitForFinished(30000));
    EXPECT_EQ(halvorn.exitStatus() == QProcess::NormalExit ? halvorn.exitCode() : -1, 0);
    EXPECT_EQ(listingFolders(), QStringList{});
  }
}

struct ProbeApp : App {
  using App::SetTidePath;
};

TEST(AppToolDiscovery, FindsTheBuildsPredictorKeepsItWhenNothingQualifiesAndReleasesIt) {
  QTemporaryDir empty;
  {
    ProbeApp app;
    app.SetTidePath(fw::FolderItem(HALVORN_BINARY_DIR));
    app.SetTidePath(fw::FolderItem(empty.path().toStdString()));
    EXPECT_EQ(toolPaths().tidePath, fw::FolderItem(HALVORN_RESOURCES_DIR "/tide"));
    EXPECT_EQ(toolPaths().hfilepath, fw::FolderItem(HALVORN_RESOURCES_DIR "/harmonics.tcd"));
  }
  EXPECT_FALSE(toolPaths().tidePath || toolPaths().hfilepath);
}

} // namespace
