#include "RecordingDialogResponder.h"
#include "fw/gui/Application.h"
#include "fw/gui/Dialogs.h"
#include "fw/gui/InstanceChannel.h"
#include "fw/gui/QtDialogResponder.h"
#include "fw/gui/Window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> journal;

class Doc : public fw::Window {
  void Event_Close() override { journal.push_back("Close"); }
};

class TestApp : public fw::Application {
public:
  void Event_Open() override { journal.push_back("Open"); }
  void Event_NewDocument() override {
    journal.push_back("New");
    fw::Window::New<Doc>();
  }
  void Event_OpenDocument(const fw::FolderItem& item) override {
    journal.push_back("Document " + item.AbsolutePath());
    fw::Window::New<Doc>();
  }
};

void closeAll() {
  for (fw::Window* w : fw::Window::Windows())
    w->Close();
}

class ApplicationTest : public ::testing::Test {
protected:
  void SetUp() override { journal.clear(); }

  // Runs `step` once from inside the loop; a run that hangs ends with status 99.
  int run(std::function<void()> step) {
    if (step)
      QTimer::singleShot(5, &timers, step);
    QTimer::singleShot(5000, &timers, [] {
      closeAll();
      QCoreApplication::exit(99);
    });
    std::string name = "halvorn";
    char* argv[] = {name.data(), nullptr};
    return fw::RunApplication(1, argv, startup, key());
  }
  std::string key() const { return dir.filePath("instance").toStdString(); }

  QTemporaryDir dir;
  QObject timers;
  std::unique_ptr<TestApp> app;
  std::function<void()> startup = [this] { app = std::make_unique<TestApp>(); };
};

// A killed instance leaves its socket file behind, with nobody listening.
TEST_F(ApplicationTest, AnInstanceStartedOverADeadOnesSocketTakesTheNextLaunchsDocuments) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = key();
  ASSERT_LT(path.size(), sizeof(address.sun_path));
  std::copy(path.begin(), path.end(), address.sun_path);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);

  int secondStatus = -1;
  EXPECT_EQ(run([&] {
              std::string name = "halvorn", document = "/data/a.tides";
              std::vector<char*> argv = {name.data(), document.data(), nullptr};
              secondStatus = fw::RunApplication(
                  2, argv.data(), [] { journal.push_back("second start"); }, key());
              const bool handedOver = QTest::qWaitFor([] { return journal.size() == 3; }, 20000);
              EXPECT_TRUE(handedOver);
              closeAll();
            }),
            0);
  EXPECT_EQ(secondStatus, 0);
  EXPECT_EQ(journal,
            (std::vector<std::string>{"Open", "New", "Document /data/a.tides", "Close", "Close"}));
}

TEST_F(ApplicationTest, AStartThatLeavesNoWindowDoesNotWaitForever) {
  struct Silent : TestApp {
    void Event_NewDocument() override { journal.push_back("New"); }
  };
  startup = [this] { app = std::make_unique<Silent>(); };
  EXPECT_EQ(run(nullptr), 0);
  EXPECT_EQ(journal, (std::vector<std::string>{"Open", "New"}));
}

// Without a runtime folder the socket must not take the Temporary folder's
// path, whichever of the two is made first.
TEST(InstanceChannel, WithoutARuntimeFolderTheSocketKeepsClearOfTheTemporaryFolder) {
  QTemporaryDir dir;
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), tmp = qgetenv("TMPDIR");
  unsetenv("XDG_RUNTIME_DIR");
  setenv("TMPDIR", dir.path().toLocal8Bit().constData(), 1);
  const std::string key = "halvorn-" + std::to_string(::geteuid());
  for (const bool folderFirst : {false, true}) {
    SCOPED_TRACE(folderFirst ? "folder first" : "socket first");
    QDir(dir.filePath(QString::fromStdString(key))).removeRecursively();
    std::optional<fw::FolderItem> temporary;
    if (folderFirst)
      temporary = fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Temporary);
    fw::InstanceChannel running(key);
    QStringList received;
    EXPECT_TRUE(running.listen([&](const QStringList& paths) { received = paths; }));
    if (!folderFirst)
      temporary = fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Temporary);
    ASSERT_TRUE(temporary && temporary->Directory());
    EXPECT_TRUE(fw::InstanceChannel(key).handOff({"/d/a.tides"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000));
    struct stat folder {};
    ASSERT_EQ(::stat(QFileInfo(running.socketName()).path().toLocal8Bit().constData(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 077, 0u); // only the user reaches the socket
  }
  for (const auto& [name, value] : {std::pair{"XDG_RUNTIME_DIR", runtime}, {"TMPDIR", tmp}})
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

// ---- dialogs

TEST(Dialogs, EveryDialogAsksTheInstalledResponderAndSaveAddsAMissingExtension) {
  ScopedDialogResponder responder;
  responder->answerSave("/home/me/saved.tides");
  responder->answerFolder("/opt/tide");
  fw::MsgBox("Please enter a start date");
  EXPECT_EQ(fw::GetSaveFolderItem("tidesearch", "Untitled")->AbsolutePath(),
            "/home/me/saved.tides");
  EXPECT_EQ(fw::SelectFolder()->AbsolutePath(), "/opt/tide");
  EXPECT_FALSE(fw::GetOpenFolderItem("tidesearch") || fw::SelectFolder());
  EXPECT_EQ(responder->messages(), std::vector<std::string>{"Please enter a start date"});
  EXPECT_EQ(responder->count(DialogCall::Kind::Open), 1);
  // The real dialogs' rule for a typed name.
  const std::vector<std::vector<std::string>> cases = {
      {"/d/Friday Harbor", ".tides", "/d/Friday Harbor.tides"},
      {"/d/WEEKEND.TIDES", ".tides", "/d/WEEKEND.TIDES"},
      {"/d/notes.txt", ".tides", "/d/notes.txt.tides"},
      {"/d/plain", "", "/d/plain"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fw::QtDialogResponder::withExtension(c[0], c[1]), c[2]) << c[0];
}

} // namespace
