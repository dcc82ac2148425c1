#include "checkers/alignment/AlignmentFit.h"

#include <algorithm>
#include <cmath>

namespace stereolint {

namespace {

constexpr double kPi = 3.14159265358979323846;

// RANSAC settles when this sure that a sample of inliers was drawn.
constexpr double kConfidence = 0.999;
constexpr int kMaxIterations = 500;
// The generator's seed: fixed, so that a frame always gives the same model.
constexpr std::uint64_t kSeed = 0x5EED5EEDull;

// Positions are divided by this length before fitting, so that the four
// columns of the system have comparable sizes.
double normalisingLength(cv::Point2d centre) { return std::max({centre.x, centre.y, 1.0}); }

// The row of the system for one pair: 1, u, v, u v with u, v the right
// view's position about the centre in units of `length`.
void systemRow(const PointPair& pair, cv::Point2d centre, double length, double row[4]) {
  const double u = (pair.right.x - centre.x) / length;
  const double v = (pair.right.y - centre.y) / length;
  row[0] = 1;
  row[1] = u;
  row[2] = v;
  row[3] = u * v;
}

DisparityModel fromSolution(const cv::Matx41d& x, cv::Point2d centre, double length) {
  DisparityModel model;
  model.centre = centre;
  model.offset = x(0);
  model.roll = x(1) / length;
  model.scale = x(2) / length;
  model.keystone = x(3) / (length * length);
  return model;
}

// Least squares through the pairs whose index `use` lists (all when null).
bool solve(const std::vector<PointPair>& pairs, const std::vector<size_t>& use, cv::Point2d centre,
           DisparityModel& model) {
  const double length = normalisingLength(centre);
  cv::Matx44d normal = cv::Matx44d::zeros();
  cv::Matx41d rhs = cv::Matx41d::zeros();
  for (size_t i : use) {
    double row[4];
    systemRow(pairs[i], centre, length, row);
    const double dy = pairs[i].left.y - pairs[i].right.y;
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) normal(r, c) += row[r] * row[c];
      rhs(r) += row[r] * dy;
    }
  }
  cv::Matx41d x;
  // Cholesky refuses a system that is not positive definite: too few
  // points, or points on one line.
  if (!cv::solve(normal, rhs, x, cv::DECOMP_CHOLESKY)) return false;
  for (int r = 0; r < 4; ++r) {
    if (!std::isfinite(x(r))) return false;
  }
  // A nearly singular system (four points almost on a line) gives huge
  // terms that no real misalignment has: a turn or scale change of 30 degrees
  // or 50 %, or a trapezoid of half the view.
  const double limit = 0.5 * length;
  if (std::fabs(x(1)) > limit || std::fabs(x(2)) > limit || std::fabs(x(3)) > limit) return false;
  model = fromSolution(x, centre, length);
  return true;
}

double truncatedCost(const DisparityModel& model, const std::vector<PointPair>& pairs,
                     double threshold, int& inlierCount) {
  double cost = 0;
  inlierCount = 0;
  const double limit = threshold * threshold;
  for (const PointPair& pair : pairs) {
    const double r = residual(model, pair);
    const double squared = r * r;
    if (squared <= limit) ++inlierCount;
    cost += std::min(squared, limit);
  }
  return cost;
}

int neededIterations(int inliers, size_t total) {
  const double w = static_cast<double>(inliers) / static_cast<double>(total);
  const double allInliers = std::pow(w, 4);
  if (allInliers >= 1) return 1;
  if (allInliers <= 0) return kMaxIterations;
  const double needed = std::log(1 - kConfidence) / std::log(1 - allInliers);
  return static_cast<int>(std::min<double>(kMaxIterations, std::ceil(needed)));
}

}  // namespace

double DisparityModel::at(cv::Point2d right) const {
  const double x = right.x - centre.x;
  const double y = right.y - centre.y;
  return offset + roll * x + scale * y + keystone * x * y;
}

double DisparityModel::rotationDegrees() const { return -std::atan2(roll, 1 + scale) * 180 / kPi; }

double DisparityModel::scaleRatio() const { return std::hypot(roll, 1 + scale); }

cv::Point2d DisparityModel::aligned(cv::Point2d right) const {
  // The right view's position is S R(t) p0 + (0, n) about the centre, where
  // S R(t) has the entries (1 + scale, roll) over their squared length; its
  // inverse has the entries themselves, and n = -offset / (1 + scale).
  const double p = 1 + scale;
  const double n = -offset / p;
  const double x = right.x - centre.x;
  const double y = right.y - centre.y;
  return {centre.x + p * x - roll * (y - n), centre.y + roll * x + p * (y - n) + keystone * x * y};
}

double residual(const DisparityModel& model, const PointPair& pair) {
  return (pair.left.y - pair.right.y) - model.at(pair.right);
}

bool fitLeastSquares(const std::vector<PointPair>& pairs, cv::Point2d centre,
                     DisparityModel& model) {
  std::vector<size_t> all(pairs.size());
  for (size_t i = 0; i < all.size(); ++i) all[i] = i;
  return all.size() >= 4 && solve(pairs, all, centre, model);
}

std::optional<FitPrecision> fitPrecision(const std::vector<PointPair>& pairs, cv::Point2d centre,
                                         double sigma) {
  const double length = normalisingLength(centre);
  cv::Matx44d normal = cv::Matx44d::zeros();
  for (const PointPair& pair : pairs) {
    double row[4];
    systemRow(pair, centre, length, row);
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) normal(r, c) += row[r] * row[c];
    }
  }
  cv::Matx44d inverse;
  if (pairs.size() < 4 || cv::invert(normal, inverse, cv::DECOMP_CHOLESKY) == 0) return std::nullopt;
  FitPrecision precision;
  precision.offset = sigma * std::sqrt(std::max(inverse(0, 0), 0.0));
  precision.roll = sigma * std::sqrt(std::max(inverse(1, 1), 0.0)) / length;
  precision.scale = sigma * std::sqrt(std::max(inverse(2, 2), 0.0)) / length;
  return precision;
}

bool fitRobust(const std::vector<PointPair>& pairs, cv::Point2d centre, double threshold,
               DisparityModel& model, std::vector<bool>& inliers) {
  inliers.assign(pairs.size(), false);
  if (pairs.size() < 4) return false;
  cv::RNG rng(kSeed);
  const int n = static_cast<int>(pairs.size());
  bool found = false;
  double bestCost = 0;
  int iterations = kMaxIterations;
  for (int k = 0; k < iterations; ++k) {
    std::vector<size_t> sample;
    while (sample.size() < 4) {
      const auto pick = static_cast<size_t>(rng.uniform(0, n));
      if (std::find(sample.begin(), sample.end(), pick) == sample.end()) sample.push_back(pick);
    }
    DisparityModel candidate;
    if (!solve(pairs, sample, centre, candidate)) continue;
    int count = 0;
    const double cost = truncatedCost(candidate, pairs, threshold, count);
    if (!found || cost < bestCost) {
      found = true;
      bestCost = cost;
      model = candidate;
      iterations = std::min(iterations, neededIterations(count, pairs.size()));
    }
  }
  if (!found) return false;

  std::vector<size_t> use;
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (std::fabs(residual(model, pairs[i])) <= threshold) use.push_back(i);
  }
  DisparityModel refined;
  if (use.size() >= 4 && solve(pairs, use, centre, refined)) model = refined;
  for (size_t i = 0; i < pairs.size(); ++i) {
    inliers[i] = std::fabs(residual(model, pairs[i])) <= threshold;
  }
  return true;
}

double robustSpread(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = [](std::vector<double>& list) {
    const auto mid = list.begin() + static_cast<std::ptrdiff_t>(list.size() / 2);
    std::nth_element(list.begin(), mid, list.end());
    return *mid;
  };
  const double centre = middle(values);
  for (double& value : values) value = std::fabs(value - centre);
  return 1.4826 * middle(values);
}

}  // namespace stereolint
