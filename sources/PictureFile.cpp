#include "sources/PictureFile.h"

#include <algorithm>

#include <opencv2/imgcodecs.hpp>

#include "platform/Platform.h"
#include "sources/PictureDepth.h"
#include "sources/PictureLibav.h"
#include "sources/PictureOrientation.h"
#include "sources/TruncatedImage.h"
#include "util/Constants.h"
#include "util/Paths.h"
#include "util/StageTimes.h"

namespace stereolint {

namespace {

std::string knownExtensions() {
  std::string list;
  for (const std::string& extension : pictureExtensions()) {
    list += (list.empty() ? "" : ", ") + extension;
  }
  return list;
}

// The image library reads EXR files only when this variable is set before
// its first use; a user's own setting wins.
void enableExr() {
  static const bool enabled = [] {
    platform::setEnvironmentDefault("OPENCV_IO_ENABLE_OPENEXR", "1");
    return true;
  }();
  static_cast<void>(enabled);
}

Expected<cv::Mat> readWithImageLibrary(const std::string& path) {
  const std::string failure = "Cannot read the image " + path;
  // A missing file is told apart here: the image library would complain
  // about it on standard error.
  if (!fileExists(path)) return Failure{failure, "input"};
  if (isTruncatedImage(path)) return Failure{failure + ": the file is truncated", "input"};
  enableExr();
  // Unchanged: every channel and the stored sample kind; the orientation
  // is applied below, where it can be told to the user.
  cv::Mat picture;
  try {
    picture = cv::imread(path, cv::IMREAD_UNCHANGED);
  } catch (const cv::Exception& error) {
    // A header that claims more pixels than the image library is set to
    // read (OPENCV_IO_MAX_IMAGE_PIXELS) raises an error instead of giving
    // an empty picture.
    return Failure{failure + ": the image library refuses it (" + error.err + ")", "input"};
  }
  if (picture.empty()) return Failure{failure, "input"};
  return picture;
}

// Channels as the checkers take them: grey with alpha keeps its grey.
Expected<cv::Mat> supportedChannels(const cv::Mat& picture, const std::string& path) {
  if (picture.channels() == 1 || picture.channels() == 3 || picture.channels() == 4) {
    return picture;
  }
  if (picture.channels() == 2) {
    cv::Mat grey;
    cv::extractChannel(picture, grey, 0);
    return grey;
  }
  return Failure{"Cannot read the image " + path + ": it has " +
                 std::to_string(picture.channels()) + " channels", "input"};
}

Expected<Picture> readPicture(const std::string& path, const std::string& extension) {
  Expected<cv::Mat> stored =
      extension == "DPX" ? decodeDpxFile(path) : readWithImageLibrary(path);
  if (!stored) return stored.failure();
  Picture picture;
  Expected<cv::Mat> channels = supportedChannels(*stored, path);
  if (!channels) return channels.failure();
  Expected<cv::Mat> samples = toCheckerDepth(*channels, path, picture.remarks);
  if (!samples) return samples.failure();
  picture.pixels = *samples;
  if (extension == "JPG" || extension == "JPEG") {
    const int orientation = jpegOrientation(path);
    if (orientation != 1) {
      picture.pixels = applyOrientation(picture.pixels, orientation);
      picture.remarks.push_back(path + " is turned as its EXIF orientation " +
                                std::to_string(orientation) + " asks");
    }
  }
  return picture;
}

}  // namespace

const std::vector<std::string>& pictureExtensions() {
  return constants().imageExtensions;
}

bool hasPictureExtension(const std::string& path) {
  const std::string extension = fileExtension(path);
  const auto& known = pictureExtensions();
  return std::find(known.begin(), known.end(), extension) != known.end();
}

Expected<Picture> readPictureFile(const std::string& path) {
  if (!hasPictureExtension(path)) {
    return Failure{"Cannot read the image " + path + ": its extension is none of " +
                   knownExtensions(), "input"};
  }
  const timing::ScopedStage decoding(timing::Stage::Decoding);
  try {
    return readPicture(path, fileExtension(path));
  } catch (const cv::Exception& error) {
    return Failure{"Cannot read the image " + path + ": the image library refuses it (" +
                   error.err + ")", "input"};
  }
}

}  // namespace stereolint
