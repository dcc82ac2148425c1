// A small fingerprint of a frame's picture, computed from its left view by
// the worker, kept in the report, and compared between consecutive frames to
// find the cuts between shots.
#pragma once

#include <cstdint>
#include <vector>

#include <opencv2/core.hpp>

#include "results/FrameOutcome.h"

namespace stereolint::qc {

inline constexpr int kThumbnailWidth = 32;
inline constexpr int kThumbnailHeight = 18;

struct FrameSignature {
  // kThumbnailWidth x kThumbnailHeight grey levels (0 to 255), row by row,
  // the view reduced by area averaging (from the reduction of `contrast`). Empty when unknown (a frame that
  // could not be read).
  std::vector<std::uint8_t> thumbnail;
  // Standard deviation of the grey levels (0 to 255) of the view reduced by
  // a whole factor to at most 256 columns, rounded to hundredths: how much
  // there is to see. Negative when unknown.
  double contrast = -1;

  bool known() const { return thumbnail.size() == kThumbnailWidth * kThumbnailHeight; }
  // A black or evenly lit, textureless view: its contrast is below
  // kFlatContrast.
  bool flat() const { return contrast >= 0 && contrast < kFlatContrast; }
  // The mean grey level of the thumbnail (0 to 255); 0 when unknown.
  double meanGrey() const;
  bool operator==(const FrameSignature& other) const {
    return thumbnail == other.thumbnail && contrast == other.contrast;
  }
};

// The signature of an 8- or 16-bit view with 1, 3 or 4 channels (BGR order).
// An empty or unsupported view gives an unknown signature. Never throws.
FrameSignature frameSignature(const cv::Mat& view);

// How different two pictures look, in grey levels (0 to 255): the mean
// absolute difference of the thumbnails, at the best of the nine shifts of up
// to one thumbnail pixel (1/32 of the width) in each direction, so that a
// camera move between frames does not read as a change of scene. Negative
// when either signature is unknown.
double signatureDistance(const FrameSignature& a, const FrameSignature& b);

// A cut lies between two consecutive frames whose signatures are at a
// distance above kCutDistance. Unknown signatures never make a cut.
inline constexpr double kCutDistance = 20.0;
bool isCut(const FrameSignature& before, const FrameSignature& after);

}  // namespace stereolint::qc
