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

  // A stream whose content lands in this file (or where its links lead) only
  // when it is closed after a complete write, keeping everything about the file
  // but its content; the rules are CreatedFileStream's. nullptr when the save is
  // refused before anything is written. The type only matters to dialogs.
  std::unique_ptr<BinaryStream> CreateBinaryFile(std::string_view type = {}) const;
  // nullptr when the file cannot be opened.
  std::unique_ptr<BinaryStream> OpenAsBinaryFile(bool readWrite = false) const;

  bool operator==(const FolderItem& other) const = default;

private:
  std::string path_;
};

} // namespace fw
