#include "platform/Platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace stereolint::platform {

namespace {

// dlerror() clears itself when read, so the text of the last failure is kept
// here for moduleError(); one copy per thread, as dlerror's own state is.
thread_local std::string lastModuleError;

// write() may take fewer bytes than offered (signals, pipes); a regular
// file only does so when it cannot take more.
bool writeAll(int file, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t count = write(file, bytes, size);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    bytes += count;
    size -= static_cast<size_t>(count);
  }
  return true;
}

void rememberModuleError() {
  const char* text = dlerror();
  lastModuleError = text != nullptr ? text : "";
}

// Connects to the X server named by DISPLAY through libX11, loaded at run
// time so that the build needs no X11 development files.
bool xDisplayReachable() {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return false;
  void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
  if (x11 == nullptr) return false;
  using OpenDisplay = void* (*)(const char*);
  using CloseDisplay = int (*)(void*);
  auto open = reinterpret_cast<OpenDisplay>(dlsym(x11, "XOpenDisplay"));
  auto close = reinterpret_cast<CloseDisplay>(dlsym(x11, "XCloseDisplay"));
  bool reachable = false;
  if (open != nullptr && close != nullptr) {
    if (void* connection = open(nullptr)) {
      reachable = true;
      close(connection);
    }
  }
  dlclose(x11);
  return reachable;
}

}  // namespace

char folderSeparator() { return '/'; }

bool makeDirectory(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool writeWholeFile(const std::string& path, const void* data, size_t size) {
  const std::string partial = path + ".partial";
  const int file = open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (file < 0) return false;
  bool written = writeAll(file, data, size);
  // close() reports the errors of delayed writes (a full disk on network
  // file systems), so its result counts too.
  written = close(file) == 0 && written;
  if (written && rename(partial.c_str(), path.c_str()) == 0) return true;
  unlink(partial.c_str());
  return false;
}

bool appendWholeRecord(const std::string& path, const void* data, size_t size) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (file < 0) return false;
  struct stat before {};
  const bool measured = fstat(file, &before) == 0;
  ssize_t count = 0;
  do {
    count = write(file, data, size);
  } while (count < 0 && errno == EINTR);
  bool written = count == static_cast<ssize_t>(size);
  if (!written && count > 0 && measured) {
    // Half a record would join the next one into a broken line.
    if (ftruncate(file, before.st_size) != 0) written = false;
  }
  return close(file) == 0 && written;
}

ModuleHandle openModule(const std::string& path) {
  ModuleHandle module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) rememberModuleError();
  return module;
}

void* moduleSymbol(ModuleHandle module, const char* name) {
  if (module == nullptr) return nullptr;
  dlerror();
  void* symbol = dlsym(module, name);
  if (symbol == nullptr) rememberModuleError();
  return symbol;
}

void closeModule(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

std::string moduleError() { return lastModuleError; }

void setEnvironmentDefault(const char* name, const char* value) { setenv(name, value, 0); }

std::int64_t monotonicMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

bool displayAvailable() { return xDisplayReachable(); }

}  // namespace stereolint::platform
