#include "fw/TextInputStream.h"

#include "fw/FolderItem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

[[noreturn]] void fail(const std::string& path, int error) {
  throw IOException("cannot read " + path + ": " + std::strerror(error));
}

} // namespace

std::unique_ptr<TextInputStream> TextInputStream::Open(const FolderItem& item) {
  const std::string& path = item.AbsolutePath();
  // Non-blocking so that opening a FIFO cannot hang; only regular files pass.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    fail(path, errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    fail(path, error);
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char chunk[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      fail(path, error);
    }
    if (got == 0)
      break;
    bytes.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return std::unique_ptr<TextInputStream>(new TextInputStream(std::move(bytes)));
}

std::string TextInputStream::ReadAll() {
  if (consumed_)
    return {};
  consumed_ = true;
  return std::move(bytes_);
}

void TextInputStream::Close() {
  consumed_ = true;
  bytes_.clear();
  bytes_.shrink_to_fit();
}

} // namespace fw
