#include "sources/StillStream.h"

#include <utility>

#include "sources/PictureFile.h"

namespace stereolint {

namespace {

const StreamWords kStillWords{"image", "inputs", "Reading", "read", "input", false};

class StillStream final : public FrameStream {
 public:
  StillStream(std::string path, Picture picture)
      : file(std::move(path)), size(picture.pixels.size()), still(std::move(picture)) {}

  const StreamWords& words() const override { return kStillWords; }
  const std::string& path() const override { return file; }
  cv::Size pictureSize() const override { return size; }
  std::optional<std::int64_t> frameCountHint() const override { return 1; }
  bool countIsExact() const override { return true; }
  std::vector<std::string> remarks() const override { return still.remarks; }

  StreamRead read(StreamPicture& out) override {
    if (delivered) return StreamRead::end();
    delivered = true;
    out.picture = still.pixels;
    out.number = 1;
    // The stream keeps no reference once the picture is handed on.
    still.pixels.release();
    return StreamRead::picture();
  }

 private:
  std::string file;
  cv::Size size;
  Picture still;
  bool delivered = false;
};

}  // namespace

Expected<std::unique_ptr<FrameStream>> openStillStream(const std::string& path) {
  Expected<Picture> picture = readPictureFile(path);
  if (!picture) return picture.failure();
  return std::unique_ptr<FrameStream>(std::make_unique<StillStream>(path, std::move(*picture)));
}

}  // namespace stereolint
