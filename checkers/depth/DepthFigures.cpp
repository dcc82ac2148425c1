#include "checkers/depth/DepthFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <opencv2/imgproc.hpp>
#include <utility>
#include <vector>

namespace stereolint {

namespace {

// A column is part of a mask when no pixel of it is brighter than this grey
// and its pixels deviate by at most this much (a mask's coding noise; dark
// content deviates by 2.5 and more).
constexpr int kMaskGrey = 16;
constexpr double kMaskDeviation = 1.5;
// Columns past the flat ones still counted while no pixel is brighter than
// kMaskGrey: the mask's blended edge.
constexpr int kMaskSoftEdge = 2;
// The content at an edge is read from this many valid pixels next to it,
// found within this share of the width from the edge.
constexpr int kEdgeSamples = 8;
constexpr double kEdgeSearchShare = 0.25;
// A sample needs detail along the row (see `detailOf`): a step of this many
// grey levels within this many pixels.
constexpr int kEdgeTextureGrey = 4;
constexpr int kEdgeTextureReach = 2;

// Interpolated percentile (0..1) of values, reordered in place.
double percentileInPlace(std::vector<float>& values, double p) {
  const double at = p * static_cast<double>(values.size() - 1);
  const auto low = static_cast<size_t>(std::floor(at));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(low), values.end());
  const double a = values[low];
  if (low + 1 >= values.size()) return a;
  const double b = *std::min_element(values.begin() + static_cast<std::ptrdiff_t>(low) + 1,
                                     values.end());
  return a + (b - a) * (at - static_cast<double>(low));
}

// The interpolated percentiles of a map's parallax. The matcher gives
// parallax in sixteenths of a pixel, so the values are counted per
// sixteenth and each order statistic read off the counts: one pass over
// the values instead of a partial sort per percentile, and the same
// numbers. Values that are not whole sixteenths are ordered in place.
class Percentiles {
 public:
  explicit Percentiles(std::vector<float> values) : values_(std::move(values)) {
    const auto [least, greatest] = std::minmax_element(values_.begin(), values_.end());
    if (least == values_.end() || !(std::fabs(*least) <= kLargest) ||
        !(std::fabs(*greatest) <= kLargest))
      return;
    first_ = static_cast<long>(std::floor(*least * kSteps));
    const auto last = static_cast<long>(std::ceil(*greatest * kSteps));
    counts_.assign(static_cast<size_t>(last - first_ + 1), 0);
    for (float v : values_) {
      const float steps = v * kSteps;
      const auto whole = static_cast<long>(steps);
      if (static_cast<float>(whole) != steps) {
        counts_.clear();
        return;
      }
      ++counts_[static_cast<size_t>(whole - first_)];
    }
  }

  double operator()(double p) {
    if (counts_.empty()) return percentileInPlace(values_, p);
    const double at = p * static_cast<double>(values_.size() - 1);
    const auto low = static_cast<size_t>(std::floor(at));
    const double a = orderStatistic(low);
    if (low + 1 >= values_.size()) return a;
    const double b = orderStatistic(low + 1);
    return a + (b - a) * (at - static_cast<double>(low));
  }

 private:
  static constexpr float kSteps = 16.0f;
  // Parallax beyond this many pixels either way is ordered in place.
  static constexpr float kLargest = 4096.0f;

  // The value with `index` values below it.
  float orderStatistic(size_t index) const {
    size_t below = 0;
    for (size_t k = 0; k < counts_.size(); ++k) {
      below += counts_[k];
      if (below > index) return static_cast<float>(first_ + static_cast<long>(k)) / kSteps;
    }
    return static_cast<float>(first_ + static_cast<long>(counts_.size()) - 1) / kSteps;
  }

  std::vector<float> values_;
  std::vector<size_t> counts_;
  long first_ = 0;
};

double brightestOf(const cv::Mat& grey, int x) {
  double brightest = 0;
  cv::minMaxLoc(grey.col(x), nullptr, &brightest);
  return brightest;
}

// True for a column of a black mask: no pixel brighter than kMaskGrey, and
// flat. Dark content (the edge of a night scene, a picture fading to black)
// is as dark but keeps its texture, and would otherwise read as a mask of
// whatever width its darkness reaches, different in each eye.
bool isMaskColumn(const cv::Mat& grey, int x) {
  if (brightestOf(grey, x) > kMaskGrey) return false;
  cv::Scalar mean, deviation;
  cv::meanStdDev(grey.col(x), mean, deviation);
  return deviation[0] <= kMaskDeviation;
}

int blackColumns(const cv::Mat& grey, bool fromLeft) {
  const auto column = [&](int i) { return fromLeft ? i : grey.cols - 1 - i; };
  int count = 0;
  while (count < grey.cols && isMaskColumn(grey, column(count))) ++count;
  if (count == 0) return 0;
  // The mask's edge, blended with the picture by shrinking or correcting a
  // view, is dark but no longer flat.
  for (int soft = 0; soft < kMaskSoftEdge && count < grey.cols; ++soft, ++count)
    if (brightestOf(grey, column(count)) > kMaskGrey) break;
  return count;
}

// The window's own parallax at an edge (xR - xL of the masks' inner edges).
double windowParallax(const WindowMasks& masks, bool leftEdge) {
  return leftEdge ? masks.rightViewLeft - masks.leftViewLeft
                  : masks.leftViewRight - masks.rightViewRight;
}

// Where the left view has detail to match along its rows (255, else 0): two
// pixels a column apart either side differ by kEdgeTextureGrey or more
// somewhere within kEdgeTextureReach pixels. Without it the matcher's value
// is carried in from elsewhere by its smoothness.
cv::Mat detailOf(const cv::Mat& grey) {
  cv::Mat steps(grey.size(), CV_8U, cv::Scalar(0));
  if (grey.cols > 2)
    cv::absdiff(grey.colRange(2, grey.cols), grey.colRange(0, grey.cols - 2),
                steps.colRange(1, grey.cols - 1));
  cv::Mat detail = steps >= kEdgeTextureGrey;
  const int side = 2 * kEdgeTextureReach + 1;
  cv::dilate(detail, detail, cv::getStructuringElement(cv::MORPH_RECT, {side, side}));
  return detail;
}

// The parallax of the content next to the edge in row `y`: the median of
// the first kEdgeSamples valid pixels with detail inside the left view's
// mask; NaN when the row has too few near the edge.
float edgeParallax(const cv::Mat& map, const cv::Mat& detail, const WindowMasks& masks,
                   bool leftEdge, int y) {
  const auto* row = map.ptr<float>(y);
  const auto* detailRow = detail.ptr<uchar>(y);
  const int limit = static_cast<int>(kEdgeSearchShare * map.cols);
  const int start = leftEdge ? masks.leftViewLeft : masks.leftViewRight;
  float samples[kEdgeSamples];
  int found = 0;
  for (int i = start; i < start + limit && i < map.cols && found < kEdgeSamples; ++i) {
    const int x = leftEdge ? i : map.cols - 1 - i;
    if (!std::isnan(row[x]) && detailRow[x] != 0) samples[found++] = row[x];
  }
  if (found < kEdgeSamples / 2) return std::numeric_limits<float>::quiet_NaN();
  std::nth_element(samples, samples + found / 2, samples + found);
  return samples[found / 2];
}

// Per row, the parallax at the edge when it lies in front of the window
// (NaN otherwise), runs shorter than the minimum dropped.
std::vector<float> violations(const cv::Mat& map, const cv::Mat& detail, const WindowMasks& masks,
                              bool leftEdge) {
  const double window = windowParallax(masks, leftEdge);
  const double tolerance = kWindowTolerancePercent / 100.0 * map.cols;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> rows(static_cast<size_t>(map.rows), nan);
  for (int y = 0; y < map.rows; ++y) {
    const float p = edgeParallax(map, detail, masks, leftEdge, y);
    if (!std::isnan(p) && p < window - tolerance) rows[static_cast<size_t>(y)] = p;
  }
  const auto minimumRun = static_cast<size_t>(
      std::max(1.0, std::ceil(kWindowMinimumRunPercent / 100.0 * map.rows)));
  for (size_t start = 0; start < rows.size();) {
    size_t end = start;
    while (end < rows.size() && !std::isnan(rows[end])) ++end;
    if (end - start < minimumRun) std::fill(rows.begin() + static_cast<std::ptrdiff_t>(start),
                                            rows.begin() + static_cast<std::ptrdiff_t>(end), nan);
    start = end + 1;
  }
  return rows;
}

}  // namespace

WindowMasks windowMasks(const cv::Mat& leftGrey, const cv::Mat& rightGrey) {
  return {blackColumns(leftGrey, true), blackColumns(rightGrey, true),
          blackColumns(leftGrey, false), blackColumns(rightGrey, false)};
}

std::vector<bool> windowViolationRows(const cv::Mat& map, const cv::Mat& leftGrey,
                                      const WindowMasks& masks, bool leftEdge) {
  std::vector<bool> flags;
  for (float p : violations(map, detailOf(leftGrey), masks, leftEdge))
    flags.push_back(!std::isnan(p));
  return flags;
}

std::optional<DepthFigures> depthFigures(const cv::Mat& map, const cv::Mat& leftGrey,
                                         const WindowMasks& masks, double fullPixelsPerMapPixel) {
  std::vector<float> valid;
  valid.reserve(map.total());
  for (int y = 0; y < map.rows; ++y) {
    const auto* row = map.ptr<float>(y);
    for (int x = 0; x < map.cols; ++x)
      if (!std::isnan(row[x])) valid.push_back(row[x]);
  }
  if (valid.empty()) return std::nullopt;
  DepthFigures figures;
  const double toPercent = 100.0 / map.cols;
  figures.coveragePercent =
      100.0 * static_cast<double>(valid.size()) / static_cast<double>(map.total());
  Percentiles percentile(std::move(valid));
  figures.nearPercent = percentile(0.02) * toPercent;
  figures.medianPercent = percentile(0.50) * toPercent;
  figures.farPercent = percentile(0.98) * toPercent;

  double mask = 0;  // map pixels the window must come forward
  const cv::Mat detail = detailOf(leftGrey);
  for (bool leftEdge : {true, false}) {
    const std::vector<float> rows = violations(map, detail, masks, leftEdge);
    const auto cut =
        std::count_if(rows.begin(), rows.end(), [](float p) { return !std::isnan(p); });
    (leftEdge ? figures.windowLeftPercent : figures.windowRightPercent) =
        100.0 * static_cast<double>(cut) / map.rows;
    for (float p : rows)
      if (!std::isnan(p)) mask = std::max(mask, windowParallax(masks, leftEdge) - p);
  }
  // Half a map pixel more than the nearest cut content needs, so that the
  // window lies in front of it once the mask is applied and measured again.
  if (mask > 0)
    figures.floatingWindowPixels =
        static_cast<int>(std::ceil((mask + 0.5) * fullPixelsPerMapPixel));
  return figures;
}

}  // namespace stereolint
