// The values the rotation and scale checkers measure per feature: each one
// compares a match with every other match of the frame, so a frame of n
// matches costs n * n terms. Views that agree closely (a flat shot
// delivered as 3D, rendered content, views after an exact correction)
// match almost every feature and make n large.
//
// Each value has two forms that give bit-identical results: the
// definition, one feature at a time (`meanPairAngle`, `meanSeparationRatio`),
// and a fast form for many features at once (`meanPairAngles`,
// `meanSeparationRatios`) that spreads the features over the cores, skips
// the arctangent of terms that are exactly zero and keeps several sums in
// one vector register. Every feature's sum still adds its terms in match
// order, one at a time, so no rounding changes.
#pragma once

#include <vector>

#include <opencv2/core.hpp>

namespace stereolint {

// Mean over every other match j of the angle, in degrees, by which the
// right view turns the segment from match i to match j:
//   atan((dyR - dyL) / dxL) * 180 / 3.14159265359
// with dxL = left x of i - left x of j, dyL, dyR the same for y (left and
// right views), differences taken in single precision. Pairs with dxL or
// dxR = 0 are left out; 0 when no pair is left.
double meanPairAngle(const std::vector<cv::KeyPoint>& leftKeypoints,
                     const std::vector<cv::KeyPoint>& rightKeypoints,
                     const std::vector<cv::DMatch>& matches, size_t i);

// Mean over every other match j of dyL / dyR, the ratio of the vertical
// separations of matches i and j in the left and the right view (single
// precision differences). Pairs with dyR = 0 are left out; 0 when no pair is
// left.
double meanSeparationRatio(const std::vector<cv::KeyPoint>& leftKeypoints,
                           const std::vector<cv::KeyPoint>& rightKeypoints,
                           const std::vector<cv::DMatch>& matches, size_t i);

// The positions of the matched keypoints, one entry per match in match
// order, as the fast loops read them.
struct MatchedPositions {
  std::vector<float> leftX, leftY, rightX, rightY;

  size_t size() const { return leftX.size(); }
};

MatchedPositions matchedPositions(const std::vector<cv::KeyPoint>& leftKeypoints,
                                  const std::vector<cv::KeyPoint>& rightKeypoints,
                                  const std::vector<cv::DMatch>& matches);

// meanPairAngle / meanSeparationRatio of every match index in `features`,
// in that order.
std::vector<double> meanPairAngles(const MatchedPositions& positions,
                                   const std::vector<size_t>& features);
std::vector<double> meanSeparationRatios(const MatchedPositions& positions,
                                         const std::vector<size_t>& features);

}  // namespace stereolint
