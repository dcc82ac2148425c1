// The CIEDE2000 colour difference of two CIELAB colours (L* 0 to 100,
// a* and b* signed), with the parametric factors kL = kC = kH = 1. About 1
// is the smallest difference a viewer sees side by side.
#pragma once

#include <opencv2/core.hpp>

namespace stereolint {

double ciede2000(const cv::Vec3f& lab1, const cv::Vec3f& lab2);

}  // namespace stereolint
