#include "app/FileTypes.h"

#include "fw/gui/Dialogs.h"

namespace FileTypes {

std::unique_ptr<FileType> pText;
std::unique_ptr<FileType> pPrefs;
std::unique_ptr<FileType> pTidesearch;

namespace {

void define(std::unique_ptr<FileType>& global, FileType type) {
  global = std::make_unique<FileType>(std::move(type));
  fw::defineFileType(global->Name, global->Extensions);
}

} // namespace

void _Initialize() {
  define(pText, {"text", "", "TEXT", "R*ch"});
  define(pPrefs, {"prefs", "", "BINF", "????"});
  define(pTidesearch, {"tidesearch", ".tides", "tids", "Hvrn"});
}

void release() {
  pText.reset();
  pPrefs.reset();
  pTidesearch.reset();
}

} // namespace FileTypes
