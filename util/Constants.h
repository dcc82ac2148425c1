// The small read-only table of words and separators that the frame sources,
// the checkers and the writers share. One instance per process, made on first
// use and never changed afterwards, so any thread may read it.
#pragma once

#include <string>
#include <vector>

namespace stereolint {

struct Constants {
  std::string empty;            // ""
  std::string blank;            // " "   (result text lines)
  std::string dot;              // "."   (extensions)
  std::string comma;            // ","   (lists, parameters, CSV)
  std::string folderSeparator;  // the platform's own: "/" on Linux, "\" on Windows
  std::string colon;            // ":"   (parameters, result text)
  std::string dash;             // "-"   (frame ranges)
  std::string underscore;       // "_"   (output file names)
  std::string vertically;       // "VERTICALLY":   views side by side
  std::string horizontally;     // "HORIZONTALLY": views one above the other
  std::vector<std::string> r3dExtensions;    // R3D
  std::vector<std::string> videoExtensions;  // MP4 AVI MOV MKV
  std::vector<std::string> imageExtensions;  // BMP JPEG JPG PNG TIFF TIF DPX EXR
};

const Constants& constants();

}  // namespace stereolint
