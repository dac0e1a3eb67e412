#pragma once
// What the main-window fuzz targets share, set up once for the whole run: a
// private home with its own configuration and runtime folders, an offscreen
// QApplication, the application object with the shared menu bar, a dialog
// responder that records instead of showing, and one main window that every
// input reuses (a window per input would make the run crawl).
//
// The tool paths point at a database inside a folder whose name holds a line
// break: such a folder can never be handed to a shell, so a window's opening
// refuses the place listing at once instead of starting a process per input.

#include "RecordingDialogResponder.h"
#include "engine/ToolPaths.h"
#include "fw/FolderItem.h"
#include "window/Halvorn.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace windowfuzz {

namespace fs = std::filesystem;

struct Harness {
  fs::path home;
  fs::path database; // exists, in a folder no shell command can name
  std::shared_ptr<RecordingDialogResponder> dialogs;
  Halvorn* window = nullptr;
};

void writeBytes(const fs::path& file, std::string_view bytes);

// The safe tool paths, as every input starts with them.
void pinToolPaths(const Harness& h);

// Made on the first call; lives until the process ends.
Harness& setUp();

// What a reader must keep of a stored string: a length byte, then that many
// bytes; a string the input cuts short reads as "".
std::string pstringAt(std::string_view bytes, std::size_t at);

// Delivers the events that setting texts and rows posted, so that they do not
// pile up over a run that never enters the event loop.
void settle();

} // namespace windowfuzz
