#include "predictor/OutputSink.h"

#include <cerrno>
#include <unistd.h>

namespace tide {

bool OutputSink::flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t written = write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    done += static_cast<std::size_t>(written);
  }
  buffer_.clear();
  return true;
}

} // namespace tide
