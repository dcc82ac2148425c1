// "Grid" prefix: spreads another detector's keypoints over the whole picture.
#pragma once

#include <opencv2/features2d.hpp>

namespace stereolint {

// Cuts the picture into a grid of 4 x 4 cells (cell edges at i * size / 4,
// integer division), runs the wrapped detector on each cell and keeps the
// strongest keypoints (by response) of each cell: 1000 / 16 = 62 at most.
// Cells are visited row by row, so the keypoint order is deterministic.
class GridAdaptedDetector : public cv::Feature2D {
 public:
  explicit GridAdaptedDetector(cv::Ptr<cv::Feature2D> detector, int maxTotalKeypoints = 1000,
                               int gridRows = 4, int gridCols = 4);

  using cv::Feature2D::detect;
  void detect(cv::InputArray image, std::vector<cv::KeyPoint>& keypoints,
              cv::InputArray mask = cv::noArray()) override;
  cv::String getDefaultName() const override { return "Grid"; }

 private:
  cv::Ptr<cv::Feature2D> detector;
  int maxTotalKeypoints;
  int gridRows;
  int gridCols;
};

}  // namespace stereolint
