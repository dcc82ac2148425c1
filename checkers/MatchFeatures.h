// Finding and pairing point features of two views, tile by tile.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "checkers/FeatureMatches.h"
#include "checkers/StereolintInterface.h"

namespace stereolint {

// The tile margin in pixels, added on every side of a tile's step.
inline constexpr int kTileMargin = 28;

// The tiles matchFeatures visits for views of these sizes, in visiting
// order (column by column, top to bottom within a column). With tile steps
// tw = WIDTH * columns / 100 and th = HEIGHT * rows / 100 (integers), tile
// centres start at (m + tw, m + th) and advance by the steps while centre +
// m + step stays below the size of both views; each tile spans 2 (m + tw)
// by 2 (m + th) pixels around its centre, so neighbours overlap. A step
// below one pixel gives no tiles.
std::vector<cv::Rect> featureTiles(int widthPercent, int heightPercent, cv::Size left,
                                   cv::Size right);

// The forward matches of one tile that survive the cross-check: f is kept
// when the backward match at position f.trainIdx points back to f.queryIdx,
// both distances are the smallest of their direction in the tile (ties all
// kept) and both are at most `half`.
std::vector<cv::DMatch> crossCheckedMatches(const std::vector<cv::DMatch>& forward,
                                            const std::vector<cv::DMatch>& backward, float half);

// One view's features in one tile, in the tile's own coordinates.
struct TileFeatures {
  std::vector<cv::KeyPoint> keypoints;
  cv::Mat descriptors;
};

// The tile features of the last matchFeatures call that was given this
// memo. Steps hand their corrected views to the next step, and a view its
// step left as it was (the left view, corrected by a neutral amount; both
// views when steps do not pass corrections on) has the features it had:
// the next matching takes them from here instead of finding them again.
// They are taken only when the pixels, the tiles and the algorithm names are
// all the same and the algorithm describes in one call (whose results depend
// on the tile alone), so matches come out exactly as without the memo. The
// views share the pixels they were given, which must not change while the
// memo is in use.
struct FeatureMemo {
  cv::Mat leftView, rightView;
  std::string detector, extractor;
  std::vector<cv::Rect> tiles;
  std::vector<TileFeatures> left, right;  // one per tile
};

// Detects, describes and matches features of the two 8-bit views tile by
// tile, with the algorithms named by the checker's DETECTOR, EXTRACTOR and
// MATCHER parameters and the tile steps of its WIDTH and HEIGHT parameters.
// A tile keeps a forward match only when it is mutual and its distance is
// the tile's smallest in both directions and at most half the descriptor
// size. Keypoints of every processed tile are listed, matched or not, in
// whole-view coordinates; a tile whose two descriptor matrices differ in
// width adds nothing. Errors of the image library propagate. With a memo,
// features are taken from it where it allows, and kept in it.
std::unique_ptr<FeatureMatches> matchFeatures(const StereolintInterface& checker, cv::Mat left,
                                              cv::Mat right, FeatureMemo* memo = nullptr);

}  // namespace stereolint
