#include "checkers/algorithms/HammingMatcher.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace stereolint {

namespace {

// Descriptor rows as 64-bit words, the last word of a row padded with zero
// bytes. Rows are copied once, so the inner loop reads aligned words
// whatever the matrices' steps.
struct PackedRows {
  int rows = 0;
  size_t stride = 0;  // words per row
  std::vector<std::uint64_t> data;
};

PackedRows packRows(const cv::Mat& descriptors) {
  PackedRows packed;
  packed.rows = descriptors.rows;
  const auto bytes = static_cast<size_t>(descriptors.cols);
  packed.stride = (bytes + 7) / 8;
  packed.data.assign(static_cast<size_t>(packed.rows) * packed.stride, 0);
  for (int r = 0; r < packed.rows; ++r) {
    std::memcpy(packed.data.data() + static_cast<size_t>(r) * packed.stride, descriptors.ptr(r),
                bytes);
  }
  return packed;
}

#if defined(__GNUC__)
#define STEREOLINT_ALWAYS_INLINE inline __attribute__((always_inline))
inline int bitCount(std::uint64_t x) { return __builtin_popcountll(static_cast<unsigned long long>(x)); }
#else
#define STEREOLINT_ALWAYS_INLINE inline
inline int bitCount(std::uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ULL);
  x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
  return static_cast<int>((x * 0x0101010101010101ULL) >> 56);
}
#endif

// The search, inlined into each caller so that the caller's instruction set
// decides how bits are counted. The zero padding of the tail word counts no
// bits.
STEREOLINT_ALWAYS_INLINE std::vector<cv::DMatch> nearestRowsInline(const PackedRows& query,
                                                                   const PackedRows& train) {
  std::vector<cv::DMatch> matches;
  matches.reserve(static_cast<size_t>(query.rows));
  const size_t stride = query.stride;
  for (int q = 0; q < query.rows; ++q) {
    const std::uint64_t* a = query.data.data() + static_cast<size_t>(q) * stride;
    int best = INT_MAX;
    int bestIndex = -1;
    for (int t = 0; t < train.rows; ++t) {
      const std::uint64_t* b = train.data.data() + static_cast<size_t>(t) * stride;
      int distance = 0;
      for (size_t w = 0; w < stride; ++w) distance += bitCount(a[w] ^ b[w]);
      if (distance < best) {
        best = distance;
        bestIndex = t;
      }
    }
    matches.emplace_back(q, bestIndex, 0, static_cast<float>(best));
  }
  return matches;
}

std::vector<cv::DMatch> nearestRows(const PackedRows& query, const PackedRows& train) {
  return nearestRowsInline(query, train);
}

// The baseline x86-64 target has no bit-count instruction, though nearly
// every processor does: the search is compiled once more for processors
// that have it, and chosen at the first call. Distances are exact integers
// either way. (A choice by the loader, through an indirect function, would
// run before the sanitizers' run-time is ready.)
#if defined(__GNUC__) && defined(__x86_64__)
__attribute__((target("popcnt"))) std::vector<cv::DMatch> nearestRowsPopcnt(
    const PackedRows& query, const PackedRows& train) {
  return nearestRowsInline(query, train);
}

using Search = std::vector<cv::DMatch> (*)(const PackedRows&, const PackedRows&);

Search fastestSearch() {
  static const Search search = __builtin_cpu_supports("popcnt") ? nearestRowsPopcnt : nearestRows;
  return search;
}
#else
using Search = std::vector<cv::DMatch> (*)(const PackedRows&, const PackedRows&);

Search fastestSearch() { return nearestRows; }
#endif

}  // namespace

std::vector<cv::DMatch> matchByHamming(const cv::Mat& query, const cv::Mat& train) {
  CV_Assert(query.type() == CV_8UC1 && train.type() == CV_8UC1);
  if (query.empty() || train.empty()) return {};
  CV_Assert(query.cols == train.cols);
  return fastestSearch()(packRows(query), packRows(train));
}

}  // namespace stereolint
