#include "predictor/DatabaseFile.h"

#include "predictor/Text.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tide {

namespace {

constexpr std::string_view firstKey = "[VERSION] = ";
constexpr std::string_view headerEnd = "[END OF ASCII HEADER DATA]";
constexpr std::size_t longestHeader = 1 << 20;
constexpr long long mostConstituents = 255;

Failure notDatabase(const std::string& path) {
  return Failure{path + " is not a harmonics database"};
}

std::optional<long long> number(const std::map<std::string, std::string, std::less<>>& keys,
                                std::string_view key) {
  const auto it = keys.find(key);
  if (it == keys.end())
    return std::nullopt;
  long long value = 0;
  const std::string& text = it->second;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

// "[KEY] = value" lines up to the end marker; nullopt when any line is not one.
std::optional<std::map<std::string, std::string, std::less<>>> headerKeys(std::string_view text) {
  std::map<std::string, std::string, std::less<>> keys;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos)
      return std::nullopt;
    const std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;
    if (line == headerEnd)
      return keys;
    const std::size_t close = line.find("] = ");
    if (line.empty() || line.front() != '[' || close == std::string_view::npos)
      return std::nullopt;
    keys.emplace(std::string(line.substr(1, close - 1)), std::string(line.substr(close + 4)));
  }
  return std::nullopt;
}

// The text header, read in small pieces until its end marker shows up.
std::string readHeader(int fd) {
  std::string text;
  char chunk[4096];
  while (text.size() < longestHeader) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break;
    const std::size_t searchFrom =
        text.size() > headerEnd.size() ? text.size() - headerEnd.size() : 0;
    text.append(chunk, static_cast<std::size_t>(got));
    if (text.find(headerEnd, searchFrom) != std::string::npos)
      break;
  }
  return text;
}

} // namespace

std::optional<Failure> DatabaseFile::check(const std::string& path) {
  const std::string shown = printable(path);
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return Failure{"cannot open " + shown + ": " + std::strerror(errno)};
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return Failure{shown + " is not a file"};
  }
  const auto size = static_cast<long long>(info.st_size);
  const std::string start = readHeader(fd);
  close(fd);
  if (size == 0)
    return Failure{shown + " is empty"};
  if (start.compare(0, firstKey.size(), firstKey) != 0)
    return notDatabase(shown);
  const auto keys = headerKeys(start);
  if (!keys)
    return notDatabase(shown);
  const auto headerSize = number(*keys, "HEADER SIZE");
  const auto fileSize = number(*keys, "END OF FILE");
  const auto records = number(*keys, "NUMBER OF RECORDS");
  const auto years = number(*keys, "NUMBER OF YEARS");
  const auto constituents = number(*keys, "CONSTITUENTS");
  if (!headerSize || !fileSize || !records || !years || !constituents || *headerSize <= 0 ||
      *headerSize > *fileSize || *records < 0 || *years <= 0 || *constituents <= 0 ||
      *constituents > mostConstituents || !number(*keys, "START YEAR"))
    return notDatabase(shown);
  if (size < *fileSize)
    return Failure{shown + " is truncated (" + std::to_string(size) + " of " +
                   std::to_string(*fileSize) + " bytes)"};
  return std::nullopt;
}

} // namespace tide
