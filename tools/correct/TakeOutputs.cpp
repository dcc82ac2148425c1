#include "tools/correct/TakeOutputs.h"

#include <filesystem>
#include <fstream>

#include "util/Paths.h"

namespace stereolint::correct {

namespace fs = std::filesystem;

namespace {

const char* const kPartial = ".partial";

class VideoOutput : public TakeOutput {
 public:
  VideoOutput(std::string path, VideoCodec codec, double rate, int threads)
      : path(std::move(path)), codec(codec), rate(rate), threads(threads) {}
  ~VideoOutput() override { abandon(); }

  std::optional<std::string> add(const OutputPicture& picture) override {
    if (!opened) {
      opened = true;
      const cv::Size size = picture.planes ? picture.planes->size() : picture.pixels.size();
      VideoSettings settings;
      settings.codec = codec;
      settings.size = size;
      settings.deep = picture.pixels.depth() == CV_16U;
      settings.rate = rate;
      settings.threads = threads;
      settings.nameForContainer = path;
      if (picture.planes) settings.planes = picture.planes->layout;
      if (auto problem = video.open(path + kPartial, settings)) return path + ": " + *problem;
    }
    const auto problem = picture.planes ? video.write(*picture.planes) : video.write(picture.pixels);
    if (problem) return path + ": " + *problem;
    return std::nullopt;
  }

  std::optional<std::string> finish() override {
    if (!opened) return std::nullopt;
    if (auto problem = video.finish()) return path + ": " + *problem;
    std::error_code error;
    fs::rename(path + kPartial, path, error);
    if (error) return "cannot name " + path + ": " + error.message();
    done = true;
    return std::nullopt;
  }

  void abandon() override {
    if (!opened || done) return;
    std::error_code ignored;
    fs::remove(path + kPartial, ignored);
    done = true;
  }

  const std::string& name() const override { return path; }

 private:
  std::string path;
  VideoCodec codec;
  double rate;
  int threads;
  VideoWriter video;
  bool opened = false;
  bool done = false;
};

class PictureOutput : public TakeOutput {
 public:
  explicit PictureOutput(std::string path) : path(std::move(path)) {}

  std::optional<std::string> add(const OutputPicture& picture) override {
    if (written) return std::nullopt;
    written = true;
    PictureFormat format = picture.format;
    if (fileExtension(path) != format.extension) {
      format = PictureFormat{fileExtension(path), picture.pixels.depth() == CV_16U ? 16 : 8, false};
    }
    cv::Mat pixels = picture.pixels;
    // Float samples of linear light go into EXR only.
    if (pixels.depth() == CV_32F && !format.isFloat()) return path + ": name it .exr, as the input";
    const Expected<std::vector<unsigned char>> bytes = encodePicture(pixels, format);
    if (!bytes) return path + ": " + bytes.error();
    return writeWholeFile(path, bytes.value());
  }
  std::optional<std::string> finish() override { return std::nullopt; }
  void abandon() override {}
  const std::string& name() const override { return path; }

 private:
  std::string path;
  bool written = false;
};

class SequenceOutput : public TakeOutput {
 public:
  explicit SequenceOutput(std::string folder) : folder(std::move(folder)) {}

  std::optional<std::string> add(const OutputPicture& picture) override {
    if (!made) {
      std::error_code error;
      fs::create_directories(folder, error);
      if (error) return "cannot make the folder " + folder + ": " + error.message();
      made = true;
    }
    const std::string path = (fs::path(folder) / fs::path(picture.sourcePath).filename()).string();
    const Expected<std::vector<unsigned char>> bytes =
        encodePicture(picture.pixels, picture.format);
    if (!bytes) return path + ": " + bytes.error();
    return writeWholeFile(path, bytes.value());
  }
  std::optional<std::string> finish() override { return std::nullopt; }
  void abandon() override {}
  const std::string& name() const override { return folder; }

 private:
  std::string folder;
  bool made = false;
};

}  // namespace

std::unique_ptr<TakeOutput> videoOutput(const std::string& path, VideoCodec codec, double rate,
                                        int threads) {
  return std::make_unique<VideoOutput>(path, codec, rate, threads);
}

std::unique_ptr<TakeOutput> pictureOutput(const std::string& path) {
  return std::make_unique<PictureOutput>(path);
}

std::unique_ptr<TakeOutput> sequenceOutput(const std::string& folder) {
  return std::make_unique<SequenceOutput>(folder);
}

std::optional<std::string> writeWholeFile(const std::string& path,
                                          const std::vector<unsigned char>& bytes) {
  const std::string partial = path + kPartial;
  {
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::error_code ignored;
      fs::remove(partial, ignored);
      return "cannot write " + path;
    }
  }
  std::error_code error;
  fs::rename(partial, path, error);
  if (error) return "cannot name " + path + ": " + error.message();
  return std::nullopt;
}

}  // namespace stereolint::correct
