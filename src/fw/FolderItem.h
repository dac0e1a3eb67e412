#pragma once
// A reference to a path in the file system, whether or not something exists there.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

class BinaryStream;

enum class SpecialFolderKind { Preferences, Temporary, Documents };

class FolderItem {
public:
  explicit FolderItem(std::string absolutePath);

  // The folder that holds the running executable, links resolved.
  static FolderItem DefaultFolder();
  // A bare name resolves in the default folder; an absolute path stands as it is.
  static FolderItem GetFolderItem(std::string_view nameOrPath);
  // nullopt when the folder does not exist and cannot be made, or (Temporary)
  // is not private to the user.
  static std::optional<FolderItem> SpecialFolder(SpecialFolderKind kind);

  FolderItem Child(std::string_view name) const;
  std::optional<FolderItem> Parent() const; // nullopt for "/"
  bool Exists() const;
  bool Directory() const;
  // A folder of this user's that no one else can write to, so that no one
  // else can plant a file or link in it.
  bool IsPrivateFolder() const;
  std::string Name() const;
  const std::string& AbsolutePath() const { return path_; }
  // The path as one word for bash and csh. A path holding CR or LF cannot be
  // one word: callers check CanBeShellWord() and refuse it.
  std::string ShellPath() const;
  bool CanBeShellWord() const;

  // A stream that writes a new file beside this one (or, for a link, beside
  // the file the links lead to, so the link stays); the file takes that place
  // only when the stream is closed after a complete write, with the owner,
  // group and permissions of the file it replaces. An existing file that a new
  // one cannot stand in for (its folder takes no new file, it has other names,
  // its owner or group cannot be kept) is rewritten in place at the close,
  // getting its old content back if that fails; a device takes the bytes.
  // nullptr when the file cannot be made, is not one the user may write, or is
  // neither a regular file nor a device. The type only matters to dialogs.
  std::unique_ptr<BinaryStream> CreateBinaryFile(std::string_view type = {}) const;
  // nullptr when the file cannot be opened.
  std::unique_ptr<BinaryStream> OpenAsBinaryFile(bool readWrite = false) const;

  bool operator==(const FolderItem& other) const = default;

private:
  std::string path_;
};

} // namespace fw
