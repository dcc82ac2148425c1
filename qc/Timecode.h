// SMPTE timecode (HH:MM:SS:FF, non-drop) of frame numbers.
//
// The timecode counts whole frames at the nominal rate: the frame rate
// rounded to a whole number, so 23.976 fps counts 24 frames per timecode
// second and 29.97 fps counts 30 (as non-drop timecode does; such timecode
// runs slightly slower than the wall clock). The take's first frame (frame
// 1, or the first file's number of an image sequence, 0 included) is at the
// start timecode. Past 23:59:59:FF the hours wrap to 00.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "util/Expected.h"

namespace stereolint::qc {

class Timecode {
 public:
  // No rate: frames have no timecode.
  Timecode() = default;
  // `nominalRate` frames per timecode second (at least 1); `startFrames`
  // the frame count of the start timecode, the timecode of frame
  // `firstFrame`.
  Timecode(int nominalRate, long startFrames, long firstFrame = 1);

  bool known() const { return rate > 0; }
  int nominalRate() const { return rate; }
  long startFrames() const { return start; }
  long firstFrame() const { return first; }
  // The timecode of frame `frame` (at or after the first frame); empty
  // without a rate.
  std::optional<std::string> of(int frame) const;

 private:
  int rate = 0;
  long start = 0;
  long first = 1;
};

// A frame rate as written: "25", "23.976", "24000/1001". Refused with the
// reason: not a number, not above 0, above 1000.
Expected<double> parseFrameRate(std::string_view text);

// The whole frames per timecode second of a rate: round(rate), at least 1.
int nominalRate(double framesPerSecond);

// "HH:MM:SS:FF" as a frame count at `nominalRate`. Refused with an example:
// another form, minutes or seconds above 59, hours above 23, frames not below
// the rate.
Expected<long> parseTimecode(std::string_view text, int nominalRate);

// The timecode of a frame count, "HH:MM:SS:FF".
std::string formatTimecode(long frames, int nominalRate);

// The timecode of a run: no rate gives none; a start text without a rate is
// refused ("a start timecode needs a frame rate"); an empty start text is
// 00:00:00:00. `firstFrame` is the number of the take's first frame.
Expected<Timecode> makeTimecode(std::optional<double> framesPerSecond, std::string_view startText,
                                long firstFrame = 1);

}  // namespace stereolint::qc
