// "Dense": keypoints on a regular grid rather than at detected corners.
#pragma once

#include <opencv2/features2d.hpp>

namespace stereolint {

// One level of keypoints of diameter 1 at every 6th pixel in x and y,
// starting at (0, 0), visited column by column; the picture content is not
// looked at. Pixels where a given mask is 0 get no keypoint.
class DenseDetector : public cv::Feature2D {
 public:
  using cv::Feature2D::detect;
  void detect(cv::InputArray image, std::vector<cv::KeyPoint>& keypoints,
              cv::InputArray mask = cv::noArray()) override;
  cv::String getDefaultName() const override { return "Dense"; }

  static constexpr float kFeatureScale = 1.f;
  static constexpr int kStep = 6;
  static constexpr int kBound = 0;
};

}  // namespace stereolint
