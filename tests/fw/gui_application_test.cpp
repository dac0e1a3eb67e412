#include "fw/gui/Application.h"
#include "fw/gui/InstanceChannel.h"
#include "fw/gui/QtDialogResponder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
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

// Its start leaves no window: NewDocument opens none.
class TestApp : public fw::Application {
public:
  void Event_Open() override { journal.push_back("Open"); }
  void Event_NewDocument() override { journal.push_back("New"); }
};

TEST(Application, AStartThatLeavesNoWindowDoesNotWaitForever) {
  QTemporaryDir dir;
  QObject timers;
  QTimer::singleShot(5000, &timers, [] { QCoreApplication::exit(99); }); // a hung run
  std::unique_ptr<TestApp> app;
  std::string name = "halvorn";
  char* argv[] = {name.data(), nullptr};
  EXPECT_EQ(fw::RunApplication(
                1, argv, [&app] { app = std::make_unique<TestApp>(); },
                dir.filePath("instance").toStdString()),
            0);
  EXPECT_EQ(journal, (std::vector<std::string>{"Open", "New"}));
}

// A killed instance leaves its socket file behind, with nobody listening.
void plantDeadSocket(const QString& name) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = name.toStdString();
  ASSERT_LT(path.size(), sizeof(address.sun_path));
  std::copy(path.begin(), path.end(), address.sun_path);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
}

// Without a runtime folder the socket must not take the Temporary folder's
// path, whichever of the two is made first; and a dead instance's socket there
// must not keep the next instance from taking later launches' documents.
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
    plantDeadSocket(running.socketName());
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

// The real Save dialog's rule for a typed name. The window tests answer every
// dialog through the recording responder.
TEST(Dialogs, SaveAddsAMissingExtension) {
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
