#include "util/Constants.h"

#include "platform/Platform.h"

namespace stereolint {

const Constants& constants() {
  static const Constants table{
      "",
      " ",
      ".",
      ",",
      std::string(1, platform::folderSeparator()),
      ":",
      "-",
      "_",
      "VERTICALLY",
      "HORIZONTALLY",
      {"R3D"},
      {"MP4", "AVI", "MOV", "MKV"},
      {"BMP", "JPEG", "JPG", "PNG", "TIFF", "TIF", "DPX", "EXR"},
  };
  return table;
}

}  // namespace stereolint
