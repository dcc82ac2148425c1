#include "platform/Platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <system_error>

namespace stereolint::platform {

namespace {

// dlerror() clears itself when read, so the text of the last failure is kept
// here for moduleError(); one copy per thread, as dlerror's own state is.
thread_local std::string lastModuleError;

// write() may take fewer bytes than offered (signals, pipes); a regular
// file only does so when it cannot take more. Returns 0 when every byte is
// written, otherwise the error number (a write that takes nothing without
// saying why is a full disk).
int writeAll(int file, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t count = write(file, bytes, size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return errno;
    if (count == 0) return ENOSPC;
    bytes += count;
    size -= static_cast<size_t>(count);
  }
  return 0;
}

// Six letters or digits, different on every call in every thread and
// process with overwhelming likelihood.
std::string randomTag() {
  static constexpr char kSymbols[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 generator = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), static_cast<unsigned>(getpid())};
    return std::mt19937_64(seed);
  }();
  std::uniform_int_distribution<size_t> pick(0, sizeof kSymbols - 2);
  std::string tag(6, ' ');
  for (char& symbol : tag) symbol = kSymbols[pick(generator)];
  return tag;
}

// Creates a new file `path` + ".XXXXXX.partial" for writing and puts its
// name in `partial`. O_EXCL makes the creation fail on any existing entry,
// a symbolic link included, so nothing planted at a temporary name is ever
// written through and two writers never share a file; a taken name is
// simply drawn again. When the name grows too long for the file system
// (a result name within 15 bytes of its limit), the temporary file is
// ".XXXXXX.partial" in the same folder instead, so that the rename stays
// within one folder. The mode is that of an ordinary new file (0666 less
// the umask). Returns the descriptor, or -1 with errno set.
int createTemporaryBeside(const std::string& path, std::string& partial) {
  constexpr int kAttempts = 64;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  bool shortName = false;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    partial = (shortName ? folder : path) + "." + randomTag() + ".partial";
    const int file =
        open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file >= 0) return file;
    if (errno == ENAMETOOLONG && !shortName) {
      shortName = true;
      continue;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

void rememberModuleError() {
  const char* text = dlerror();
  lastModuleError = text != nullptr ? text : "";
}

// Connects to the X server named by DISPLAY through libX11, loaded at run
// time so that the build needs no X11 development files. A connection made
// stays open for the run: an X server whose last client leaves resets
// itself (a bare Xvfb, as xvfb-run starts it) and refuses connections
// meanwhile, so closing it would make the window opened next fail at
// random.
bool xDisplayReachable() {
  static std::mutex lock;
  static void* connection = nullptr;
  const std::lock_guard<std::mutex> held(lock);
  if (connection != nullptr) return true;
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return false;
  void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
  if (x11 == nullptr) return false;
  using OpenDisplay = void* (*)(const char*);
  auto open = reinterpret_cast<OpenDisplay>(dlsym(x11, "XOpenDisplay"));
  if (open != nullptr) connection = open(nullptr);
  if (connection == nullptr) dlclose(x11);
  return connection != nullptr;
}

}  // namespace

char folderSeparator() { return '/'; }

std::string systemErrorText(int code) {
  // The generic category's message is the C library's thread-safe text for
  // an errno value.
  return std::generic_category().message(code);
}

FileOutcome makeDirectory(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0) return FileOutcome::success();
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
    if (error == 0) error = writeAll(file, data, size);
    return error == 0;
  };
  const std::string refused = produce(append);
  // close() reports the errors of delayed writes (a full disk on network
  // file systems), so its result counts too.
  if (close(file) != 0 && error == 0) error = errno;
  // rename() replaces whatever entry has the name, a symbolic link
  // included, and never follows it.
  if (error == 0 && refused.empty() && rename(partial.c_str(), path.c_str()) == 0) {
    return FileOutcome::success();
  }
  if (error == 0 && refused.empty()) error = errno;
  unlink(partial.c_str());
  return FileOutcome::failure(error != 0 ? systemErrorText(error) : refused);
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
