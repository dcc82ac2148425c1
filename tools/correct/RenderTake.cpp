#include "tools/correct/RenderTake.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <memory>
#include <opencv2/imgproc.hpp>
#include <thread>

#include "platform/Platform.h"
#include "platform/Signals.h"
#include "tools/correct/EyeRender.h"
#include "tools/correct/TakeCheck.h"
#include "tools/correct/TakeOutputs.h"
#include "tools/correct/TakeReader.h"
#include "util/Paths.h"

namespace stereolint::correct {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The outputs of the take: one for a stereo input, the left eye's then the
// right eye's for two.
std::vector<std::unique_ptr<TakeOutput>> outputsFor(const CorrectOptions& options, InputKind kind,
                                                    double rate) {
  const auto one = [&](const std::string& path) -> std::unique_ptr<TakeOutput> {
    if (kind == InputKind::SEQUENCE) return sequenceOutput(path);
    if (kind == InputKind::IMAGE) return pictureOutput(path);
    return videoOutput(path, options.codec, rate, options.workers);
  };
  std::vector<std::unique_ptr<TakeOutput>> outputs;
  if (options.inputs.size() == 1) {
    outputs.push_back(one(options.output));
    return outputs;
  }
  const char* const eyes[] = {"left", "right"};
  for (size_t e = 0; e < 2; ++e) {
    const fs::path folder = fs::path(options.output) / eyes[e];
    const std::string& input = options.inputs[e];
    std::string path = folder.string();
    if (kind == InputKind::IMAGE) path = (folder / fs::path(input).filename()).string();
    if (kind == InputKind::VIDEO || kind == InputKind::R3D)
      path =
          (folder / (fileBaseName(input) + "." + videoCodecInfo(options.codec).container)).string();
    outputs.push_back(one(path));
  }
  return outputs;
}

std::optional<std::string> makeParentFolders(
    const std::vector<std::unique_ptr<TakeOutput>>& outputs) {
  for (const auto& output : outputs) {
    const fs::path parent = fs::path(output->name()).parent_path();
    std::error_code error;
    if (!parent.empty()) fs::create_directories(parent, error);
    if (error) return "cannot make the folder " + parent.string() + ": " + error.message();
  }
  return std::nullopt;
}

// The pictures a corrected frame gives its outputs: the eyes put back
// into the input's layout, or one each.
std::vector<OutputPicture> framePictures(const std::array<PlanarPicture, 2>& eyes,
                                         Orientation orientation) {
  if (orientation == Orientation::Whole)
    return {{cv::Mat(), eyes[0], "", {}}, {cv::Mat(), eyes[1], "", {}}};
  return {{cv::Mat(), joined(eyes[0], eyes[1], orientation == Orientation::SideBySide), "", {}}};
}

std::vector<OutputPicture> framePictures(const TakeFrame& frame, const std::array<cv::Mat, 2>& eyes,
                                         Orientation orientation) {
  if (orientation == Orientation::Whole)
    return {{eyes[0], std::nullopt, frame.sources[0], frame.formats[0]},
            {eyes[1], std::nullopt, frame.sources[1], frame.formats[1]}};
  OutputPicture whole{cv::Mat(), std::nullopt, frame.sources[0], frame.formats[0]};
  if (orientation == Orientation::SideBySide)
    cv::hconcat(eyes[0], eyes[1], whole.pixels);
  else
    cv::vconcat(eyes[0], eyes[1], whole.pixels);
  return {whole};
}

struct Times {
  double reading = 0;
  double warping = 0;
  double encoding = 0;
};

std::string summaryOf(long long frames, const std::string& where, double seconds,
                      const Times& times) {
  char text[256];
  std::snprintf(text, sizeof text,
                " in %.1f s (%.1f frames/s): reading %.1f s, warping %.1f s, encoding %.1f s",
                seconds, seconds > 0 ? static_cast<double>(frames) / seconds : 0.0, times.reading,
                times.warping, times.encoding);
  return "Wrote " + std::to_string(frames) + (frames == 1 ? " frame to " : " frames to ") + where +
         text;
}

class Progress {
 public:
  explicit Progress(std::optional<std::int64_t> total)
      : total(total), shown(platform::standardErrorIsTerminal()) {}
  void update(long long done) const {
    if (!shown) return;
    if (total && *total > 0)
      std::fprintf(stderr, "\rCorrecting: frame %lld of %lld (%lld %%)", done,
                   static_cast<long long>(*total), done * 100 / *total);
    else
      std::fprintf(stderr, "\rCorrecting: frame %lld", done);
    std::fflush(stderr);
  }
  void clear() const {
    if (shown) std::fprintf(stderr, "\r\033[K");
  }

 private:
  std::optional<std::int64_t> total;
  bool shown;
};

// The frames of a take read, corrected by the workers and written, a batch
// of as many frames as workers at a time: while the outputs write one
// batch, the next is read and corrected.
class BatchRender {
 public:
  BatchRender(const CorrectOptions& options, const CorrectionsPlan& plan, TakeReader& reader,
              std::vector<std::unique_ptr<TakeOutput>>& outputs)
      : options(options), plan(plan), reader(reader), outputs(outputs) {}

  // Reads, corrects and writes every frame; the outcome without its summary.
  RenderOutcome run() {
    const Progress progress(reader.frameCount());
    RenderOutcome outcome = loop(progress);
    progress.clear();
    if (outcome.status != 0) {
      for (const auto& output : outputs) output->abandon();
    }
    return outcome;
  }

  long long written = 0;
  std::int64_t last = 0;  // the number of the last frame read
  Times times;

 private:
  RenderOutcome loop(const Progress& progress) {
    for (bool more = true; more;) {
      if (const int stop = platform::stopRequested()) {
        (void)finishWriting();
        return {stop,
                std::string("stopped by ") + platform::stopRequestName() +
                    "; what was not complete is removed",
                {}};
      }
      Expected<std::vector<TakeFrame>> batch = readBatch(more);
      if (!batch) {
        (void)finishWriting();
        return {1, batch.error(), {}};
      }
      std::vector<std::vector<OutputPicture>> pictures = correctBatch(batch.value());
      if (auto problem = finishWriting()) return {1, *problem, {}};
      writeBatch(std::move(pictures));
      written += static_cast<long long>(batch.value().size());
      progress.update(written);
    }
    std::optional<std::string> problem = finishWriting();
    const Clock::time_point closing = Clock::now();
    for (const auto& output : outputs)
      if (!problem) problem = output->finish();
    times.encoding += secondsSince(closing);
    if (problem) return {1, *problem, {}};
    return {};
  }

  // Up to one frame per worker; `more` false at the take's end.
  Expected<std::vector<TakeFrame>> readBatch(bool& more) {
    const Clock::time_point start = Clock::now();
    std::vector<TakeFrame> batch;
    while (static_cast<int>(batch.size()) < options.workers) {
      Expected<std::optional<TakeFrame>> next = reader.next();
      if (!next) return next.failure();
      if (!next.value()) {
        more = false;
        break;
      }
      last = next.value()->number;
      batch.push_back(std::move(*next.value()));
    }
    times.reading += secondsSince(start);
    return batch;
  }

  std::vector<std::vector<OutputPicture>> correctBatch(const std::vector<TakeFrame>& batch) {
    const Clock::time_point start = Clock::now();
    const int sx = options.orientation == Orientation::SideBySide ? plan.squeeze : 1;
    const int sy = options.orientation == Orientation::OverUnder ? plan.squeeze : 1;
    std::vector<std::vector<OutputPicture>> pictures(batch.size());
    if (!batch.empty()) warps.forgetBefore(batch.front().number);
    std::vector<std::thread> workers;
    for (size_t i = 0; i < batch.size(); ++i)
      workers.emplace_back([&, i]() {
        const TakeFrame& frame = batch[i];
        const ShotPlan* shot = plan.shotOf(frame.number);
        if (frame.planes) {
          pictures[i] = framePictures(
              shot != nullptr ? renderPlanarEyes(*frame.planes, *shot, sx, sy, warps)
                              : *frame.planes,
              options.orientation);
          return;
        }
        const std::array<cv::Mat, 2> eyes =
            shot != nullptr ? renderEyes(frame.eyes, *shot, sx, sy, warps) : frame.eyes;
        pictures[i] = framePictures(frame, eyes, options.orientation);
      });
    for (std::thread& worker : workers) worker.join();
    times.warping += secondsSince(start);
    return pictures;
  }

  void writeBatch(std::vector<std::vector<OutputPicture>> pictures) {
    writing = std::async(std::launch::async, [this, pictures = std::move(pictures)]() {
      const Clock::time_point start = Clock::now();
      for (const auto& frame : pictures)
        for (size_t o = 0; o < outputs.size(); ++o)
          if (auto problem = outputs[o]->add(frame[o])) return problem;
      times.encoding += secondsSince(start);
      return std::optional<std::string>();
    });
  }

  std::optional<std::string> finishWriting() {
    return writing.valid() ? writing.get() : std::nullopt;
  }

  const CorrectOptions& options;
  const CorrectionsPlan& plan;
  TakeReader& reader;
  std::vector<std::unique_ptr<TakeOutput>>& outputs;
  std::future<std::optional<std::string>> writing;
  ShotWarps warps;
};

}  // namespace

RenderOutcome renderTake(const CorrectOptions& options, const CorrectionsPlan& plan) {
  // A grade is applied in linear light, to pictures; without one a video
  // stored as Y'CbCr planes is corrected in them.
  const bool graded = std::any_of(plan.shots.begin(), plan.shots.end(),
                                  [](const ShotPlan& shot) { return shot.grade.has_value(); });
  Expected<TakeReader> opened = TakeReader::open(options.inputs, options.orientation, !graded);
  if (!opened) return {1, opened.error(), {}};
  TakeReader& reader = opened.value();
  if (auto problem = checkSameTake(options, plan, reader)) return {1, *problem, {}};
  std::vector<std::unique_ptr<TakeOutput>> outputs =
      outputsFor(options, reader.kind(), reader.frameRate());
  std::vector<std::string> names;
  for (const auto& output : outputs) names.push_back(output->name());
  if (auto problem = checkNoOverwrite(options, names)) return {1, *problem, {}};
  if (auto problem = makeParentFolders(outputs)) return {1, *problem, {}};

  const Clock::time_point start = Clock::now();
  BatchRender render(options, plan, reader, outputs);
  RenderOutcome outcome = render.run();
  if (outcome.status != 0) return outcome;
  outcome.summary = summaryOf(render.written, options.output, secondsSince(start), render.times);
  if (render.last < plan.lastFrame()) {
    outcome.status = 1;
    outcome.problem = "the take ends after frame " + std::to_string(render.last) + ", but " +
                      options.corrections + " was measured on frames " +
                      std::to_string(plan.firstFrame) + " to " + std::to_string(plan.lastFrame()) +
                      ": the frames it holds are written";
  }
  return outcome;
}

}  // namespace stereolint::correct
