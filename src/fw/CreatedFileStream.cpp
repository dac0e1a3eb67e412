#include "fw/CreatedFileStream.h"

#include "fw/BinaryStream.h"
#include "fw/Text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fw {

namespace {

// What a replacement holds back before it writes to its new file.
constexpr std::size_t kHeldBytes = 64 * 1024;
constexpr int kMostLinks = 40; // as many as the kernel follows in one path
// Largest file rewritten in place: its old content is held until the new is on disk.
constexpr std::size_t kLargestRewritten = 16 << 20;
constexpr std::string_view kTemporaryEnd = ".XXXXXX";
// What is left of a NAME_MAX name for the target's name in its hidden temporary's.
constexpr std::size_t kTemporaryNameBytes = NAME_MAX - 1 - kTemporaryEnd.size();
// Reads of a list or value that another process keeps growing give up after this many.
constexpr int kSizedReadTries = 4;

using Attributes = std::vector<std::pair<std::string, std::string>>;

// All that a save keeps of a file but its content. Attributes that could not all
// be read are left as they are.
struct Keeps {
  uid_t owner = 0;
  gid_t group = 0;
  mode_t mode = 0;
  std::optional<Attributes> attributes;
};

// The folder part of an absolute path.
std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether an entry of `owner`'s in a sticky folder that `writers` may write was
// planted there: it belongs to neither the user nor the folder's owner. The
// kernel follows no such link and opens no such file to create it, lest it aim
// a save at another file or hand the saved content to the planter.
bool planted(const struct stat& folder, uid_t owner, mode_t writers) {
  return (folder.st_mode & S_ISVTX) && (folder.st_mode & writers) && owner != ::geteuid() &&
         owner != folder.st_uid;
}

// A list or value of unknown size, from `read(into, size)`, which answers as
// listxattr and getxattr do.
template <class Read> std::optional<std::string> sizedValue(Read read) {
  for (int tries = 0; tries < kSizedReadTries; ++tries) {
    const ssize_t size = read(nullptr, 0);
    if (size < 0)
      return std::nullopt;
    std::string value(static_cast<std::size_t>(size), '\0');
    const ssize_t got = read(value.data(), value.size());
    if (got >= 0) {
      value.resize(static_cast<std::size_t>(got));
      return value;
    }
    if (errno != ERANGE)
      return std::nullopt;
  }
  return std::nullopt;
}

// Every extended attribute, the ACL among them, read through `list` and `get`;
// none on a file system without them; nothing when one cannot be read.
template <class List, class Get> std::optional<Attributes> attributesOf(List list, Get get) {
  const std::optional<std::string> names = sizedValue(list);
  if (!names)
    return errno == ENOTSUP ? std::optional(Attributes{}) : std::nullopt;
  Attributes attributes;
  for (std::size_t at = 0; at < names->size();) {
    std::string name(names->c_str() + at);
    at += name.size() + 1;
    std::optional<std::string> value =
        sizedValue([&](char* into, std::size_t size) { return get(name.c_str(), into, size); });
    if (!value)
      return std::nullopt;
    attributes.emplace_back(std::move(name), std::move(*value));
  }
  return attributes;
}

std::optional<Attributes> attributesOf(const std::string& path) {
  return attributesOf(
      [&](char* into, std::size_t size) { return ::llistxattr(path.c_str(), into, size); },
      [&](const char* name, char* into, std::size_t size) {
        return ::lgetxattr(path.c_str(), name, into, size);
      });
}

std::optional<Attributes> attributesOf(int fd) {
  return attributesOf([fd](char* into, std::size_t size) { return ::flistxattr(fd, into, size); },
                      [fd](const char* name, char* into, std::size_t size) {
                        return ::fgetxattr(fd, name, into, size);
                      });
}

// Gives the file open on `fd` what `old` keeps, setting only what differs: the
// owner and group, then the attributes, then the mode, as a chown or a write
// clears set-id bits (and a write the file's capabilities, an attribute).
bool carry(int fd, const Keeps& old) {
  struct stat now {};
  if (::fstat(fd, &now) != 0 || ((now.st_uid != old.owner || now.st_gid != old.group) &&
                                 ::fchown(fd, old.owner, old.group) != 0))
    return false;
  if (old.attributes) {
    const std::optional<Attributes> has = attributesOf(fd);
    if (!has)
      return false;
    for (const auto& [name, value] : *has) {
      const auto kept =
          std::find_if(old.attributes->begin(), old.attributes->end(),
                       [&name = name](const auto& entry) { return entry.first == name; });
      if (kept == old.attributes->end() && ::fremovexattr(fd, name.c_str()) != 0)
        return false;
    }
    for (const auto& entry : *old.attributes) {
      if (std::find(has->begin(), has->end(), entry) == has->end() &&
          ::fsetxattr(fd, entry.first.c_str(), entry.second.data(), entry.second.size(), 0) != 0)
        return false;
    }
  }
  return ::fstat(fd, &now) == 0 &&
         ((now.st_mode & 07777) == old.mode || ::fchmod(fd, old.mode) == 0);
}

// The whole content of an open file, read from its start; nothing when it is larger than `most`.
std::optional<std::string> contentOf(int fd, std::size_t most) {
  std::string content;
  char chunk[kHeldBytes];
  for (;;) {
    ssize_t got;
    do {
      got = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(content.size()));
    } while (got < 0 && errno == EINTR);
    if (got < 0 || content.size() + static_cast<std::size_t>(got) > most)
      return std::nullopt;
    if (got == 0)
      return content;
    content.append(chunk, static_cast<std::size_t>(got));
  }
}

// Writes `content` over the file from its start, then cuts the file to it: at
// no moment is the file empty, and a reader, who takes the strings it needs and
// ignores what follows, finds the old content or the new.
bool rewrite(int fd, std::string_view content) {
  return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, content.data(), content.size()) &&
         ::ftruncate(fd, static_cast<off_t>(content.size())) == 0;
}

void syncFolderOf(const std::string& path) {
  const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// A save, written on a clean close: into a new file beside its target that is
// renamed over it; or into the target itself (in place), whose old content is
// held, and kept in a backup file beside it where the folder takes one, until
// the new content is on disk, and written back when any step fails; or to a
// device, which takes the bytes it can without waiting.
class CreatedFileStream : public BinaryStream {
public:
  enum class Way { Replace, InPlace, Device };

  // `temp` is the new file to rename (Replace) or the backup (InPlace), or none.
  // `keeps` is what a replacement carries from the file it replaces, if any.
  CreatedFileStream(Way way, int fd, int tempFd, std::string tempPath, std::string targetPath,
                    std::optional<Keeps> keeps = std::nullopt)
      : way_(way), fd_(fd), tempFd_(tempFd), tempPath_(std::move(tempPath)),
        targetPath_(std::move(targetPath)), keeps_(std::move(keeps)) {}
  ~CreatedFileStream() override {
    if (fd_ >= 0)
      ::close(fd_);
    dropTemp();
  }

protected:
  bool readBytes(char*, std::size_t) override { return false; }

  bool writeBytes(const char* from, std::size_t count) override {
    if (fd_ < 0)
      return false;
    pending_.append(from, count);
    // In place, all is held back so that a stream left unclosed changes nothing.
    return way_ != Way::Replace || pending_.size() < kHeldBytes || flush();
  }

  bool atEnd() const override { return true; }

  bool finish() override {
    bool written = !writeError_;
    if (way_ == Way::Replace)
      written = written && flush() && (!keeps_ || carry(fd_, *keeps_)) && ::fsync(fd_) == 0;
    else if (way_ == Way::Device)
      written = written && flush();
    else
      written = written && replaceContent();
    written = ::close(fd_) == 0 && written;
    fd_ = -1;
    if (way_ == Way::Replace && written) {
      written = ::rename(tempPath_.c_str(), targetPath_.c_str()) == 0;
      if (written) {
        tempPath_.clear();
        syncFolderOf(targetPath_);
      }
    }
    dropTemp();
    return written;
  }

private:
  // Nothing of the target is touched until its old content is held (and in the
  // backup, when there is one), and a failure after that writes it back. A
  // backup that could not be written back stays beside the file.
  bool replaceContent() {
    const std::optional<std::string> old = contentOf(fd_, kLargestRewritten);
    struct stat info {};
    if (!old || ::fstat(fd_, &info) != 0 ||
        (tempFd_ >= 0 && !(writeAll(tempFd_, old->data(), old->size()) && ::fsync(tempFd_) == 0)))
      return false;
    const Keeps before{info.st_uid, info.st_gid, info.st_mode & 07777, attributesOf(fd_)};
    const auto put = [this, &before](std::string_view content) {
      if (!rewrite(fd_, content))
        return false;
      // The write cleared the set-id bits (and capabilities), which only the
      // owner may give back: another user's write leaves them cleared.
      carry(fd_, before);
      return ::fsync(fd_) == 0;
    };
    if (put(std::exchange(pending_, {})))
      return true;
    if (!put(*old))
      tempPath_.clear();
    return false;
  }

  bool flush() {
    const bool ok = writeAll(fd_, pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }

  void dropTemp() {
    if (tempFd_ >= 0)
      ::close(tempFd_);
    tempFd_ = -1;
    if (!tempPath_.empty())
      ::unlink(tempPath_.c_str());
    tempPath_.clear();
  }

  Way way_;
  int fd_;
  int tempFd_;
  std::string tempPath_;
  std::string targetPath_;
  std::optional<Keeps> keeps_;
  std::string pending_;
};

// Where a save to `path` writes: the end of its chain of links (a relative
// target read from its link's folder), so that a link to a document stays a
// link. Nothing for a loop, or a link planted in a sticky folder that anyone
// may write.
std::optional<std::string> linkedFile(std::string path) {
  for (int followed = 0;; ++followed) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
      return path;
    if (followed == kMostLinks)
      return std::nullopt;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) == target.size())
      return std::nullopt;
    target.resize(static_cast<std::size_t>(length));
    const std::string folder = folderOf(path);
    struct stat holder {};
    if (::stat(folder.c_str(), &holder) != 0 || planted(holder, link.st_uid, S_IWOTH))
      return std::nullopt;
    path = target.front() == '/' ? target : folder + "/" + target;
  }
}

// A device, opened and written without waiting on it: one that would block
// fails the save rather than the window.
std::unique_ptr<BinaryStream> openDevice(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
    if (fd >= 0)
      ::close(fd);
    return nullptr;
  }
  return std::make_unique<CreatedFileStream>(CreatedFileStream::Way::Device, fd, -1, "", path);
}

// The file itself, read and written: its old content must be held before it is
// rewritten. `backupFd` and `backup` are a new file beside it, or none.
std::unique_ptr<BinaryStream> openInPlace(const std::string& path, int backupFd,
                                          std::string backup) {
  const int fd = openRegularFile(path, O_RDWR | O_NOFOLLOW);
  if (fd < 0) {
    if (backupFd >= 0) {
      ::close(backupFd);
      ::unlink(backup.c_str());
    }
    return nullptr;
  }
  return std::make_unique<CreatedFileStream>(CreatedFileStream::Way::InPlace, fd, backupFd,
                                             std::move(backup), path);
}

} // namespace

bool writeAll(int fd, const char* from, std::size_t count) {
  while (count > 0) {
    const ssize_t written = ::write(fd, from, count);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    from += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

int openRegularFile(const std::string& path, int flags) {
  // Non-blocking only while opening, so that a FIFO can neither hang the open nor pass.
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

std::unique_ptr<BinaryStream> createFileStream(const std::string& requested) {
  const std::optional<std::string> linked = linkedFile(requested);
  if (!linked)
    return nullptr;
  const std::string& path = *linked;
  struct stat target {};
  const bool targetExists = ::stat(path.c_str(), &target) == 0;
  struct stat holder {};
  if (targetExists && (::stat(folderOf(path).c_str(), &holder) != 0 ||
                       planted(holder, target.st_uid, S_IWGRP | S_IWOTH)))
    return nullptr;
  // Only a regular file the user may write is ever replaced or rewritten; a
  // device takes the bytes; a FIFO, a socket or a folder is never touched.
  if (targetExists && S_ISCHR(target.st_mode))
    return openDevice(path);
  if (targetExists &&
      (!S_ISREG(target.st_mode) || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0))
    return nullptr;
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash + 1 == path.size())
    return nullptr;
  // Hidden, so that a crash's leftover does not pose as a document, and named
  // from as much of the target's name as fits in a name; mkostemp opens with
  // O_EXCL and so never writes through a link planted there.
  const std::string_view name = std::string_view(path).substr(slash + 1);
  std::string temp = path.substr(0, slash + 1) + "." +
                     std::string(leftWholeCharacters(name, kTemporaryNameBytes)) +
                     std::string(kTemporaryEnd);
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    // A folder that takes no new file may still hold one the user can write.
    const bool refused = errno == EACCES || errno == EROFS || errno == EPERM;
    return refused && targetExists ? openInPlace(path, -1, "") : nullptr;
  }
  if (!targetExists) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    return std::make_unique<CreatedFileStream>(CreatedFileStream::Way::Replace, fd, -1,
                                               std::move(temp), path);
  }
  // A new file that would part the file from its other names, or that cannot
  // carry all it has, is not made: the file is rewritten, the new one its backup.
  Keeps old{target.st_uid, target.st_gid, target.st_mode & 07777, attributesOf(path)};
  if (target.st_nlink > 1 || !old.attributes || !carry(fd, old))
    return openInPlace(path, fd, std::move(temp));
  return std::make_unique<CreatedFileStream>(CreatedFileStream::Way::Replace, fd, -1,
                                             std::move(temp), path, std::move(old));
}

} // namespace fw
