#include "platform/Platform.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

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

}  // namespace

char folderSeparator() { return '\\'; }

bool makeDirectory(const std::string& path) { return _mkdir(path.c_str()) == 0; }

bool writeWholeFile(const std::string& path, const void* data, size_t size) {
  const std::string partial = path + ".partial";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(data, 1, size, file) == size;
  written = std::fclose(file) == 0 && written;
  if (written && MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
    return true;
  }
  std::remove(partial.c_str());
  return false;
}

bool appendWholeRecord(const std::string& path, const void* data, size_t size) {
  const int file = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | _O_TEXT,
                         _S_IREAD | _S_IWRITE);
  if (file < 0) return false;
  const long long before = _lseeki64(file, 0, SEEK_END);
  const int count = _write(file, data, static_cast<unsigned>(size));
  bool written = count == static_cast<int>(size);
  if (!written && count > 0 && before >= 0) {
    if (_chsize_s(file, before) != 0) written = false;
  }
  return _close(file) == 0 && written;
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
