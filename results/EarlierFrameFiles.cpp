#include "results/EarlierFrameFiles.h"

#include <opencv2/imgcodecs.hpp>

#include "results/ResultWriters.h"
#include "util/Paths.h"

namespace stereolint {

namespace {

// True when the picture file holds exactly `view` (PNG keeps every sample,
// so the views written read back equal).
bool holdsView(const std::string& path, const cv::Mat& view) {
  try {
    const cv::Mat written = cv::imread(path, cv::IMREAD_UNCHANGED);
    if (written.size() != view.size() || written.type() != view.type()) return false;
    return cv::norm(written, view, cv::NORM_INF) == 0;
  } catch (const cv::Exception&) {
    return false;
  }
}

}  // namespace

EarlierFrameFiles earlierFrameFiles(const std::string& resultPath, int id, int size,
                                    const cv::Mat& left, const cv::Mat& right) {
  const std::string leftPath = frameFilePath(resultPath, id, size, "LEFT.png");
  const std::string rightPath = frameFilePath(resultPath, id, size, "RIGHT.png");
  const std::string textPath = frameFilePath(resultPath, id, size, "RESULT.txt");
  if (!fileExists(leftPath)) {
    if (fileExists(textPath)) return {EarlierFrame::NoViewsToTell, textPath};
    return {};
  }
  if (!holdsView(leftPath, left)) return {EarlierFrame::OtherViews, leftPath};
  if (fileExists(rightPath) && !holdsView(rightPath, right)) {
    return {EarlierFrame::OtherViews, rightPath};
  }
  return {EarlierFrame::SameViews, leftPath};
}

}  // namespace stereolint
