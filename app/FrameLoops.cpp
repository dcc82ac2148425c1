// The frame loops for still images and video files.
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "app/Application.h"
#include "app/Thread.h"
#include "platform/Platform.h"
#include "util/StageTimes.h"
#include "sources/FrameSelection.h"
#include "util/Paths.h"
#include "sources/TruncatedImage.h"
#include "sources/ViewRegions.h"

namespace stereolint {

namespace {

const char* const kInputPhase = "ConsoleApplication::run - [input]";
const char* const kFramesPhase = "ConsoleApplication::run - [frames]";

std::string sizeText(cv::Size size) {
  return std::to_string(size.width) + " x " + std::to_string(size.height);
}

// Both inputs must give views of one size, or the pictures of a pair
// cannot be drawn.
bool sameSize(RunStatus& status, const std::array<std::string, 2>& inputs, cv::Size first,
              cv::Size second) {
  if (first == second) return true;
  status.error(kInputPhase, "The inputs differ in size: " + inputs[0] + " is " + sizeText(first) +
                                ", " + inputs[1] + " is " + sizeText(second));
  return false;
}

bool readFrame(cv::VideoCapture& capture, cv::Mat& frame) {
  const timing::ScopedStage decoding(timing::Stage::Decoding);
  return capture.read(frame);
}

std::string tooSmall(const std::string& kind, const std::string& path, cv::Size size) {
  return "The " + kind + " " + path + " (" + sizeText(size) +
         ") is too small to cut into two views";
}

// One input picture, or an empty one after reporting why it cannot be read.
cv::Mat readImage(RunStatus& status, const std::string& path) {
  const std::string failure = "Cannot read the image " + path;
  if (isTruncatedImage(path)) {
    status.error(kInputPhase, failure + ": the file is truncated");
    return {};
  }
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
    status.error(kInputPhase, failure + ": the image library refuses it (" + error.err + ")");
    return {};
  }
  if (picture.empty()) status.error(kInputPhase, failure);
  return picture;
}

cv::Size captureSize(const cv::VideoCapture& capture) {
  return {static_cast<int>(capture.get(cv::CAP_PROP_FRAME_WIDTH)),
          static_cast<int>(capture.get(cv::CAP_PROP_FRAME_HEIGHT))};
}

}  // namespace

int Application::processImages(std::array<std::string, 2> inputs, std::string orientation,
                               const StereolintInterface* checker, std::string resultPath) {
  cv::Mat left = readImage(runStatus, inputs[0]);
  if (left.empty()) return -1;
  cv::Mat right = inputs[1] == inputs[0] ? left : readImage(runStatus, inputs[1]);
  if (right.empty()) return -1;
  if (!sameSize(runStatus, inputs, left.size(), right.size())) return -1;

  const auto regions = viewRegions(orientation, left.cols, left.rows);
  if (!regionsHoldViews(regions)) {
    runStatus.error(kInputPhase, tooSmall("image", inputs[0], left.size()));
    return -1;
  }
  if (regions) {
    left = left(regions->first);
    right = right(regions->second);
  }
  warnWhenNoTileFits(*checker, left.size(), inputs[0]);
  startWorker(std::make_unique<Thread>(this, checker, left, right, 1, 1, fileBaseName(inputs[0]),
                                       resultPath));
  waitForAllWorkers();
  return 0;
}

int Application::processVideo(std::array<std::string, 2> inputs, std::string orientation,
                              const StereolintInterface* checker, int threads,
                              std::string resultPath, std::string sequence) {
  // FFmpeg reports a file it cannot read on standard error in its own words;
  // the error block below says it in ours, so FFmpeg stays quiet unless the
  // user asks for its log.
  platform::setEnvironmentDefault("OPENCV_FFMPEG_LOGLEVEL", "-8");
  cv::VideoCapture captures[2];
  for (size_t k = 0; k < inputs.size(); ++k) {
    if (!captures[k].open(inputs[k], cv::CAP_FFMPEG)) {
      runStatus.error(kInputPhase, "Cannot open the video " + inputs[k]);
      return -1;
    }
    // Frames are taken as stored, as pictures are (see processImages).
    captures[k].set(cv::CAP_PROP_ORIENTATION_AUTO, 0);
  }
  const cv::Size frameSize = captureSize(captures[0]);
  if (!sameSize(runStatus, inputs, frameSize, captureSize(captures[1]))) return -1;
  const int frameCount = static_cast<int>(captures[0].get(cv::CAP_PROP_FRAME_COUNT));
  if (frameCount <= 0) {
    runStatus.error(kInputPhase, "The video " + inputs[0] + " reports no frames");
    return -1;
  }
  const auto regions = viewRegions(orientation, frameSize.width, frameSize.height);
  if (!regionsHoldViews(regions)) {
    runStatus.error(kInputPhase, tooSmall("video", inputs[0], frameSize));
    return -1;
  }
  warnWhenNoTileFits(*checker, regions ? regions->first.size() : frameSize, inputs[0]);
  const FrameSelection selection = parseSequence(sequence);
  const std::string name = fileBaseName(inputs[0]);

  runStatus.progress().start(frameCount);
  cv::Mat frames[2];
  int framesRead = 0;
  int framesSelected = 0;
  for (int i = 0; i < frameCount; ++i) {
    // A container's frame count can be an estimate: reading may end
    // earlier, and the shorter of two inputs ends the pair. A frame of
    // another size than the stream announced cannot be cut into the view
    // regions; it ends the reading like a missing frame. A video that gives
    // no frame at all, though, is as unreadable as one that cannot be opened.
    bool delivered = true;
    for (size_t k = 0; k < inputs.size() && delivered; ++k) {
      std::string detail;
      if (!readFrame(captures[k], frames[k])) {
        delivered = false;
      } else if (frames[k].size() != frameSize) {
        delivered = false;
        detail =
            ": the frame measures " + sizeText(frames[k].size()) + ", not " + sizeText(frameSize);
      }
      if (delivered) continue;
      if (framesRead == 0) {
        runStatus.error(kInputPhase, "Cannot read any frame of the video " + inputs[k] + detail);
      } else {
        runStatus.warning(kFramesPhase, "Reading " + inputs[k] + " stopped at frame " +
                                            std::to_string(i + 1) + " of " +
                                            std::to_string(frameCount) + detail);
      }
    }
    if (!delivered) break;
    ++framesRead;
    runStatus.progress().frameRead();

    cv::Mat left = frames[0];
    cv::Mat right = frames[1];
    if (regions) {
      left = left(regions->first);
      right = right(regions->second);
    }
    const int id = i + 1;
    if (selection.contains(id)) {
      ++framesSelected;
      startWorker(std::make_unique<Thread>(this, checker, left, right, id, frameCount, name,
                                           resultPath));
    }
    waitForFreeWorker(threads);
  }
  waitForAllWorkers();
  reportEmptySelection(inputs[0], sequence, framesRead, framesSelected);
  return 0;
}

}  // namespace stereolint
