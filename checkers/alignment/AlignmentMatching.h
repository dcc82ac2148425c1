// Feature matches between the two views of a stereo pair for the alignment
// fit: features over the whole view, each paired only with features of the
// other view inside a row band and a parallax range, kept only when the
// pairing is the mutual best and clearly better than the next candidate,
// so that repetitive patterns give no match rather than a wrong one.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "checkers/alignment/AlignmentFit.h"

namespace stereolint {

struct FeatureMatchesInBand {
  // Matched positions in the pixels of the views given.
  std::vector<PointPair> pairs;
  // Features detected in the left view.
  int leftFeatures = 0;
  // Left features whose best candidate had a rival nearly as good (the
  // ratio test failed): the mark of repetitive texture.
  int ambiguous = 0;
};

// Matches `left` and `right` (8-bit, one channel, same size). A candidate
// right feature lies at most `bandRows` rows above or below the left one and
// at most `parallaxColumns` columns to either side. Up to `features` ORB
// features are kept per view at the views' own resolution (one level),
// spread over an 8 x 6 grid: an equal share of the strongest per cell
// first, then the strongest of the rest.
// Deterministic: the same views give the same list in the same order.
FeatureMatchesInBand matchInBand(const cv::Mat& left, const cv::Mat& right, double bandRows,
                                 double parallaxColumns, int features);

}  // namespace stereolint
