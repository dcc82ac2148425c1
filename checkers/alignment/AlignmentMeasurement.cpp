#include "checkers/alignment/AlignmentMeasurement.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "checkers/alignment/AlignmentMatching.h"
#include "results/ViewPixels.h"
#include "checkers/alignment/SubpixelRefinement.h"

namespace stereolint {

namespace {

constexpr int kMinimumSide = 64;
constexpr int kMinimumPoints = 20;
// Matches of a far offset agree when within this many rows (of the half
// view) of their median.
constexpr double kFarAgreement = 1.0;
// Contrast (standard deviation of grey levels of the whole view) below which
// a view has nothing to match on.
constexpr double kMatchableContrast = 2.0;
// RANSAC inlier threshold before refinement, rows: keypoints of the half
// resolution level are whole pixels there, two pixels here.
constexpr double kCoarseThreshold = 2.0;
// After refinement the inliers are those within this many robust standard
// deviations of the model, but never a tighter band than kFloor rows.
constexpr double kTrimSigmas = 3.0;
constexpr double kFloor = 0.1;
constexpr size_t kMaxRefined = 400;
constexpr double kMaxResidual = 1.0;
constexpr double kMinInlierShare = 0.3;
// More ambiguous features than this many times the matches: repetitive.
constexpr double kMaxAmbiguousShare = 1.0;
// The standard deviation of the inliers' positions must reach this share
// of the view width and height (matches within a strip a sixth of the view
// wide fall short).
constexpr double kMinSpread = 0.05;
// The standard errors the fit may leave on the offset (rows), the rotation
// (degrees) and the scale (ratio). Two frames of one rig, each measured to
// these, differ by at most 2 sqrt(2) standard errors in 95 % of cases:
// 0.3 rows, 0.05 degrees and 0.2 % of scale. Points crowded on a part of
// the view (a calibration target in a corner), or a lens warp the model
// does not hold, pin the model down poorly even when they fit well.
constexpr double kMaxOffsetError = 0.1;
constexpr double kMaxRotationError = 0.0175;
constexpr double kMaxScaleError = 0.0007;
// A pair counts as the same picture when its inliers sit at the same place
// in both views: their median offset along each axis within kSamePlace
// pixels, and this share of them within kSameSpread pixels, the jitter
// that lossy coding gives the features of two coded copies of one picture
// (about 0.25 pixels at H.264's CRF 18).
constexpr double kSameShare = 0.98;
constexpr double kSamePlace = 0.1;
constexpr double kSameSpread = 0.3;

double elapsedMs(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

using Problem = std::optional<Inconclusive>;

// The reason a pair cannot be measured from its sizes alone, or nothing.
Problem sizeProblem(const cv::Mat& left, const cv::Mat& right) {
  if (left.empty() || right.empty()) return Inconclusive::EmptyView;
  if (left.size() != right.size()) return Inconclusive::ViewsDifferInSize;
  if (left.cols < kMinimumSide || left.rows < kMinimumSide) return Inconclusive::ViewTooSmall;
  return std::nullopt;
}

Problem contentProblem(const cv::Mat& grey) {
  cv::Scalar mean, contrast;
  cv::meanStdDev(grey, mean, contrast);
  if (contrast[0] >= kMatchableContrast) return std::nullopt;
  return flatViewReason(mean[0]);
}

cv::Mat half(const cv::Mat& grey) {
  cv::Mat small;
  cv::resize(grey, small, cv::Size(grey.cols / 2, grey.rows / 2), 0, 0, cv::INTER_AREA);
  return small;
}

// A percentile of `values` (0..1), interpolated between neighbours.
double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const double at = p * static_cast<double>(values.size() - 1);
  const auto below = static_cast<size_t>(std::floor(at));
  const size_t above = std::min(below + 1, values.size() - 1);
  return values[below] + (at - static_cast<double>(below)) * (values[above] - values[below]);
}

double standardDeviation(const std::vector<double>& values) {
  cv::Scalar mean, deviation;
  cv::meanStdDev(values, mean, deviation);
  return deviation[0];
}

// Least squares on the refined pairs, trimmed: the pairs farther from the
// model than kTrimSigmas robust deviations are dropped and the model fitted
// again, until the set stops changing (at most a few rounds).
bool trimmedFit(const std::vector<PointPair>& pairs, std::vector<bool>& use, cv::Point2d centre,
                DisparityModel& model) {
  for (int round = 0; round < 5; ++round) {
    std::vector<PointPair> chosen;
    for (size_t i = 0; i < pairs.size(); ++i) {
      if (use[i]) chosen.push_back(pairs[i]);
    }
    if (!fitLeastSquares(chosen, centre, model)) return false;
    std::vector<double> residuals;
    for (const PointPair& pair : chosen) residuals.push_back(residual(model, pair));
    const double limit = std::max(kTrimSigmas * robustSpread(residuals), kFloor);
    bool changed = false;
    for (size_t i = 0; i < pairs.size(); ++i) {
      const bool keep = use[i] && std::fabs(residual(model, pairs[i])) <= limit;
      changed = changed || keep != use[i];
      use[i] = keep;
    }
    if (!changed) return true;
  }
  std::vector<PointPair> chosen;
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (use[i]) chosen.push_back(pairs[i]);
  }
  return fitLeastSquares(chosen, centre, model);
}

// Fits the model to the matches: coarse RANSAC, sub-pixel refinement of
// its inliers, trimmed least squares. Fills the model, inliers and
// residuals of `m`; false when no model could be fitted.
bool fitMatches(const cv::Mat& leftGrey, const cv::Mat& rightGrey, AlignmentMeasurement& m) {
  if (static_cast<int>(m.pairs.size()) < kMinimumPoints) return false;
  const cv::Point2d centre(leftGrey.cols / 2.0, leftGrey.rows / 2.0);
  std::vector<bool> coarse;
  if (!fitRobust(m.pairs, centre, kCoarseThreshold, m.model, coarse)) return false;
  // Refinement costs time per point: beyond kMaxRefined inliers an evenly
  // spaced selection of the list (which follows feature strength, not
  // position) is refined and the others are dropped.
  const auto coarseCount = static_cast<size_t>(std::count(coarse.begin(), coarse.end(), true));
  const size_t step = (coarseCount + kMaxRefined - 1) / kMaxRefined;
  std::vector<PointPair> refined, outliers;
  size_t seen = 0;
  for (size_t i = 0; i < m.pairs.size(); ++i) {
    if (!coarse[i]) {
      outliers.push_back(m.pairs[i]);
    } else if (seen++ % step == 0) {
      refined.push_back(m.pairs[i]);
    }
  }
  std::vector<bool> use = refineSubpixel(leftGrey, rightGrey, refined);
  if (!trimmedFit(refined, use, centre, m.model)) return false;
  m.pairs = refined;
  m.pairs.insert(m.pairs.end(), outliers.begin(), outliers.end());
  m.inliers = use;
  m.inliers.resize(m.pairs.size(), false);
  m.residuals.clear();
  for (const PointPair& pair : m.pairs) m.residuals.push_back(residual(m.model, pair));
  return true;
}

void describeModel(cv::Size size, AlignmentMeasurement& m) {
  m.fitted = true;
  m.vertical = m.model.offset;
  m.rotationDegrees = m.model.rotationDegrees();
  m.scale = m.model.scaleRatio();
  m.keystone = m.model.keystone * (size.width / 2.0) * (size.height / 2.0);
  std::vector<double> inlierResiduals, parallax;
  for (size_t i = 0; i < m.pairs.size(); ++i) {
    if (!m.inliers[i]) continue;
    inlierResiduals.push_back(m.residuals[i]);
    parallax.push_back(m.model.aligned(m.pairs[i].right).x - m.pairs[i].left.x);
  }
  m.points = static_cast<int>(inlierResiduals.size());
  m.residual = robustSpread(inlierResiduals);
  std::vector<PointPair> used;
  for (size_t i = 0; i < m.pairs.size(); ++i) {
    if (m.inliers[i]) used.push_back(m.pairs[i]);
  }
  m.errors = fitErrors(used, m.model.centre, m.residual);
  if (!parallax.empty()) {
    m.parallaxKnown = true;
    m.nearParallax = 100 * percentile(parallax, 0.02) / size.width;
    m.farParallax = 100 * percentile(parallax, 0.98) / size.width;
  }
}

bool sameEverywhere(const AlignmentMeasurement& m) {
  if (m.points == 0) return false;
  std::vector<double> xs, ys;
  int near = 0;
  for (size_t i = 0; i < m.pairs.size(); ++i) {
    if (!m.inliers[i]) continue;
    const cv::Point2d d = m.pairs[i].right - m.pairs[i].left;
    xs.push_back(d.x);
    ys.push_back(d.y);
    if (std::fabs(d.x) <= kSameSpread && std::fabs(d.y) <= kSameSpread) ++near;
  }
  return near >= kSameShare * m.points && std::fabs(percentile(xs, 0.5)) <= kSamePlace &&
         std::fabs(percentile(ys, 0.5)) <= kSamePlace;
}

// MATCHES AMBIGUOUS when more features were ambiguous than matched (the
// mark of repetitive texture), else `otherwise`.
Problem ambiguityOr(Problem otherwise, const AlignmentMeasurement& m) {
  return m.ambiguous > kMaxAmbiguousShare * m.matched ? Inconclusive::MatchesAmbiguous
                                                      : otherwise;
}

// The reason the fitted numbers cannot be trusted, or nothing.
Problem fitProblem(const AlignmentMeasurement& m, cv::Size size) {
  if (m.points < kMinimumPoints) return ambiguityOr(Inconclusive::TooFewPoints, m);
  if (m.points < kMinInlierShare * m.matched) return Inconclusive::MatchesAmbiguous;
  if (Problem ambiguous = ambiguityOr(std::nullopt, m)) return ambiguous;
  std::vector<double> xs, ys;
  for (size_t i = 0; i < m.pairs.size(); ++i) {
    if (!m.inliers[i]) continue;
    xs.push_back(m.pairs[i].right.x);
    ys.push_back(m.pairs[i].right.y);
  }
  if (standardDeviation(xs) < kMinSpread * size.width ||
      standardDeviation(ys) < kMinSpread * size.height) {
    return Inconclusive::PointsClustered;
  }
  if (m.residual > kMaxResidual) return Inconclusive::ResidualTooLarge;
  if (!m.errors || m.errors->vertical > kMaxOffsetError ||
      m.errors->rotation > kMaxRotationError || m.errors->scale > kMaxScaleError) {
    return Inconclusive::FitUncertain;
  }
  return std::nullopt;
}

// Whether views that gave too few points are offset further than the band
// searches: matched again in a band three times as wide (at most half the
// view), fewer features are ambiguous than matched, at least kMinimumPoints
// matches and half of them lie within kFarAgreement rows of their median
// vertical offset, and that offset lies beyond the band. Views of two
// different scenes match too rarely, and too scattered, to agree.
bool offsetBeyondBand(const cv::Mat& leftHalf, const cv::Mat& rightHalf,
                      const AlignmentOptions& options) {
  const double band = options.bandPercent / 100 * leftHalf.rows;
  const FeatureMatchesInBand wide =
      matchInBand(leftHalf, rightHalf, std::min(3 * band, 0.5 * leftHalf.rows),
                  options.parallaxPercent / 100 * leftHalf.cols, options.features);
  const auto matched = static_cast<std::ptrdiff_t>(wide.pairs.size());
  if (matched < kMinimumPoints || wide.ambiguous > matched) return false;
  std::vector<double> offsets;
  for (const PointPair& pair : wide.pairs) offsets.push_back(pair.right.y - pair.left.y);
  auto middle = offsets.begin() + static_cast<std::ptrdiff_t>(offsets.size() / 2);
  std::nth_element(offsets.begin(), middle, offsets.end());
  const double offset = *middle;
  const auto agreeing = std::count_if(offsets.begin(), offsets.end(), [&](double d) {
    return std::fabs(d - offset) <= kFarAgreement;
  });
  return agreeing >= std::max<std::ptrdiff_t>(kMinimumPoints, matched / 2) &&
         std::fabs(offset) > band;
}

void conclude(AlignmentMeasurement& m, Problem problem) {
  m.status = problem ? FrameStatus::Inconclusive : FrameStatus::Ok;
  m.reason = problem;
}

}  // namespace

std::string AlignmentMeasurement::statusText() const {
  return stereolint::statusText(status, reason);
}

AlignmentMeasurement measureAlignment(const cv::Mat& left, const cv::Mat& right,
                                      const AlignmentOptions& options) {
  const auto start = std::chrono::steady_clock::now();
  AlignmentMeasurement m;
  const auto finish = [&](Problem problem) {
    conclude(m, problem);
    m.milliseconds = elapsedMs(start);
    return m;
  };
  if (Problem problem = sizeProblem(left, right)) return finish(problem);
  const cv::Mat leftGrey = toGrey(left), rightGrey = toGrey(right);
  const cv::Mat leftHalf = half(leftGrey), rightHalf = half(rightGrey);
  for (const cv::Mat* view : {&leftHalf, &rightHalf}) {
    if (Problem problem = contentProblem(*view)) return finish(problem);
  }
  const bool identical = samePixels(leftGrey, rightGrey);

  const FeatureMatchesInBand matches =
      matchInBand(leftHalf, rightHalf, options.bandPercent / 100 * leftHalf.rows,
                  options.parallaxPercent / 100 * leftHalf.cols, options.features);
  // A pixel of the half view covers two of the full one: its centre lies
  // half a pixel past twice its index.
  for (const PointPair& pair : matches.pairs) {
    m.pairs.push_back(
        {pair.left * 2 + cv::Point2d(0.5, 0.5), pair.right * 2 + cv::Point2d(0.5, 0.5)});
  }
  m.matched = static_cast<int>(matches.pairs.size());
  m.ambiguous = matches.ambiguous;
  if (fitMatches(leftGrey, rightGrey, m)) describeModel(leftGrey.size(), m);
  Problem problem =
      m.fitted ? fitProblem(m, leftGrey.size()) : ambiguityOr(Inconclusive::TooFewPoints, m);
  // Views offset beyond the band match too few features in it, or mostly
  // ambiguous ones.
  const bool unmatched =
      problem == Inconclusive::TooFewPoints || problem == Inconclusive::MatchesAmbiguous;
  if (unmatched && offsetBeyondBand(leftHalf, rightHalf, options))
    problem = Inconclusive::OffsetBeyondBand;
  finish(problem);
  if (identical || (m.fitted && sameEverywhere(m))) {
    m.status = FrameStatus::Identical;
    m.reason.reset();
  }
  return m;
}

}  // namespace stereolint
