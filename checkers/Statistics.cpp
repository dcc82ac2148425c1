#include "checkers/Statistics.h"

#include <algorithm>
#include <cmath>

namespace stereolint {

namespace {

double middleOfSorted(const std::vector<double>& sorted) {
  const size_t n = sorted.size();
  if (n == 0) return 0.0;
  return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
}

}  // namespace

std::vector<Disparity> calculationPoints(std::vector<Disparity> records) {
  // Stable, so that records of equal value keep their measuring order and
  // the trimmed list (and everything drawn from it) is reproducible.
  std::stable_sort(records.begin(), records.end());
  const size_t n = records.size();
  const auto k = static_cast<size_t>(static_cast<double>(n) * 0.1);
  return std::vector<Disparity>(records.begin() + static_cast<std::ptrdiff_t>(k),
                                records.end() - static_cast<std::ptrdiff_t>(k));
}

double count(const std::vector<Disparity>& list) { return static_cast<double>(list.size()); }

double average(const std::vector<Disparity>& list) {
  if (list.empty()) return 0.0;
  double sum = 0.0;
  for (const Disparity& d : list) sum += d.getValue();
  return sum / static_cast<double>(list.size());
}

double standardDeviation(const std::vector<Disparity>& list) {
  if (list.empty()) return 0.0;
  const double mean = average(list);
  double sum = 0.0;
  for (const Disparity& d : list) sum += (d.getValue() - mean) * (d.getValue() - mean);
  return std::sqrt(sum / static_cast<double>(list.size()));
}

double averageAbs(const std::vector<Disparity>& list) {
  if (list.empty()) return 0.0;
  double sum = 0.0;
  for (const Disparity& d : list) sum += std::fabs(d.getValue());
  return sum / static_cast<double>(list.size());
}

double median(const std::vector<Disparity>& list) {
  std::vector<double> values;
  values.reserve(list.size());
  for (const Disparity& d : list) values.push_back(d.getValue());
  std::sort(values.begin(), values.end());
  return middleOfSorted(values);
}

double medianAbsoluteDeviation(const std::vector<Disparity>& list) {
  const double m = median(list);
  std::vector<double> deviations;
  deviations.reserve(list.size());
  for (const Disparity& d : list) deviations.push_back(std::fabs(d.getValue() - m));
  std::sort(deviations.begin(), deviations.end());
  return middleOfSorted(deviations);
}

double maximumAbsolute(const std::vector<Disparity>& list) {
  double largest = 0.0;
  for (const Disparity& d : list) largest = std::max(largest, std::fabs(d.getValue()));
  return largest;
}

}  // namespace stereolint
