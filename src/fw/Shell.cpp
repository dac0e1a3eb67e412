#include "fw/Shell.h"

#include "fw/ShellProcess.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <sys/syscall.h>
#include <type_traits>
#include <unistd.h>

namespace fw {

namespace {

using Clock = std::chrono::steady_clock;

// Most bytes taken from the pipe in one go, so that a flood of output still
// leaves the event loop its turn.
constexpr size_t kReadBudget = 1 << 20;
// Mode 2 takes output between Polls only while less than this waits: a process
// that writes without end then waits on its pipe instead of filling memory.
// A ten-year search prints under 13 MB; a bound below that would make it wait
// on its pipe for one Poll a second per bound's worth.
constexpr size_t kHeldOutputLimit = 16 << 20;
// How often mode 0 looks whether its child has ended while the output is quiet.
constexpr int kRunToEndTickMs = 20;
// How often mode 1 looks for the end of its child when the kernel cannot tell.
constexpr int kExitPollMs = 20;

int openPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

// The notifier may be on the stack below us (we can be inside its signal), so
// it is silenced at once and deleted later.
template <class T> void retire(T*& object) {
  if (object != nullptr) {
    if constexpr (std::is_same_v<T, QSocketNotifier>) {
      object->setEnabled(false);
    } else {
      object->stop();
    }
    QObject::disconnect(object, nullptr, nullptr, nullptr);
    object->deleteLater();
    object = nullptr;
  }
}

} // namespace

struct Shell::Impl {
  explicit Impl(Shell& owner) : owner(owner) {}
  ~Impl();

  void execute(const std::string& command);
  void runToEnd();
  void watchFromEventLoop();
  void poll();
  void service();
  void hold();
  void gather();
  void takeOutput(size_t budget);
  void append(const std::string& bytes);
  void deliver();
  bool raise(void (Shell::*handler)());
  void flushInput();
  void endProcess();
  void dropWatchers();
  void kick();
  bool eventLoopAvailable() const { return QCoreApplication::instance() != nullptr; }

  Shell& owner;
  std::unique_ptr<ShellProcess> process;
  int mode = 0; // Mode as it was at Execute
  bool running = false;
  int errorCode = 0;
  std::string output; // received, not yet taken by ReadAll
  bool fresh = false; // output grew since the last DataAvailable
  bool lastWasCR = false;
  std::string input;        // written, not yet taken by the child's pipe
  bool inputEnding = false; // close the child's input once `input` has gone
  bool timedOut = false;
  Clock::time_point lastOutputAt;
  bool inHandler = false;
  bool owed = false; // something arrived while a handler ran
  unsigned generation = 0;
  // Outlives the object, so that code below a handler that destroyed it can tell.
  std::shared_ptr<bool> alive = std::make_shared<bool>(true);

  QSocketNotifier* outputWatch = nullptr;
  QSocketNotifier* inputWatch = nullptr;
  QSocketNotifier* exitWatch = nullptr;
  QTimer* exitPoll = nullptr;
  int pidFd = -1;
};

Shell::Impl::~Impl() {
  *alive = false;
  dropWatchers();
  process.reset();
}

void Shell::Impl::execute(const std::string& command) {
  endProcess();
  ++generation;
  mode = owner.Mode == 0 || owner.Mode == 2 ? owner.Mode : 1;
  output.clear();
  fresh = false;
  lastWasCR = false;
  input.clear();
  inputEnding = false;
  timedOut = false;
  owed = false;
  errorCode = 0;
  running = true;
  lastOutputAt = Clock::now();

  process = std::make_unique<ShellProcess>();
  // Mode 2 names a program; exec keeps its pid the one we watch and signal.
  const std::string script = mode == 2 ? "exec " + command : command;
  process->start(script, mode == 2);

  if (mode == 0) {
    runToEnd();
  } else if (eventLoopAvailable()) {
    watchFromEventLoop();
  }
}

// Mode 0 raises no events: Execute returns once the child has ended, with its
// output waiting for ReadAll and its status in ErrorCode.
void Shell::Impl::runToEnd() {
  while (!process->reaped()) {
    takeOutput(kReadBudget);
    if (process->outputEnded()) {
      process->reap();
    } else {
      process->waitForOutput(kRunToEndTickMs);
      process->tryReap();
    }
  }
  takeOutput(kReadBudget);
  errorCode = process->exitCode();
  process.reset();
  running = false;
}

void Shell::Impl::watchFromEventLoop() {
  const auto alive = this->alive;
  if (process->outputFd() >= 0) {
    outputWatch = new QSocketNotifier(process->outputFd(), QSocketNotifier::Read);
    // Mode 2 only stores what arrives; its events wait for Poll.
    QObject::connect(outputWatch, &QSocketNotifier::activated, [this, alive] {
      if (*alive) {
        mode == 1 ? service() : hold();
      }
    });
  }
  if (mode != 1) {
    return;
  }
  if (process->reaped()) {
    kick(); // it never started: Completed still has to come
    return;
  }
  pidFd = openPidFd(process->pid());
  if (pidFd >= 0) {
    exitWatch = new QSocketNotifier(pidFd, QSocketNotifier::Read);
    QObject::connect(exitWatch, &QSocketNotifier::activated, [this, alive] {
      if (*alive) {
        service();
      }
    });
  } else {
    exitPoll = new QTimer;
    QObject::connect(exitPoll, &QTimer::timeout, [this, alive] {
      if (*alive) {
        service();
      }
    });
    exitPoll->start(kExitPollMs);
  }
}

void Shell::Impl::poll() {
  if (!running || inHandler || !process) {
    return;
  }
  if (outputWatch != nullptr) {
    outputWatch->setEnabled(true);
  }
  flushInput();
  gather();
  const auto silence = Clock::now() - lastOutputAt;
  if (mode == 2 && owner.TimeOut > 0 && !process->reaped() &&
      silence >= std::chrono::milliseconds(owner.TimeOut)) {
    timedOut = true;
    process->terminate();
    gather();
  }
  deliver();
}

// Mode 1's entry from the event loop.
void Shell::Impl::service() {
  if (!running || !process) {
    return;
  }
  gather();
  if (inHandler) {
    owed = true;
    return;
  }
  deliver();
}

// Mode 2's entry from the event loop; the next Poll reads on.
void Shell::Impl::hold() {
  if (output.size() >= kHeldOutputLimit) {
    outputWatch->setEnabled(false);
    return;
  }
  gather();
}

// Takes in output and the child's end; raises nothing, so it is safe anywhere.
void Shell::Impl::gather() {
  if (!process) {
    return;
  }
  takeOutput(kReadBudget);
  if (!process->reaped() && process->tryReap()) {
    // Everything the child wrote is in the pipe now; what outlives it is not ours.
    takeOutput(kReadBudget);
  }
  if (process->reaped()) {
    retire(exitWatch);
    retire(exitPoll);
  }
}

void Shell::Impl::takeOutput(size_t budget) {
  std::string bytes;
  process->readAvailable(bytes, budget);
  if (process->outputEnded()) {
    retire(outputWatch);
  }
  if (!bytes.empty()) {
    append(bytes);
  }
}

void Shell::Impl::append(const std::string& bytes) {
  lastOutputAt = Clock::now();
  fresh = true;
  if (mode != 2) {
    output += bytes;
    return;
  }
  // Lines end in CR for the readers of an interactive shell; a CR LF that
  // arrives split between two reads stays one line end.
  output.reserve(output.size() + bytes.size() + bytes.size() / 16);
  for (char c : bytes) {
    if (c == '\n' && !lastWasCR) {
      output += '\r';
    }
    output += c;
    lastWasCR = c == '\r';
  }
}

void Shell::Impl::deliver() {
  if (!running || inHandler) {
    return;
  }
  if (fresh && !output.empty()) {
    fresh = false;
    if (!raise(&Shell::Event_DataAvailable) || !running) {
      return;
    }
  }
  if (process && process->reaped()) {
    running = false;
    errorCode = process->exitCode();
    dropWatchers();
    process.reset();
    raise(&Shell::Event_Completed);
  }
}

// False when the handler destroyed the object or started another process on it;
// the caller must then leave at once.
bool Shell::Impl::raise(void (Shell::*handler)()) {
  const auto alive = this->alive;
  const unsigned before = generation;
  struct HandlerScope {
    Impl& impl;
    const std::shared_ptr<bool>& alive;
    ~HandlerScope() {
      if (*alive) {
        impl.inHandler = false;
      }
    }
  };
  {
    inHandler = true;
    HandlerScope scope{*this, alive};
    (owner.*handler)();
  }
  if (!*alive) {
    return false;
  }
  if (owed) {
    owed = false;
    kick();
  }
  return before == generation;
}

void Shell::Impl::flushInput() {
  if (!process) {
    return;
  }
  input.erase(0, process->writeSome(input));
  if (input.empty()) {
    retire(inputWatch);
    if (inputEnding) {
      process->closeInput();
    }
    return;
  }
  if (inputWatch == nullptr && process->inputFd() >= 0 && eventLoopAvailable()) {
    const auto alive = this->alive;
    inputWatch = new QSocketNotifier(process->inputFd(), QSocketNotifier::Write);
    QObject::connect(inputWatch, &QSocketNotifier::activated, [this, alive] {
      if (*alive) {
        flushInput();
      }
    });
  }
}

void Shell::Impl::endProcess() {
  ++generation; // whatever a handler below us was delivering is over
  dropWatchers();
  if (process) {
    process->terminate();
    errorCode = process->exitCode();
    process.reset();
  }
  running = false;
  input.clear();
}

void Shell::Impl::dropWatchers() {
  retire(outputWatch);
  retire(inputWatch);
  retire(exitWatch);
  retire(exitPoll);
  if (pidFd >= 0) {
    ::close(pidFd);
    pidFd = -1;
  }
}

void Shell::Impl::kick() {
  if (!eventLoopAvailable()) {
    return;
  }
  const auto alive = this->alive;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [this, alive] {
        if (*alive) {
          service();
        }
      },
      Qt::QueuedConnection);
}

Shell::Shell() : impl_(std::make_unique<Impl>(*this)) {}

Shell::~Shell() = default;

void Shell::Execute(const std::string& command) {
  impl_->execute(command);
}

std::string Shell::ReadAll() {
  std::string taken;
  taken.swap(impl_->output);
  return taken;
}

void Shell::Write(std::string_view text) {
  if (!impl_->running || !impl_->process || impl_->process->inputFd() < 0) {
    return;
  }
  impl_->input.append(text);
  impl_->flushInput();
}

void Shell::WriteLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  Write(line);
}

void Shell::Close() {
  impl_->endProcess();
}

void Shell::CloseInput() {
  impl_->inputEnding = true;
  impl_->flushInput();
}

void Shell::Poll() {
  impl_->poll();
}

bool Shell::IsRunning() const {
  return impl_->running;
}

int Shell::ErrorCode() const {
  return impl_->errorCode;
}

bool Shell::TimedOut() const {
  return impl_->timedOut;
}

} // namespace fw
