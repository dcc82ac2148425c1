#include "checkers/PairwiseMeasures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <opencv2/core/hal/intrin.hpp>

#include "util/Parallel.h"

namespace stereolint {

namespace {

// The rounded value of pi that the angle has always been computed with;
// numbers stay comparable with earlier measurements.
constexpr double kPi = 3.14159265359;

// Features whose sums run side by side in the scale loop: enough
// independent additions and divisions to fill the vector units, few enough
// that the sums stay in registers.
constexpr size_t kLanes = 8;

// The number of bits set in each 4-bit mask.
constexpr int kBitCount[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

// Features handed to a thread at a time.
constexpr size_t kFeaturesPerTask = 64;

double angleTerm(double dxL, double dyL, double dyR) {
  return std::atan((dyR - dyL) / dxL) * 180.0 / kPi;
}

template <typename Task>
void forEachTask(size_t features, Task task) {
  const size_t tasks = (features + kFeaturesPerTask - 1) / kFeaturesPerTask;
  work::parallelFor(tasks, [&](size_t t) {
    const size_t begin = t * kFeaturesPerTask;
    task(begin, std::min(features, begin + kFeaturesPerTask));
  });
}

using cv::v_float32x4;
using cv::v_float64x2;

// True when some byte of the eight at `bytes` is not zero.
bool anySet(const unsigned char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word != 0;
}

double pairAngleTerm(const MatchedPositions& p, float lxi, float lyi, float ryi, size_t j) {
  return angleTerm(static_cast<double>(lxi - p.leftX[j]), static_cast<double>(lyi - p.leftY[j]),
                   static_cast<double>(ryi - p.rightY[j]));
}

// `needed` must hold (size + 3) / 4 bytes.
double pairAngles(const MatchedPositions& p, size_t i, std::vector<unsigned char>& needed) {
  const size_t n = p.size();
  const float lxi = p.leftX[i], lyi = p.leftY[i], rxi = p.rightX[i], ryi = p.rightY[i];
  // First pass, four matches at a time: which pairs count, and which of
  // them have a term that is not exactly zero. The term is zero when the
  // vertical separations agree (the numerator is then exactly 0, and 0 / dxL
  // a signed zero unless dxL is NaN); adding a zero leaves a sum that
  // started at +0 as it was, so such terms need no arctangent. The
  // differences are the same single-precision ones the definition takes.
  const v_float32x4 zero = cv::v_setzero_f32();
  const v_float32x4 lx = cv::v_setall_f32(lxi), ly = cv::v_setall_f32(lyi);
  const v_float32x4 rx = cv::v_setall_f32(rxi), ry = cv::v_setall_f32(ryi);
  std::int64_t used = 0;
  size_t j = 0;
  for (; j + 4 <= n; j += 4) {
    const v_float32x4 dxL = lx - cv::v_load(&p.leftX[j]);
    const v_float32x4 dxR = rx - cv::v_load(&p.rightX[j]);
    const v_float32x4 numerator = (ry - cv::v_load(&p.rightY[j])) - (ly - cv::v_load(&p.leftY[j]));
    const v_float32x4 counted = (dxL != zero) & (dxR != zero);
    used += kBitCount[cv::v_signmask(counted)];
    needed[j / 4] = static_cast<unsigned char>(
        cv::v_signmask(counted & ((numerator != zero) | (dxL != dxL))));
  }
  if (j < n) {
    unsigned char bits = 0;
    for (size_t k = j; k < n; ++k) {
      const float dxL = lxi - p.leftX[k];
      const float dxR = rxi - p.rightX[k];
      const float numerator = (ryi - p.rightY[k]) - (lyi - p.leftY[k]);
      if (dxL == 0.0f || dxR == 0.0f) continue;
      ++used;
      if (numerator != 0.0f || dxL != dxL) bits |= static_cast<unsigned char>(1u << (k - j));
    }
    needed[j / 4] = bits;
  }
  // The pair of a match with itself never counts; its differences are 0
  // unless its coordinates are not finite.
  const unsigned char selfBit = static_cast<unsigned char>(1u << (i % 4));
  if (lxi - lxi != 0.0f && rxi - rxi != 0.0f) {
    --used;
    needed[i / 4] &= static_cast<unsigned char>(~selfBit);
  }

  // Second pass: the remaining terms in match order, skipping 32 matches at
  // a time where no term is left.
  double sum = 0.0;
  const size_t groups = (n + 3) / 4;
  for (size_t g = 0; g < groups; ++g) {
    if (g % 8 == 0 && g + 8 <= groups && !anySet(&needed[g])) {
      g += 7;
      continue;
    }
    const unsigned bits = needed[g];
    for (unsigned k = 0; bits != 0 && k < 4; ++k) {
      if ((bits & (1u << k)) != 0) sum += pairAngleTerm(p, lxi, lyi, ryi, 4 * g + k);
    }
  }
  return used > 0 ? sum / static_cast<double>(used) : 0.0;
}

// How many pairs a feature's scale value counts, and whether each of their
// terms is exactly 1 (equal finite vertical separations in both views).
// Views that agree closely give nothing else; their value is then
// count / count = 1 without a single division.
struct SeparationCount {
  std::int64_t used = 0;
  bool allOne = true;
};

SeparationCount separationCount(const MatchedPositions& p, size_t i) {
  const size_t n = p.size();
  const float lyi = p.leftY[i], ryi = p.rightY[i];
  const v_float32x4 zero = cv::v_setzero_f32();
  const v_float32x4 ly = cv::v_setall_f32(lyi), ry = cv::v_setall_f32(ryi);
  SeparationCount count;
  int notOne = 0;
  size_t j = 0;
  for (; j + 4 <= n; j += 4) {
    const v_float32x4 dl = ly - cv::v_load(&p.leftY[j]);
    const v_float32x4 dr = ry - cv::v_load(&p.rightY[j]);
    const v_float32x4 counted = dr != zero;
    count.used += kBitCount[cv::v_signmask(counted)];
    notOne |= cv::v_signmask(counted & ((dl != dr) | (dr - dr != zero)));
  }
  for (; j < n; ++j) {
    const float dl = lyi - p.leftY[j];
    const float dr = ryi - p.rightY[j];
    if (dr == 0.0f) continue;
    ++count.used;
    if (dl != dr || dr - dr != 0.0f) notOne = 1;
  }
  // The pair of a match with itself never counts; its separation is 0
  // unless its coordinates are not finite, and then it is no 1 either.
  if (ryi - ryi != 0.0f) return {count.used - 1, false};
  count.allOne = notOne == 0;
  return count;
}

// The sums of kLanes features side by side, two to a register; `own` holds
// their match indices (a short last block repeats its last feature, whose
// extra results are dropped). Each sum adds its terms in match order.
void separationRatios(const MatchedPositions& p, const size_t (&own)[kLanes],
                      double (&values)[kLanes]) {
  constexpr size_t kQuads = kLanes / 4;
  float leftY[kLanes], rightY[kLanes];
  double ownIndex[kLanes];
  for (size_t b = 0; b < kLanes; ++b) {
    leftY[b] = p.leftY[own[b]];
    rightY[b] = p.rightY[own[b]];
    ownIndex[b] = static_cast<double>(own[b]);
  }
  v_float32x4 left[kQuads], right[kQuads];
  v_float64x2 self[2 * kQuads], sum[2 * kQuads], used[2 * kQuads];
  for (size_t q = 0; q < kQuads; ++q) {
    left[q] = cv::v_load(&leftY[4 * q]);
    right[q] = cv::v_load(&rightY[4 * q]);
  }
  for (size_t h = 0; h < 2 * kQuads; ++h) {
    self[h] = cv::v_load(&ownIndex[2 * h]);
    sum[h] = cv::v_setzero_f64();
    used[h] = cv::v_setzero_f64();
  }
  const v_float64x2 zero = cv::v_setzero_f64(), one = cv::v_setall_f64(1.0);
  const size_t n = p.size();
  for (size_t j = 0; j < n; ++j) {
    const v_float32x4 leftJ = cv::v_setall_f32(p.leftY[j]);
    const v_float32x4 rightJ = cv::v_setall_f32(p.rightY[j]);
    const v_float64x2 index = cv::v_setall_f64(static_cast<double>(j));
    for (size_t q = 0; q < kQuads; ++q) {
      // Single-precision differences, widened exactly, as the definition.
      const v_float32x4 dl = left[q] - leftJ;
      const v_float32x4 dr = right[q] - rightJ;
      const v_float64x2 dls[2] = {cv::v_cvt_f64(dl), cv::v_cvt_f64_high(dl)};
      const v_float64x2 drs[2] = {cv::v_cvt_f64(dr), cv::v_cvt_f64_high(dr)};
      for (size_t half = 0; half < 2; ++half) {
        const size_t h = 2 * q + half;
        const v_float64x2 counted = (drs[half] != zero) & (index != self[h]);
        // A pair left out adds +0, which leaves the sum as it was: it
        // started at +0 and never becomes -0.
        sum[h] += cv::v_select(counted, dls[half] / cv::v_select(counted, drs[half], one), zero);
        used[h] += cv::v_select(counted, one, zero);
      }
    }
  }
  double sums[kLanes], counts[kLanes];
  for (size_t h = 0; h < 2 * kQuads; ++h) {
    cv::v_store(&sums[2 * h], sum[h]);
    cv::v_store(&counts[2 * h], used[h]);
  }
  for (size_t b = 0; b < kLanes; ++b) values[b] = counts[b] > 0 ? sums[b] / counts[b] : 0.0;
}

}  // namespace

double meanPairAngle(const std::vector<cv::KeyPoint>& leftKeypoints,
                     const std::vector<cv::KeyPoint>& rightKeypoints,
                     const std::vector<cv::DMatch>& matches, size_t i) {
  const cv::Point2f li = leftKeypoints[static_cast<size_t>(matches[i].queryIdx)].pt;
  const cv::Point2f ri = rightKeypoints[static_cast<size_t>(matches[i].trainIdx)].pt;
  double sum = 0.0;
  int used = 0;
  for (size_t j = 0; j < matches.size(); ++j) {
    if (j == i) continue;
    const cv::Point2f lj = leftKeypoints[static_cast<size_t>(matches[j].queryIdx)].pt;
    const cv::Point2f rj = rightKeypoints[static_cast<size_t>(matches[j].trainIdx)].pt;
    // Differences in single precision, as the keypoints hold them.
    const auto dxL = static_cast<double>(li.x - lj.x);
    const auto dxR = static_cast<double>(ri.x - rj.x);
    if (dxL == 0 || dxR == 0) continue;
    const auto dyL = static_cast<double>(li.y - lj.y);
    const auto dyR = static_cast<double>(ri.y - rj.y);
    sum += angleTerm(dxL, dyL, dyR);
    ++used;
  }
  return used > 0 ? sum / used : 0.0;
}

double meanSeparationRatio(const std::vector<cv::KeyPoint>& leftKeypoints,
                           const std::vector<cv::KeyPoint>& rightKeypoints,
                           const std::vector<cv::DMatch>& matches, size_t i) {
  const float li = leftKeypoints[static_cast<size_t>(matches[i].queryIdx)].pt.y;
  const float ri = rightKeypoints[static_cast<size_t>(matches[i].trainIdx)].pt.y;
  double sum = 0.0;
  int used = 0;
  for (size_t j = 0; j < matches.size(); ++j) {
    if (j == i) continue;
    const float lj = leftKeypoints[static_cast<size_t>(matches[j].queryIdx)].pt.y;
    const float rj = rightKeypoints[static_cast<size_t>(matches[j].trainIdx)].pt.y;
    const auto dl = static_cast<double>(li - lj);
    const auto dr = static_cast<double>(ri - rj);
    if (dr == 0) continue;
    sum += dl / dr;
    ++used;
  }
  return used > 0 ? sum / used : 0.0;
}

MatchedPositions matchedPositions(const std::vector<cv::KeyPoint>& leftKeypoints,
                                  const std::vector<cv::KeyPoint>& rightKeypoints,
                                  const std::vector<cv::DMatch>& matches) {
  MatchedPositions positions;
  for (std::vector<float>* list :
       {&positions.leftX, &positions.leftY, &positions.rightX, &positions.rightY}) {
    list->reserve(matches.size());
  }
  for (const cv::DMatch& match : matches) {
    const cv::Point2f left = leftKeypoints[static_cast<size_t>(match.queryIdx)].pt;
    const cv::Point2f right = rightKeypoints[static_cast<size_t>(match.trainIdx)].pt;
    positions.leftX.push_back(left.x);
    positions.leftY.push_back(left.y);
    positions.rightX.push_back(right.x);
    positions.rightY.push_back(right.y);
  }
  return positions;
}

std::vector<double> meanPairAngles(const MatchedPositions& positions,
                                   const std::vector<size_t>& features) {
  std::vector<double> values(features.size());
  forEachTask(features.size(), [&](size_t begin, size_t end) {
    std::vector<unsigned char> needed((positions.size() + 3) / 4 + 8);
    for (size_t f = begin; f < end; ++f) values[f] = pairAngles(positions, features[f], needed);
  });
  return values;
}

std::vector<double> meanSeparationRatios(const MatchedPositions& positions,
                                         const std::vector<size_t>& features) {
  std::vector<double> values(features.size());
  forEachTask(features.size(), [&](size_t begin, size_t end) {
    // Features with terms other than 1 need their sums.
    std::vector<size_t> summed;
    for (size_t f = begin; f < end; ++f) {
      const SeparationCount count = separationCount(positions, features[f]);
      if (count.allOne) {
        values[f] = count.used > 0 ? 1.0 : 0.0;
      } else {
        summed.push_back(f);
      }
    }
    for (size_t s = 0; s < summed.size(); s += kLanes) {
      const size_t lanes = std::min(kLanes, summed.size() - s);
      size_t own[kLanes];
      for (size_t b = 0; b < kLanes; ++b) own[b] = features[summed[s + std::min(b, lanes - 1)]];
      double laneValues[kLanes];
      separationRatios(positions, own, laneValues);
      for (size_t b = 0; b < lanes; ++b) values[summed[s + b]] = laneValues[b];
    }
  });
  return values;
}

}  // namespace stereolint
