// Path helpers shared by the command line, the frame sources and the writers.
// Paths are plain byte strings; only the platform's folder separator
// (Constants::folderSeparator) separates folders.
#pragma once

#include <string>

namespace stereolint {

// True when `path` names a regular file (or a link to one) that opens for
// reading as a file stream in a good state. Folders, named pipes, devices
// and unreadable or missing files give false; a named pipe is never opened.
bool fileExists(const std::string& path);

// The text after the last "." of the whole path, upper-cased; "" without a
// dot. A dot inside a folder name counts: "a.b/c" gives "B/C".
std::string fileExtension(const std::string& path);

// The text after the last folder separator (the whole path without one), cut
// before its last "." when it holds one: "clips/take.01.mov" gives "take.01".
std::string fileBaseName(const std::string& path);

}  // namespace stereolint
