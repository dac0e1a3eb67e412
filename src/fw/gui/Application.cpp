#include "fw/gui/Application.h"

#include "fw/gui/ApplicationLoop.h"
#include "fw/gui/InstanceChannel.h"
#include "fw/gui/MenuShortcutHook.h"
#include "fw/gui/Window.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <memory>

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
