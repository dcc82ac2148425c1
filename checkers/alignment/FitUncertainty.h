// How far the fitted VERTICAL, ROTATION and SCALE may be from the truth: one
// standard error each, valid on real rigs.
//
// The least-squares covariance (fitPrecision) assumes independent residuals.
// On a real rig they are not: lens distortion and other warps the 4-term
// model does not hold leave a smooth residual field across the picture, so
// neighbouring points err together and a fit through points crowded on a
// part of the view moves with where the points happen to sit. A block
// bootstrap measures that: the view's points are split into a grid of
// blocks, blocks are drawn with replacement (a fixed seed: the same points
// always give the same errors), the model is refitted by least squares on
// each draw, and the spread of the refits is the error. The larger of that
// and the independent-residual error is given.
#pragma once

#include <optional>
#include <vector>

#include "checkers/alignment/AlignmentFit.h"

namespace stereolint {

struct FitErrors {
  double vertical = 0;  // rows, of DisparityModel::offset
  double rotation = 0;  // degrees, of DisparityModel::rotationDegrees()
  double scale = 0;     // ratio, of DisparityModel::scaleRatio()
};

// The standard errors of the least-squares fit through `pairs` (the final
// fit's inliers) about `centre`, whose residuals spread by `sigma` rows.
// Nothing when the system is singular or the points fill fewer than four
// blocks of the grid (too few to tell how the fit moves with them).
std::optional<FitErrors> fitErrors(const std::vector<PointPair>& pairs, cv::Point2d centre,
                                   double sigma);

}  // namespace stereolint
