// The one road of a frame from the input to its result files:
//
//   inputs --openInputStreams--> frame streams --read in step--> pictures
//     --cut into views, sizes checked--> selected pairs --Thread (compute,
//     visualize, frame files)--> collect (RESULTS rows, presentResults;
//     see FrameOutputs)
//
// The pipeline owns the streams, the frame selection, the workers, the
// progress line and the reporting of everything that goes wrong; the
// presenter only shows what a frame gave.
#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <optional>
#include <utility>

#include "app/EyeSyncCheck.h"
#include "app/FrameOutputs.h"
#include "app/OverwriteCheck.h"
#include "app/Presenter.h"
#include "app/QcRun.h"
#include "app/RunOptions.h"
#include "app/RunStatus.h"
#include "app/Thread.h"
#include "sources/FrameSampling.h"
#include "sources/InputStreams.h"

namespace stereolint {

class StereolintInterface;

class FramePipeline : public FrameCollector {
 public:
  // `checker`, `presenter` and `status` must outlive the pipeline.
  FramePipeline(const RunOptions& options, const StereolintInterface& checker, Presenter& presenter,
                RunStatus& status);

  // Analyses the inputs from start to end and returns the exit code: 0 when
  // every selected frame was analysed, presented and written; 3 (with --qc
  // and --fail-on, when nothing failed) when a shot's verdict reaches the
  // level, 4 when too few frames could be judged; -1 when the
  // inputs cannot be read (not a single frame of them) or are of an
  // unsupported kind, the views differ in size, a frame is too small to cut
  // into two views, the selection names none of the frames read, or any
  // frame or output file failed (each reported on the console as it
  // happens).
  int run();

  // On the main thread, for each done worker: the frame's RESULTS rows, then
  // the presenter. A frame whose analysis failed is reported as an error
  // instead; files that could not be written are reported as warnings.
  void collect(FrameWork& frame) override;

 private:
  // Warnings about settings that make the run do less than it seems to: no
  // step to measure, a second input that is no readable file.
  void warnAboutSettings();
  // Opens the inputs and checks that their views can be cut and compared;
  // false after reporting why not.
  bool prepare();
  // Reads, selects and hands frames to workers until the inputs end.
  void readFrames();
  // Reads picture `index` (from 0) of every stream into `pictures`, and the
  // first stream's frame number; false at the end of the inputs, after
  // reporting an end that comes early.
  // Cuts the views of a frame read and starts its worker.
  void startFrame(const cv::Mat (&pictures)[2], std::int64_t number, const std::string& name);
  // `damaged`: a stream passed over a picture it could not read (reported
  // when the frame is to be analysed); the frame is then not analysed.
  bool readPictures(std::int64_t index, cv::Mat (&pictures)[2], std::int64_t& number,
                    bool& damaged);
  // With quality control: a warning when the second input of a pair has a
  // picture after the first input's last one, frame `index`.
  void reportLongerSecondEye(std::int64_t index);
  void reportDamaged(const FrameStream& stream, const StreamRead& read);
  // Moves every stream past the pictures before the next one to analyse
  // (frames outside the selection, and with --every or --per-shot those the
  // sampling passes over), so that `index` (from 0) is that one's: a video
  // jumps between key frames, a sequence skips its files unopened. False
  // when none is left under a sampling, or the inputs ended or failed on
  // the way (an early end reported as readPictures reports it).
  bool passUnsampled(std::int64_t& index);
  bool skipPictures(std::int64_t index, std::int64_t count);
  // Reads the picture at place `index` + 1, the join before the selection,
  // and has quality control sign it; false as readPictures.
  bool readJoin(std::int64_t index);
  // The views of pictures read, cut, adjusted and unsqueezed for a worker.
  void cutViews(const cv::Mat (&pictures)[2], cv::Mat& left, cv::Mat& right) const;
  // True when the picture at place `place` (from 1) of a take is analysed.
  bool analyses(std::int64_t place) const;
  // The sampling of --every, or of --per-shot from a reading pass of its
  // own; false after reporting why the pass failed.
  bool chooseSampling();
  void reportEarlyEnd(const FrameStream& stream, std::int64_t index, const std::string& detail);
  void warnWhenNoTileFits(cv::Size view);
  // With quality control, on the first picture read: a warning when the
  // frame looks like another layout than -o and --squeeze read it with
  // (see layoutDoubt).
  void checkLayout(const cv::Mat& picture);
  // Sets `workers`: "-t", bounded by the memory available.
  void budgetWorkers(cv::Size view);
  // A frame of which no step measured anything gets a warning saying why.
  void warnWhenNothingMeasured(const FrameWork& frame);
  // A failed write of the results to standard output (a full device, a
  // closed stream or pipe) is reported once and fails the run.
  void checkConsoleOutput();
  void reportEmptySelection();
  // Tells quality control which places of the take were read (the
  // selection up to where reading ended) and whether they reach its end.
  void recordPlacesRead();
  std::string phase(const std::string& topic) const;

  const RunOptions& options;
  const StereolintInterface& checker;
  RunStatus& status;
  FrameOutputs outputs;
  QcRun quality;
  EyeSyncCheck eyes;
  OverwriteCheck overwrite;

  InputStreams streams;
  const StreamWords* words = nullptr;
  cv::Size pictureSize;
  std::optional<std::pair<cv::Rect, cv::Rect>> regions;
  FrameSampling sampling;
  // The last picture read from each stream; a stream that can decodes the
  // next one into its buffer.
  StreamPicture decoded[2];
  // With quality control, the place (from 1) read only to be signed before
  // a selection that starts after the take's first place; 0 for none.
  std::int64_t joinPlace = 0;
  int workers = 1;     // "-t", or fewer when memory is short
  int frameCount = 0;  // the first input's announced count, shown as SIZE
  int framesRead = 0;
  int framesSelected = 0;
  int framesCollected = 0;
  int featurelessFrames = 0;
  bool noTileFits = false;
  bool layoutChecked = false;
  bool consoleFailed = false;
  bool workerRefused = false;
  // The last reading or skipping met the end of the take (or of an input).
  bool reachedEnd = false;
  // The method measures in steps (HIERARCHY, feature tiles).
  const bool inSteps;
};

}  // namespace stereolint
