#pragma once

#include <memory>
#include <stdexcept>
#include <string>

namespace fw {

class FolderItem;

class IOException : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TextInputStream {
public:
  // Throws IOException when the file cannot be opened.
  static std::unique_ptr<TextInputStream> Open(const FolderItem& item);
  std::string ReadAll(); // the bytes as they are
  void Close();

private:
  explicit TextInputStream(std::string bytes) : bytes_(std::move(bytes)) {}
  std::string bytes_;
  bool consumed_ = false;
};

} // namespace fw
