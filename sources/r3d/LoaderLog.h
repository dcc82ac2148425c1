// The three process-wide settings of the decoder loader, and its log.
//
// All three settings start at 0 and Stereolint itself never changes them, so
// the loader is silent in normal use. They are read by the next
// loadDecoderLibrary call (and handed to the library in its settings).
#pragma once

namespace stereolint {

struct DecoderLoaderSettings {
  // The loader prints its log lines only when this is 0xFF.
  unsigned logLevel = 0;
  // 1: bind export groups of modules whose major.minor versions differ;
  // 2: do not follow a library's redirect to a further folder. Any other
  // value changes nothing in the loader.
  unsigned testMode = 0;
  // Not used by the loader itself; handed to the library as 0 or 1.
  bool flag = false;
};

const DecoderLoaderSettings& decoderLoaderSettings();
void setDecoderLogLevel(unsigned level);
void setDecoderTestMode(unsigned mode);
void setDecoderFlag(bool flag);

// The log level at which the loader prints.
constexpr unsigned decoderLogEverything = 0xFF;

// Prints one printf-formatted piece of a log line to standard output when
// the log level is 0xFF; nothing otherwise. The texts carry their own line
// ends, so a line may be printed in several pieces.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
void loaderLog(const char* format, ...);

}  // namespace stereolint
