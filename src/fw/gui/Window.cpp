#include "fw/gui/Window.h"

#include "fw/gui/ApplicationLoop.h"
#include "fw/gui/MenuShortcutHook.h"
#include "fw/gui/MenuView.h"
#include "fw/gui/WindowHost.h"

#include <QLayout>
#include <QWidget>
#include <algorithm>

namespace fw {

namespace {

constexpr int defaultWidth = 300;
constexpr int defaultHeight = 300;
constexpr int smallestSide = 64;

// Open windows, front-most first.
std::vector<Window*>& openWindows() {
  static std::vector<Window*> windows;
  return windows;
}

void forget(Window* window) {
  auto& windows = openWindows();
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

} // namespace

Window::Window() = default;

Window::~Window() {
  forget(this);
  menuView_.reset();
  // The widgets go before the controls that their signals reach.
  if (auto* host = static_cast<WindowHost*>(qwindow_)) {
    host->detach();
    delete host;
  }
}

std::vector<Window*> Window::Windows() {
  return openWindows();
}

Window* Window::Frontmost() {
  const auto& windows = openWindows();
  return windows.empty() ? nullptr : windows.front();
}

void Window::moveToFront(Window* window) {
  auto& windows = openWindows();
  auto it = std::find(windows.begin(), windows.end(), window);
  if (it != windows.end())
    std::rotate(windows.begin(), it, it + 1);
}

void Window::construct() {
  installMenuShortcutHook();
  auto* host = new WindowHost(this);
  qwindow_ = host;
  content_ = new QWidget(host);
  content_->setObjectName("content");
  host->setCentralWidget(content_);
  SetSize(defaultWidth, defaultHeight);

  Layout();
  CreateControls();
  AddMenuHandlers();
  showMenuBar();

  open_ = true;
  openWindows().insert(openWindows().begin(), this);
  Show();
  runTimers();
  Event_Open();
}

void Window::Close() {
  if (!open_)
    return;
  open_ = false;
  runTimers();
  Event_Close();
  forget(this);
  if (qwindow_)
    qwindow_->hide();
  dispose();
  if (openWindows().empty() && applicationLoopRunning())
    endApplicationLoop();
}

void Window::dispose() {
  // Deferred deletion waits for the event loop level that closed the window,
  // so the handler that called Close (and any modal loop inside it) finishes
  // with the window still there.
  auto* disposer = new QObject;
  QObject::connect(disposer, &QObject::destroyed, [this] { delete this; });
  disposer->deleteLater();
}

std::string Window::Title() const {
  return qwindow_ ? qwindow_->windowTitle().toStdString() : std::string{};
}

void Window::SetTitle(const std::string& title) {
  if (qwindow_)
    qwindow_->setWindowTitle(QString::fromStdString(title));
}

void Window::SetMenuBar(MenuBar* menuBar) {
  menuBar_ = menuBar;
  if (open_)
    showMenuBar();
}

void Window::showMenuBar() {
  menuView_.reset();
  if (MenuBar* shown = menuBarShownBy(this))
    menuView_ = std::make_unique<MenuView>(qwindow_, shown);
}

void Window::SetSize(int width, int height, bool resizable) {
  if (!content_)
    return;
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (resizable) {
    content_->setMinimumSize(smallestSide, smallestSide);
    content_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    content_->resize(width, height);
    qwindow_->layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
    const int menuHeight = qwindow_->menuWidget() ? qwindow_->menuWidget()->sizeHint().height() : 0;
    qwindow_->resize(width, height + menuHeight);
  } else {
    // The window then takes exactly the menu bar plus the content.
    content_->setFixedSize(width, height);
    qwindow_->layout()->setSizeConstraint(QLayout::SetFixedSize);
  }
}

void Window::SetTitleBarButtons(bool minimize, bool maximize) {
  if (!qwindow_)
    return;
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  flags.setFlag(Qt::WindowMinimizeButtonHint, minimize);
  flags.setFlag(Qt::WindowMaximizeButtonHint, maximize);
  // New flags hide a shown window; it comes back as it was.
  const bool shown = qwindow_->isVisible();
  qwindow_->setWindowFlags(flags);
  if (shown)
    qwindow_->show();
}

int Window::Width() const {
  return content_ ? content_->width() : 0;
}

int Window::Height() const {
  return content_ ? content_->height() : 0;
}

void Window::Show() {
  if (!qwindow_)
    return;
  qwindow_->show();
  qwindow_->raise();
  qwindow_->activateWindow();
  moveToFront(this);
}

Timer* Window::AddTimer(const std::string& name) {
  timers_.push_back(std::make_unique<Timer>(this, name));
  timers_.back()->updateRunning();
  return timers_.back().get();
}

Control* Window::FindControl(const std::string& name) const {
  for (const auto& control : controls_)
    if (control->Name() == name)
      return control.get();
  return nullptr;
}

Timer* Window::FindTimer(const std::string& name) const {
  for (const auto& timer : timers_)
    if (timer->Name() == name)
      return timer.get();
  return nullptr;
}

void Window::AddMenuHandler(const std::string& itemName, std::function<bool()> handler) {
  menuHandlers_.add(itemName, std::move(handler));
}

bool Window::HasMenuHandler(const std::string& itemName) const {
  return menuHandlers_.has(itemName);
}

bool Window::RunMenuHandler(const std::string& itemName) {
  return menuHandlers_.run(itemName);
}

QWidget* Window::content() const {
  return content_;
}

QWidget* Window::tabPage(TabPanel* panel, int tab) const {
  QWidget* page = panel ? panel->page(tab) : nullptr;
  return page ? page : content_;
}

void Window::registerControl(std::unique_ptr<Control> control) {
  controls_.push_back(std::move(control));
}

void Window::runTimers() {
  for (const auto& timer : timers_)
    timer->updateRunning();
}

} // namespace fw
