#include "LoopScaling.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <opencv2/core.hpp>

#include "checkers/PairwiseMeasures.h"

namespace bench {

namespace {

using stereolint::MatchedPositions;

struct Matches {
  std::vector<cv::KeyPoint> left, right;
  std::vector<cv::DMatch> pairs;
  std::vector<size_t> features;
};

// `count` matched features of a 960 x 1080 view. Turned: fractional
// positions, the right ones turned 0.3 degrees and moved down 4 rows.
// Shifted: whole-pixel positions, the right ones 6 rows lower.
Matches madeUpMatches(int count, bool shifted) {
  cv::RNG rng(7);
  Matches matches;
  const double angle = 0.3 * CV_PI / 180;
  for (int k = 0; k < count; ++k) {
    float x = rng.uniform(0.f, 960.f), y = rng.uniform(0.f, 1080.f);
    cv::Point2f right;
    if (shifted) {
      x = std::floor(x);
      y = std::floor(y);
      right = {x, y + 6};
    } else {
      const double cx = x - 480.0, cy = y - 540.0;
      right = {static_cast<float>(480 + cx * std::cos(angle) - cy * std::sin(angle)),
               static_cast<float>(544 + cx * std::sin(angle) + cy * std::cos(angle))};
    }
    matches.left.emplace_back(x, y, 7.f);
    matches.right.emplace_back(right, 7.f);
    matches.pairs.emplace_back(k, k, 0.f);
    matches.features.push_back(static_cast<size_t>(k));
  }
  return matches;
}

template <typename Work>
double milliseconds(Work work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

bool identical(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

using Definition = double (*)(const std::vector<cv::KeyPoint>&, const std::vector<cv::KeyPoint>&,
                              const std::vector<cv::DMatch>&, size_t);
using FastForm = std::vector<double> (*)(const MatchedPositions&, const std::vector<size_t>&);

void printLoop(const char* name, const Matches& m, Definition definition, FastForm fast) {
  std::vector<double> slow, quick;
  const double slowMs = milliseconds([&] {
    for (size_t i : m.features) slow.push_back(definition(m.left, m.right, m.pairs, i));
  });
  const double quickMs = milliseconds([&] {
    quick = fast(stereolint::matchedPositions(m.left, m.right, m.pairs), m.features);
  });
  std::printf("  %-9s %10.1f ms %10.1f ms %8.1fx  %s\n", name, slowMs, quickMs, slowMs / quickMs,
              identical(slow, quick) ? "identical" : "DIFFERENT");
}

}  // namespace

void printLoopScaling() {
  std::printf("Measuring loops by number of matches (definition, one feature at a time, against "
              "the fast form)\n");
  for (bool shifted : {false, true}) {
    for (int count : {500, 2000, 8000}) {
      std::printf("%5d matches, %s\n", count,
                  shifted ? "views moved by whole rows (zero terms)" : "turned views");
      const Matches m = madeUpMatches(count, shifted);
      printLoop("rotation", m, stereolint::meanPairAngle, stereolint::meanPairAngles);
      printLoop("scale", m, stereolint::meanSeparationRatio, stereolint::meanSeparationRatios);
    }
  }
}

}  // namespace bench
