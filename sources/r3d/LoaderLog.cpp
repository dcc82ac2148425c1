#include "sources/r3d/LoaderLog.h"

#include <cstdarg>
#include <cstdio>

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
  va_list arguments;
  va_start(arguments, format);
  std::vprintf(format, arguments);
  va_end(arguments);
}

}  // namespace stereolint
