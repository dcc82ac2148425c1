#include "sources/VideoStream.h"

#include <cmath>
#include <optional>
#include <utility>

#include <opencv2/core.hpp>

#include "sources/BgrConverter.h"
#include "sources/VideoDecoder.h"
#include "sources/VideoFacts.h"
#include "util/StageTimes.h"

namespace stereolint {

namespace {

using libav::VideoDecoder;

const StreamWords kVideoWords{"video", "inputs", "Reading", "read", "input", true};

std::optional<cv::RotateFlags> rotationFor(int clockwiseDegrees) {
  switch (clockwiseDegrees) {
    case 90: return cv::ROTATE_90_CLOCKWISE;
    case 180: return cv::ROTATE_180;
    case 270: return cv::ROTATE_90_COUNTERCLOCKWISE;
    default: return std::nullopt;
  }
}

std::string turnRemark(const std::string& path, int clockwiseDegrees) {
  const std::string how = clockwiseDegrees == 180  ? "180 degrees"
                          : clockwiseDegrees == 90 ? "90 degrees clockwise"
                                                   : "90 degrees counterclockwise";
  return path + " is turned " + how + " as its rotation metadata asks";
}

class LibavVideoStream final : public VideoStream {
 public:
  LibavVideoStream(std::string path, std::unique_ptr<VideoDecoder> opened,
                   RotationMetadata metadata)
      : filePath(std::move(path)), decoder(std::move(opened)) {
    const AVStream& stream = decoder->stream();
    size = {stream.codecpar->width, stream.codecpar->height};
    count = libav::frameCountOf(decoder->format(), stream);
    // The container's own frame count (an MP4 sample table, an AVI index)
    // is taken at its word, as the image library's reader takes it; a count
    // from the duration is an estimate.
    counted = count && stream.nb_frames > 0;
    rate = libav::frameRateOf(stream);
    if (metadata == RotationMetadata::Apply) followRotation();
  }

  const StreamWords& words() const override { return kVideoWords; }
  const std::string& path() const override { return filePath; }
  cv::Size pictureSize() const override { return size; }
  std::optional<std::int64_t> frameCountHint() const override { return count; }
  bool countIsExact() const override { return counted; }
  std::optional<double> frameRate() const override { return rate; }
  std::vector<std::string> remarks() const override { return notes; }

  StreamRead read(StreamPicture& out) override {
    const timing::ScopedStage decoding(timing::Stage::Decoding);
    StreamRead next = advance(out);
    if (next.kind != StreamRead::Kind::Picture) return next;
    cv::Mat& target = rotation ? unturned : out.picture;
    if (!converter.convert(decoder->frame(), target)) {
      return StreamRead::failed(": FFmpeg cannot convert its pixels");
    }
    if (rotation) {
      libav::unshare(out.picture);
      cv::rotate(unturned, out.picture, *rotation);
    }
    return next;
  }

  // The codec still decodes the frame (later frames are built on it); only
  // the conversion into a picture is saved.
  StreamRead skip(StreamPicture& out) override { return readDecoded(out); }

  // Jumps when a key frame lies between the next frame and the target, so
  // that less is decoded than by going frame by frame; else skips frame by
  // frame. A jump lands on the target, placed by its timestamp as seekTo
  // places it (or on the first frame after it when the file lacks it).
  StreamRead skipAhead(std::int64_t pictures, std::int64_t& passed) override {
    const std::int64_t target = delivered + pictures + 1;
    if (pictures > 1 && count && target <= *count && keyFrameBetween(delivered + 1, target)) {
      const timing::ScopedStage decoding(timing::Stage::Decoding);
      switch (jump(target)) {
        case Jump::Landed:
          passed = pictures;
          return StreamRead::picture();
        case Jump::Lost:
          passed = 0;
          return StreamRead::failed(": FFmpeg cannot find frame " + std::to_string(target) +
                                    " by its timestamp");
        case Jump::Unmoved:
          break;
      }
    }
    return FrameStream::skipAhead(pictures, passed);
  }

  bool seekTo(std::int64_t frameNumber) override;

  bool turnsPictures() const override { return rotation.has_value(); }

  StreamRead readDecoded(StreamPicture& out) override {
    const timing::ScopedStage decoding(timing::Stage::Decoding);
    out.picture.release();
    return advance(out);
  }

  const AVFrame& decodedFrame() const override { return decoder->frame(); }

  // Decodes the first frame, which then waits for read(), and takes the
  // picture size from it: the codec parameters hold the size of the last
  // frame the probe saw, which differs when the size changes mid-stream.
  void decodeFirstFrame() {
    waiting = decoder->next();
    if (*waiting != VideoDecoder::Outcome::Frame) return;
    const AVFrame& first = decoder->frame();
    if (first.width <= 0 || first.height <= 0) return;
    size = {first.width, first.height};
    if (rotation && *rotation != cv::ROTATE_180) size = {size.height, size.width};
  }

  // When the headers give no frame count: true if the stream holds no
  // frame at all.
  bool provesEmpty() const { return !count && waiting == VideoDecoder::Outcome::End; }

 private:
  // Turns the pictures as the display matrix asks, and says so.
  void followRotation() {
    const std::optional<int> turn = libav::clockwiseTurnOf(decoder->stream());
    if (!turn) {
      notes.push_back(filePath +
                      " asks to be turned by an angle that is no quarter turn; "
                      "its pictures are taken as stored");
    } else if ((rotation = rotationFor(*turn))) {
      notes.push_back(turnRemark(filePath, *turn));
      if (*turn != 180) size = {size.height, size.width};
    }
  }

  enum class Jump {
    Landed,   // the target (or the first frame after it) waits for read()
    Unmoved,  // the file cannot seek or place frames; nothing changed
    Lost,     // the seek went through, but no frame at or after the target came
  };
  // Seeks to the key frame before frame `frameNumber` (1-based) and decodes
  // up to it.
  Jump jump(std::int64_t frameNumber);
  // The timestamp of frame `frameNumber` (1-based) by the declared rate.
  std::int64_t timestampOf(std::int64_t frameNumber) const;
  // True when the file's index holds a key frame after frame `next` and at
  // or before frame `target`: jumping there decodes less than going on.
  bool keyFrameBetween(std::int64_t next, std::int64_t target) const;

  // Decodes the next frame unless opening or seekTo left one waiting, and
  // numbers it.
  StreamRead advance(StreamPicture& out);
  // The 0-based place of a decoded frame in the stream, by its timestamp.
  std::optional<std::int64_t> placeOf(const AVFrame& frame) const;

  std::string filePath;
  std::unique_ptr<VideoDecoder> decoder;
  cv::Size size;
  std::optional<std::int64_t> count;
  bool counted = false;
  std::optional<double> rate;
  std::optional<cv::RotateFlags> rotation;
  std::vector<std::string> notes;
  libav::BgrConverter converter;
  cv::Mat unturned;            // the converted frame before turning, reused
  std::int64_t delivered = 0;  // the number of the last frame given
  // What the decoder gave that read() has not taken yet: a frame decoded
  // ahead by opening or seekTo, or the end or failure found there.
  std::optional<VideoDecoder::Outcome> waiting;
};

StreamRead LibavVideoStream::advance(StreamPicture& out) {
  const auto outcome = waiting ? *waiting : decoder->next();
  waiting.reset();
  if (outcome == VideoDecoder::Outcome::End) return StreamRead::end();
  if (outcome == VideoDecoder::Outcome::Failed) {
    return StreamRead::failed(": " + decoder->reason());
  }
  out.number = ++delivered;
  return StreamRead::picture();
}

std::optional<std::int64_t> LibavVideoStream::placeOf(const AVFrame& frame) const {
  const AVStream& stream = decoder->stream();
  if (!rate || frame.best_effort_timestamp == AV_NOPTS_VALUE) return std::nullopt;
  const std::int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
  const double seconds =
      static_cast<double>(frame.best_effort_timestamp - start) * av_q2d(stream.time_base);
  return static_cast<std::int64_t>(std::llround(seconds * *rate));
}

std::int64_t LibavVideoStream::timestampOf(std::int64_t frameNumber) const {
  const AVStream& stream = decoder->stream();
  const std::int64_t start = stream.start_time == AV_NOPTS_VALUE ? 0 : stream.start_time;
  const double seconds = static_cast<double>(frameNumber - 1) / *rate;
  return start + static_cast<std::int64_t>(std::llround(seconds / av_q2d(stream.time_base)));
}

bool LibavVideoStream::keyFrameBetween(std::int64_t next, std::int64_t target) const {
  if (!rate || decoder->stream().time_base.num <= 0) return false;
  const std::optional<std::int64_t> key = decoder->keyFrameAtOrBefore(timestampOf(target));
  return key && *key > timestampOf(next);
}

LibavVideoStream::Jump LibavVideoStream::jump(std::int64_t frameNumber) {
  if (!rate || frameNumber < 1 || decoder->stream().time_base.num <= 0) return Jump::Unmoved;
  if (!decoder->seekBefore(timestampOf(frameNumber))) return Jump::Unmoved;
  waiting.reset();
  for (;;) {
    if (decoder->next() != VideoDecoder::Outcome::Frame) return Jump::Lost;
    const auto place = placeOf(decoder->frame());
    if (!place) return Jump::Lost;
    if (*place + 1 >= frameNumber) {
      delivered = *place;
      waiting = VideoDecoder::Outcome::Frame;
      return Jump::Landed;
    }
  }
}

bool LibavVideoStream::seekTo(std::int64_t frameNumber) {
  return jump(frameNumber) == Jump::Landed && delivered + 1 == frameNumber;
}

}  // namespace

Expected<std::unique_ptr<FrameStream>> openVideoStream(const std::string& path,
                                                       RotationMetadata rotation) {
  auto decoder = VideoDecoder::open(path);
  if (!decoder) return decoder.failure();
  auto stream = std::make_unique<LibavVideoStream>(path, std::move(decoder.value()), rotation);
  stream->decodeFirstFrame();
  // A file whose headers count no frame and that holds none (a writer
  // closed before its first frame) is refused here; one that counts frames
  // it does not hold is left to the reading, which reports the early end.
  if (stream->provesEmpty()) return Failure{"The video " + path + " reports no frames", "input"};
  return std::unique_ptr<FrameStream>(std::move(stream));
}

Expected<std::unique_ptr<FrameStream>> openVideoStream(const std::string& path) {
  return openVideoStream(path, RotationMetadata::Apply);
}

}  // namespace stereolint
