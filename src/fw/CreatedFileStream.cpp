#include "fw/CreatedFileStream.h"

#include "fw/BinaryStream.h"
#include "fw/Text.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

constexpr std::size_t kBufferBytes = 64 * 1024;

constexpr int kMostLinks = 40; // as many as the kernel follows in one path
// Largest file rewritten in place: its old content is held until the new is on disk.
constexpr std::size_t kLargestRewritten = 16 << 20;
constexpr std::string_view kTemporaryEnd = ".XXXXXX";
// What is left of a NAME_MAX name for the target's name in its hidden temporary's.
constexpr std::size_t kTemporaryNameBytes = NAME_MAX - 1 - kTemporaryEnd.size();

// The folder part of an absolute path.
std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The whole content of an open file, read from its start; nothing when it is larger than `most`.
std::optional<std::string> contentOf(int fd, std::size_t most) {
  std::string content;
  char chunk[kBufferBytes];
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

// Empties the file and writes `content` from its start, then syncs it.
bool rewrite(int fd, std::string_view content) {
  return ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 &&
         writeAll(fd, content.data(), content.size()) && ::fsync(fd) == 0;
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
// device, which takes the bytes as they come.
class CreatedFileStream : public BinaryStream {
public:
  enum class Way { Replace, InPlace, Device };

  // `temp` is the new file to rename (Replace) or the backup (InPlace), or none.
  CreatedFileStream(Way way, int fd, int tempFd, std::string tempPath, std::string targetPath)
      : way_(way), fd_(fd), tempFd_(tempFd), tempPath_(std::move(tempPath)),
        targetPath_(std::move(targetPath)) {}
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
    return way_ != Way::Replace || pending_.size() < kBufferBytes || flush();
  }

  bool atEnd() const override { return true; }

  bool finish() override {
    bool written = !writeError_;
    if (way_ == Way::Replace)
      written = written && flush() && ::fsync(fd_) == 0;
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
    if (!old ||
        (tempFd_ >= 0 && !(writeAll(tempFd_, old->data(), old->size()) && ::fsync(tempFd_) == 0)))
      return false;
    const std::string content = std::move(pending_);
    if (rewrite(fd_, content))
      return true;
    if (!rewrite(fd_, *old))
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
  std::string pending_;
};

// Where a save to `path` writes: the end of its chain of links (a relative
// target read from its link's folder), so that a link to a document stays a
// link. Nothing for a loop, or a link in a sticky folder that anyone may write
// but neither the user nor the folder's owner made: the kernel would not follow
// that one either, lest a planted link aim a save at another file.
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
    if (::stat(folder.c_str(), &holder) != 0)
      return std::nullopt;
    const bool openToAll = (holder.st_mode & S_ISVTX) && (holder.st_mode & S_IWOTH);
    if (openToAll && link.st_uid != ::geteuid() && link.st_uid != holder.st_uid)
      return std::nullopt;
    path = target.front() == '/' ? target : folder + "/" + target;
  }
}

// A device, opened without waiting on it, to take a save's bytes as they come.
std::unique_ptr<BinaryStream> openDevice(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
    if (fd >= 0)
      ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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
  } else if (target.st_nlink > 1 || ::fchown(fd, target.st_uid, target.st_gid) != 0) {
    // A new file would part the file from its other names, or from its owner or
    // group: it is rewritten instead, the new file beside it its backup.
    return openInPlace(path, fd, std::move(temp));
  } else {
    ::fchmod(fd, target.st_mode & 07777);
  }
  return std::make_unique<CreatedFileStream>(CreatedFileStream::Way::Replace, fd, -1,
                                             std::move(temp), path);
}

} // namespace fw
