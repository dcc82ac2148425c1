#include "checkers/algorithms/DenseDetector.h"

namespace stereolint {

void DenseDetector::detect(cv::InputArray image, std::vector<cv::KeyPoint>& keypoints,
                           cv::InputArray mask) {
  keypoints.clear();
  const cv::Size size = image.size();
  for (int x = kBound; x < size.width - kBound; x += kStep) {
    for (int y = kBound; y < size.height - kBound; y += kStep) {
      keypoints.emplace_back(static_cast<float>(x), static_cast<float>(y), kFeatureScale);
    }
  }
  cv::KeyPointsFilter::runByPixelsMask(keypoints, mask.getMat());
}

}  // namespace stereolint
