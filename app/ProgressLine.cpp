#include "app/ProgressLine.h"

#include <algorithm>
#include <cstdio>

#include "platform/Platform.h"

namespace stereolint {

void ProgressLine::start(int frames, int frameSelection) {
  selected = frameSelection;
  enabled = platform::standardErrorIsTerminal();
  shown = false;
  total = frames;
  read = 0;
  analysed = 0;
  startMs = platform::monotonicMilliseconds();
  lastDrawMs = 0;
}

void ProgressLine::clear() {
  if (!shown) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown = false;
}

void ProgressLine::finish() {
  clear();
  enabled = false;
}

void ProgressLine::draw() {
  if (!enabled) return;
  const std::int64_t now = platform::monotonicMilliseconds();
  // A few redraws a second are enough to read; more would only flicker.
  if (shown && now - lastDrawMs < 200 && read < total) return;
  lastDrawMs = now;
  const double seconds = static_cast<double>(now - startMs) / 1000.0;
  const double readRate = seconds > 0 ? read / seconds : 0.0;
  const double analysedRate = seconds > 0 ? analysed / seconds : 0.0;
  // The run ends when the slower of reading and analysing is through: the
  // frames left to read at the reading rate, the selected frames left to
  // analyse at the analysing rate.
  const double readLeft = readRate > 0 ? (total - read) / readRate : 0.0;
  const double analyseLeft = analysedRate > 0 ? (selected - analysed) / analysedRate : 0.0;
  const double left = std::max(readLeft, analyseLeft);
  std::fprintf(stderr, "\r\033[Kframe %d / %d read, %d analysed, %.1f frames/s, about %.0f s left",
               read, total, analysed, analysedRate, left);
  std::fflush(stderr);
  shown = true;
}

}  // namespace stereolint
