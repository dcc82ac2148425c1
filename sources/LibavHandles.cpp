#include "sources/LibavHandles.h"

#include <cstdlib>
#include <mutex>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace stereolint::libav {

std::string errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av_strerror(code, text, sizeof text) < 0) return "error " + std::to_string(code);
  return text;
}

void settleLogLevel() {
  static std::once_flag settled;
  std::call_once(settled, [] {
    // A file FFmpeg cannot read is reported to the user in the run's own
    // words; FFmpeg's lines on standard error would only repeat it, and the
    // scaler's remarks about alignment mean nothing to the user.
    int level = AV_LOG_QUIET;
    if (const char* asked = std::getenv("STEREOLINT_FFMPEG_LOG")) {
      char* end = nullptr;
      const long number = std::strtol(asked, &end, 10);
      if (end != asked && *end == '\0' && number >= AV_LOG_QUIET && number <= AV_LOG_TRACE) {
        level = static_cast<int>(number);
      }
    }
    av_log_set_level(level);
  });
}

}  // namespace stereolint::libav
