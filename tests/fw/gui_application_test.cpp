#include "fw/gui/Application.h"
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
#include <string>
#include <sys/socket.h>
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

// argv as a launch from a desktop file manager would give it.
class Launch {
public:
  explicit Launch(std::vector<std::string> args) : args_(std::move(args)) {
    for (std::string& a : args_)
      argv_.push_back(a.data());
    argv_.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(args_.size()); }
  char** argv() { return argv_.data(); }

private:
  std::vector<std::string> args_;
  std::vector<char*> argv_;
};

void closeAll() {
  for (fw::Window* w : fw::Window::Windows())
    w->Close();
}

// Calls `step` from the running loop every few milliseconds until it says it
// is done; a run that hangs is cut short with status 99. The timers die with
// `owner`, so none outlives its test.
void whileRunning(QObject* owner, std::function<bool()> step) {
  auto* poll = new QTimer(owner);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, step] {
    if (step())
      poll->stop();
  });
  poll->start(5);
  auto* watchdog = new QTimer(owner);
  watchdog->setSingleShot(true);
  QObject::connect(watchdog, &QTimer::timeout, watchdog, [] {
    closeAll();
    QCoreApplication::exit(99);
  });
  watchdog->start(5000);
}

int count(const std::string& entry) {
  return static_cast<int>(std::count(journal.begin(), journal.end(), entry));
}

class ApplicationTest : public ::testing::Test {
protected:
  void SetUp() override {
    journal.clear();
    ASSERT_TRUE(dir.isValid());
    key = dir.filePath("instance").toStdString();
  }
  void TearDown() override { app.reset(); }

  int run(Launch launch) { return fw::RunApplication(launch.argc(), launch.argv(), startup, key); }

  QTemporaryDir dir;
  QObject timers;
  std::string key;
  std::unique_ptr<TestApp> app;
  int startups = 0;
  std::function<void()> startup = [this] {
    ++startups;
    app = std::make_unique<TestApp>();
  };
};

TEST_F(ApplicationTest, AStartWithoutDocumentsOpensANewDocumentAndEndsWithTheLastWindow) {
  whileRunning(&timers, [] {
    closeAll();
    return true;
  });
  EXPECT_EQ(run(Launch({"halvorn"})), 0);
  EXPECT_EQ(startups, 1);
  EXPECT_EQ(journal, (std::vector<std::string>{"Open", "New", "Close"}));
  EXPECT_TRUE(fw::Window::Windows().empty());
  EXPECT_EQ(fw::Application::Instance(), app.get());
}

TEST_F(ApplicationTest, EachDocumentOnTheCommandLineIsOpenedByItsAbsolutePath) {
  whileRunning(&timers, [] {
    closeAll();
    return true;
  });
  EXPECT_EQ(run(Launch({"halvorn", "weekend.tides", "/data/Friday Harbor.tides"})), 0);
  const std::string relative =
      QFileInfo(QDir::current(), "weekend.tides").absoluteFilePath().toStdString();
  EXPECT_EQ(journal,
            (std::vector<std::string>{"Open", "Document " + relative,
                                      "Document /data/Friday Harbor.tides", "Close", "Close"}));
}

TEST_F(ApplicationTest, ASecondLaunchHandsItsDocumentsToTheRunningInstance) {
  int secondStartups = 0;
  std::vector<int> secondStatus;
  auto secondLaunch = [&](std::vector<std::string> args) {
    Launch launch(std::move(args));
    secondStatus.push_back(fw::RunApplication(
        launch.argc(), launch.argv(), [&] { ++secondStartups; }, key));
  };
  int stage = 0;
  whileRunning(&timers, [&] {
    if (stage == 0) {
      secondLaunch({"halvorn", "/data/a.tides", "/data/b c.tides"});
      stage = 1;
    } else if (stage == 1 && count("Document /data/b c.tides") == 1) {
      secondLaunch({"halvorn"});
      stage = 2;
    } else if (stage == 2 && count("New") == 2) {
      closeAll();
      return true;
    }
    return false;
  });
  EXPECT_EQ(run(Launch({"halvorn"})), 0);
  EXPECT_EQ(secondStatus, (std::vector<int>{0, 0}));
  EXPECT_EQ(secondStartups, 0);
  const std::vector<std::string> opened(journal.begin(), journal.begin() + 5);
  EXPECT_EQ(opened, (std::vector<std::string>{"Open", "New", "Document /data/a.tides",
                                              "Document /data/b c.tides", "New"}));
  EXPECT_EQ(count("Close"), 4);
}

TEST_F(ApplicationTest, ASocketLeftByACrashedInstanceDoesNotStopTheStart) {
  // A socket file that nobody listens on, as a killed instance leaves it.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(key.size(), sizeof(address.sun_path));
  std::copy(key.begin(), key.end(), address.sun_path);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
  ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(key)));

  whileRunning(&timers, [] {
    closeAll();
    return true;
  });
  EXPECT_EQ(run(Launch({"halvorn"})), 0);
  EXPECT_EQ(startups, 1);
  EXPECT_EQ(journal, (std::vector<std::string>{"Open", "New", "Close"}));
}

TEST_F(ApplicationTest, QuitClosesEveryWindowAndEndsTheRun) {
  whileRunning(&timers, [this] {
    fw::Window::New<Doc>();
    app->Quit();
    return true;
  });
  EXPECT_EQ(run(Launch({"halvorn"})), 0);
  EXPECT_EQ(count("Close"), 2);
  EXPECT_TRUE(fw::Window::Windows().empty());
}

TEST_F(ApplicationTest, AStartThatLeavesNoWindowDoesNotWaitForever) {
  struct Silent : TestApp {
    void Event_NewDocument() override { journal.push_back("New"); }
  };
  startup = [this] { app = std::make_unique<Silent>(); };
  EXPECT_EQ(run(Launch({"halvorn"})), 0);
  EXPECT_EQ(journal, (std::vector<std::string>{"Open", "New"}));
}

} // namespace
