// The point features of one stereo pair and the pairs accepted between them.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

namespace stereolint {

// Built once from its three lists and never changed. Keypoint coordinates are
// whole-view pixels. In every match, queryIdx indexes the left keypoints,
// trainIdx the right keypoints, and distance is the descriptor distance.
// Overlapping tiles may list one physical feature several times, each copy
// with its own index.
class FeatureMatches {
 public:
  FeatureMatches(std::vector<cv::KeyPoint> leftKeypoints, std::vector<cv::KeyPoint> rightKeypoints,
                 std::vector<cv::DMatch> matches);

  std::vector<cv::KeyPoint> getLeftKeypoints() const;
  std::vector<cv::KeyPoint> getRightKeypoints() const;
  std::vector<cv::DMatch> getMatches() const;

 private:
  std::vector<cv::KeyPoint> leftKeypoints;
  std::vector<cv::KeyPoint> rightKeypoints;
  std::vector<cv::DMatch> matches;
};

}  // namespace stereolint
