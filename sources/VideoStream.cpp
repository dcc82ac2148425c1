#include "sources/VideoStream.h"

#include <opencv2/videoio.hpp>

#include "platform/Platform.h"
#include "util/StageTimes.h"

namespace stereolint {

namespace {

const StreamWords kVideoWords{"video", "inputs", "Reading", "read", "input", true};

class CaptureStream : public FrameStream {
 public:
  CaptureStream(std::string path, std::unique_ptr<cv::VideoCapture> capture)
      : file(std::move(path)),
        capture(std::move(capture)),
        size(static_cast<int>(this->capture->get(cv::CAP_PROP_FRAME_WIDTH)),
             static_cast<int>(this->capture->get(cv::CAP_PROP_FRAME_HEIGHT))),
        count(static_cast<int>(this->capture->get(cv::CAP_PROP_FRAME_COUNT))) {}

  const StreamWords& words() const override { return kVideoWords; }
  const std::string& path() const override { return file; }
  cv::Size pictureSize() const override { return size; }
  std::optional<std::int64_t> frameCountHint() const override { return count; }
  bool countIsExact() const override { return true; }

  StreamRead read(StreamPicture& out) override {
    const timing::ScopedStage decoding(timing::Stage::Decoding);
    if (!capture->read(out.picture)) return StreamRead::end();
    out.number = ++position;
    return StreamRead::picture();
  }

 private:
  std::string file;
  std::unique_ptr<cv::VideoCapture> capture;
  cv::Size size;
  int count;
  int position = 0;
};

}  // namespace

Expected<std::unique_ptr<FrameStream>> openVideoStream(const std::string& path) {
  // FFmpeg reports a file it cannot read on standard error in its own words;
  // the failure here says it in ours, so FFmpeg stays quiet unless the user
  // asks for its log.
  platform::setEnvironmentDefault("OPENCV_FFMPEG_LOGLEVEL", "-8");
  auto capture = std::make_unique<cv::VideoCapture>();
  if (!capture->open(path, cv::CAP_FFMPEG)) return Failure{"Cannot open the video " + path, "input"};
  // Frames are taken as stored, as pictures are.
  capture->set(cv::CAP_PROP_ORIENTATION_AUTO, 0);
  auto stream = std::make_unique<CaptureStream>(path, std::move(capture));
  if (stream->frameCountHint().value_or(0) <= 0) {
    return Failure{"The video " + path + " reports no frames", "input"};
  }
  return std::unique_ptr<FrameStream>(std::move(stream));
}

}  // namespace stereolint
