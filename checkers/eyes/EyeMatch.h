// How the two eyes differ in brightness and colour where they see the same
// thing: each pixel of the left view with a parallax compared with the
// right view's pixel it matches (the right view already corrected by the
// fitted misalignment, so the match lies on the same row).
#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "results/ColourDecision.h"

namespace stereolint {

// Pixels this close (in pixels of the map) to a pixel without a parallax
// are left out: at depth edges and occlusions the two eyes see different
// things, and the matching blurs the edge.
inline constexpr int kEyeMatchEdgeMargin = 2;
// Pixels whose grey level varies by more than this within one pixel around
// (8-bit levels) are left out: there a fraction of a pixel of
// misregistration between the eyes reads as a difference of colour.
inline constexpr int kEyeMatchSteepest = 16;
// Pixels with a channel at or beyond these 8-bit code values in either eye
// are left out: a clipped channel has lost its difference.
inline constexpr int kEyeMatchDarkest = 4;
inline constexpr int kEyeMatchBrightest = 250;
// The usable pixels are compared on a grid of this step in both directions:
// percentiles of tens of thousands of pixels are as steady as of all of
// them, at a sixteenth of the cost of the colour difference.
inline constexpr int kEyeMatchStep = 4;

struct EyeMatchFigures {
  // log2 of the right eye's mean linear luminance over the left's, stops:
  // positive when the right eye is brighter.
  double luminanceStops = 0;
  // CIEDE2000 of the matched pixels: the median and the 95th percentile.
  double colourMedian = 0;
  double colour95 = 0;
  // The mean shift of the right eye in CIELAB a* (green to red) and b*
  // (blue to yellow): a colour cast, signed.
  double castA = 0;
  double castB = 0;
  // Matched pixels, % of the view.
  double matchedPercent = 0;
  // The decision that maps the right eye's code values onto the left's;
  // empty when too few pixels matched to fit it.
  std::optional<ColourDecision> decision;
};

// `leftColour` and `rightColour` are 8-bit BGR views of the map's size,
// the right already corrected, and `leftGrey` the left's luma; `map` holds
// xR - xL per left pixel (NaN without a match), see parallaxMap. The code
// values are read as sRGB (Rec. 709 pictures differ from it by a few code
// values in the shadows). Nothing when no pixel is matched.
std::optional<EyeMatchFigures> eyeMatch(const cv::Mat& leftColour, const cv::Mat& leftGrey,
                                        const cv::Mat& rightColour, const cv::Mat& map);

// The right eye moved onto the left pixel by pixel, for comparing the
// whole view rather than samples: `right` as the left sees it (8-bit BGR,
// the map's size) and `compared` (CV_8U, 255 or 0), the pixels where both
// eyes see the same thing. Gaps in the map are filled along the row from
// the farther of their neighbours. A gap whose left side lies more than a
// pixel farther than its right side is, at least in part, what only the
// left eye sees (the nearer surface on its right hides it from the right
// eye; the matching widens such gaps) and is not compared, nor is what
// lies beyond the right view or in the black its correction left at the
// edges, nor what lies within two pixels of a step of the parallax of over
// two pixels (where the match of an edge may have landed on its wrong
// side).
struct DenseMatch {
  cv::Mat right;
  cv::Mat compared;
};
DenseMatch denseMatch(const cv::Mat& rightColour, const cv::Mat& map);

}  // namespace stereolint
