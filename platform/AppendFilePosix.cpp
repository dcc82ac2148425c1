#include "platform/AppendFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace stereolint::platform {

namespace {

constexpr const char* kSymbolicLink = "it is a symbolic link";
constexpr const char* kNotRegular = "it is not a regular file";

// O_NOFOLLOW refuses a link at the last name with ELOOP, which also means
// "too many links" along the folders; only a look at the entry tells.
bool isSymbolicLink(const std::string& path) {
  struct stat entry {};
  return lstat(path.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode);
}

}  // namespace

AppendFile::~AppendFile() {
  if (descriptor >= 0) close(descriptor);
}

FileOutcome AppendFile::open(const std::string& path) {
  // Read as well as write: the first line and the last byte are read
  // through this same open file, never by the name again. O_NONBLOCK keeps a
  // pipe planted at the name from blocking the run; it changes nothing for
  // a regular file.
  descriptor = ::open(path.c_str(),
                      O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    const int error = errno;
    if (error == ELOOP && isSymbolicLink(path)) return FileOutcome::failure(kSymbolicLink);
    return FileOutcome::failure(systemErrorText(error));
  }
  struct stat entry {};
  if (fstat(descriptor, &entry) != 0 || !S_ISREG(entry.st_mode)) {
    close(descriptor);
    descriptor = -1;
    return FileOutcome::failure(kNotRegular);
  }
  // The lock belongs to this open file: it is given back when the file is
  // closed, also when the process is killed.
  while (flock(descriptor, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    close(descriptor);
    descriptor = -1;
    return FileOutcome::failure(systemErrorText(error));
  }
  return FileOutcome::success();
}

std::uint64_t AppendFile::size() const {
  struct stat entry {};
  if (descriptor < 0 || fstat(descriptor, &entry) != 0) return 0;
  return static_cast<std::uint64_t>(entry.st_size);
}

std::string AppendFile::head(size_t count) const {
  std::string bytes(count, '\0');
  size_t filled = 0;
  while (descriptor >= 0 && filled < count) {
    const ssize_t got =
        pread(descriptor, &bytes[filled], count - filled, static_cast<off_t>(filled));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    filled += static_cast<size_t>(got);
  }
  bytes.resize(filled);
  return bytes;
}

char AppendFile::lastByte() const {
  const std::uint64_t length = size();
  char last = '\0';
  if (length == 0) return last;
  ssize_t got = 0;
  do {
    got = pread(descriptor, &last, 1, static_cast<off_t>(length - 1));
  } while (got < 0 && errno == EINTR);
  return got == 1 ? last : '\0';
}

FileOutcome AppendFile::append(const void* data, size_t size) {
  if (descriptor < 0) return FileOutcome::failure(systemErrorText(EBADF));
  const std::uint64_t before = this->size();
  ssize_t count = 0;
  do {
    count = write(descriptor, data, size);
  } while (count < 0 && errno == EINTR);
  if (count == static_cast<ssize_t>(size)) return FileOutcome::success();
  const int error = count < 0 ? errno : ENOSPC;
  // Half a record would join the next one into a broken line.
  if (count > 0) {
    if (ftruncate(descriptor, static_cast<off_t>(before)) != 0) {
      return FileOutcome::failure(systemErrorText(errno));
    }
  }
  return FileOutcome::failure(systemErrorText(error));
}

}  // namespace stereolint::platform
