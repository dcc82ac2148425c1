// Quality control of one run, on the main thread: the frame pipeline calls it
// when the inputs are open, for every worker it starts, for every frame it
// collects and once at the end. It judges frames and shots as they come in
// (qc::QcSession), prints a line per completed shot and one for the take on
// standard output, says which held pictures of the worst frames under
// "--pictures flagged" the frame outputs write, and writes PREFIX +
// "report.json" and "report.html". Unless "--pictures none", it keeps the
// views of each frame that may still be its shot's worst (at most one per
// open shot, beside frames that wait for an earlier one) and, once a shot
// is complete, writes its worst frame's report pictures (see
// report/WorstPictures.h) and the method's review pictures among its frame
// files, which the page shows.
// Without --qc every call does nothing.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <opencv2/core.hpp>

#include "app/FrameOutputs.h"
#include "app/RunOptions.h"
#include "app/RunStatus.h"
#include "app/Thread.h"
#include "qc/EyeSync.h"
#include "qc/QcSession.h"
#include "qc/Timecode.h"
#include "report/ReportContent.h"
#include "report/WorstPictures.h"

namespace stereolint {

class QcRun {
 public:
  // `options`, `status` and `outputs` must outlive the run.
  QcRun(const RunOptions& options, RunStatus& status, FrameOutputs& outputs);

  // Once the inputs are open: the take's announced frame count (the SIZE of
  // the file names), the number of its first frame (the start timecode's)
  // and the video's own frame rate (--fps without one). False after
  // reporting an error block: a start timecode whose frames do not fit the
  // rate.
  bool start(int frameCount, int firstFrame, std::optional<double> videoRate);

  // After start(): the shots start at these frame numbers (see
  // qc::QcSession::useCuts).
  void useCuts(const qc::ShotScan& scan);

  // For each selected frame, in take order, before its worker begins: the
  // session expects the frame.
  void expect(int frame);

  // After the frame's own block: adds the frame (a failed one as
  // INCONCLUSIVE), has its pictures held, written or let go, prints the
  // lines of the shots it completes.
  void collect(FrameWork& frame);

  // Once reading ends: the eyes' timing, for the report.
  void setEyeSync(const qc::EyeSync& sync) { eyeSync = sync; }

  // Once reading ends: the places of the take the frames were read from,
  // and whether they reach its end (see report::TakeInfo::read).
  void setPlacesRead(report::PlaceRanges ranges, bool toEnd) {
    placesRead = std::move(ranges);
    readToEnd = toEnd;
  }

  // When the selection starts after the take's first place: the frame read
  // just before it (see report::TakeInfo::joinBefore) and its left view,
  // cut as the workers get it.
  void setJoinBefore(int frame, const cv::Mat& leftView);

  // At the end of the run: completes the last shot, prints the take line
  // and writes the report (a file that cannot be written is a warning that
  // fails the run); a run stopped by a signal says so and gives no take
  // verdict. Returns the take's exit code (see qc::gateExitCode): 3
  // when a shot's verdict reaches the --fail-on level, 4 when too few
  // frames were judged, else 0.
  int finish();

 private:
  void apply(const qc::SessionUpdate& update);
  // Keeps what the report pictures of a conclusive frame are made from.
  void keepViews(FrameWork& frame);
  // Writes the report pictures of a shot's worst frame and its review
  // pictures (see FrameOutputs::writeReviewPictures), and lets its views go.
  void writeWorstPictures(int frame);
  // `stoppedBy`: the request that stopped the run, "" when it went to its end.
  // `shots`: the take's shots as judged, for the corrections.
  void writeReport(const std::string& stoppedBy, const std::vector<qc::Shot>& shots);
  // With --corrections: PREFIX + "corrections.json" and "correct.sh".
  void writeCorrections(const report::ReportContent& content, const std::vector<qc::Shot>& shots);

  const RunOptions& options;
  RunStatus& status;
  FrameOutputs& outputs;
  std::optional<qc::QcSession> session;
  qc::Timecode timecode;
  std::optional<double> frameRate;
  int frameCount = 0;
  int firstFrame = 1;
  std::optional<qc::ShotScan> shotScan;
  qc::EyeSync eyeSync;
  report::PlaceRanges placesRead;
  bool readToEnd = false;
  // The views and inliers of the frames that may still be a shot's worst.
  struct KeptViews {
    cv::Mat left, right;
    std::vector<InlierResidual> inliers;
    int size = 0;  // the SIZE of the frame's file names
  };
  std::map<int, KeptViews> mayBeWorst;
  // The report pictures written, by frame.
  std::map<int, report::WorstPictureFiles> worstPictures;
  std::optional<report::TakeJoin> joinBefore;
};

}  // namespace stereolint
