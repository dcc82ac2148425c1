// The video codecs stereolint-correct writes (--codec), one table that
// feeds the option's parsing, its error message, the usage text and the
// manual page.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace stereolint::correct {

enum class VideoCodec { Ffv1, ProRes, H264 };

struct VideoCodecInfo {
  VideoCodec codec;
  const char* name;       // the --codec word
  const char* encoder;    // FFmpeg's encoder
  const char* container;  // the extension the usage suggests, without the dot
  const char* summary;    // what it writes, for the usage text
};

// In the order the usage lists them; FFV1 first, the default.
const std::vector<VideoCodecInfo>& videoCodecs();

const VideoCodecInfo& videoCodecInfo(VideoCodec codec);

// The codec of a --codec word (any letter case); nothing for another word.
std::optional<VideoCodec> videoCodecFromWord(const std::string& word);

// "ffv1, prores, h264"
std::string videoCodecWords();

}  // namespace stereolint::correct
