#include "sources/r3d/DecoderStatus.h"

namespace stereolint {

int componentStatus(int status, unsigned optionBit) {
  int offset = 0;
  if (optionBit == 1) offset = 1;
  if (optionBit == 2) offset = 2;
  if (optionBit == 4) offset = 3;
  return status + offset;
}

std::string decoderStatusText(int status) {
  switch (status) {
    case decoderStatus::ready:
      return "the library is loaded and ready";
    case decoderStatus::notLoaded:
      return "the library file could not be loaded or initialised";
    case decoderStatus::notLoaded + 1:
    case decoderStatus::notLoaded + 2:
    case decoderStatus::notLoaded + 3:
      return "the companion library for option " +
             std::to_string(1 << (status - decoderStatus::notLoaded - 1)) +
             " could not be loaded or initialised";
    case decoderStatus::versionRuleFailed:
      return "version rule failed: the library and this program do not fit together";
    case decoderStatus::wrongLibrary:
      return "not the expected library, or some of its exports are missing";
    case decoderStatus::wrongLibrary + 1:
    case decoderStatus::wrongLibrary + 2:
    case decoderStatus::wrongLibrary + 3:
      return "the exports for option " +
             std::to_string(1 << (status - decoderStatus::wrongLibrary - 1)) +
             " are missing, or its companion library is not the expected one";
    case decoderStatus::noPath:
      return "no library folder was given";
    case decoderStatus::limitReached:
      return "a limit was reached: too many library folders or files, or a folder given twice";
    default:
      return "the library's initialisation failed with code " + std::to_string(status);
  }
}

}  // namespace stereolint
