#include "qc/Timecode.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstdio>

namespace stereolint::qc {

namespace {

constexpr long kSecondsPerDay = 24L * 60 * 60;

std::optional<double> readNumber(std::string_view text) {
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
      !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<int> readTwoDigits(std::string_view text) {
  if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9')
    return std::nullopt;
  return (text[0] - '0') * 10 + (text[1] - '0');
}

}  // namespace

Timecode::Timecode(int nominalRate, long startFrames, long firstFrame)
    : rate(nominalRate), start(startFrames), first(firstFrame) {}

std::optional<std::string> Timecode::of(int frame) const {
  if (rate <= 0) return std::nullopt;
  return formatTimecode(start + frame - first, rate);
}

Expected<double> parseFrameRate(std::string_view text) {
  const size_t slash = text.find('/');
  std::optional<double> rate;
  if (slash == std::string_view::npos) {
    rate = readNumber(text);
  } else {
    const auto numerator = readNumber(text.substr(0, slash));
    const auto denominator = readNumber(text.substr(slash + 1));
    if (numerator && denominator && *denominator != 0) rate = *numerator / *denominator;
  }
  if (!rate)
    return Failure{"Cannot read the frame rate \"" + std::string(text) +
                   "\"; write frames per second, e.g. 25, 23.976 or 24000/1001"};
  if (!(*rate > 0) || *rate > 1000)
    return Failure{"The frame rate \"" + std::string(text) + "\" is not between 0 and 1000"};
  return *rate;
}

int nominalRate(double framesPerSecond) {
  return std::max(1, static_cast<int>(std::lround(framesPerSecond)));
}

Expected<long> parseTimecode(std::string_view text, int rate) {
  const std::string example = "; write HH:MM:SS:FF, e.g. 01:00:00:00";
  if (text.size() != 11 || text[2] != ':' || text[5] != ':' || text[8] != ':')
    return Failure{"Cannot read the timecode \"" + std::string(text) + "\"" + example};
  const auto hours = readTwoDigits(text.substr(0, 2));
  const auto minutes = readTwoDigits(text.substr(3, 2));
  const auto seconds = readTwoDigits(text.substr(6, 2));
  const auto frames = readTwoDigits(text.substr(9, 2));
  if (!hours || !minutes || !seconds || !frames)
    return Failure{"Cannot read the timecode \"" + std::string(text) + "\"" + example};
  if (*hours > 23 || *minutes > 59 || *seconds > 59)
    return Failure{"The timecode \"" + std::string(text) + "\" is no time of day" + example};
  if (*frames >= rate)
    return Failure{"The timecode \"" + std::string(text) + "\" counts frame " +
                   std::to_string(*frames) + " of a second of " + std::to_string(rate) +
                   " frames (00 to " + std::to_string(rate - 1) + ")"};
  return ((*hours * 60L + *minutes) * 60L + *seconds) * rate + *frames;
}

std::string formatTimecode(long frames, int rate) {
  const long perDay = kSecondsPerDay * rate;
  const long wrapped = ((frames % perDay) + perDay) % perDay;
  const long seconds = wrapped / rate;
  char text[96];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                seconds % 60, wrapped % rate);
  return text;
}

Expected<Timecode> makeTimecode(std::optional<double> framesPerSecond, std::string_view startText,
                                long firstFrame) {
  if (!framesPerSecond) {
    if (!startText.empty())
      return Failure{"A start timecode needs a frame rate: give the frame rate for stills and "
                     "picture sequences"};
    return Timecode();
  }
  const int rate = nominalRate(*framesPerSecond);
  if (startText.empty()) return Timecode(rate, 0, firstFrame);
  Expected<long> start = parseTimecode(startText, rate);
  if (!start) return Failure{start.error()};
  return Timecode(rate, start.value(), firstFrame);
}

}  // namespace stereolint::qc
