// The frame loop for R3D clips, decoded by the vendor's library.
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "app/Application.h"
#include "app/Thread.h"
#include "util/StageTimes.h"
#include "sources/FrameSelection.h"
#include "util/Paths.h"
#include "sources/ViewRegions.h"
#include "sources/r3d/ClipReader.h"
#include "sources/r3d/DecoderLibrary.h"
#include "sources/r3d/LoaderLog.h"
#include "sources/r3d/R3DFrames.h"
#include "sources/r3d/RmdSidecar.h"

namespace stereolint {

namespace {

const char* const kPhase = "ConsoleApplication::run - [R3D]";

// Setting STEREOLINT_R3D_LOG (to anything but "" or "0") prints the
// loader's log on standard output, to see why a library was not taken.
void applyLogSetting() {
  const char* value = std::getenv("STEREOLINT_R3D_LOG");
  if (value != nullptr && *value != '\0' && std::string(value) != "0") {
    setDecoderLogLevel(decoderLogEverything);
  }
}

std::string versionText(const DecoderVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
         std::to_string(version.patch);
}

std::string loadFailure(const DecoderLoadReport& report) {
  std::string text = "Cannot load the decoding library REDR3D-x86.dll: status " +
                     std::to_string(report.status) + " (" + decoderStatusText(report.status) +
                     "); folders tried:";
  for (const CandidateFolder& candidate : report.candidates) {
    text += " " + candidate.folder + " (status " + std::to_string(candidate.status);
    if (candidate.version.major != 0) text += ", version " + versionText(candidate.version);
    text += ")";
  }
  if (report.candidates.empty()) text += " none";
  return text;
}

int decodeFrame(ClipReader& clip, std::uint32_t frame, DecodeJob& job) {
  const timing::ScopedStage decoding(timing::Stage::Decoding);
  return clip.decodeFrame(frame, job);
}

// Frees the decode buffers, closes the clips and unloads the library, in
// that order, however the loop ends.
struct DecodeSession {
  ~DecodeSession() {
    for (const AlignedBlock& buffer : buffers) freeAligned16(buffer);
    for (auto& clip : clips) {
      if (clip) clip->close();
    }
    unloadDecoderLibrary();
  }
  std::unique_ptr<ClipReader> clips[2];
  std::vector<AlignedBlock> buffers;
};

// Mirrors a view as its clip's sidecar asks: left-right first, then upside
// down (both together turn it by 180 degrees).
void applyMirrorFlags(cv::Mat& view, const std::string& clipPath) {
  if (isFlippedHorizontally(clipPath)) cv::flip(view, view, 1);
  if (isFlippedVertically(clipPath)) cv::flip(view, view, 0);
}

}  // namespace

int Application::processR3D(std::array<std::string, 2> inputs, std::string orientation,
                            const StereolintInterface* checker, int threads,
                            std::string resultPath, std::string sequence) {
  applyLogSetting();
  FrameSelection selection;
  std::uint32_t width = 0, height = 0, frameCount = 0;
  int framesRead = 0, framesSelected = 0;
  std::optional<std::pair<cv::Rect, cv::Rect>> regions;
  {
    DecodeSession session;
    if (loadDecoderLibrary(".", 0) != 0) {
      runStatus.error(kPhase, loadFailure(lastDecoderLoad()));
      return -1;
    }
    for (size_t k = 0; k < 2; ++k) {
      auto& clip = session.clips[k];
      clip = std::make_unique<ClipReader>(inputs[k]);
      if (!clip->isOpen() || clip->width() == 0 || clip->height() == 0 ||
          clip->frameCount() == 0) {
        runStatus.error(kPhase, "Cannot open the clip " + inputs[k] +
                                    (clip->isOpen() ? " (it holds no frames)" : ""));
        return -1;
      }
    }
    width = session.clips[0]->width();
    height = session.clips[0]->height();
    frameCount = session.clips[0]->frameCount();
    // The library writes a frame of the second clip's own size into a buffer
    // laid out for the first: refuse a pair that differs.
    if (session.clips[1]->width() != width || session.clips[1]->height() != height) {
      runStatus.error(kPhase, "The clips differ in size: " + inputs[0] + " is " +
                                  std::to_string(width) + " x " + std::to_string(height) + ", " +
                                  inputs[1] + " is " + std::to_string(session.clips[1]->width()) +
                                  " x " + std::to_string(session.clips[1]->height()));
      return -1;
    }
    const std::uint64_t bytes = std::uint64_t{width} * height * 6;
    if (bytes > std::numeric_limits<std::uint32_t>::max() ||
        width > static_cast<std::uint32_t>(std::numeric_limits<int>::max())) {
      runStatus.error(kPhase, "The frames of " + inputs[0] + " (" + std::to_string(width) + " x " +
                                  std::to_string(height) + ") are too large to decode");
      return -1;
    }
    DecodeJob jobs[2];
    for (size_t k = 0; k < 2; ++k) {
      const auto buffer = allocateAligned16(static_cast<size_t>(bytes));
      if (!buffer) {
        runStatus.error(kPhase, "Cannot allocate " + std::to_string(bytes) +
                                    " bytes to decode a frame of " + inputs[k]);
        return -1;
      }
      session.buffers.push_back(*buffer);
      jobs[k] = planarRgb16Request(buffer->data, width, height);
    }

    const int columns = static_cast<int>(width), rows = static_cast<int>(height);
    regions = viewRegions(orientation, columns, rows);
    if (!regionsHoldViews(regions)) {
      runStatus.error(kPhase, "The clip " + inputs[0] + " (" + std::to_string(width) + " x " +
                                  std::to_string(height) + ") is too small to cut into two views");
      return -1;
    }
    warnWhenNoTileFits(*checker, regions ? regions->first.size() : cv::Size(columns, rows),
                       inputs[0]);
    selection = parseSequence(sequence);
    const std::string name = fileBaseName(inputs[0]);
    runStatus.progress().start(static_cast<int>(frameCount));
    for (std::uint32_t i = 0; i < frameCount; ++i) {
      bool decoded = true;
      for (size_t k = 0; k < 2 && decoded; ++k) {
        const int status = decodeFrame(*session.clips[k], i, jobs[k]);
        decoded = status == 0;
        if (decoded) continue;
        const std::string because = " (status " + std::to_string(status) + ")";
        // A clip of which not one frame decodes is as unusable as one that
        // cannot be opened; a later failure ends the clip like a short one.
        if (framesRead == 0) {
          runStatus.error(kPhase, "Cannot decode any frame of the clip " + inputs[k] + because);
        } else {
          runStatus.warning("ConsoleApplication::run - [frames]",
                            "Decoding " + inputs[k] + " stopped at frame " + std::to_string(i + 1) +
                                " of " + std::to_string(frameCount) + because);
        }
      }
      if (!decoded) break;
      ++framesRead;
      runStatus.progress().frameRead();

      cv::Mat left = planarRgb16ToMat(session.buffers[0].data, columns, rows);
      cv::Mat right = planarRgb16ToMat(session.buffers[1].data, columns, rows);
      if (regions) {
        left = left(regions->first);
        right = right(regions->second);
      }
      const int id = static_cast<int>(i) + 1;
      if (selection.contains(id)) {
        ++framesSelected;
        applyMirrorFlags(left, inputs[0]);
        applyMirrorFlags(right, inputs[1]);
        startWorker(std::make_unique<Thread>(this, checker, left, right, id,
                                             static_cast<int>(frameCount), name, resultPath));
      }
      waitForFreeWorker(threads);
    }
  }
  // The library is gone; the workers hold their own copies of the views.
  waitForAllWorkers();
  reportEmptySelection(inputs[0], sequence, framesRead, framesSelected);
  return 0;
}

}  // namespace stereolint
