// A file that only ever grows at its end, such as a table that several runs
// add rows to, held open under an exclusive lock.
//
// While one AppendFile holds a file open, every other AppendFile on the
// same file, in this process or another, waits in open(): so what the
// holder reads (the length, the first bytes, the last byte) stays true
// until it has appended and closed the file. That lets a writer decide
// "the table is empty, so the header comes first" without a second
// process deciding the same at the same time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace stereolint::platform {

class AppendFile {
 public:
  AppendFile() = default;
  // Closes the file, which lets the next waiting writer in.
  ~AppendFile();
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens the file at `path` for appending (creating it empty when missing)
  // and waits until no other AppendFile holds it. Never opens through a
  // symbolic link: a link at `path` is refused with the reason "it is a
  // symbolic link", and anything else that is no regular file (a folder, a
  // pipe) with "it is not a regular file". Other failures carry the
  // system's reason. Only one open() per object.
  FileOutcome open(const std::string& path);

  // The file's length in bytes; 0 when it is not open.
  std::uint64_t size() const;
  // Up to `count` bytes from the file's start (fewer when it is shorter).
  std::string head(size_t count) const;
  // The file's last byte, or '\0' when it is empty or not open.
  char lastByte() const;

  // Adds the bytes at the end in a single write, so that a process killed
  // at any moment leaves either all of them or none. A short write (a full
  // disk) is taken back by cutting the file to its earlier length, and the
  // outcome gives the system's reason.
  FileOutcome append(const void* data, size_t size);

 private:
  int descriptor = -1;
};

}  // namespace stereolint::platform
