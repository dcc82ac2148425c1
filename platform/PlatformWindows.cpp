#include "platform/Platform.h"

#include <direct.h>
#include <io.h>
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
