#pragma once
// The Qt window of an fw::Window: its close box goes through Window::Close and
// its activation keeps the window list front-most first.

#include <QMainWindow>

namespace fw {

class Window;

class WindowHost : public QMainWindow {
  Q_OBJECT
public:
  explicit WindowHost(Window* owner);
  void detach() { owner_ = nullptr; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  Window* owner_;
};

} // namespace fw
