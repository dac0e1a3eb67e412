#include "fw/FolderItem.h"

#include "fw/BinaryStream.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fw {

namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr std::string_view kShellSafe = "_./-+,:@%";

std::string trimTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

std::string joinPath(const std::string& folder, std::string_view name) {
  std::string joined = folder;
  if (joined.empty() || joined.back() != '/')
    joined += '/';
  joined += name;
  return joined;
}

// An environment variable that names an absolute path, else nullopt. Relative
// values are ignored, as the XDG rules ask.
std::optional<std::string> absoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/')
    return std::nullopt;
  return trimTrailingSlashes(value);
}

std::optional<std::string> homeFolder() {
  if (auto home = absoluteFromEnvironment("HOME"))
    return home;
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
      found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/')
    return std::nullopt;
  return trimTrailingSlashes(found->pw_dir);
}

bool isDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> configHome() {
  if (auto config = absoluteFromEnvironment("XDG_CONFIG_HOME"))
    return config;
  if (auto home = homeFolder())
    return joinPath(*home, ".config");
  return std::nullopt;
}

// Makes the folder and any missing folder above it.
bool makeFolders(const std::string& path) {
  if (isDirectory(path))
    return true;
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST)
      return false;
    if (slash == std::string::npos)
      break;
  }
  return isDirectory(path);
}

// Made if missing, and accepted only when it is private.
std::optional<std::string> privateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), kPrivateFolderMode) == 0)
    ::chmod(path.c_str(), kPrivateFolderMode); // whatever the umask took away
  else if (errno != EEXIST)
    return std::nullopt;
  // It is made in a folder others can write to: a link planted there could
  // lead to a private folder of this user's that is not ours to fill.
  struct stat link {};
  if (::lstat(path.c_str(), &link) != 0 || S_ISLNK(link.st_mode) ||
      !FolderItem(path).IsPrivateFolder())
    return std::nullopt;
  return path;
}

std::optional<std::string> temporaryFolder() {
  if (auto runtime = absoluteFromEnvironment("XDG_RUNTIME_DIR"))
    return privateFolder(joinPath(*runtime, "halvorn"));
  const std::string base = absoluteFromEnvironment("TMPDIR").value_or("/tmp");
  return privateFolder(joinPath(base, "halvorn-" + std::to_string(::geteuid())));
}

// The documents entry of the desktop's user-dirs.dirs, whose values are
// "$HOME/relative" or "/absolute".
std::optional<std::string> documentsFromUserDirs(const std::string& home) {
  const auto config = configHome();
  if (!config)
    return std::nullopt;
  std::ifstream file(joinPath(*config, "user-dirs.dirs"));
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=\"";
  constexpr std::string_view kHomePrefix = "$HOME";
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind(kKey, 0) != 0)
      continue;
    const std::size_t close = line.find('"', kKey.size());
    if (close == std::string::npos)
      return std::nullopt;
    std::string value = line.substr(kKey.size(), close - kKey.size());
    if (value.rfind(kHomePrefix, 0) == 0)
      value = home + value.substr(kHomePrefix.size());
    if (value.empty() || value[0] != '/')
      return std::nullopt;
    return trimTrailingSlashes(value);
  }
  return std::nullopt;
}

std::optional<std::string> documentsFolder() {
  if (auto documents = absoluteFromEnvironment("XDG_DOCUMENTS_DIR");
      documents && isDirectory(*documents))
    return documents;
  const auto home = homeFolder();
  if (!home)
    return std::nullopt;
  if (auto documents = documentsFromUserDirs(*home); documents && isDirectory(*documents))
    return documents;
  if (const std::string documents = joinPath(*home, "Documents"); isDirectory(documents))
    return documents;
  return isDirectory(*home) ? home : std::nullopt;
}

std::optional<std::string> preferencesFolder() {
  auto config = configHome();
  return config && makeFolders(*config) ? config : std::nullopt;
}

bool isShellSafe(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         kShellSafe.find(c) != std::string_view::npos;
}

} // namespace

FolderItem::FolderItem(std::string absolutePath)
    : path_(trimTrailingSlashes(std::move(absolutePath))) {}

FolderItem FolderItem::DefaultFolder() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::canonical("/proc/self/exe", error);
  if (!error)
    return FolderItem(executable.parent_path().string());
  return FolderItem(std::filesystem::current_path(error).string());
}

FolderItem FolderItem::GetFolderItem(std::string_view nameOrPath) {
  if (!nameOrPath.empty() && nameOrPath.front() == '/')
    return FolderItem(std::string(nameOrPath));
  return DefaultFolder().Child(nameOrPath);
}

std::optional<FolderItem> FolderItem::SpecialFolder(SpecialFolderKind kind) {
  std::optional<std::string> path;
  switch (kind) {
  case SpecialFolderKind::Preferences:
    path = preferencesFolder();
    break;
  case SpecialFolderKind::Temporary:
    path = temporaryFolder();
    break;
  case SpecialFolderKind::Documents:
    path = documentsFolder();
    break;
  }
  if (!path)
    return std::nullopt;
  return FolderItem(std::move(*path));
}

FolderItem FolderItem::Child(std::string_view name) const {
  return FolderItem(joinPath(path_, name));
}

std::optional<FolderItem> FolderItem::Parent() const {
  const std::size_t slash = path_.rfind('/');
  if (path_ == "/" || slash == std::string::npos)
    return std::nullopt;
  return FolderItem(slash == 0 ? "/" : path_.substr(0, slash));
}

bool FolderItem::Exists() const {
  struct stat info {};
  return ::stat(path_.c_str(), &info) == 0;
}

bool FolderItem::Directory() const {
  return isDirectory(path_);
}

bool FolderItem::IsPrivateFolder() const {
  struct stat info {};
  return ::stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string FolderItem::Name() const {
  const std::size_t slash = path_.rfind('/');
  return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

std::string FolderItem::ShellPath() const {
  std::string word;
  word.reserve(path_.size() * 2);
  for (char c : path_) {
    if (!isShellSafe(c))
      word += '\\';
    word += c;
  }
  return word;
}

bool FolderItem::CanBeShellWord() const {
  return path_.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
}

std::unique_ptr<BinaryStream> FolderItem::CreateBinaryFile(std::string_view) const {
  return openFileStream(path_, true, false);
}

std::unique_ptr<BinaryStream> FolderItem::OpenAsBinaryFile(bool readWrite) const {
  return openFileStream(path_, false, readWrite);
}

} // namespace fw
