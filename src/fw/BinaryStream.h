#pragma once
// Big-endian 4-byte integers and one-byte-length strings. Reading past the end
// gives 0 or "" and never fails; ReadPastEnd tells afterwards that it happened.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace fw {

class BinaryStream {
public:
  virtual ~BinaryStream() = default;

  std::int32_t ReadLong();
  void WriteLong(std::int32_t value);
  // Longer texts are cut at the last whole UTF-8 character within 255 bytes.
  std::string ReadPString();
  void WritePString(std::string_view text);
  bool EndOfFile() const;
  // A read found fewer bytes than it wanted: the file was cut short.
  bool ReadPastEnd() const { return readPastEnd_; }
  // Puts a created file in place; false when anything failed on the way (the
  // earlier file then stays as it was, or has its content written back).
  bool Close();
  bool WriteError() const { return writeError_; }

protected:
  virtual bool readBytes(char* into, std::size_t count) = 0; // false past the end
  virtual bool writeBytes(const char* from, std::size_t count) = 0;
  virtual bool atEnd() const = 0;
  virtual bool finish() = 0;
  bool writeError_ = false;
  bool readPastEnd_ = false;
  bool closed_ = false;
};

// Streams over a file, made by FolderItem::CreateBinaryFile/OpenAsBinaryFile; how a
// created one lands on disk is CreatedFileStream's.
std::unique_ptr<BinaryStream> openFileStream(const std::string& path, bool create, bool readWrite);

} // namespace fw
