#include "platform/AppendFile.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <system_error>

namespace stereolint::platform {

namespace {

HANDLE handleOf(int descriptor) { return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor)); }

}  // namespace

AppendFile::~AppendFile() {
  if (descriptor >= 0) _close(descriptor);
}

FileOutcome AppendFile::open(const std::string& path) {
  // Links and junctions are reparse points; the table is never written
  // through one.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      return FileOutcome::failure("it is a symbolic link");
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return FileOutcome::failure("it is not a regular file");
    }
  }
  // Binary, so that what is read back is what was written.
  const errno_t error = _sopen_s(&descriptor, path.c_str(),
                                 _O_RDWR | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT,
                                 _SH_DENYNO, _S_IREAD | _S_IWRITE);
  if (error != 0) {
    descriptor = -1;
    return FileOutcome::failure(systemErrorText(error));
  }
  OVERLAPPED whole{};
  if (!LockFileEx(handleOf(descriptor), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    const std::string reason =
        std::system_category().message(static_cast<int>(GetLastError()));
    _close(descriptor);
    descriptor = -1;
    return FileOutcome::failure(reason);
  }
  return FileOutcome::success();
}

std::uint64_t AppendFile::size() const {
  if (descriptor < 0) return 0;
  const long long length = _filelengthi64(descriptor);
  return length < 0 ? 0 : static_cast<std::uint64_t>(length);
}

std::string AppendFile::head(size_t count) const {
  if (descriptor < 0 || _lseeki64(descriptor, 0, SEEK_SET) != 0) return {};
  std::string bytes(count, '\0');
  const int got = _read(descriptor, bytes.data(), static_cast<unsigned>(count));
  bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return bytes;
}

char AppendFile::lastByte() const {
  const std::uint64_t length = size();
  char last = '\0';
  if (length == 0 || _lseeki64(descriptor, static_cast<long long>(length - 1), SEEK_SET) < 0) {
    return '\0';
  }
  return _read(descriptor, &last, 1) == 1 ? last : '\0';
}

FileOutcome AppendFile::append(const void* data, size_t size) {
  if (descriptor < 0) return FileOutcome::failure(systemErrorText(EBADF));
  const long long before = _filelengthi64(descriptor);
  const int count = _write(descriptor, data, static_cast<unsigned>(size));
  if (count == static_cast<int>(size)) return FileOutcome::success();
  const int error = count < 0 ? errno : ENOSPC;
  if (count > 0 && before >= 0 && _chsize_s(descriptor, before) != 0) {
    return FileOutcome::failure(systemErrorText(errno));
  }
  return FileOutcome::failure(systemErrorText(error));
}

}  // namespace stereolint::platform
