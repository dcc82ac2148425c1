#include "app/ProgressLine.h"

#include <algorithm>
#include <cstdio>

#include "platform/Platform.h"

namespace stereolint {

void ProgressLine::start(int frames, int frameSelection, int lastRead) {
  selected = frameSelection;
  last = lastRead;
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

double secondsLeft(const ProgressCounts& counts, double seconds) {
  if (seconds <= 0) return 0.0;
  // While selected frames are left, they set the pace: reading waits for
  // the workers, so the reading rate would count every frame read as one to
  // analyse. Frames outside the selection are only decoded; once the
  // selection is through, what is left is reading.
  if (counts.selected > counts.analysed) {
    const double analysedRate = counts.analysed / seconds;
    return analysedRate > 0 ? (counts.selected - counts.analysed) / analysedRate : 0.0;
  }
  const double readRate = counts.read / seconds;
  const int end = std::min(counts.total, counts.last);
  return readRate > 0 ? std::max(0, end - counts.read) / readRate : 0.0;
}

void ProgressLine::draw() {
  if (!enabled) return;
  const std::int64_t now = platform::monotonicMilliseconds();
  // A few redraws a second are enough to read; more would only flicker.
  if (shown && now - lastDrawMs < 200 && read < total) return;
  lastDrawMs = now;
  const double seconds = static_cast<double>(now - startMs) / 1000.0;
  const double analysedRate = seconds > 0 ? analysed / seconds : 0.0;
  const double left = secondsLeft({total, selected, read, analysed, last}, seconds);
  std::fprintf(stderr, "\r\033[Kframe %d / %d read, %d analysed, %.1f frames/s, about %.0f s left",
               read, total, analysed, analysedRate, left);
  std::fflush(stderr);
  shown = true;
}

}  // namespace stereolint
