// A main window's opening with a preferences file of arbitrary bytes, through
// the window's own Event_Open. Whatever the file holds, opening shows no
// dialog, takes the remembered place as it is (a place cut short reads as
// none) and never replaces a database path that still names a file.

#include "WindowFuzzHarness.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "preferences: %s\n", what);
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  windowfuzz::setUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  windowfuzz::Harness& h = windowfuzz::setUp();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  windowfuzz::writeBytes(h.home / "config" / "Halvorn Preferences", bytes);

  Halvorn& w = *h.window;
  w.thePlace.clear();
  windowfuzz::pinToolPaths(h);
  h.dialogs->calls.clear();
  w.Event_Open();
  windowfuzz::settle();

  if (!h.dialogs->calls.empty())
    fail("opening showed a dialog");
  // The remembered place comes back byte for byte, also when it is not UTF-8.
  const std::string remembered = windowfuzz::pstringAt(bytes, 0);
  if (w.thePlace != remembered)
    fail("the remembered place was not taken as it is");
  if (toolPaths().hfilepath != fw::FolderItem(h.database.string()))
    fail("a remembered path replaced a database that is there");
  return 0;
}
