#include "fw/BinaryStream.h"

#include "fw/Text.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fw {

namespace {

constexpr std::size_t kLongBytes = 4;
constexpr std::size_t kLongestPString = 255;
constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr int kMostLinks = 40; // as many as the kernel follows in one path
constexpr std::string_view kTemporaryEnd = ".XXXXXX";
// What is left of a NAME_MAX name for the target's name in its hidden temporary's.
constexpr std::size_t kTemporaryNameBytes = NAME_MAX - 1 - kTemporaryEnd.size();

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

// Reads until `count` bytes or the end; returns how many arrived, -1 on error.
ssize_t readSome(int fd, char* into, std::size_t count) {
  ssize_t got;
  do {
    got = ::read(fd, into, count);
  } while (got < 0 && errno == EINTR);
  return got;
}

// The folder part of an absolute path.
std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

void syncFolderOf(const std::string& path) {
  const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// An existing file, read (and, when asked, written) in place.
class OpenedFileStream : public BinaryStream {
public:
  OpenedFileStream(int fd, bool readWrite) : fd_(fd), readWrite_(readWrite) {}
  ~OpenedFileStream() override {
    if (fd_ >= 0)
      ::close(fd_);
  }

protected:
  bool readBytes(char* into, std::size_t count) override {
    while (count > 0) {
      if (!fill())
        return false;
      const std::size_t take = std::min(count, length_ - next_);
      std::copy_n(buffer_.data() + next_, take, into);
      next_ += take;
      into += take;
      count -= take;
    }
    return true;
  }

  bool writeBytes(const char* from, std::size_t count) override {
    if (!readWrite_ || fd_ < 0)
      return false;
    // Give back what was read ahead, so the write lands where reading stopped.
    if (next_ < length_ && ::lseek(fd_, -static_cast<off_t>(length_ - next_), SEEK_CUR) < 0)
      return false;
    next_ = length_ = 0;
    return writeAll(fd_, from, count);
  }

  bool atEnd() const override { return !fill(); }

  bool finish() override {
    const bool closedWell = ::close(fd_) == 0;
    fd_ = -1;
    return closedWell && !writeError_;
  }

private:
  // True when at least one unread byte is buffered.
  bool fill() const {
    if (next_ < length_)
      return true;
    if (fd_ < 0)
      return false;
    buffer_.resize(kBufferBytes);
    const ssize_t got = readSome(fd_, buffer_.data(), buffer_.size());
    next_ = 0;
    length_ = got > 0 ? static_cast<std::size_t>(got) : 0;
    return length_ > 0;
  }

  int fd_;
  bool readWrite_;
  mutable std::vector<char> buffer_;
  mutable std::size_t next_ = 0;
  mutable std::size_t length_ = 0;
};

// A new file written beside its target and renamed over it on a clean close;
// without a temporary path, the target itself, truncated and written only then.
class CreatedFileStream : public BinaryStream {
public:
  CreatedFileStream(int fd, std::string tempPath, std::string targetPath)
      : fd_(fd), tempPath_(std::move(tempPath)), targetPath_(std::move(targetPath)) {}
  ~CreatedFileStream() override {
    if (fd_ >= 0) {
      ::close(fd_);
      if (!inPlace())
        ::unlink(tempPath_.c_str());
    }
  }

protected:
  bool readBytes(char*, std::size_t) override { return false; }

  bool writeBytes(const char* from, std::size_t count) override {
    if (fd_ < 0)
      return false;
    pending_.append(from, count);
    // In place, all is held back so that a stream left unclosed changes nothing.
    return inPlace() || pending_.size() < kBufferBytes || flush();
  }

  bool atEnd() const override { return true; }

  bool finish() override {
    if (inPlace()) {
      const bool written = !writeError_ && ::ftruncate(fd_, 0) == 0 && flush() && ::fsync(fd_) == 0;
      const bool closedWell = ::close(fd_) == 0;
      fd_ = -1;
      return written && closedWell;
    }
    const bool written = !writeError_ && flush() && ::fsync(fd_) == 0;
    const bool closedWell = ::close(fd_) == 0;
    fd_ = -1;
    if (written && closedWell && ::rename(tempPath_.c_str(), targetPath_.c_str()) == 0) {
      syncFolderOf(targetPath_);
      return true;
    }
    ::unlink(tempPath_.c_str());
    return false;
  }

private:
  bool inPlace() const { return tempPath_.empty(); }

  bool flush() {
    const bool ok = writeAll(fd_, pending_.data(), pending_.size());
    pending_.clear();
    return ok;
  }

  int fd_;
  std::string tempPath_;
  std::string targetPath_;
  std::string pending_;
};

// A regular file opened with `flags`, or -1. Non-blocking only while opening,
// so that a FIFO can neither hang the open nor pass.
int openRegularFile(const std::string& path, int flags) {
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

std::unique_ptr<BinaryStream> createFile(const std::string& requested) {
  const std::optional<std::string> linked = linkedFile(requested);
  if (!linked)
    return nullptr;
  const std::string& path = *linked;
  struct stat target {};
  const bool targetExists = ::stat(path.c_str(), &target) == 0;
  if (targetExists && S_ISDIR(target.st_mode))
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
    // A folder that takes no new file may still hold one the user can write:
    // that is written in place, which a failed write leaves incomplete.
    const bool refused = errno == EACCES || errno == EROFS || errno == EPERM;
    const int existing =
        refused && targetExists ? openRegularFile(path, O_WRONLY | O_NOFOLLOW) : -1;
    return existing < 0 ? nullptr
                        : std::make_unique<CreatedFileStream>(existing, std::string(), path);
  }
  // A replaced file keeps its permissions; a new one gets the usual ones.
  mode_t mode = 0;
  if (targetExists) {
    mode = target.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
  return std::make_unique<CreatedFileStream>(fd, std::move(temp), path);
}

std::unique_ptr<BinaryStream> openFile(const std::string& path, bool readWrite) {
  const int fd = openRegularFile(path, readWrite ? O_RDWR : O_RDONLY);
  if (fd < 0)
    return nullptr;
  return std::make_unique<OpenedFileStream>(fd, readWrite);
}

} // namespace

std::int32_t BinaryStream::ReadLong() {
  unsigned char bytes[kLongBytes] = {};
  if (closed_ || !readBytes(reinterpret_cast<char*>(bytes), kLongBytes)) {
    readPastEnd_ = true;
    return 0;
  }
  const std::uint32_t value = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
                              (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
  return static_cast<std::int32_t>(value);
}

void BinaryStream::WriteLong(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const char bytes[kLongBytes] = {static_cast<char>(bits >> 24), static_cast<char>(bits >> 16),
                                  static_cast<char>(bits >> 8), static_cast<char>(bits)};
  if (closed_ || !writeBytes(bytes, kLongBytes))
    writeError_ = true;
}

std::string BinaryStream::ReadPString() {
  char length = 0;
  if (closed_ || !readBytes(&length, 1)) {
    readPastEnd_ = true;
    return {};
  }
  std::string text(static_cast<unsigned char>(length), '\0');
  if (!readBytes(text.data(), text.size())) {
    readPastEnd_ = true;
    return {};
  }
  return text;
}

void BinaryStream::WritePString(std::string_view text) {
  // A cut never leaves half a character behind.
  const std::size_t length = leftWholeCharacters(text, kLongestPString).size();
  const char lengthByte = static_cast<char>(length);
  if (closed_ || !writeBytes(&lengthByte, 1) || !writeBytes(text.data(), length))
    writeError_ = true;
}

bool BinaryStream::EndOfFile() const {
  return closed_ || atEnd();
}

bool BinaryStream::Close() {
  if (closed_)
    return !writeError_;
  closed_ = true;
  if (!finish())
    writeError_ = true;
  return !writeError_;
}

std::unique_ptr<BinaryStream> openFileStream(const std::string& path, bool create, bool readWrite) {
  return create ? createFile(path) : openFile(path, readWrite);
}

} // namespace fw
