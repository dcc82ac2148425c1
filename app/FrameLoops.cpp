// The frame loops for still images and video files.
#include <opencv2/imgcodecs.hpp>
#include <opencv2/videoio.hpp>

#include "app/Application.h"
#include "app/Thread.h"
#include "platform/Platform.h"
#include "platform/StageTimes.h"
#include "sources/FrameSelection.h"
#include "sources/Paths.h"
#include "sources/ViewRegions.h"

namespace stereolint {

namespace {

const char* const kInputPhase = "ConsoleApplication::run - [input]";

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

cv::Mat readImage(const std::string& path, int flags) {
  const timing::ScopedStage decoding(timing::Stage::Decoding);
  return cv::imread(path, flags);
}

cv::Size captureSize(const cv::VideoCapture& capture) {
  return {static_cast<int>(capture.get(cv::CAP_PROP_FRAME_WIDTH)),
          static_cast<int>(capture.get(cv::CAP_PROP_FRAME_HEIGHT))};
}

}  // namespace

int Application::processImages(std::array<std::string, 2> inputs, std::string orientation,
                               const StereolintInterface* checker, std::string resultPath) {
  // Pictures are taken as stored: turning them by their EXIF orientation
  // would move the views of a stereo frame out of their halves.
  const int flags = cv::IMREAD_ANYCOLOR | cv::IMREAD_IGNORE_ORIENTATION;
  cv::Mat left = readImage(inputs[0], flags);
  cv::Mat right = inputs[1] == inputs[0] ? left : readImage(inputs[1], flags);
  for (size_t k = 0; k < inputs.size(); ++k) {
    if ((k == 0 ? left : right).empty()) {
      runStatus.error(kInputPhase, "Cannot read the image " + inputs[k]);
      return -1;
    }
  }
  if (!sameSize(runStatus, inputs, left.size(), right.size())) return -1;

  if (const auto regions = viewRegions(orientation, left.cols, left.rows)) {
    left = left(regions->first);
    right = right(regions->second);
  }
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
  const auto regions = viewRegions(orientation, frameSize.width, frameSize.height);
  const int frameCount = static_cast<int>(captures[0].get(cv::CAP_PROP_FRAME_COUNT));
  if (frameCount <= 0) {
    runStatus.error(kInputPhase, "The video " + inputs[0] + " reports no frames");
    return -1;
  }
  const FrameSelection selection = parseSequence(sequence);
  const std::string name = fileBaseName(inputs[0]);

  runStatus.progress().start(frameCount);
  cv::Mat frames[2];
  for (int i = 0; i < frameCount; ++i) {
    // A container's frame count can be an estimate: reading may end
    // earlier, and the shorter of two inputs ends the pair.
    // A frame of another size than the stream announced cannot be cut into
    // the view regions; it ends the reading like a missing frame.
    bool delivered = true;
    for (size_t k = 0; k < inputs.size() && delivered; ++k) {
      std::string stop = "Reading " + inputs[k] + " stopped at frame " + std::to_string(i + 1) +
                         " of " + std::to_string(frameCount);
      if (!readFrame(captures[k], frames[k])) {
        delivered = false;
      } else if (frames[k].size() != frameSize) {
        delivered = false;
        stop += ": the frame measures " + sizeText(frames[k].size()) + ", not " +
                sizeText(frameSize);
      }
      if (!delivered) runStatus.warning("ConsoleApplication::run - [frames]", stop);
    }
    if (!delivered) break;
    runStatus.progress().frameRead();

    cv::Mat left = frames[0];
    cv::Mat right = frames[1];
    if (regions) {
      left = left(regions->first);
      right = right(regions->second);
    }
    const int id = i + 1;
    if (selection.contains(id)) {
      startWorker(std::make_unique<Thread>(this, checker, left, right, id, frameCount, name,
                                           resultPath));
    }
    waitForFreeWorker(threads);
  }
  waitForAllWorkers();
  return 0;
}

}  // namespace stereolint
