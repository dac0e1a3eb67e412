#include "fw/gui/Application.h"

#include "fw/gui/ApplicationLoop.h"
#include "fw/gui/InstanceChannel.h"
#include "fw/gui/MenuShortcutHook.h"
#include "fw/gui/Window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <iterator>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace fw {

namespace {

Application* current = nullptr;
bool loopRunning = false;

// Documents come as paths relative to the launch's own folder; the running
// instance that may receive them has another.
QStringList documentPaths(int argc, char** argv) {
  QStringList paths;
  for (int i = 1; i < argc; ++i)
    paths << QFileInfo(QDir::current(), QString::fromLocal8Bit(argv[i])).absoluteFilePath();
  return paths;
}

void openDocuments(const QStringList& paths) {
  Application* app = Application::Instance();
  if (!app)
    return;
  if (paths.isEmpty()) {
    app->Event_NewDocument();
    return;
  }
  for (const QString& path : paths)
    app->Event_OpenDocument(FolderItem(path.toStdString()));
}

// Posted events of windows closed on the way out, deleted before returning.
void deleteClosedWindows() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int signalWriteEnd = -1;

void noteSignal(int) {
  const int saved = errno;
  const char byte = 0;
  (void)!::write(signalWriteEnd, &byte, 1);
  errno = saved;
}

// A logout, a kill or Ctrl+C quits as the Quit command does, so windows save
// and close, children end and the temporary folders go. The handler only
// writes a byte; the quit itself runs from the event loop. A signal ignored
// when we started (nohup) stays ignored.
class QuitOnSignals {
public:
  QuitOnSignals() {
    if (signalWriteEnd >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends_) != 0)
      return;
    signalWriteEnd = ends_[0];
    notifier_ = std::make_unique<QSocketNotifier>(ends_[1], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
      char drained[16];
      while (::read(ends_[1], drained, sizeof drained) > 0) {
      }
      if (Application* app = Application::Instance())
        app->Quit();
      else
        endApplicationLoop();
    });
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
      ::sigaction(kSignals[i], nullptr, &previous_[i]);
      if (previous_[i].sa_handler != SIG_IGN)
        ::sigaction(kSignals[i], &action, nullptr);
    }
  }
  ~QuitOnSignals() {
    if (!notifier_)
      return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
      ::sigaction(kSignals[i], &previous_[i], nullptr);
    notifier_.reset();
    signalWriteEnd = -1;
    ::close(ends_[0]);
    ::close(ends_[1]);
  }
  QuitOnSignals(const QuitOnSignals&) = delete;
  QuitOnSignals& operator=(const QuitOnSignals&) = delete;

private:
  static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
  struct sigaction previous_[std::size(kSignals)]{};
  int ends_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace

bool applicationLoopRunning() {
  return loopRunning;
}

void endApplicationLoop() {
  if (loopRunning)
    QCoreApplication::exit(0);
}

Application::Application() {
  current = this;
}

Application::~Application() {
  if (current == this)
    current = nullptr;
}

Application* Application::Instance() {
  return current;
}

void Application::AddMenuHandler(const std::string& itemName, std::function<bool()> handler) {
  menuHandlers_.add(itemName, std::move(handler));
}

bool Application::HasMenuHandler(const std::string& itemName) const {
  return menuHandlers_.has(itemName);
}

bool Application::RunMenuHandler(const std::string& itemName) {
  return menuHandlers_.run(itemName);
}

void Application::Quit() {
  // Each window closes as by its close box, so each saves what it must.
  for (Window* window : Window::Windows())
    window->Close();
  endApplicationLoop();
}

int RunApplication(int argc, char** argv, const std::function<void()>& startup,
                   const std::string& singleInstanceKey) {
  std::unique_ptr<QApplication> ownApp;
  if (!qApp)
    ownApp = std::make_unique<QApplication>(argc, argv); // takes Qt's own options out of argv
  const QStringList documents = documentPaths(argc, argv);

  InstanceChannel channel(singleInstanceKey);
  if (channel.handOff(documents))
    return 0;
  channel.listen([](const QStringList& paths) { openDocuments(paths); });
  const QuitOnSignals quitOnSignals;

  // Windows decide when the application ends, not Qt's own dialogs.
  QApplication::setQuitOnLastWindowClosed(false);
  installMenuShortcutHook();
  if (startup)
    startup();
  if (Application* app = Application::Instance())
    app->Event_Open();
  openDocuments(documents);

  int status = 0;
  if (!Window::Windows().empty()) {
    loopRunning = true;
    status = QApplication::exec();
    loopRunning = false;
  }
  for (Window* window : Window::Windows())
    window->Close();
  deleteClosedWindows();
  return status;
}

} // namespace fw
