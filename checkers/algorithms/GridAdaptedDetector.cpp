#include "checkers/algorithms/GridAdaptedDetector.h"

#include <utility>

namespace stereolint {

GridAdaptedDetector::GridAdaptedDetector(cv::Ptr<cv::Feature2D> detector, int maxTotalKeypoints,
                                         int gridRows, int gridCols)
    : detector(std::move(detector)),
      maxTotalKeypoints(maxTotalKeypoints),
      gridRows(gridRows),
      gridCols(gridCols) {}

void GridAdaptedDetector::detect(cv::InputArray image, std::vector<cv::KeyPoint>& keypoints,
                                 cv::InputArray mask) {
  keypoints.clear();
  const cv::Mat picture = image.getMat();
  const cv::Mat pictureMask = mask.getMat();
  if (picture.empty() || maxTotalKeypoints < gridRows * gridCols) return;
  const int maxPerCell = maxTotalKeypoints / (gridRows * gridCols);
  for (int cell = 0; cell < gridRows * gridCols; ++cell) {
    const int row = cell / gridCols;
    const int col = cell % gridCols;
    const cv::Range rows(row * picture.rows / gridRows, (row + 1) * picture.rows / gridRows);
    const cv::Range cols(col * picture.cols / gridCols, (col + 1) * picture.cols / gridCols);
    if (rows.size() == 0 || cols.size() == 0) continue;
    std::vector<cv::KeyPoint> cellKeypoints;
    detector->detect(picture(rows, cols), cellKeypoints,
                     pictureMask.empty() ? cv::Mat() : pictureMask(rows, cols));
    cv::KeyPointsFilter::retainBest(cellKeypoints, maxPerCell);
    for (cv::KeyPoint& keypoint : cellKeypoints) {
      keypoint.pt.x += static_cast<float>(cols.start);
      keypoint.pt.y += static_cast<float>(rows.start);
    }
    keypoints.insert(keypoints.end(), cellKeypoints.begin(), cellKeypoints.end());
  }
}

}  // namespace stereolint
