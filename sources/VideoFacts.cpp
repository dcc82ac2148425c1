#include "sources/VideoFacts.h"

#include <cmath>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

namespace stereolint::libav {

namespace {

std::optional<double> positiveRate(AVRational rate) {
  if (rate.num <= 0 || rate.den <= 0) return std::nullopt;
  const double value = av_q2d(rate);
  if (!std::isfinite(value) || value <= 0.0) return std::nullopt;
  return value;
}

// The duration in seconds: the file's, else the video stream's own. The
// file's comes first, as the image library's video reader takes it, so
// that the frame count a run shows stays the same.
std::optional<double> durationSeconds(const AVFormatContext& file, const AVStream& stream) {
  if (file.duration != AV_NOPTS_VALUE && file.duration > 0) {
    return static_cast<double>(file.duration) / AV_TIME_BASE;
  }
  if (stream.duration != AV_NOPTS_VALUE && stream.duration > 0 && stream.time_base.den > 0) {
    return static_cast<double>(stream.duration) * av_q2d(stream.time_base);
  }
  return std::nullopt;
}

std::optional<std::int64_t> believableCount(double count) {
  // Computed in double so that a huge duration cannot wrap an integer.
  if (!std::isfinite(count)) return std::nullopt;
  const double rounded = std::round(count);
  if (rounded < 1.0 || rounded > static_cast<double>(kMostFramesBelieved)) return std::nullopt;
  return static_cast<std::int64_t>(rounded);
}

const std::int32_t* displayMatrixOf(const AVStream& stream) {
#if LIBAVFORMAT_VERSION_INT >= AV_VERSION_INT(60, 15, 100)
  const AVPacketSideData* data =
      av_packet_side_data_get(stream.codecpar->coded_side_data, stream.codecpar->nb_coded_side_data,
                              AV_PKT_DATA_DISPLAYMATRIX);
  if (data == nullptr || data->size < 9 * sizeof(std::int32_t)) return nullptr;
  return reinterpret_cast<const std::int32_t*>(data->data);
#else
  size_t size = 0;
  const std::uint8_t* data = av_stream_get_side_data(&stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
  if (data == nullptr || size < 9 * sizeof(std::int32_t)) return nullptr;
  return reinterpret_cast<const std::int32_t*>(data);
#endif
}

}  // namespace

std::optional<double> frameRateOf(const AVStream& stream) {
  if (auto average = positiveRate(stream.avg_frame_rate)) return average;
  return positiveRate(stream.r_frame_rate);
}

std::optional<std::int64_t> frameCountOf(const AVFormatContext& file, const AVStream& stream) {
  if (stream.nb_frames > 0) return believableCount(static_cast<double>(stream.nb_frames));
  const auto seconds = durationSeconds(file, stream);
  const auto rate = frameRateOf(stream);
  if (!seconds || !rate) return std::nullopt;
  return believableCount(*seconds * *rate);
}

std::optional<int> clockwiseTurnOf(const AVStream& stream) {
  const std::int32_t* matrix = displayMatrixOf(stream);
  if (matrix == nullptr) return 0;
  // The matrix's angle counts counterclockwise, and FFmpeg's own player
  // turns the pictures by its opposite; so does this reader.
  const double angle = -av_display_rotation_get(matrix);
  if (!std::isfinite(angle)) return std::nullopt;
  const double quarters = std::round(angle / 90.0);
  if (std::abs(angle - quarters * 90.0) > 1.0) return std::nullopt;
  const int turn = static_cast<int>(quarters) % 4 * 90;
  return turn < 0 ? turn + 360 : turn;
}

}  // namespace stereolint::libav
