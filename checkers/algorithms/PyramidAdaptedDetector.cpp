#include "checkers/algorithms/PyramidAdaptedDetector.h"

#include <utility>

#include <opencv2/imgproc.hpp>

namespace stereolint {

PyramidAdaptedDetector::PyramidAdaptedDetector(cv::Ptr<cv::Feature2D> detector, int maxLevel)
    : detector(std::move(detector)), maxLevel(maxLevel) {}

void PyramidAdaptedDetector::detect(cv::InputArray image, std::vector<cv::KeyPoint>& keypoints,
                                    cv::InputArray mask) {
  keypoints.clear();
  const cv::Mat fullMask = mask.getMat();
  cv::Mat level = image.getMat();
  cv::Mat levelMask = fullMask;
  // The mask shrinks with the picture; dilating it first keeps thin masked-in
  // areas from vanishing on the smaller levels.
  cv::Mat dilatedMask;
  if (!fullMask.empty()) {
    cv::dilate(fullMask, dilatedMask, cv::Mat());
    dilatedMask = (dilatedMask != 0);
  }
  float multiplier = 1.f;
  for (int l = 0; l <= maxLevel; ++l, multiplier *= 2.f) {
    std::vector<cv::KeyPoint> found;
    detector->detect(level, found, levelMask);
    for (cv::KeyPoint& keypoint : found) {
      keypoint.pt *= multiplier;
      keypoint.size *= multiplier;
      keypoint.octave = l;
    }
    keypoints.insert(keypoints.end(), found.begin(), found.end());
    if (l < maxLevel) {
      cv::Mat smaller;
      cv::pyrDown(level, smaller);
      level = smaller;
      if (!fullMask.empty()) cv::resize(dilatedMask, levelMask, level.size(), 0, 0, cv::INTER_AREA);
    }
  }
  if (!fullMask.empty()) cv::KeyPointsFilter::runByPixelsMask(keypoints, fullMask);
}

}  // namespace stereolint
