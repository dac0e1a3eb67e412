#include "fw/gui/WindowHost.h"

#include "fw/gui/Window.h"

#include <QCloseEvent>

namespace fw {

WindowHost::WindowHost(Window* owner) : owner_(owner) {}

void WindowHost::closeEvent(QCloseEvent* event) {
  // Close hides the window itself; Qt must not close it a second time.
  event->ignore();
  if (owner_ && owner_->IsOpen())
    owner_->Close();
}

void WindowHost::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && owner_)
    Window::moveToFront(owner_);
}

} // namespace fw
