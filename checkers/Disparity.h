// One measured disparity value at one left-view feature position.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

#include "checkers/FeatureMatches.h"

namespace stereolint {

class Disparity {
 public:
  Disparity(cv::Point point, double value) : point(point), value(value) {}

  // The left keypoint's position rounded to whole pixels (cvRound, halves to
  // even).
  cv::Point getPoint() const { return point; }
  // Pixels for a vertical offset, degrees for a rotation, a ratio for scale.
  double getValue() const { return value; }

  // Orders by value, strictly.
  friend bool operator<(const Disparity& a, const Disparity& b) { return a.value < b.value; }

 private:
  cv::Point point;
  double value;
};

// The position of a match in the left view: its left keypoint rounded to
// whole pixels.
cv::Point leftPosition(const std::vector<cv::KeyPoint>& leftKeypoints, const cv::DMatch& match);

// The indices of the matches that measure a disparity: the first match at
// each distinct left position, in match order. Later matches at a position
// already taken are skipped, though they still serve as partners in the
// rotation and scale measurements.
std::vector<size_t> firstMatchPerPosition(const std::vector<cv::KeyPoint>& leftKeypoints,
                                          const std::vector<cv::DMatch>& matches);

}  // namespace stereolint
