#include "app/QcRun.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/Signals.h"
#include "qc/ConsoleLines.h"
#include "qc/FailOn.h"
#include "qc/FrameSignature.h"
#include "corrections/CorrectionsFiles.h"
#include "report/ReportFiles.h"
#include "util/Paths.h"

namespace stereolint {

namespace {

const char* const kQcPhase = "ConsoleApplication::run - [qc]";

}  // namespace

QcRun::QcRun(const RunOptions& options, RunStatus& status, FrameOutputs& outputs)
    : options(options), status(status), outputs(outputs) {}

bool QcRun::start(int count, int first, std::optional<double> videoRate) {
  const qc::QcOptions& quality = options.quality;
  if (!quality.enabled) return true;
  frameCount = count;
  firstFrame = first;
  frameRate = videoRate ? videoRate : quality.framesPerSecond;
  Expected<qc::Timecode> made = qc::makeTimecode(frameRate, quality.startTimecode, firstFrame);
  if (!made) {
    status.error(kQcPhase, "--start-timecode: " + made.error());
    return false;
  }
  timecode = made.value();
  // The frames are expected one by one as they are read: a sequence's
  // numbers are known only then.
  session.emplace(quality.limits, std::vector<int>(), quality.pictures);
  return true;
}

void QcRun::useCuts(const qc::ShotScan& scan) {
  if (!session) return;
  session->useCuts(scan);
  shotScan = scan;
}

void QcRun::expect(int frame) {
  if (session) session->expect(frame);
}

void QcRun::collect(FrameWork& frame) {
  if (!session) return;
  qc::FrameRecord record = frame.failure.empty() && frame.record
                               ? *frame.record
                               : qc::failedFrameRecord(frame.id, frame.failure, frame.signature);
  const qc::SessionUpdate update = session->add(std::move(record));
  // A frame's pictures are held only while its shot may still make it the
  // worst one.
  if (update.accepted && frame.failure.empty() &&
      frame.pictures == qc::PictureDecision::Hold) {
    outputs.hold(frame);
  }
  if (update.accepted && frame.failure.empty() &&
      update.assessment.verdict != qc::Verdict::Inconclusive)
    keepViews(frame);
  apply(update);
}

void QcRun::keepViews(FrameWork& frame) {
  if (options.quality.pictures == qc::PictureMode::None) return;
  // The views are shared, not copied: a frame held for its own pictures
  // costs no more.
  mayBeWorst[frame.id] =
      KeptViews{frame.left, frame.right, std::move(frame.outcome.inliers), frame.size};
}

void QcRun::writeWorstPictures(int frame) {
  const auto found = mayBeWorst.find(frame);
  if (found == mayBeWorst.end()) return;
  const KeptViews& kept = found->second;
  report::WorstPictureFiles written;
  const auto problem = report::writeWorstPictures(options.resultPath, frame, kept.left, kept.right,
                                                  kept.inliers, written);
  if (written.any()) worstPictures[frame] = written;
  if (problem) status.failedWarning(kQcPhase, "Cannot write the report's pictures " + *problem);
  try {
    status.outputFailed(outputs.writeReviewPictures(frame, kept.size, kept.left, kept.right));
  } catch (const std::exception& error) {
    status.failedWarning(kQcPhase, "Cannot draw the pictures of frame " + std::to_string(frame) +
                                       ": " + error.what());
  }
  mayBeWorst.erase(found);
}

void QcRun::apply(const qc::SessionUpdate& update) {
  for (const int id : update.writeHeld) status.outputFailed(outputs.writeHeld(id));
  for (const int id : update.dropHeld) outputs.dropHeld(id);
  for (const int id : update.notWorst) mayBeWorst.erase(id);
  for (const int id : update.shotWorst) writeWorstPictures(id);
  if (update.closedShots.empty()) return;
  status.progress().clear();
  for (const qc::Shot& shot : update.closedShots) {
    std::cout << qc::shotLine(shot, timecode) << '\n';
  }
  std::cout.flush();
}

void QcRun::setJoinBefore(int frame, const cv::Mat& leftView) {
  if (!session) return;
  qc::FrameSignature signature = qc::frameSignature(leftView);
  if (signature.known()) joinBefore = report::TakeJoin{frame, std::move(signature)};
}

int QcRun::finish() {
  if (!session) return 0;
  apply(session->finish());
  outputs.dropAllHeld();
  mayBeWorst.clear();
  status.progress().clear();
  // A run stopped before the end of its frames judged part of the take
  // only: it says so and gives the take no verdict.
  const std::string stoppedBy = platform::stopRequested() != 0 ? platform::stopRequestName() : "";
  std::vector<qc::Shot> shots = session->shots();
  qc::applyEyeSync(shots, eyeSync);
  const qc::TakeSummary take = session->take(shots);
  if (const std::string eyes = qc::eyesLine(shots); !eyes.empty()) std::cout << eyes << '\n';
  if (const std::string swapped = qc::swappedEyesLine(shots); !swapped.empty())
    std::cout << swapped << '\n';
  std::cout << (stoppedBy.empty() ? qc::takeLine(take) : qc::stoppedTakeLine(take, stoppedBy))
            << '\n'
            << std::flush;
  writeReport(stoppedBy, shots);
  return qc::gateExitCode(options.quality, shots, take);
}

void QcRun::writeReport(const std::string& stoppedBy, const std::vector<qc::Shot>& shots) {
  std::vector<std::string> inputs{options.inputs[0]};
  if (options.inputs[1] != options.inputs[0]) inputs.push_back(options.inputs[1]);
  const std::optional<std::string> start =
      timecode.known() ? timecode.of(firstFrame) : std::optional<std::string>();
  // What changes the measures or the frames measured only: runs over parts
  // of a take, with other threads or output folders, merge into one report.
  // A squeeze and a sampling are named only when given, so that reports of
  // runs without them read as before.
  std::vector<std::pair<std::string, std::string>> settings = {
      {"method", options.methodName},
      {"parameters", options.parameters},
      {"orientation", orientationWord(options.orientation)}};
  if (options.squeeze != 1) settings.emplace_back("squeeze", std::to_string(options.squeeze));
  if (options.every > 1)
    settings.emplace_back("sampling", "one frame in " + std::to_string(options.every));
  if (options.perShot > 0)
    settings.emplace_back("sampling", std::to_string(options.perShot) + " frames of each shot");
  report::TakeInfo take = report::takeOf(inputs, frameCount, firstFrame, frameRate, start);
  take.read = placesRead;
  take.readToEnd = readToEnd;
  take.joinBefore = joinBefore;
  report::ReportContent content{
      std::move(take),
      std::move(settings),
      session->limits(),
      // The records move into the report rather than being copied: they
      // are the memory that grows with the length of a take.
      session->releaseFrames(),
      eyeSync,
      stoppedBy,
      shotScan,
      options.corrections};
  if (const auto problem = report::writeReportFiles(content, options.resultPath,
                                                    {options.resultPath}, worstPictures)) {
    status.failedWarning(kQcPhase, *problem);
  }
  writeCorrections(content, shots);
}

void QcRun::writeCorrections(const report::ReportContent& content,
                             const std::vector<qc::Shot>& shots) {
  if (!options.corrections) return;
  corrections::CorrectionsContent corrected;
  corrected.eyes = *options.corrections;
  corrected.shots =
      corrections::correctShots(shots, content.frames, content.limits, corrected.eyes);
  corrections::CorrectedTake& take = corrected.take;
  take.name = content.take.name;
  take.orientation = orientationWord(options.orientation);
  take.squeeze = options.squeeze;
  take.frameCount = frameCount;
  take.firstFrame = firstFrame;
  take.view = corrections::viewSizeAt(content.frames, 0);
  // ffmpeg reads video and picture files; an image sequence or a camera
  // clip gets the corrections without the script.
  bool scriptable = true;
  for (const std::string& input : content.take.paths) {
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(input, failed);
    take.paths.push_back(failed ? input : absolute.lexically_normal().string());
    scriptable = scriptable && fileExists(input) && fileExtension(input) != "R3D";
  }
  if (const auto problem =
          corrections::writeCorrectionsFiles(corrected, options.resultPath, scriptable)) {
    status.failedWarning(kQcPhase, *problem);
  }
}

}  // namespace stereolint
