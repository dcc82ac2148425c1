// A warning before a run writes its frame files over those of another take.
//
// Frame files are named by the frame number and the frame count alone, so
// two takes of the same length written under one output prefix share their
// names. Before the first selected frame whose files are already there
// starts, the check compares the views written there with the frame's own
// (results/EarlierFrameFiles.h). The same views are the same take run
// again: its table rows will stand twice, which one warning says under
// --qc. Other views give one warning, e.g.
//
//   "The results of take B.mp4 under out/ are overwritten by take A.mp4 from
//    frame 1 onward (out/1_3_LEFT.png shows other views)"
//
// The other take is named when PREFIXreport.json (written with --qc) names
// it; else it reads "another take". Once decided, later frames are not
// looked at. Frames whose pictures were not written (RESULT.txt alone, as
// under --pictures none) cannot tell; the next frame is looked at.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "app/RunOptions.h"
#include "app/RunStatus.h"

namespace stereolint {

class OverwriteCheck {
 public:
  // `options` and `status` must outlive the check.
  OverwriteCheck(const RunOptions& options, RunStatus& status) : options(options), status(status) {}

  // On the main thread, before the worker of frame `id` (of `size`) starts,
  // with the views it will write.
  void beforeFrame(int id, int size, const cv::Mat& left, const cv::Mat& right);

 private:
  // "take B.mp4" when the report under the prefix names another take, else
  // "another take".
  std::string otherTake() const;
  // The inputs' base names.
  std::vector<std::string> ourInputs() const;

  const RunOptions& options;
  RunStatus& status;
  bool decided = false;
};

}  // namespace stereolint
