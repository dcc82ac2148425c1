#include "checkers/depth/EyeOrder.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace stereolint {

namespace {

// A band is a run of pixels without parallax between two valid ones whose
// parallax jumps by at least kMinimumJump pixels, the left one farther, and
// no longer than the jump allows (an occlusion is as wide as the jump, give
// or take the matching's blur of depth edges).
constexpr float kMinimumJump = 1.5f;
constexpr int kBandSlack = 3;
// The band is compared with this many pixels of each surface, taken
// kSurfaceGap pixels away from it. The matching blurs a depth edge over a
// pixel or two: the surface that is really nearer spreads its parallax over
// the first pixels of the band, so the pixels right next to the band may
// show the band's own content under the other surface's parallax. With the
// eyes swapped that surface reads farther, and samples taken right at the
// band pull its vote towards "as shot".
constexpr int kSurfacePixels = 4;
constexpr int kSurfaceGap = 2;
// A band counts when it is this much closer in colour to one side than to
// the other, and the two sides differ by at least kMinimumContrast (sum of
// the channel differences, 0 to 255 each).
constexpr double kCloserRatio = 0.7;
constexpr double kMinimumContrast = 12.0;
// A band continues a depth edge when the row above or below has a band
// within this many pixels of it.
constexpr int kEdgeDrift = 2;

cv::Vec3d meanColour(const cv::Mat& colour, int y, int from, int to) {
  cv::Vec3d sum(0, 0, 0);
  for (int x = from; x < to; ++x) {
    if (colour.channels() == 1) {
      const double grey = colour.at<uchar>(y, x);
      sum += cv::Vec3d(grey, grey, grey);
    } else {
      const cv::Vec3b pixel = colour.at<cv::Vec3b>(y, x);
      sum += cv::Vec3d(pixel[0], pixel[1], pixel[2]);
    }
  }
  return sum / std::max(1, to - from);
}

double distance(const cv::Vec3d& a, const cv::Vec3d& b) {
  return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// Adds the vote of the band [from, to) of row `y`, when it gives one.
void vote(const cv::Mat& colour, int y, int from, int to, EyeOrderEvidence& evidence) {
  const int reach = kSurfaceGap + kSurfacePixels;
  if (from - reach < 0 || to + reach > colour.cols) return;
  const cv::Vec3d band = meanColour(colour, y, from, to);
  const cv::Vec3d farther = meanColour(colour, y, from - reach, from - kSurfaceGap);
  const cv::Vec3d nearer = meanColour(colour, y, to + kSurfaceGap, to + reach);
  if (distance(farther, nearer) < kMinimumContrast) return;
  const double toFarther = distance(band, farther), toNearer = distance(band, nearer);
  if (toFarther < kCloserRatio * toNearer) ++evidence.farther;
  else if (toNearer < kCloserRatio * toFarther) ++evidence.nearer;
}

struct Band {
  int y;
  int from;
  int to;  // one past the last pixel
};

bool continued(const cv::Mat& marked, const Band& band) {
  const int from = std::max(0, band.from - kEdgeDrift);
  const int to = std::min(marked.cols, band.to + kEdgeDrift);
  for (int y : {band.y - 1, band.y + 1}) {
    if (y < 0 || y >= marked.rows) continue;
    if (cv::countNonZero(marked.row(y).colRange(from, to)) > 0) return true;
  }
  return false;
}

}  // namespace

const char* eyeOrderName(EyeOrder order) {
  switch (order) {
    case EyeOrder::Ok: return "OK";
    case EyeOrder::Swapped: return "SWAPPED";
    case EyeOrder::Unsure: break;
  }
  return "UNSURE";
}

EyeOrderEvidence eyeOrderEvidence(const cv::Mat& map, const cv::Mat& leftColour) {
  std::vector<Band> bands;
  cv::Mat marked = cv::Mat::zeros(map.size(), CV_8U);
  for (int y = 0; y < map.rows; ++y) {
    const auto* row = map.ptr<float>(y);
    int x = 0;
    while (x < map.cols) {
      if (!std::isnan(row[x])) {
        ++x;
        continue;
      }
      const int from = x;
      while (x < map.cols && std::isnan(row[x])) ++x;
      if (from == 0 || x == map.cols) continue;
      const float jump = row[from - 1] - row[x];
      if (jump < kMinimumJump || x - from > static_cast<int>(jump) + kBandSlack) continue;
      bands.push_back({y, from, x});
      marked.row(y).colRange(from, x).setTo(1);
    }
  }
  // A depth edge runs on over rows; a band with no band beside it above or
  // below is a mismatch of the matching (repetitive texture), not an edge.
  EyeOrderEvidence evidence;
  for (const Band& band : bands)
    if (continued(marked, band)) vote(leftColour, band.y, band.from, band.to, evidence);
  return evidence;
}

double eyeOrderScore(const EyeOrderEvidence& evidence) {
  const int total = evidence.farther + evidence.nearer;
  return total == 0 ? 0.0 : static_cast<double>(evidence.farther - evidence.nearer) / total;
}

EyeOrder eyeOrder(const EyeOrderEvidence& evidence) {
  if (evidence.farther + evidence.nearer < kEyeOrderMinimumBands) return EyeOrder::Unsure;
  const double score = eyeOrderScore(evidence);
  if (score >= kEyeOrderMinimumScore) return EyeOrder::Ok;
  if (score <= -kEyeOrderMinimumScore) return EyeOrder::Swapped;
  return EyeOrder::Unsure;
}

}  // namespace stereolint
