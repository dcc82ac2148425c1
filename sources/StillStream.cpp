#include "sources/StillStream.h"

#include <opencv2/imgcodecs.hpp>

#include "sources/TruncatedImage.h"
#include "util/StageTimes.h"

namespace stereolint {

namespace {

const StreamWords kStillWords{"image", "inputs", "Reading", "read", "input", false};

class StillStream : public FrameStream {
 public:
  StillStream(std::string path, cv::Mat picture)
      : file(std::move(path)), picture(std::move(picture)) {}

  const StreamWords& words() const override { return kStillWords; }
  const std::string& path() const override { return file; }
  cv::Size pictureSize() const override { return picture.size(); }
  std::optional<std::int64_t> frameCountHint() const override { return 1; }
  bool countIsExact() const override { return true; }

  StreamRead read(StreamPicture& out) override {
    if (delivered) return StreamRead::end();
    delivered = true;
    out.picture = picture;
    out.number = 1;
    return StreamRead::picture();
  }

 private:
  std::string file;
  cv::Mat picture;
  bool delivered = false;
};

}  // namespace

Expected<std::unique_ptr<FrameStream>> openStillStream(const std::string& path) {
  const std::string failure = "Cannot read the image " + path;
  if (isTruncatedImage(path)) return Failure{failure + ": the file is truncated", "input"};
  // Pictures are taken as stored: turning them by their EXIF orientation
  // would move the views of a stereo frame out of their halves.
  const int flags = cv::IMREAD_ANYCOLOR | cv::IMREAD_IGNORE_ORIENTATION;
  cv::Mat picture;
  try {
    const timing::ScopedStage decoding(timing::Stage::Decoding);
    picture = cv::imread(path, flags);
  } catch (const cv::Exception& error) {
    // A header that claims more pixels than the image library is set to
    // read (OPENCV_IO_MAX_IMAGE_PIXELS) raises an error instead of giving
    // an empty picture.
    return Failure{failure + ": the image library refuses it (" + error.err + ")", "input"};
  }
  if (picture.empty()) return Failure{failure, "input"};
  return std::unique_ptr<FrameStream>(std::make_unique<StillStream>(path, picture));
}

}  // namespace stereolint
