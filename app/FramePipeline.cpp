#include "app/FramePipeline.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>
#include <opencv2/core/utility.hpp>

#include "app/Methods.h"
#include "app/ShotScan.h"
#include "app/TakeViews.h"
#include "app/WorkerBudget.h"
#include "checkers/StereolintInterface.h"
#include "platform/Memory.h"
#include "platform/Signals.h"
#include "results/ResultsTable.h"
#include "sources/LayoutGuess.h"
#include "sources/ViewRegions.h"
#include "sources/ViewSqueeze.h"
#include "util/Paths.h"
#include "util/StageTimes.h"

namespace stereolint {

namespace {

const char* const kFramesPhase = "ConsoleApplication::run - [frames]";

// The announced frame count as SIZE shows it: within int, never negative.
int shownCount(const FrameStream& stream) {
  const std::int64_t count = stream.frameCountHint().value_or(0);
  return count < 0 ? 0 : static_cast<int>(std::min<std::int64_t>(count, INT_MAX));
}

}  // namespace

FramePipeline::FramePipeline(const RunOptions& options, const StereolintInterface& checker,
                             Presenter& presenter, RunStatus& status)
    : options(options),
      checker(checker),
      status(status),
      outputs(options, checker, presenter),
      quality(options, status, outputs),
      eyes(status),
      overwrite(options, status),
      inSteps(options.method != nullptr && options.method->measuresInSteps) {}

std::string FramePipeline::phase(const std::string& topic) const {
  return "ConsoleApplication::run - [" + topic + "]";
}

int FramePipeline::run() {
  warnAboutSettings();
  // Runs that draw no summary keep freed memory for the next frame; those
  // that write every picture hold too much at once on too many threads.
  // Under quality control the C library keeps its own policy: the record
  // kept of every frame would grow among freed blocks kept (about 0.5 KiB
  // a frame more).
  if (outputs.summaryNeeded()) {
    platform::returnLargeBlocks();
  } else if (!options.quality.enabled) {
    platform::keepFreedMemory();
  }
  int qualityCode = 0;
  if (prepare()) {
    readFrames();
    recordPlacesRead();
    quality.setEyeSync(eyes.finish());
    // The streams (and with them an R3D decoding library) are closed before
    // the last workers finish: the workers hold their own copies of the views.
    streams.clear();
    waitForAllWorkers(*this);
    if (platform::stopRequested() == 0) reportEmptySelection();
    if (featurelessFrames > 1) {
      status.warning(phase("frames"), std::to_string(featurelessFrames - 1) +
                                          " more frames had black or flat views: nothing was "
                                          "measured in them");
    }
    qualityCode = quality.finish();
  }
  status.progress().finish();
  if (const int stop = platform::stopRequested()) {
    status.warning(phase("frames"), std::string("Stopped by ") + platform::stopRequestName() +
                                        " after " + std::to_string(framesRead) +
                                        " frames read: " + std::to_string(framesCollected) +
                                        " frames analysed and written");
    return stop;
  }
  if (status.failed()) return -1;
  return qualityCode;
}

void FramePipeline::warnAboutSettings() {
  const CheckerOptions& settings = checker.options();
  if (inSteps && !settings.measures()) {
    std::string found;
    for (const std::string& item : settings.hierarchy) {
      found += (found.empty() ? "'" : ", '") + item + "'";
    }
    status.warning(phase("parameters"),
                   "HIERARCHY names no step (found: " + (found.empty() ? "nothing" : found) +
                       "; the steps are VERTICAL, ROTATION and SCALE; keys are read with their "
                       "blanks, so write no blank after a comma): nothing is measured");
  }
  for (const std::string& note : options.readingNotes) status.warning(phase("arguments"), note);
  if (inSteps && settings.measures()) {
    for (const std::string& note : settings.readingNotes) status.warning(phase("parameters"), note);
  }
  if (!options.unreadableSecond.empty()) {
    status.warning(phase("input"), "The second input " + options.unreadableSecond +
                                       " is not a readable file: " + options.inputs[0] +
                                       " is analysed alone");
  }
}

bool FramePipeline::prepare() {
  auto opened = openInputStreams(options.inputs);
  if (!opened) {
    status.error(phase(opened.failure().topic), opened.error());
    return false;
  }
  streams = std::move(opened.value());
  for (const auto& stream : streams) {
    for (const std::string& remark : stream->remarks()) status.warning(phase("input"), remark);
  }
  const FrameStream& first = *streams.front();
  words = &first.words();
  Expected<TakeViews> views = takeViews(streams, options);
  if (!views) {
    status.error(phase(views.failure().topic), views.error());
    return false;
  }
  pictureSize = views.value().pictureSize;
  regions = views.value().regions;
  const cv::Size view = views.value().view;
  warnWhenNoTileFits(view);
  budgetWorkers(view);
  eyes.start(streams);
  frameCount = shownCount(first);
  if (!quality.start(frameCount, static_cast<int>(first.firstNumber()), first.frameRate()))
    return false;
  if (words->isTake) {
    if (!chooseSampling()) return false;
    // A part of a take signs the frame before it that the part before it
    // analysed (see report::TakeInfo::joinBefore); --per-shot places are
    // each part's own, so it signs the frame just before.
    const int start = options.selection.nextFrom(1);
    if (options.quality.enabled && start > 1)
      joinPlace = options.perShot > 0 ? start - 1 : sampling.lastBefore(start).value_or(start - 1);
    status.progress().start(frameCount, sampling.countWithin(frameCount, options.selection),
                            sampling.lastWithin(frameCount, options.selection));
  }
  return true;
}

void FramePipeline::warnWhenNoTileFits(cv::Size view) {
  const CheckerOptions& settings = checker.options();
  if (!inSteps || !settings.measures()) return;
  if (checker.anyTileFits(view)) return;
  noTileFits = true;
  status.warning(phase("parameters"),
                 "No tile of WIDTH \"" + settings.widthText + "\" and HEIGHT \"" +
                     settings.heightText + "\" fits the views of " + options.inputs[0] + " (" +
                     sizeText(view) +
                     "): nothing can be measured");
}

void FramePipeline::budgetWorkers(cv::Size view) {
  const WorkerBudget budget =
      workerBudget(options.threads, view,
                   options.method != nullptr ? options.method->bytesPerViewPixel : 0,
                   platform::availableMemory());
  workers = budget.workers;
  // Frames already run side by side: the image library's own threads on top
  // of them only compete for the cores, and every worker thread that enters
  // its thread pool leaves some of the library's thread-local data behind
  // for the rest of the run (about 0.7 KiB a frame). Its results do not
  // depend on how many threads it uses.
  if (workers > 1) cv::setNumThreads(1);
  if (words->isTake && budget.bounded()) {
    status.warning(phase("threads"), boundedWorkersText(budget, view));
  }
}

void FramePipeline::readFrames() {
  const std::string name = streams.front()->takeName();
  cv::Mat pictures[2];
  std::int64_t number = 0;
  bool damaged = false;
  for (std::int64_t index = 0;
       !workerRefused && platform::stopRequested() == 0 && passUnsampled(index) &&
       readPictures(index, pictures, number, damaged);
       ++index) {
    ++framesRead;
    if (words->isTake) status.progress().frameRead();
    if (!damaged) eyes.add(index, pictures, regions);
    if (!damaged && !layoutChecked) checkLayout(pictures[0]);
    if (!damaged && (!words->isTake || analyses(index + 1))) {
      ++framesSelected;
      // The frame was decoded while the workers measured the ones before:
      // a worker that finishes finds the next frame ready.
      if (words->isTake) waitForFreeWorker(workers, *this);
      startFrame(pictures, number, name);
    }
    // Reading stops when the selection names no later frame. A selection
    // that named none of the frames read goes on, to report what was read.
    if (words->isTake && framesSelected > 0 && index + 1 >= options.selection.last()) break;
  }
}

void FramePipeline::checkLayout(const cv::Mat& picture) {
  layoutChecked = true;
  // A wrong layout gives confident, wrong verdicts: the gate says so.
  if (!options.quality.enabled || !regions) return;
  const std::string doubt = layoutDoubt(picture, options.orientation, options.squeeze);
  if (!doubt.empty()) status.warning(phase("layout"), doubt);
}

void FramePipeline::cutViews(const cv::Mat (&pictures)[2], cv::Mat& left, cv::Mat& right) const {
  left = pictures[0];
  right = pictures[1];
  if (regions) {
    left = left(regions->first);
    right = right(regions->second);
  }
  left = unsqueezeView(streams.front()->adjustView(left), options.orientation, options.squeeze);
  right = unsqueezeView(streams.back()->adjustView(right), options.orientation, options.squeeze);
}

void FramePipeline::startFrame(const cv::Mat (&pictures)[2], std::int64_t number,
                               const std::string& name) {
  cv::Mat left;
  cv::Mat right;
  cutViews(pictures, left, right);
  // The selection counts frames by their place in the take; the frame is
  // named by its own number (an image sequence's number from its file name).
  const int id = static_cast<int>(std::clamp<std::int64_t>(number, INT_MIN, INT_MAX));
  overwrite.beforeFrame(id, frameCount, left, right);
  auto worker =
      std::make_unique<Thread>(&checker, left, right, id, frameCount, name, options.resultPath);
  quality.expect(id);
  worker->writeThrough(outputs, options.quality.enabled);
  workerRefused = !startWorker(std::move(worker));
}

bool FramePipeline::readPictures(std::int64_t index, cv::Mat (&pictures)[2], std::int64_t& number,
                                 bool& damaged) {
  // Every way out without a frame is the end of the take for this run.
  reachedEnd = true;
  if (streams.front()->countIsExact() && index >= frameCount) return false;
  damaged = false;
  for (size_t k = 0; k < streams.size(); ++k) {
    FrameStream& stream = *streams[k];
    // The workers hold the views of the last frame: its picture is let go
    // here, and the stream decodes the next one into pixels of its own.
    pictures[k].release();
    StreamPicture& picture = decoded[k];
    const StreamRead read = stream.read(picture);
    // The other eye is still read, to stay in step.
    if (read.kind == StreamRead::Kind::Damaged) {
      if (!words->isTake || analyses(index + 1)) reportDamaged(stream, read);
      damaged = true;
      continue;
    }
    // The first input's end is the take's end, unless its count promised
    // more pictures.
    if (read.kind == StreamRead::Kind::End && k == 0 &&
        !(stream.countIsExact() && index < frameCount)) {
      reportLongerSecondEye(index);
      return false;
    }
    std::string detail = read.reason;
    if (read.kind == StreamRead::Kind::Picture) {
      if (picture.picture.size() == pictureSize) {
        pictures[k] = picture.picture;
        if (k == 0) number = picture.number;
        continue;
      }
      // A frame of another size cannot be cut into the view regions; it
      // ends the reading like a missing frame.
      detail = ": the frame measures " + sizeText(picture.picture.size()) + ", not " +
               sizeText(pictureSize);
    }
    reportEarlyEnd(stream, index, detail);
    return false;
  }
  if (streams.size() == 1) pictures[1] = pictures[0];
  reachedEnd = false;
  return true;
}

bool FramePipeline::analyses(std::int64_t place) const {
  return place <= INT_MAX && options.selection.contains(static_cast<int>(place)) &&
         sampling.takes(place);
}

bool FramePipeline::chooseSampling() {
  if (options.every > 1) sampling = FrameSampling::every(options.every);
  // Shots found between sampled frames would start at the first sampled
  // frame after each cut: a pass over every frame finds where they start.
  const bool everyShotEnd = options.every > 1 && options.quality.enabled;
  if (options.perShot == 0 && !everyShotEnd) return true;
  Expected<ShotPlan> plan = scanShots(options, regions);
  if (!plan) {
    status.error(phase(plan.failure().topic), plan.error());
    return false;
  }
  if (options.perShot > 0) sampling = FrameSampling::places(std::move(plan.value().places));
  quality.useCuts(plan.value().shots);
  return true;
}

bool FramePipeline::passUnsampled(std::int64_t& index) {
  if (!words->isTake) return true;
  const std::optional<std::int64_t> next = sampling.nextFrom(index + 1, options.selection);
  // Without sampling, a take whose selection names no later frame is read
  // on, so that an empty selection can say how far the take went.
  if (!next) return sampling.takesAll();
  if (joinPlace > index && joinPlace < *next) {
    const std::int64_t before = joinPlace - 1 - index;
    if (before > 0 && !skipPictures(index, before)) return false;
    index = joinPlace - 1;
    if (!readJoin(index)) return false;
    ++index;
  }
  const std::int64_t count = *next - (index + 1);
  if (count == 0) return true;
  if (!skipPictures(index, count)) return false;
  index += count;
  return true;
}

bool FramePipeline::readJoin(std::int64_t index) {
  cv::Mat pictures[2];
  std::int64_t number = 0;
  bool damaged = false;
  if (!readPictures(index, pictures, number, damaged)) return false;
  ++framesRead;
  if (damaged) return true;
  cv::Mat left;
  cv::Mat right;
  cutViews(pictures, left, right);
  quality.setJoinBefore(static_cast<int>(std::clamp<std::int64_t>(number, INT_MIN, INT_MAX)), left);
  return true;
}

bool FramePipeline::skipPictures(std::int64_t index, std::int64_t count) {
  // As in readPictures: every way out short of `count` ends the take.
  reachedEnd = true;
  // A take of known length that ends before: its frames count as passed.
  if (streams.front()->countIsExact() && index + count >= frameCount) {
    framesRead += static_cast<int>(std::max<std::int64_t>(frameCount - index, 0));
    return false;
  }
  for (size_t k = 0; k < streams.size(); ++k) {
    FrameStream& stream = *streams[k];
    std::int64_t passed = 0;
    const StreamRead read = stream.skipAhead(count, passed);
    if (passed == count) continue;
    // As in readPictures: the first input's end is the take's end.
    if (read.kind == StreamRead::Kind::End && k == 0 &&
        !(stream.countIsExact() && index + passed < frameCount)) {
      framesRead += static_cast<int>(passed);
      return false;
    }
    framesRead += static_cast<int>(passed);
    reportEarlyEnd(stream, index + passed, read.reason);
    return false;
  }
  framesRead += static_cast<int>(count);
  reachedEnd = false;
  return true;
}

void FramePipeline::recordPlacesRead() {
  if (!words->isTake) {
    quality.setPlacesRead({{1, 1}}, true);
    return;
  }
  const FrameSelection& selection = options.selection;
  // Reading stops at the selection's last place, or earlier where the take
  // (or the run) ended; a sampling that finds no later place stops short of
  // it, but the places up to it were read as far as the sampling cares.
  const bool cutShort = reachedEnd || workerRefused || platform::stopRequested() != 0;
  int last = cutShort ? std::min(selection.last(), framesRead) : selection.last();
  bool toEnd = reachedEnd;
  // A sampling that found no later place of a selection reaching beyond
  // the take as far as it is known (--per-shot places) leaves nothing of
  // the take unread.
  const int known = std::max(framesRead, frameCount);
  if (!cutShort && last > known) {
    last = known;
    toEnd = true;
  }
  report::PlaceRanges ranges;
  for (int place = selection.nextFrom(1); place >= 1 && place <= last;) {
    int end = place;
    while (end < last && selection.contains(end + 1)) ++end;
    ranges.emplace_back(place, end);
    if (end >= last) break;
    place = selection.nextFrom(end + 1);
  }
  quality.setPlacesRead(std::move(ranges), toEnd || (frameCount > 0 && last >= frameCount));
}

void FramePipeline::reportEarlyEnd(const FrameStream& stream, std::int64_t index,
                                   const std::string& detail) {
  // An input that gives no frame at all is as unreadable as one that cannot
  // be opened; a later end only shortens the take.
  if (framesRead == 0) {
    status.error(phase(words->topic), std::string("Cannot ") + words->read + " any frame of the " +
                                          words->noun + " " + stream.path() + detail);
  } else {
    status.warning(kFramesPhase, std::string(words->reading) + " " + stream.path() +
                                     " stopped at frame " + std::to_string(index + 1) + " of " +
                                     std::to_string(frameCount) + detail);
  }
}

void FramePipeline::reportLongerSecondEye(std::int64_t index) {
  // The second eye going on past the first's end is a take whose eyes
  // differ in length, a conform fault: the gate names it. Its frames were
  // read in step so far, so one more read tells. Counts known exactly were
  // compared when the run started (see EyeSyncCheck).
  const FrameStream& second = *streams.back();
  if (!options.quality.enabled || streams.size() < 2 || index == 0 ||
      (streams.front()->countIsExact() && second.countIsExact()) ||
      !options.selection.contains(static_cast<int>(std::min<std::int64_t>(index + 1, INT_MAX))))
    return;
  StreamPicture beyond;
  if (streams.back()->read(beyond).kind != StreamRead::Kind::Picture) return;
  status.warning(kFramesPhase, "The eyes differ in length: " + second.path() +
                                   " goes on after the last frame of " +
                                   streams.front()->path() + " (frame " + std::to_string(index) +
                                   "); its further frames are not analysed");
}

void FramePipeline::reportDamaged(const FrameStream& stream, const StreamRead& read) {
  status.error(phase(words->topic), "Cannot " + std::string(words->read) + " frame " +
                                        std::to_string(read.number) + " of " + stream.path() +
                                        read.reason + "; the frame is not analysed");
}

void FramePipeline::reportEmptySelection() {
  if (!words->isTake || framesRead == 0 || framesSelected != 0) return;
  status.error(phase("sequence"), "No frame of " + options.inputs[0] + " is in the selection \"" +
                                      options.sequence + "\" (frames 1 to " +
                                      std::to_string(framesRead) + " were read)");
}

void FramePipeline::collect(FrameWork& frame) {
  status.progress().frameAnalysed();
  status.outputFailed(frame.writeFailures);
  if (!frame.failure.empty()) {
    status.error("Thread::run - [frame]",
                 frame.name + " : " + std::to_string(frame.id) + " / " +
                     std::to_string(frame.size) + " (" + std::to_string(frame.left.cols) + " x " +
                     std::to_string(frame.left.rows) + "): " + frame.failure);
    quality.collect(frame);
    return;
  }
  status.outputFailed(outputs.writeRows(frame));
  ++framesCollected;
  warnWhenNothingMeasured(frame);
  status.progress().clear();
  outputs.present(frame);
  quality.collect(frame);
  checkConsoleOutput();
}

void FramePipeline::warnWhenNothingMeasured(const FrameWork& frame) {
  if (!inSteps || !checker.options().measures() || noTileFits) return;
  const std::string& because = frame.outcome.featureless;
  if (because.empty()) return;
  // The first such frame is named; a black shot of many frames is summed up
  // at the end instead of flooding the console.
  if (featurelessFrames++ == 0) {
    status.warning(phase("frames"), frame.name + " : " + std::to_string(frame.id) + " / " +
                                        std::to_string(frame.size) +
                                        ": nothing was measured: " + because);
  }
}

void FramePipeline::checkConsoleOutput() {
  if (consoleFailed) return;
  std::cout.flush();
  if (std::cout.good()) return;
  // Reported once; the analysis and its files go on.
  consoleFailed = true;
  const int cause = errno;
  status.error(phase("output"), std::string("Cannot print the results on standard output") +
                                    (cause != 0 ? std::string(": ") + std::strerror(cause) : "") +
                                    "; the result files are still written");
}

}  // namespace stereolint
