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

using Blocks = std::vector<std::vector<PointPair>>;

// The points grouped by the grid cell of their right position; empty cells dropped.
Blocks blocksOf(const std::vector<PointPair>& pairs) {
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
  Blocks grid(kGrid * kGrid);
  for (const PointPair& pair : pairs) {
    const int cell = cellOf(pair.right.y, minY, maxY) * kGrid + cellOf(pair.right.x, minX, maxX);
    grid[static_cast<size_t>(cell)].push_back(pair);
  }
  Blocks blocks;
  for (auto& block : grid)
    if (!block.empty()) blocks.push_back(std::move(block));
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
  const Blocks blocks = blocksOf(pairs);
  if (blocks.size() < static_cast<size_t>(kMinimumBlocks)) return std::nullopt;
  cv::RNG rng(kSeed);
  const int count = static_cast<int>(blocks.size());
  std::vector<double> offsets, rotations, scales;
  std::vector<PointPair> drawn;
  for (int draw = 0; draw < kDraws; ++draw) {
    drawn.clear();
    for (int k = 0; k < count; ++k) {
      const auto& block = blocks[static_cast<size_t>(rng.uniform(0, count))];
      drawn.insert(drawn.end(), block.begin(), block.end());
    }
    DisparityModel model;
    if (!fitLeastSquares(drawn, centre, model)) continue;
    offsets.push_back(model.offset);
    rotations.push_back(model.rotationDegrees());
    scales.push_back(model.scaleRatio());
  }
  // A draw of blocks along one line has no model; most draws must have one.
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
