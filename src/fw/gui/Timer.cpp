#include "fw/gui/Controls.h"
#include "fw/gui/Window.h"

#include <QTimer>
#include <algorithm>

namespace fw {

namespace {
constexpr int modeOff = 0;
constexpr int modeSingle = 1;
constexpr int shortestPeriodMs = 1;
} // namespace

struct Timer::Impl {
  Window* window = nullptr;
  QTimer timer;

  bool windowOpen() const { return !window || window->IsOpen(); }
};

Timer::Timer(Window* window, std::string name)
    : impl_(std::make_unique<Impl>()), name_(std::move(name)) {
  impl_->window = window;
  impl_->timer.setTimerType(Qt::CoarseTimer);
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] { fire(); });
}

Timer::~Timer() = default;

void Timer::SetMode(int mode) {
  mode_ = mode;
  impl_->timer.stop();
  updateRunning();
}

void Timer::SetPeriod(int ms) {
  period_ = ms;
  if (impl_->timer.isActive())
    impl_->timer.start(std::max(period_, shortestPeriodMs));
}

void Timer::Reset() {
  impl_->timer.stop();
  updateRunning();
}

void Timer::fire() {
  if (mode_ == modeOff || !impl_->windowOpen()) {
    impl_->timer.stop();
    return;
  }
  if (mode_ == modeSingle)
    impl_->timer.stop();
  if (Action)
    Action();
}

void Timer::updateRunning() {
  if (mode_ == modeOff || !impl_->windowOpen()) {
    impl_->timer.stop();
    return;
  }
  if (impl_->timer.isActive())
    return;
  impl_->timer.setSingleShot(mode_ == modeSingle);
  impl_->timer.start(std::max(period_, shortestPeriodMs));
}

} // namespace fw
