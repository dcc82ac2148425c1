// The thin layer between Stereolint and the operating system.
//
// Everything that differs between the primary target (Linux, POSIX) and a
// Windows build sits behind these few functions: the folder separator, folder
// creation, run-time module loading, a monotonic clock and two questions about
// the console and the display, and writing files whole (see also
// AppendFile.h). Nothing here prints or throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace stereolint::platform {

// The platform's own folder separator: '/' on POSIX, '\\' on Windows.
char folderSeparator();

// What a file operation reports: done, or why not. The reason is the
// system's text for its error ("Permission denied", "No space left on
// device", "File name too long") or, for a refusal of this program's own, a
// short clause ("it is a symbolic link"); it reads well after "Cannot
// write out/RESULTS.csv: ".
struct FileOutcome {
  bool done = true;
  std::string reason;  // empty when done

  static FileOutcome success() { return {}; }
  static FileOutcome failure(std::string why) { return {false, std::move(why)}; }
};

// The system's text for the error number `code` (an errno value), e.g.
// "Permission denied"; safe to call from several threads at once.
std::string systemErrorText(int code);

// Creates one folder (not its parents). Done when the folder was created;
// an existing folder or a refusal gives the system's reason ("File exists",
// "Permission denied"). Callers that create a chain of folders look at
// what is there afterwards rather than at this result.
FileOutcome makeDirectory(const std::string& path);

// Writes `size` bytes as the whole content of the file at `path`, or
// nothing: the bytes go to a new temporary file beside it, named `path` +
// "." + six random letters or digits + ".partial" (or, when that name is
// too long for the file system, just "." + the letters + ".partial" in the
// same folder) and created exclusively (never an existing file, never
// through a symbolic link), which replaces
// `path` only once every byte is written and the file is closed without
// error. Several processes writing the same `path` at once each use their
// own temporary file, so the last rename wins with whole content. A
// symbolic link at `path` itself is replaced by the file, never written
// through. On failure (no permission, a full disk, an output path whose
// parent is a file) the temporary file is removed, an earlier file at
// `path` stays as it was, and the outcome carries the system's reason. So a
// reader never sees half a picture under a result's name.
FileOutcome writeWholeFile(const std::string& path, const void* data, size_t size);

// Hands the next piece of a file's content to writeWholeFileFrom; false
// once a write has failed (later pieces are then dropped).
using FileAppend = std::function<bool(const void* data, size_t size)>;

// writeWholeFile for content made piece by piece, so that it is never held
// whole: `produce` appends it in order and returns "", or why it cannot
// make the content (then no file is kept and the outcome carries that
// reason). Every guarantee of writeWholeFile holds; the system's reason for
// a failed write comes before the producer's.
FileOutcome writeWholeFileFrom(const std::string& path,
                               const std::function<std::string(const FileAppend&)>& produce);

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
// the process at its first window. The connection that tells stays open
// until the process ends. On Windows: always true.
bool displayAvailable();

}  // namespace stereolint::platform
