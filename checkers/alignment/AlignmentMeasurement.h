// The whole alignment measurement of one stereo pair: views in, numbers,
// the points used and a status out. Nothing is printed or drawn.
#pragma once

#include <optional>
#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "checkers/alignment/AlignmentFit.h"
#include "checkers/alignment/AlignmentOptions.h"
#include "checkers/alignment/FitUncertainty.h"
#include "results/FrameOutcome.h"

namespace stereolint {

struct AlignmentMeasurement {
  FrameStatus status = FrameStatus::Inconclusive;
  // Why, when inconclusive (one of the reasons whose alignmentStatus is set).
  std::optional<Inconclusive> reason;

  // The fitted model; the numbers below it are valid when `fitted`.
  bool fitted = false;
  DisparityModel model;
  double vertical = 0;         // rows at the view centre, left row - right row
  double rotationDegrees = 0;  // the angle that turns the right view back, anticlockwise > 0
  double scale = 1;            // vertical separations left / right
  double keystone = 0;         // rows the x*y term adds at the bottom-right corner
  double residual = 0;         // 1.4826 * MAD of the inliers' vertical residuals, rows
  // One standard error of vertical, rotationDegrees and scale, valid on real
  // rigs (see FitUncertainty.h); empty when the inliers cannot tell (too
  // few, or all in a few blocks of the view), which makes the frame FIT
  // UNCERTAIN.
  std::optional<FitErrors> errors;

  // Horizontal parallax after the fitted misalignment is undone, xR - xL as a
  // percentage of the view width (positive: behind the screen): the 2nd
  // percentile of the inliers (nearest content) and the 98th (farthest).
  // Valid when `parallaxKnown`.
  bool parallaxKnown = false;
  double nearParallax = 0;
  double farParallax = 0;

  int points = 0;           // inliers used by the final fit
  int matched = 0;          // mutual matches found, before any fit
  int ambiguous = 0;        // left features left unmatched because a rival was nearly as good
  double milliseconds = 0;  // time measuring (conversion, detection, matching, fit)

  // The matches in full-resolution pixels: first those refined to a
  // fraction of a pixel (at most 400 of the coarse fit's inliers, evenly
  // chosen), then the coarse fit's outliers; with the flag of the inliers of
  // the final fit and each one's vertical residual (rows) about the model.
  std::vector<PointPair> pairs;
  std::vector<bool> inliers;
  std::vector<double> residuals;

  // "OK", "INCONCLUSIVE <reason>" or "IDENTICAL".
  std::string statusText() const;
};

// Measures the misalignment of `right` against `left` (any depth and
// channel count toEightBit and toGrey take). Never throws for bad content;
// errors of the image library itself (e.g. out of memory) propagate as
// cv::Exception. The same views and options always give the same numbers.
AlignmentMeasurement measureAlignment(const cv::Mat& left, const cv::Mat& right,
                                      const AlignmentOptions& options);

}  // namespace stereolint
