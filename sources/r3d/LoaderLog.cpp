#include "sources/r3d/LoaderLog.h"

#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <string>

namespace stereolint {

namespace {

DecoderLoaderSettings& settings() {
  static DecoderLoaderSettings loaderSettings;
  return loaderSettings;
}

}  // namespace

const DecoderLoaderSettings& decoderLoaderSettings() { return settings(); }

void setDecoderLogLevel(unsigned level) { settings().logLevel = level; }

void setDecoderTestMode(unsigned mode) { settings().testMode = mode; }

void setDecoderFlag(bool flag) { settings().flag = flag; }

void loaderLog(const char* format, ...) {
  if (settings().logLevel != decoderLogEverything) return;
  // Formatted here and written to the stream the rest of the program
  // prints its blocks to, so that the lines keep their order with them.
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  if (length > 0) {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<size_t>(length));
    std::cout << text;
  }
  va_end(again);
}

}  // namespace stereolint
