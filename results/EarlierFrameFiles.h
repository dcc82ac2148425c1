// Whether the output prefix already holds the files of a frame, and whether
// they show the views about to be written: a run of the same take writes the
// same views again, another take with the same frame count writes other
// pictures under the same names (the file names carry only the frame number
// and the frame count).
#pragma once

#include <opencv2/core.hpp>
#include <string>

namespace stereolint {

enum class EarlierFrame {
  None,           // neither LEFT.png nor RESULT.txt of the frame is there
  SameViews,      // LEFT.png and RIGHT.png hold exactly `left` and `right`
  OtherViews,     // LEFT.png or RIGHT.png holds another picture, or cannot be read
  NoViewsToTell,  // only RESULT.txt is there (its pictures were not written)
};

struct EarlierFrameFiles {
  EarlierFrame found = EarlierFrame::None;
  // The file that decided: the LEFT.png or RIGHT.png that differs, else the
  // first file found. Empty for None.
  std::string path;
};

// Looks at the files of frame `id` of `size` under `resultPath` (named as
// writeFrameFiles names them) and compares their views, pixel for pixel,
// with the views about to be written. Reads up to two pictures; prints
// nothing. Never throws.
EarlierFrameFiles earlierFrameFiles(const std::string& resultPath, int id, int size,
                                    const cv::Mat& left, const cv::Mat& right);

}  // namespace stereolint
