#include "checkers/alignment/FitUncertainty.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace stereolint {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Blocks per side of the grid laid over the points' bounding box: enough
// blocks to resample, each wide enough that the residual field within it
// is mostly one lump.
constexpr int kGrid = 4;
constexpr int kMinimumBlocks = 4;
constexpr int kDraws = 100;
// Fixed, so that a frame always gives the same errors.
constexpr std::uint64_t kSeed = 0xB10CB007ull;

// One block's share of the least-squares system of AlignmentFit (rows 1,
// u, v, u v at the right positions about the centre, in units of
// `length`): refits of a draw of blocks add their shares and solve a 4 x 4
// system, without going over the points again.
struct BlockSystem {
  cv::Matx44d normal = cv::Matx44d::zeros();
  cv::Matx41d rhs = cv::Matx41d::zeros();
};

// The points' shares grouped by the grid cell of their right position over
// the points' bounding box; empty cells dropped.
std::vector<BlockSystem> blocksOf(const std::vector<PointPair>& pairs, cv::Point2d centre,
                                  double length) {
  double minX = pairs[0].right.x, maxX = minX, minY = pairs[0].right.y, maxY = minY;
  for (const PointPair& pair : pairs) {
    minX = std::min(minX, pair.right.x);
    maxX = std::max(maxX, pair.right.x);
    minY = std::min(minY, pair.right.y);
    maxY = std::max(maxY, pair.right.y);
  }
  const auto cellOf = [](double value, double low, double high) {
    if (high <= low) return 0;
    return std::min(kGrid - 1, static_cast<int>((value - low) / (high - low) * kGrid));
  };
  std::vector<BlockSystem> grid(kGrid * kGrid);
  std::vector<bool> used(grid.size(), false);
  for (const PointPair& pair : pairs) {
    const auto cell = static_cast<size_t>(cellOf(pair.right.y, minY, maxY) * kGrid +
                                          cellOf(pair.right.x, minX, maxX));
    const double u = (pair.right.x - centre.x) / length, v = (pair.right.y - centre.y) / length;
    const cv::Matx41d row(1, u, v, u * v);
    grid[cell].normal += row * row.t();
    grid[cell].rhs += row * (pair.left.y - pair.right.y);
    used[cell] = true;
  }
  std::vector<BlockSystem> blocks;
  for (size_t cell = 0; cell < grid.size(); ++cell)
    if (used[cell]) blocks.push_back(grid[cell]);
  return blocks;
}

double spread(const std::vector<double>& values) {
  double mean = 0;
  for (double value : values) mean += value;
  mean /= static_cast<double>(values.size());
  double sum = 0;
  for (double value : values) sum += (value - mean) * (value - mean);
  return std::sqrt(sum / static_cast<double>(values.size() - 1));
}

// The spread of the refits over block draws; nothing when too few blocks
// or too few draws give a model.
std::optional<FitErrors> blockBootstrap(const std::vector<PointPair>& pairs, cv::Point2d centre) {
  // The scaling AlignmentFit uses, so that the four columns have comparable sizes.
  const double length = std::max({centre.x, centre.y, 1.0});
  const std::vector<BlockSystem> blocks = blocksOf(pairs, centre, length);
  if (blocks.size() < static_cast<size_t>(kMinimumBlocks)) return std::nullopt;
  cv::RNG rng(kSeed);
  const int count = static_cast<int>(blocks.size());
  std::vector<double> offsets, rotations, scales;
  for (int draw = 0; draw < kDraws; ++draw) {
    BlockSystem sum;
    for (int k = 0; k < count; ++k) {
      const BlockSystem& block = blocks[static_cast<size_t>(rng.uniform(0, count))];
      sum.normal += block.normal;
      sum.rhs += block.rhs;
    }
    cv::Matx41d x;
    // A draw of blocks along one line has no model.
    if (!cv::solve(sum.normal, sum.rhs, x, cv::DECOMP_CHOLESKY)) continue;
    DisparityModel model;
    model.offset = x(0);
    model.roll = x(1) / length;
    model.scale = x(2) / length;
    if (!std::isfinite(model.offset) || !std::isfinite(model.roll) || !std::isfinite(model.scale))
      continue;
    offsets.push_back(model.offset);
    rotations.push_back(model.rotationDegrees());
    scales.push_back(model.scaleRatio());
  }
  // Most draws must give a model.
  if (offsets.size() < kDraws / 2) return std::nullopt;
  return FitErrors{spread(offsets), spread(rotations), spread(scales)};
}

}  // namespace

std::optional<FitErrors> fitErrors(const std::vector<PointPair>& pairs, cv::Point2d centre,
                                   double sigma) {
  if (pairs.size() < 4) return std::nullopt;
  const std::optional<FitPrecision> independent = fitPrecision(pairs, centre, sigma);
  const std::optional<FitErrors> resampled = blockBootstrap(pairs, centre);
  if (!independent || !resampled) return std::nullopt;
  return FitErrors{std::max(resampled->vertical, independent->offset),
                   std::max(resampled->rotation, independent->roll * 180 / kPi),
                   std::max(resampled->scale, independent->scale)};
}

}  // namespace stereolint
