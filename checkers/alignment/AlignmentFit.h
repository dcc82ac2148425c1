// The model of the vertical disparity between two views and its robust fit.
//
// For a point seen at (xR, yR) in the right view and at row yL in the left
// view, the vertical disparity dy = yL - yR is modelled as
//
//   dy = offset + roll * x + scale * y + keystone * x * y,
//   x = xR - centre.x, y = yR - centre.y,
//
// written at the RIGHT view's positions: the misalignment acts on the right
// view about its own centre, so that a right view turned by t and enlarged
// by s (about its centre) and moved down by n rows gives exactly
// roll = sin t / s, scale = cos t / s - 1, offset = -n cos t / s, whatever
// the horizontal parallax. Written at the left view's positions the roll
// term's share of the parallax would leak into the offset.
#pragma once

#include <cstdint>
#include <optional>
#include <opencv2/core.hpp>
#include <vector>

namespace stereolint {

// One correspondence: a point of the left view and where it is in the right
// view, in pixels (integers are pixel centres).
struct PointPair {
  cv::Point2d left;
  cv::Point2d right;
};

struct DisparityModel {
  cv::Point2d centre;   // pixels: (cols / 2, rows / 2) of the view
  double offset = 0;    // rows: dy at the centre
  double roll = 0;      // rows per pixel of x
  double scale = 0;     // rows per pixel of y
  double keystone = 0;  // rows per pixel of x per pixel of y

  // dy the model gives at the right view's position `right`.
  double at(cv::Point2d right) const;
  // The angle that turns the right view back, degrees, anticlockwise on
  // screen positive (the right view turned anticlockwise by t reads -t).
  double rotationDegrees() const;
  // Vertical separations in the left view over those in the right view:
  // the factor that scales the right view back (enlarged by s reads 1 / s).
  double scaleRatio() const;
  // Where the right view's point `right` was before the misalignment the
  // model describes (rotation, scale and vertical offset undone; the
  // keystone term undone vertically): the left view's row and the aligned
  // right view's column.
  cv::Point2d aligned(cv::Point2d right) const;
  // The inverse: where the aligned position `p` (the left view's row, the
  // aligned right view's column) lies in the right view as shot, the
  // keystone term to first order (it is a fraction of a row per thousand
  // pixels).
  cv::Point2d unaligned(cv::Point2d p) const;
};

// Defined here so that a warp asking it for every pixel has it inline.
inline cv::Point2d DisparityModel::unaligned(cv::Point2d p) const {
  const double x0 = p.x - centre.x, y0 = p.y - centre.y;
  const double a = 1 + scale;
  const double k = 1 / (a * a + roll * roll);
  const double x = k * (a * x0 + roll * y0);
  const double y = k * (-roll * x0 + a * y0) - offset / a;
  return {centre.x + x, centre.y + y - keystone * x * y};
}

// The least-squares model through all `pairs` (at least 4, spread in x and
// y); false when the system is singular.
bool fitLeastSquares(const std::vector<PointPair>& pairs, cv::Point2d centre,
                     DisparityModel& model);

// A robust fit: RANSAC on minimal samples of 4 pairs with a fixed seed
// (the same input always gives the same model), scoring each candidate by
// its truncated squared residuals at `threshold` rows, then least squares
// on the inliers. `inliers` receives one flag per pair. False when fewer
// than 4 pairs are given or no sample gives a model.
bool fitRobust(const std::vector<PointPair>& pairs, cv::Point2d centre, double threshold,
               DisparityModel& model, std::vector<bool>& inliers);

// How precisely a least-squares fit through `pairs` pins the model down,
// for independent residuals of spread `sigma` rows: the standard errors of
// its offset (rows), of its roll term (rows per pixel, about radians of
// rotation) and of its scale term (rows per pixel, about the change of the
// scale ratio), from the covariance sigma^2 (A^T A)^-1 of the system.
// Nothing when the system is singular.
struct FitPrecision {
  double offset = 0;
  double roll = 0;
  double scale = 0;
};
std::optional<FitPrecision> fitPrecision(const std::vector<PointPair>& pairs, cv::Point2d centre,
                                         double sigma);

// dy measured minus dy modelled for one pair, rows.
double residual(const DisparityModel& model, const PointPair& pair);

// 1.4826 times the median absolute deviation of `values` from their median
// (the standard deviation for normal data, unmoved by a few outliers); 0 for
// an empty list.
double robustSpread(std::vector<double> values);

}  // namespace stereolint
