// Reducing a list of disparity records to numbers.
//
// Every statistic reads the records' values in list order and never changes
// the caller's list. For an empty list every statistic is 0.
#pragma once

#include <vector>

#include "checkers/Disparity.h"

namespace stereolint {

// The records left after sorting ascending by value and cutting
// k = trunc(n * 0.1) records from each end (none for fewer than 10).
std::vector<Disparity> calculationPoints(std::vector<Disparity> records);

double count(const std::vector<Disparity>& list);
// Sum of the values (added in list order) divided by n.
double average(const std::vector<Disparity>& list);
// Population standard deviation: sqrt(sum((v - average)^2) / n).
double standardDeviation(const std::vector<Disparity>& list);
double averageAbs(const std::vector<Disparity>& list);
// The middle value, or the mean of the two middle values for an even n.
double median(const std::vector<Disparity>& list);
// The median of |value - median|, without a scale factor.
double medianAbsoluteDeviation(const std::vector<Disparity>& list);
// The largest |value|; 0 when every value is 0.
double maximumAbsolute(const std::vector<Disparity>& list);

}  // namespace stereolint
