#include "fw/BinaryStream.h"

#include "fw/CreatedFileStream.h"
#include "fw/Text.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace fw {

namespace {

constexpr std::size_t kLongBytes = 4;
constexpr std::size_t kLongestPString = 255;
constexpr std::size_t kBufferBytes = 64 * 1024;

// Reads until `count` bytes or the end; returns how many arrived, -1 on error.
ssize_t readSome(int fd, char* into, std::size_t count) {
  ssize_t got;
  do {
    got = ::read(fd, into, count);
  } while (got < 0 && errno == EINTR);
  return got;
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
  return create ? createFileStream(path) : openFile(path, readWrite);
}

} // namespace fw
