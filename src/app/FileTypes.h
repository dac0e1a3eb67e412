#pragma once
// The three document types of the run, made at start-up and released after the
// event loop. Windows name a type by its Name only ("prefs" for the
// preferences file, "tidesearch" for saved searches); the dialogs take the
// extension from the registration. The Mac type and creator codes are kept
// with the type but this platform has no use for them.

#include <memory>
#include <string>

struct FileType {
  std::string Name;
  std::string Extensions; // with its leading dot; "" for none
  std::string MacType;
  std::string MacCreator;
};

namespace FileTypes {

extern std::unique_ptr<FileType> pText;
extern std::unique_ptr<FileType> pPrefs;
extern std::unique_ptr<FileType> pTidesearch;

// Makes and registers "text", "prefs" and "tidesearch", in that order.
void _Initialize();
// Releases the three globals, in the order they were made.
void release();

} // namespace FileTypes
