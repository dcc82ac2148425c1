#include "checkers/FeatureMatches.h"

#include <utility>

namespace stereolint {

FeatureMatches::FeatureMatches(std::vector<cv::KeyPoint> leftKeypoints,
                               std::vector<cv::KeyPoint> rightKeypoints,
                               std::vector<cv::DMatch> matches)
    : leftKeypoints(std::move(leftKeypoints)),
      rightKeypoints(std::move(rightKeypoints)),
      matches(std::move(matches)) {}

std::vector<cv::KeyPoint> FeatureMatches::getLeftKeypoints() const { return leftKeypoints; }

std::vector<cv::KeyPoint> FeatureMatches::getRightKeypoints() const { return rightKeypoints; }

std::vector<cv::DMatch> FeatureMatches::getMatches() const { return matches; }

}  // namespace stereolint
