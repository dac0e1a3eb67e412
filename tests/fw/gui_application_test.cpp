#include "fw/gui/Application.h"
#include "fw/gui/InstanceChannel.h"
#include "fw/gui/QtDialogResponder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// As one whose only document fails to open: the plain application opens no window.
TEST(Application, AStartThatLeavesNoWindowDoesNotWaitForever) {
  QTemporaryDir dir;
  QObject timers;
  QTimer::singleShot(5000, &timers, [] { QCoreApplication::exit(99); }); // a hung run
  std::unique_ptr<fw::Application> app;
  std::string name = "halvorn";
  char* argv[] = {name.data(), nullptr};
  EXPECT_EQ(fw::RunApplication(
                1, argv, [&app] { app = std::make_unique<fw::Application>(); },
                dir.filePath("instance").toStdString()),
            0);
}

// Without a runtime folder the socket must not take the Temporary folder's
// path, whichever of the two is made first; and a dead instance's socket there
// must not keep the next instance from taking later launches' documents.
TEST(InstanceChannel, WithoutARuntimeFolderTheSocketKeepsClearOfTheTemporaryFolder) {
  QTemporaryDir dir;
  unsetenv("XDG_RUNTIME_DIR");
  setenv("TMPDIR", dir.path().toLocal8Bit().constData(), 1);
  const std::string key = "halvorn-" + std::to_string(::geteuid());
  for (const bool folderFirst : {false, true}) {
    SCOPED_TRACE(folderFirst ? "folder first" : "socket first");
    QDir(dir.filePath(QString::fromStdString(key))).removeRecursively();
    EXPECT_TRUE(!folderFirst || fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Temporary));
    fw::InstanceChannel running(key);
    // A killed instance leaves its socket file behind, with nobody listening.
    sockaddr_un dead{AF_UNIX, {}};
    running.socketName().toStdString().copy(dead.sun_path, sizeof dead.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&dead), sizeof dead), 0);
    ::close(fd);
    QStringList received;
    EXPECT_TRUE(running.listen([&](const QStringList& paths) { received = paths; }));
    // A socket made first must leave the folder's path free.
    EXPECT_TRUE(folderFirst || fw::FolderItem::SpecialFolder(fw::SpecialFolderKind::Temporary));
    EXPECT_TRUE(fw::InstanceChannel(key).handOff({"/d/a.tides"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, 5000));
    const fs::path folder = QFileInfo(running.socketName()).path().toStdString();
    EXPECT_EQ(fs::status(folder).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none); // only the user reaches the socket
  }
}

// The real Save dialog's rule for a typed name. The window tests answer every
// dialog through the recording responder.
TEST(Dialogs, SaveAddsAMissingExtension) {
  for (const auto& [typed, saved] : {std::pair{"/d/Friday Harbor", "/d/Friday Harbor.tides"},
                                     {"/d/WEEKEND.TIDES", "/d/WEEKEND.TIDES"},
                                     {"/d/notes.txt", "/d/notes.txt.tides"}})
    EXPECT_EQ(fw::QtDialogResponder::withExtension(typed, ".tides"), saved) << typed;
}

} // namespace
