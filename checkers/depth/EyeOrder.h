// Which view the left eye saw, told from occlusion.
//
// A nearer surface hides a farther one, never the reverse. In the left view
// the band next to the left edge of a nearer surface shows the farther
// surface behind it, which the right view cannot see: the dense matching
// finds no parallax there. Whichever way round the eyes are, such a band has
// the surface that reads farther on its left and the one that reads nearer
// on its right (swapping the eyes flips the sign of the parallax as well as
// the side of the occlusion). What differs is whose content the band shows:
// in a pair as shot it continues the surface that reads farther; with the
// eyes swapped it continues the one that reads nearer, which no real scene
// can show. The band's colour tells which surface it continues.
#pragma once

#include <opencv2/core.hpp>

namespace stereolint {

enum class EyeOrder { Ok, Swapped, Unsure };

// "OK", "SWAPPED", "UNSURE".
const char* eyeOrderName(EyeOrder order);

// Occlusion bands whose colour clearly continues one side: the farther
// surface (as a pair as shot shows) or the nearer one (as swapped eyes do).
struct EyeOrderEvidence {
  int farther = 0;
  int nearer = 0;

  EyeOrderEvidence& operator+=(const EyeOrderEvidence& other) {
    farther += other.farther;
    nearer += other.nearer;
    return *this;
  }
};

// The bands of `map` (see parallaxMap) read against `leftColour`, the left
// view at the map's size (8-bit, 1 or 3 channels).
EyeOrderEvidence eyeOrderEvidence(const cv::Mat& map, const cv::Mat& leftColour);

// From -1 (every band says swapped) to 1 (every band says as shot); 0 with
// no evidence.
double eyeOrderScore(const EyeOrderEvidence& evidence);

// SWAPPED or OK when there are at least kEyeOrderMinimumBands bands and the
// score is at least kEyeOrderMinimumScore from 0; UNSURE otherwise (flat,
// distant or 2D content has few depth edges).
inline constexpr int kEyeOrderMinimumBands = 300;
inline constexpr double kEyeOrderMinimumScore = 0.2;
EyeOrder eyeOrder(const EyeOrderEvidence& evidence);

}  // namespace stereolint
