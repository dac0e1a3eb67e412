// Reading a saved-search file of arbitrary bytes into a main window, through
// the window's own ReadFromFile. A file that is not version 1, or that ends
// before its last text does, is refused with one message and leaves the form
// and the window's file as they were; any other is taken without a word, its
// place kept byte for byte.

#include "WindowFuzzHarness.h"
#include "fw/gui/Controls.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kVersionBytes = 4;
constexpr std::uint32_t kVersion = 1;
constexpr int kTexts = 10;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "saved search: %s\n", what);
  std::abort();
}

std::uint32_t versionOf(std::string_view bytes) {
  if (bytes.size() < kVersionBytes)
    return 0;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < kVersionBytes; ++i)
    value = (value << 8) | static_cast<std::uint8_t>(bytes[i]);
  return value;
}

// Every text's length byte and all the bytes it counts are there.
bool holdsEveryText(std::string_view bytes) {
  std::size_t at = kVersionBytes;
  for (int text = 0; text < kTexts; ++text) {
    if (at >= bytes.size())
      return false;
    at += 1 + static_cast<std::uint8_t>(bytes[at]);
  }
  return at <= bytes.size();
}

// What a refused file must leave as it was.
std::vector<std::string> formOf(const Halvorn& w) {
  return {w.thePlace,
          w.Selector()->Text(),
          w.StartDate()->Text(),
          w.EndDate()->Text(),
          w.EarlyTime()->Text(),
          w.EarlyAMPM()->Text(),
          w.LateTime()->Text(),
          w.LateAMPM()->Text(),
          w.MinLength()->Text(),
          w.TideHigher()->Text(),
          w.TideLower()->Text()};
}

bool hasOneChoice(const fw::PopupMenu* popup) {
  return popup->ListIndex() == 0 || popup->ListIndex() == 1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  windowfuzz::setUp();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  windowfuzz::Harness& h = windowfuzz::setUp();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const fw::FolderItem file((h.home / "search.tides").string());
  windowfuzz::writeBytes(file.AbsolutePath(), bytes);

  Halvorn& w = *h.window;
  w.theFile.reset();
  h.dialogs->calls.clear();
  const std::vector<std::string> before = formOf(w);
  w.ReadFromFile(file);
  windowfuzz::settle();

  const std::vector<std::string> messages = h.dialogs->messages();
  if (versionOf(bytes) != kVersion || !holdsEveryText(bytes)) {
    if (messages != std::vector<std::string>{"Invalid tide search file " + file.AbsolutePath()})
      fail("a file of another version, or cut short, was not refused with its message");
    if (w.theFile)
      fail("a refused file became the window's file");
    if (formOf(w) != before)
      fail("a refused file changed the form");
    return 0;
  }
  if (!messages.empty())
    fail("a version 1 file gave a message");
  if (w.theFile != file)
    fail("a file read did not become the window's file");
  if (w.thePlace != windowfuzz::pstringAt(bytes, kVersionBytes))
    fail("the stored place was not kept as it is");
  if (w.Selector()->ListCount() != 1 || w.Selector()->ListIndex() != 0)
    fail("the popup does not hold just the stored place");
  if (!hasOneChoice(w.EarlyAMPM()) || !hasOneChoice(w.LateAMPM()))
    fail("an AM/PM popup was left without a choice");
  return 0;
}
