#include "platform/Platform.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <share.h>
#include <system_error>

namespace stereolint::platform {

namespace {

thread_local std::string lastModuleError;

void rememberModuleError() {
  const DWORD code = GetLastError();
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  lastModuleError = length != 0 && text != nullptr ? std::string(text, length)
                                                   : "error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
}

// The text of GetLastError(), for the calls that do not set errno.
std::string lastSystemErrorText() {
  return std::system_category().message(static_cast<int>(GetLastError()));
}

std::string randomTag() {
  static constexpr char kSymbols[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 generator = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), static_cast<unsigned>(GetCurrentProcessId())};
    return std::mt19937_64(seed);
  }();
  std::uniform_int_distribution<size_t> pick(0, sizeof kSymbols - 2);
  std::string tag(6, ' ');
  for (char& symbol : tag) symbol = kSymbols[pick(generator)];
  return tag;
}

// `path` + ".XXXXXX.partial", created exclusively: an existing entry of the
// name is never opened, and two writers never share a file.
int createTemporaryBeside(const std::string& path, std::string& partial) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    partial = path + "." + randomTag() + ".partial";
    int file = -1;
    const errno_t error = _sopen_s(&file, partial.c_str(),
                                   _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                                   _SH_DENYRW, _S_IREAD | _S_IWRITE);
    if (error == 0) return file;
    if (error != EEXIST) {
      errno = error;
      return -1;
    }
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

char folderSeparator() { return '\\'; }

std::string systemErrorText(int code) { return std::generic_category().message(code); }

FileOutcome makeDirectory(const std::string& path) {
  if (_mkdir(path.c_str()) == 0) return FileOutcome::success();
  return FileOutcome::failure(systemErrorText(errno));
}

FileOutcome writeWholeFile(const std::string& path, const void* data, size_t size) {
  return writeWholeFileFrom(path, [&](const FileAppend& append) {
    append(data, size);
    return std::string();
  });
}

FileOutcome writeWholeFileFrom(const std::string& path,
                               const std::function<std::string(const FileAppend&)>& produce) {
  std::string partial;
  const int file = createTemporaryBeside(path, partial);
  if (file < 0) return FileOutcome::failure(systemErrorText(errno));
  int error = 0;
  const FileAppend append = [&](const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (error == 0 && size > 0) {
      const unsigned chunk = static_cast<unsigned>(std::min<size_t>(size, 1u << 30));
      const int count = _write(file, bytes, chunk);
      if (count <= 0) error = count < 0 ? errno : ENOSPC;
      if (count > 0) {
        bytes += count;
        size -= static_cast<size_t>(count);
      }
    }
    return error == 0;
  };
  const std::string refused = produce(append);
  if (_close(file) != 0 && error == 0) error = errno;
  if (error == 0 && refused.empty() &&
      MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
    return FileOutcome::success();
  }
  const std::string reason = error != 0       ? systemErrorText(error)
                             : !refused.empty() ? refused
                                                : lastSystemErrorText();
  std::remove(partial.c_str());
  return FileOutcome::failure(reason);
}

ModuleHandle openModule(const std::string& path) {
  // Paths arrive as UTF-8; the wide-character loader takes every name.
  const int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  HMODULE module = nullptr;
  if (length > 0) {
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
    module = LoadLibraryW(wide.c_str());
  } else {
    module = LoadLibraryA(path.c_str());
  }
  if (module == nullptr) rememberModuleError();
  return reinterpret_cast<ModuleHandle>(module);
}

void* moduleSymbol(ModuleHandle module, const char* name) {
  if (module == nullptr) return nullptr;
  FARPROC symbol = GetProcAddress(reinterpret_cast<HMODULE>(module), name);
  if (symbol == nullptr) rememberModuleError();
  return reinterpret_cast<void*>(symbol);
}

void closeModule(ModuleHandle module) {
  if (module != nullptr) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

std::string moduleError() { return lastModuleError; }

void setEnvironmentDefault(const char* name, const char* value) {
  size_t length = 0;
  if (getenv_s(&length, nullptr, 0, name) == 0 && length == 0) _putenv_s(name, value);
}

std::int64_t monotonicMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

bool displayAvailable() { return true; }

}  // namespace stereolint::platform
