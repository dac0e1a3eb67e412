#pragma once
// Buffered output to a file descriptor, written out in whole lines only, so a
// reader never sees half a line from us.

#include <string>

namespace tide {

class OutputSink {
public:
  explicit OutputSink(int fd) : fd_(fd) { buffer_.reserve(flushAt + flushAt / 4); }

  // Appends text that ends in a line end; writes the buffer once it is large.
  std::string& buffer() { return buffer_; }
  bool lineDone() { return buffer_.size() < flushAt || flush(); }
  bool flush();

private:
  static constexpr std::size_t flushAt = 1 << 16;

  int fd_ = -1;
  std::string buffer_;
};

} // namespace tide
