// The depth part of the alignment method: after the geometric fit, the
// right view is corrected by the fitted terms and matched densely along
// rows against the left (checkers/depth), giving the frame's DEPTH block.
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "checkers/alignment/AlignmentMeasurement.h"
#include "checkers/alignment/AlignmentOptions.h"
#include "checkers/depth/DepthFigures.h"
#include "checkers/depth/EyeOrder.h"
#include "checkers/depth/ParallaxMap.h"
#include "results/DepthDetail.h"
#include "results/Result.h"

namespace stereolint {

// Less of the view than this with a parallax makes the block INCONCLUSIVE
// LOW COVERAGE.
inline constexpr double kMinimumCoveragePercent = 10.0;
// The eye order is read only from a frame whose geometry is OK or merely
// FIT UNCERTAIN (the right view then lines up row by row, to a few tenths of
// a row) and whose map covers at least this share of the view: on a poor
// map the bands are mismatches, not occlusions.
inline constexpr double kEyeOrderMinimumCoveragePercent = 30.0;
// Quality control reads such a frame's score when at least this many
// bands gave it: a shot's frames add up to a verdict even when each alone
// is UNSURE.
inline constexpr int kEyeOrderMinimumEvidence = 100;

struct DepthMeasurement {
  // OK, IDENTICAL (the views show one picture), or INCONCLUSIVE with the
  // geometric fit's reason when it fitted no model, or LOW COVERAGE.
  FrameStatus status = FrameStatus::Inconclusive;
  std::optional<Inconclusive> reason;
  std::optional<DepthFigures> figures;  // with a parallax map
  // The farthest parallax (FAR) on the screen of --screen, millimetres.
  std::optional<double> divergenceMm;
  EyeOrderEvidence evidence;
  // Whether the frame can tell the eye order (see
  // kEyeOrderMinimumCoveragePercent), and what it tells: UNSURE when it
  // cannot or its evidence is too weak.
  bool eyeOrderReadable = false;
  EyeOrder eyeOrder = EyeOrder::Unsure;
  double milliseconds = 0;
  // At the size matched, for the pictures and the eyes' match: the parallax
  // map, the left view (8-bit colour and its luma), the corrected right
  // view (8-bit colour) and the views' own window.
  cv::Mat map;
  ParallaxSearch search;  // the parallax searched, pixels of the map
  cv::Mat leftColour;
  cv::Mat leftGrey;
  cv::Mat rightColour;
  WindowMasks masks;
};

// The depth of `left` and `right` (any depth and channel count the method
// takes) given their geometric measurement `m`. Nothing is matched unless
// `m` fitted a model and found the parallax of its inliers, which bound the
// search (with a margin, within the PARALLAX parameter).
DepthMeasurement measureDepth(const cv::Mat& left, const cv::Mat& right,
                              const AlignmentMeasurement& m, const AlignmentOptions& options);

// The DEPTH block's lines, in the order of its table's columns.
Result::KeyValues depthValues(const DepthMeasurement& depth);

// The parallax histogram over the range searched and the window figures,
// for quality control; empty unless the block is OK.
std::optional<DepthDetail> depthDetail(const DepthMeasurement& depth);

// The block's pictures (PARALLAX_MAP, WINDOW), when there is a map.
Result::KeyImages depthPictures(const DepthMeasurement& depth);

}  // namespace stereolint
