#include "tools/correct/VideoCodecs.h"

#include "util/Words.h"

namespace stereolint::correct {

const std::vector<VideoCodecInfo>& videoCodecs() {
  static const std::vector<VideoCodecInfo> codecs = {
      {VideoCodec::Ffv1, "ffv1", "ffv1", "mkv",
       "lossless; 8-bit Y'CbCr video keeps its own sampling, other input RGB of 8 bits or 16 "
       "(the default; .mkv)"},
      {VideoCodec::ProRes, "prores", "prores_ks", "mov",
       "ProRes 422 HQ, 10-bit 4:2:2, Rec. 709 (.mov)"},
      {VideoCodec::H264, "h264", "libx264", "mp4",
       "H.264 High, 8-bit 4:2:0, Rec. 709, quality 16 (.mp4)"},
  };
  return codecs;
}

const VideoCodecInfo& videoCodecInfo(VideoCodec codec) {
  for (const VideoCodecInfo& info : videoCodecs())
    if (info.codec == codec) return info;
  return videoCodecs().front();
}

std::optional<VideoCodec> videoCodecFromWord(const std::string& word) {
  for (const VideoCodecInfo& info : videoCodecs())
    if (equalIgnoringCase(word, info.name)) return info.codec;
  return std::nullopt;
}

std::string videoCodecWords() {
  std::string words;
  for (const VideoCodecInfo& info : videoCodecs())
    words += (words.empty() ? "" : ", ") + std::string(info.name);
  return words;
}

}  // namespace stereolint::correct
