// The thin layer between Stereolint and the operating system.
//
// Everything that differs between the primary target (Linux, POSIX) and a
// Windows build sits behind these few functions: the folder separator, folder
// creation, run-time module loading, a monotonic clock and two questions about
// the console and the display. Nothing here prints or throws.
#pragma once

#include <cstdint>
#include <string>

namespace stereolint::platform {

// The platform's own folder separator: '/' on POSIX, '\\' on Windows.
char folderSeparator();

// Creates one folder (not its parents). Returns true when the folder was
// created; an existing folder or a refusal gives false. Callers that create a
// chain of folders ignore the result on purpose.
bool makeDirectory(const std::string& path);

// Writes `size` bytes as the whole content of the file at `path`, or
// nothing: the bytes go to a temporary file beside it (`path` + ".partial"),
// which replaces `path` only once every byte is written and the file is
// closed without error. On failure (no permission, a full disk, an output
// path whose parent is a file) the temporary file is removed, an earlier
// file at `path` stays as it was, and the result is false. So a reader
// never sees half a picture under a result's name.
bool writeWholeFile(const std::string& path, const void* data, size_t size);

// Appends `size` bytes to the file at `path` (created when missing) in a
// single write at its end, so that a process killed at any moment leaves
// either all of them or none. A short write (a full disk) is taken back by
// cutting the file to its earlier length. False when the bytes are not all
// in the file.
bool appendWholeRecord(const std::string& path, const void* data, size_t size);

// Opaque handle of a loaded dynamic library; nullptr means "not loaded".
using ModuleHandle = void*;

// Loads the dynamic library at `path` (a UTF-8 path). Returns nullptr when the
// system refuses; moduleError() then says why.
ModuleHandle openModule(const std::string& path);

// Address of the exported symbol `name` in `module`, or nullptr when the
// module does not export it.
void* moduleSymbol(ModuleHandle module, const char* name);

// Unloads a module loaded by openModule. A nullptr handle is ignored.
void closeModule(ModuleHandle module);

// The system's text for the last failed openModule / moduleSymbol call of
// this thread, or an empty string when there is none.
std::string moduleError();

// Sets the environment variable `name` to `value` for this process unless
// it is set already, so that a user's own setting wins.
void setEnvironmentDefault(const char* name, const char* value);

// Milliseconds on a monotonic wall clock with an arbitrary origin. Unlike the
// C library's clock(), it does not add up the CPU time of all threads, so an
// interval measured on one worker stays right while other workers run.
std::int64_t monotonicMilliseconds();

// True when standard error is an interactive terminal (progress lines are
// only drawn there, so redirected output stays exactly as documented).
bool standardErrorIsTerminal();

// True when a window system can be reached for image windows. On Linux: an
// X server named by DISPLAY accepts a connection (under Wayland, XWayland
// provides one); the image library's window back end would otherwise end
// the process at its first window. On Windows: always true.
bool displayAvailable();

}  // namespace stereolint::platform
