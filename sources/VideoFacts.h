// What a video stream's headers say about it, read once when the file opens:
// how many frames it holds, how fast they go and how players turn them.
#pragma once

#include <cstdint>
#include <optional>

struct AVFormatContext;
struct AVStream;

namespace stereolint::libav {

// A frame count beyond this is no count but a broken header, and is dropped.
constexpr std::int64_t kMostFramesBelieved = 1000000000;

// Frames per second: the stream's average frame rate, else its base rate
// (r_frame_rate); nothing when neither is a positive, finite number.
std::optional<double> frameRateOf(const AVStream& stream);

// How many frames the stream holds by its headers: its frame count
// (nb_frames), else its duration (the file's, else the stream's) times its
// frame rate, rounded. Nothing when the headers say neither, or say
// something that is not a count: zero, negative, not finite, or more than
// kMostFramesBelieved. Only a hint: a file can hold more or fewer frames.
std::optional<std::int64_t> frameCountOf(const AVFormatContext& file, const AVStream& stream);

// How far players turn the stream's pictures, clockwise, in degrees, as its
// display matrix asks: 0, 90, 180 or 270, rounded to the nearest; nothing
// when the matrix turns by an angle that is not within a degree of a right
// angle. A stream without a display matrix gives 0. A mirroring in the
// matrix is not applied.
std::optional<int> clockwiseTurnOf(const AVStream& stream);

}  // namespace stereolint::libav
