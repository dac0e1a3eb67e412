#include "WindowFuzzHarness.h"

#include "app/MenuBar1.h"
#include "engine/ToolPaths.h"
#include "fw/gui/Application.h"
#include "fw/gui/Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

// Qt's font configuration keeps what it loaded until the process ends; a leak
// check at exit would report it. Each input is still checked for leaks.
extern "C" const char* __asan_default_options() {
  return "leak_check_at_exit=0";
}

namespace windowfuzz {

namespace {

Harness*& made() {
  static Harness* harness = nullptr;
  return harness;
}

// In memory where the machine has such a folder: the window writes its
// preferences through a synced temporary file, which on disk would cost more
// than everything else an input does.
fs::path makePrivateHome() {
  std::string pattern = "/tmp/halvorn-fuzz-XXXXXX";
  std::error_code ignored;
  if (fs::is_directory("/dev/shm", ignored) && ::access("/dev/shm", W_OK) == 0)
    pattern = "/dev/shm/halvorn-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr)
    std::abort();
  const fs::path home = pattern;
  fs::create_directories(home / "config");
  fs::create_directories(home / "data");
  fs::create_directories(home / "run");
  ::chmod((home / "run").c_str(), 0700);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
  ::setenv("TZ", "UTC", 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  return home;
}

fs::path makeUnnamableDatabase(const fs::path& home) {
  const fs::path folder = home / "no\nshell";
  fs::create_directories(folder);
  const fs::path database = folder / "harmonics.tcd";
  writeBytes(database, "x");
  return database;
}

// Everything made here lives until the process ends: tearing Qt down inside
// exit() would only add noise to the fuzzer's report.
void startApplication(Harness& h) {
  static int argc = 1;
  static char name[] = "halvorn-fuzz";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  auto* app = new fw::Application;
  app->SetMenuBar(&MenuBar1::shared());
  h.dialogs = std::make_shared<RecordingDialogResponder>();
  fw::setDialogResponder(h.dialogs);
}

void removeHome() {
  std::error_code ignored;
  fs::remove_all(made()->home, ignored);
}

} // namespace

// fontconfig drops some of what it allocates while Qt loads the font database
// for the first window. It is not ours, and it would be reported at the first
// input after which the fuzzer happens to look for leaks.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

void writeBytes(const fs::path& file, std::string_view bytes) {
  // A fresh file rather than a truncated one: truncating a file that holds
  // data makes ext4 flush it to disk at close, which would slow every input.
  std::error_code ignored;
  fs::remove(file, ignored);
  std::ofstream(file, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void pinToolPaths(const Harness& h) {
  toolPaths() = ToolPaths{};
  toolPaths().hfilepath = fw::FolderItem(h.database.string());
}

Harness& setUp() {
  if (made() == nullptr) {
    made() = new Harness;
    Harness& h = *made();
    h.home = makePrivateHome();
    h.database = makeUnnamableDatabase(h.home);
    startApplication(h);
    pinToolPaths(h);
    h.window = fw::Window::New<Halvorn>();
    std::atexit(removeHome);
  }
  return *made();
}

std::string pstringAt(std::string_view bytes, std::size_t at) {
  if (at >= bytes.size())
    return {};
  const auto length = static_cast<std::uint8_t>(bytes[at]);
  if (bytes.size() - at - 1 < length)
    return {};
  return std::string(bytes.substr(at + 1, length));
}

void settle() {
  QCoreApplication::sendPostedEvents();
}

} // namespace windowfuzz
