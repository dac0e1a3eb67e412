#pragma once
// How a save lands on disk. Nothing is written until the stream is closed after
// a complete write, and a save changes nothing about the file but its content:
// - links are followed and stay links;
// - a regular file is replaced by a new file beside it that carries its owner,
//   group, extended attributes (the ACL among them) and mode, set-id bits too;
// - where that cannot be done (other hard links, attributes or owner that will
//   not carry, a folder that takes no new file) the file is rewritten in place,
//   never empty on the way, its old content written back when a step fails;
// - a character device takes the bytes it can take without waiting;
// - a FIFO, a socket, a folder, a file the user may not write and a file or link
//   planted by another user in a shared sticky folder are refused.

#include <cstddef>
#include <memory>
#include <string>

namespace fw {

class BinaryStream;

// Nil when the save is refused before anything is written.
std::unique_ptr<BinaryStream> createFileStream(const std::string& path);

// Shared with the stream that reads and writes an existing file.
// Writes all of it, through interrupted and partial writes; false on any error.
bool writeAll(int fd, const char* from, std::size_t count);
// A regular file opened with `flags`, or -1; a FIFO can neither hang the open nor pass.
int openRegularFile(const std::string& path, int flags);

} // namespace fw
